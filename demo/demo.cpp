#include "demo/demo.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

DemoOptions Options = { 0.0, 60.0, FALSE, FALSE, FALSE, 0, 0 };
HWND GameWindow;

static const int ClientWidth = 320;
static const int ClientHeight = 240;

static double Seconds(void)
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

/* 0 when every argument was understood. */
static int ParseOptions(int argc, char **argv)
{
    for (int i = 1; i < argc; i++) {
        BOOL hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--seconds") == 0 && hasValue)
            Options.seconds = atof(argv[++i]);
        else if (strcmp(argv[i], "--fps") == 0 && hasValue)
            Options.fps = atof(argv[++i]);
        else if (strcmp(argv[i], "--late") == 0)
            Options.late = TRUE;
        else if (strcmp(argv[i], "--swapchain") == 0)
            Options.swapChain = TRUE;
        else if (strcmp(argv[i], "--at") == 0 && hasValue)
            Options.placed = sscanf(argv[++i], "%d,%d", &Options.x, &Options.y) == 2;
        else
            return 1;
    }
    return Options.seconds < 0 || Options.fps < 0 ? 1 : 0;
}

static LRESULT CALLBACK GameWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND:
        return 1;    /* the frames cover the whole client area */
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

/* Created hidden: it is shown once the graphics are set up, so that the first
 * picture the user sees is a frame. */
static HWND CreateGameWindow(const char *title)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;    /* OpenGL keeps its pixel format on the window's one device context */
    windowClass.lpfnWndProc = GameWindowProcedure;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.lpszClassName = "Zentu64DemoGame";
    RegisterClassA(&windowClass);
    RECT frame = { 0, 0, ClientWidth, ClientHeight };
    DWORD style = WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MAXIMIZEBOX);
    AdjustWindowRect(&frame, style, FALSE);
    return CreateWindowExA(0, windowClass.lpszClassName, title, style, Options.placed ? Options.x : CW_USEDEFAULT,
                           Options.placed ? Options.y : CW_USEDEFAULT,
                           frame.right - frame.left, frame.bottom - frame.top, NULL, NULL, windowClass.hInstance,
                           NULL);
}

/* FALSE once the window was closed. */
static BOOL PumpMessages(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            return FALSE;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}

/* Waits until frame number `frames` is due; the schedule counts from the
 * start, so a late frame does not push back all that follow. */
static void WaitForFrame(double start, long frames)
{
    if (Options.fps <= 0)
        return;
    double due = start + (double)frames / Options.fps;
    double now = Seconds();
    if (due > now)
        Sleep((DWORD)((due - now) * 1000.0));
}

int RunDemo(int argc, char **argv, const DemoGraphics *graphics)
{
    if (ParseOptions(argc, argv) != 0) {
        fprintf(stderr, "usage: %s [--seconds N] [--fps N] [--late] [--swapchain] [--at X,Y]\n", graphics->name);
        return 2;
    }
    if (!Options.late && graphics->load() != 0)
        return 1;
    char title[128];
    snprintf(title, sizeof title, "Zentu64 demo - %s", graphics->name);
    GameWindow = CreateGameWindow(title);
    if (!GameWindow) {
        fprintf(stderr, "%s: no window\n", graphics->name);
        return 1;
    }
    if (Options.late && graphics->load() != 0)
        return 1;
    if (graphics->setup(GameWindow, ClientWidth, ClientHeight) != 0)
        return 1;
    ShowWindow(GameWindow, SW_SHOWNORMAL);

    long frames = 0;
    double start = Seconds();
    double now = start;
    while (PumpMessages() && (Options.seconds <= 0 || now - start < Options.seconds)) {
        if (graphics->frame(now - start, ClientWidth, ClientHeight) != 0) {
            fprintf(stderr, "%s: a frame could not be presented\n", graphics->name);
            break;
        }
        frames++;
        WaitForFrame(start, frames);
        now = Seconds();
    }
    double elapsed = Seconds() - start;
    graphics->cleanUp();
    if (IsWindow(GameWindow))
        DestroyWindow(GameWindow);
    printf("frames=%ld seconds=%.3f ms_per_frame=%.4f\n", frames, elapsed,
           frames > 0 ? elapsed * 1000.0 / (double)frames : 0.0);
    fflush(stdout);
    return 0;
}
