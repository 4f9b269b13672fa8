/* Test double of OPENGL32.DLL that has wglSwapBuffers but not wglSwapLayerBuffers. */
#define NOGDI /* without the platform's declaration, which imports it */
#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI wglSwapBuffers(HDC) { return FALSE; }
