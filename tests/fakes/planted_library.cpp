/* A library the hook library loads by its bare name, planted by a test: when
 * loaded, it leaves "planted-library-loaded" beside itself and refuses to stay. */
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= sizeof path)
        return TRUE;
    std::string marker = std::string(path, length);
    marker = marker.substr(0, marker.rfind('\\')) + "\\planted-library-loaded";
    CloseHandle(CreateFileA(marker.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    return FALSE;
}
