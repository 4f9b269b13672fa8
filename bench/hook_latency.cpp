/*
 * Input latency the companion's keyboard hook adds to every key press on the
 * desktop: the time from SendInput until a window of this process receives
 * the key, 1000 presses without the companion and 1000 with it running, in
 * the same run. The key (F2) is no hotkey, so the hook passes it on.
 *
 * Usage: hook_latency <program folder holding zentu64.exe and zentu64.dll>
 * ("Running" must be 1 in the settings key).
 */
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

static LARGE_INTEGER KeyArrived;
static bool Arrived;

static LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && wParam == VK_F2 && !Arrived) {
        QueryPerformanceCounter(&KeyArrived);
        Arrived = true;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void Send(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

static void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

/* Median latency in microseconds over `presses` key presses. */
static double MeasurePresses(HWND window, int presses)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> micros;
    for (int i = 0; i < presses; i++) {
        SetForegroundWindow(window);
        Pump();
        Arrived = false;
        LARGE_INTEGER sent;
        QueryPerformanceCounter(&sent);
        Send(VK_F2, false);
        ULONGLONG deadline = GetTickCount64() + 2000;
        while (!Arrived && GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
            Pump();
        }
        Send(VK_F2, true);
        Pump();
        if (Arrived)
            micros.push_back((double)(KeyArrived.QuadPart - sent.QuadPart) * 1e6 / (double)frequency.QuadPart);
    }
    if (micros.empty())
        return -1;
    std::sort(micros.begin(), micros.end());
    printf("  %zu of %d presses arrived; median %.1f us, p10 %.1f us, p90 %.1f us\n", micros.size(), presses,
           micros[micros.size() / 2], micros[micros.size() / 10], micros[micros.size() * 9 / 10]);
    return micros[micros.size() / 2];
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: hook_latency <program folder>\n");
        return 2;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "ZentuLatencyReceiver";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(windowClass.lpszClassName, "latency receiver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                0, 200, 100, NULL, NULL, windowClass.hInstance, NULL);

    printf("without the companion:\n");
    double without = MeasurePresses(window, 1000);

    std::string folder = argv[1];
    std::string exe = folder + "\\zentu64.exe";
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                        &process)) {
        fprintf(stderr, "cannot start %s\n", exe.c_str());
        return 1;
    }
    Sleep(3000);           /* past start-up: the hook is in */
    printf("with the companion running:\n");
    double with = MeasurePresses(window, 1000);
    printf("latency the hook adds: %.1f us (median %.1f us against %.1f us)\n", with - without, with, without);

    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    DestroyWindow(window);
    return 0;
}
