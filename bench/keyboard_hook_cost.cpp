/*
 * Cost of KeyboardHookProc per keyboard event, in-process, in both modes:
 * filtering (no field assigning) and assignment (a hotkey field has the
 * focus, so a key-down looks up the key's name, sets the field's text and
 * posts EM_SETSEL). Each event is timed on its own with the performance
 * counter; the figures are medians over 100 000 events of one kind. Under
 * Wine the counter ticks every 100 ns, so the median of batch means of the
 * same events gives the finer figure.
 *
 * The hook is called directly, as the system calls it on this thread; the
 * pass-on through CallNextHookEx is included, and a reference row shows what
 * that call alone costs.
 */
#include "hotkeys/hotkeys.h"
#include "pages/pages.h"
#include "resources/resource.h"
#include "settings/settings.h"

#include <commctrl.h>

#include <algorithm>
#include <stdio.h>
#include <vector>

static const int EventsPerKind = 100000;
/* The posted EM_SETSELs are drained outside the timing before the thread's
 * queue limit (10 000 posted messages) is near. */
static const int DrainEvery = 1000;

static LARGE_INTEGER Frequency;

static double Nanoseconds(LONGLONG ticks)
{
    return (double)ticks * 1e9 / (double)Frequency.QuadPart;
}

static void DrainQueue(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

struct Figures {
    double median, p10, p90, batchMedian;
};

/* One call of the hook; a function pointer so that the reference row of the
 * bare pass-on goes through the same timing. */
typedef LRESULT (*HookCall)(WPARAM message, KBDLLHOOKSTRUCT *event);

static LRESULT CallHook(WPARAM message, KBDLLHOOKSTRUCT *event)
{
    return KeyboardHookProc(HC_ACTION, message, (LPARAM)event);
}

static LRESULT CallNextHookOnly(WPARAM message, KBDLLHOOKSTRUCT *event)
{
    return CallNextHookEx(KeyboardHook, HC_ACTION, message, (LPARAM)event);
}

static Figures Measure(HookCall call, WPARAM message, KBDLLHOOKSTRUCT event, LRESULT *lastResult)
{
    /* Warm-up: first calls pay for lazily loaded code and server state. */
    for (int i = 0; i < DrainEvery; i++)
        *lastResult = call(message, &event);
    DrainQueue();

    std::vector<LONGLONG> ticks;
    ticks.reserve(EventsPerKind);
    for (int i = 0; i < EventsPerKind; i++) {
        if (i % DrainEvery == 0)
            DrainQueue();
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        *lastResult = call(message, &event);
        QueryPerformanceCounter(&end);
        ticks.push_back(end.QuadPart - start.QuadPart);
    }
    DrainQueue();

    /* The same number of events again in batches of DrainEvery, for a
     * figure finer than the counter's tick. */
    std::vector<double> batchMeans;
    for (int done = 0; done < EventsPerKind; done += DrainEvery) {
        DrainQueue();
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < DrainEvery; i++)
            *lastResult = call(message, &event);
        QueryPerformanceCounter(&end);
        batchMeans.push_back(Nanoseconds(end.QuadPart - start.QuadPart) / DrainEvery);
    }
    DrainQueue();

    std::sort(ticks.begin(), ticks.end());
    std::sort(batchMeans.begin(), batchMeans.end());
    Figures figures;
    figures.median = Nanoseconds(ticks[EventsPerKind / 2]);
    figures.p10 = Nanoseconds(ticks[EventsPerKind / 10]);
    figures.p90 = Nanoseconds(ticks[EventsPerKind * 9 / 10]);
    figures.batchMedian = batchMeans[batchMeans.size() / 2];
    return figures;
}

static double CounterCost(void)
{
    std::vector<LONGLONG> ticks;
    ticks.reserve(EventsPerKind);
    for (int i = 0; i < EventsPerKind; i++) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        QueryPerformanceCounter(&end);
        ticks.push_back(end.QuadPart - start.QuadPart);
    }
    std::sort(ticks.begin(), ticks.end());
    return Nanoseconds(ticks[EventsPerKind / 2]);
}

static KBDLLHOOKSTRUCT Key(DWORD vkCode, DWORD scanCode, DWORD flags)
{
    KBDLLHOOKSTRUCT event = {};
    event.vkCode = vkCode;
    event.scanCode = scanCode;
    event.flags = flags;
    return event;
}

