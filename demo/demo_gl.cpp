/*
 * zentu64-demo-gl.exe: a small OpenGL game. A WGL context on the window
 * draws a square that moves across a slowly changing background and
 * presents each frame with SwapBuffers, which hands it to OPENGL32.DLL's
 * wglSwapBuffers as every OpenGL game's frames go. OPENGL32.DLL is an import:
 * it is there before the window (--late changes nothing here).
 */
#include "demo/demo.h"

#include <GL/gl.h>
#include <math.h>
#include <stdio.h>

static HDC WindowDc;
static HGLRC Context;

static int LoadOpenGL(void)
{
    return 0;
}

static int SetUpContext(HWND window, int width, int height)
{
    (void)width;
    (void)height;
    WindowDc = GetDC(window);
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.iLayerType = PFD_MAIN_PLANE;
    int chosen = ChoosePixelFormat(WindowDc, &format);
    if (!chosen || !SetPixelFormat(WindowDc, chosen, &format)) {
        fprintf(stderr, "zentu64-demo-gl: no pixel format\n");
        return 1;
    }
    Context = wglCreateContext(WindowDc);
    if (!Context || !wglMakeCurrent(WindowDc, Context)) {
        fprintf(stderr, "zentu64-demo-gl: no OpenGL context\n");
        return 1;
    }
    return 0;
}

static GLfloat Shade(double time, double phase)
{
    return (GLfloat)((96.0 + 64.0 * sin(time * 0.7 + phase)) / 255.0);
}

static int DrawFrame(double time, int width, int height)
{
    const int side = height / 4;
    int x = (int)((width - side) * (0.5 + 0.5 * sin(time * 1.9)));
    int y = (int)((height - side) * (0.5 + 0.5 * sin(time * 1.3)));
    glDisable(GL_SCISSOR_TEST);
    glClearColor(Shade(time, 4.0) / 3, Shade(time, 2.0), Shade(time, 0.0) / 3, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, side, side);
    glClearColor(1.0f, 0.78f, 0.16f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return SwapBuffers(WindowDc) ? 0 : 1;
}

static void ReleaseContext(void)
{
    wglMakeCurrent(NULL, NULL);
    if (Context)
        wglDeleteContext(Context);
    Context = NULL;
}

int main(int argc, char **argv)
{
    static const DemoGraphics graphics = { "zentu64-demo-gl", LoadOpenGL, SetUpContext, DrawFrame, ReleaseContext };
    return RunDemo(argc, argv, &graphics);
}
