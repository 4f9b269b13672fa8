/*
 * Page churn: 20 000 page switches with a full repaint each (background and
 * every owner-drawn button), in-process with the real page set. Reports the
 * process's private memory before, during and after, and whether the pages
 * still paint their bitmaps at the end: a DC or bitmap leaked per paint
 * would exhaust the GDI handle table long before 20 000 rounds.
 */
#include "base/base.h"
#include "pages/pages.h"
#include "resources/resource.h"
#include "settings/settings.h"

#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

/* The process's private committed memory in bytes. Wine leaves
 * PrivateUsage at 0 and reports the same figure as PagefileUsage. */
static SIZE_T PrivateBytes(void)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS *)&counters, sizeof counters);
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

static void Pump(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

/* The colour in the middle of a page's help button, as painted. */
static COLORREF HelpButtonColour(HWND page, int helpId)
{
    RECT rect;
    GetWindowRect(GetDlgItem(page, helpId), &rect);
    HDC screen = GetDC(NULL);
    COLORREF colour = GetPixel(screen, (rect.left + rect.right) / 2 - 20, (rect.top + rect.bottom) / 2);
    ReleaseDC(NULL, screen);
    return colour;
}

int main(int argc, char **argv)
{
    ProgramInstance = GetModuleHandleA(NULL);
    FillFolderPaths();
    ApplySettingDefaults();
    CreatePageSet();
    HWND pages[] = { GeneralPage, FpsPage, MoviesPage, ScreenshotsPage };
    const int helpIds[] = { IDC_GENERAL_HELP, IDC_FPS_HELP, IDC_MOVIES_HELP, IDC_SCREENSHOTS_HELP };
    ShowWindow(GeneralPage, SW_SHOW);
    RedrawWindow(GeneralPage, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    COLORREF before = HelpButtonColour(GeneralPage, IDC_GENERAL_HELP);
    SIZE_T start = PrivateBytes();
    printf("private memory at start: %zu KiB\n", start / 1024);

    const int rounds = argc > 1 ? atoi(argv[1]) : 20000;
    ULONGLONG startTime = GetTickCount64();
    HWND current = GeneralPage;
    for (int round = 1; round <= rounds; round++) {
        HWND next = pages[round % 4];
        SwitchPage(current, next);
        RedrawWindow(next, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        current = next;
        if (round % (rounds / 20 ? rounds / 20 : 1) == 0)
            printf("after %5d switches: %zu KiB (%.1f ms a switch)\n", round, PrivateBytes() / 1024,
                   (double)(GetTickCount64() - startTime) / round);
    }
    SIZE_T end = PrivateBytes();
    printf("private memory growth: %ld KiB over %d switches\n", (long)((LONGLONG)end - (LONGLONG)start) / 1024,
           rounds);

    int painted = 0;
    for (int i = 0; i < 4; i++) {
        if (pages[i] != current)
            SwitchPage(current, pages[i]);
        current = pages[i];
        RedrawWindow(current, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        Sleep(100);
        Pump();
        COLORREF colour = HelpButtonColour(current, helpIds[i]);
        printf("page %d help button colour %06lx (general page before: %06lx)\n", i, colour, before);
        painted += colour == before;
    }
    printf("pages still painting their help bitmap: %d of 4\n", painted);

    /* The meter itself: 8 MiB touched must show. */
    SIZE_T beforeProbe = PrivateBytes();
    char *block = (char *)VirtualAlloc(NULL, 8 << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    for (size_t i = 0; block && i < (8u << 20); i += 4096)
        block[i] = 1;
    printf("meter check: 8 MiB touched reads as %ld KiB more\n",
           (long)((LONGLONG)PrivateBytes() - (LONGLONG)beforeProbe) / 1024);
    DestroyPageSet();
    return painted == 4 ? 0 : 1;
}