static HWND CreatePage(const int *ids, int count)
{
    HWND page = CreateWindowExA(0, "STATIC", "hook bench page", WS_POPUP, 0, 0, 400, 300, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    for (int i = 0; i < count && page; i++)
        CreateWindowExA(0, HOTKEY_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10 + 30 * i, 120, 24, page,
                        (HMENU)(INT_PTR)ids[i], GetModuleHandleA(NULL), NULL);
    HandHotkeyFields(page);
    return page;
}

struct Row {
    HookCall call;
    const char *mode;
    const char *what;
    WPARAM message;
    KBDLLHOOKSTRUCT event;
    UINT32 *assigning;    /* NULL: filtering mode */
    LRESULT expected;     /* 1 swallowed, 0 passed on */
};

int main()
{
    QueryPerformanceFrequency(&Frequency);
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_HOTKEY_CLASS };
    InitCommonControlsEx(&controls);

    static const int fpsIds[] = { IDC_FPS_OVERLAY_KEY, IDC_FPS_LOG_KEY };
    static const int movieIds[] = { IDC_MOVIES_MOVIE_KEY };
    static const int screenshotIds[] = { IDC_SCREENSHOTS_CAPTURE_KEY };
    FpsPage = CreatePage(fpsIds, 2);
    MoviesPage = CreatePage(movieIds, 1);
    ScreenshotsPage = CreatePage(screenshotIds, 1);
    if (!FpsPage || !MoviesPage || !ScreenshotsPage) {
        fprintf(stderr, "cannot create the pages\n");
        return 1;
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);

    const Row rows[] = {
        { CallHook, "filtering", "plain key-down, passed on", WM_KEYDOWN, Key(0x78, 0x43, 0), NULL, 0 },
        { CallHook, "filtering", "Alt+key, no hotkey, passed on", WM_SYSKEYDOWN, Key(0x77, 0x42, LLKHF_ALTDOWN), NULL, 0 },
        { CallHook, "filtering", "Alt+F9 hotkey, swallowed", WM_SYSKEYDOWN, Key(0x78, 0x43, LLKHF_ALTDOWN), NULL, 1 },
        { CallHook, "assignment", "key-down, assigned", WM_SYSKEYDOWN, Key(0x78, 0x43, LLKHF_ALTDOWN), &MovieKeyAssigning, 1 },
        { CallHook, "assignment", "key-up, swallowed", WM_KEYUP, Key(0x78, 0x43, LLKHF_UP), &MovieKeyAssigning, 1 },
        { CallHook, "assignment", "Caps Lock up, passed on", WM_KEYUP, Key(VK_CAPITAL, 0x3A, LLKHF_UP), &MovieKeyAssigning, 0 },
        /* What every passed-on event pays the platform, hook or not. */
        { CallNextHookOnly, "reference", "CallNextHookEx alone", WM_KEYDOWN, Key(0x78, 0x43, 0), NULL, 0 },
    };

    double counter = CounterCost();
    printf("KeyboardHookProc cost per event in ns, %d events per row timed one by one (median, p10, p90;\n"
           "counter tick %.0f ns, counter pair %.0f ns, both included), and the median of %d batch means\n"
           "of %d events each\n",
           EventsPerKind, 1e9 / (double)Frequency.QuadPart, counter, EventsPerKind / DrainEvery, DrainEvery);
    printf("%-11s %-32s %9s %9s %9s %12s\n", "mode", "event", "median", "p10", "p90", "batch median");
    int failures = 0;
    for (const Row &row : rows) {
        SharedSettings.MovieKey = 0x0478;
        SharedSettings.CaptureKey = 121;
        SharedSettings.OverlayKey = 123;
        SharedSettings.LogKey = 122;
        if (row.assigning)
            *row.assigning = 1;
        LRESULT result = -1;
        Figures figures = Measure(row.call, row.message, row.event, &result);
        if (row.assigning)
            *row.assigning = 0;
        printf("%-11s %-32s %9.0f %9.0f %9.0f %12.1f\n", row.mode, row.what, figures.median, figures.p10,
               figures.p90, figures.batchMedian);
        if (result != row.expected) {
            fprintf(stderr, "  unexpected hook result %lld\n", (long long)result);
            failures++;
        }
    }
    DestroyWindow(FpsPage);
    DestroyWindow(MoviesPage);
    DestroyWindow(ScreenshotsPage);
    return failures ? 1 : 0;
}
