/*
 * The idle reference for the companion's CPU figure: the same drain-and-wait
 * loop (5 ms, every wake bit) in a process that owns one hidden window and
 * does nothing else. Under Wine, owning a window makes every wait poll the
 * display connection, so this is the floor any windowed idle loop pays.
 * Runs until killed.
 */
#include <windows.h>

static LRESULT CALLBACK ReferenceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ReferenceWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "ZentuIdleReference";
    RegisterClassA(&windowClass);
    CreateWindowA("ZentuIdleReference", "idle reference", WS_POPUP, 0, 0, 10, 10, NULL, NULL, instance, NULL);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return 0;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjectsEx(0, NULL, 5, 0xFF, 0);
    }
}
