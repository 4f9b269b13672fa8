/* The page set in-process: real dialogs from the program's templates. */
#include "app/app.h"
#include "pages/page_frame.h"
#include "resources/resource.h"
#include "settings/settings.h"

#include "support/input.h"
#include "support/registry.h"
#include "support/windows.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

static std::string Text(HWND window)
{
    char text[128] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

/* Counts the pixels of a window's client area in a colour. */
static int CountPixels(HWND window, COLORREF colour)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    int count = 0;
    for (int y = 0; y < client.bottom; y++)
        for (int x = 0; x < client.right; x++)
            if (GetPixel(dc, x, y) == colour)
                count++;
    ReleaseDC(window, dc);
    return count;
}

class PageSet : public testing::Test {
protected:
    void SetUp() override
    {
        ProgramInstance = GetModuleHandleA(NULL);
        FillFolderPaths();
        ApplySettingDefaults();
        CreatePageSet();
        ASSERT_TRUE(GeneralPage && FpsPage && MoviesPage && ScreenshotsPage);
        PumpFor(50);
    }
    void TearDown() override
    {
        DestroyPageSet();
        PumpFor(50);
        MSG msg;
        while (PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    ScopedKeyRestore placement_{ HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2" };
};

TEST_F(PageSet, CreationLeavesFourHiddenPagesAndTheCaptureSize)
{
    EXPECT_EQ(GeneralPage, CurrentPage);
    HWND pages[] = { GeneralPage, FpsPage, MoviesPage, ScreenshotsPage };
    for (HWND page : pages) {
        EXPECT_FALSE(IsWindowVisible(page));
        RECT rect;
        GetWindowRect(page, &rect);
        EXPECT_EQ(PageWidth, rect.right - rect.left);
        EXPECT_EQ(PageHeight, rect.bottom - rect.top);
    }
    UINT32 width = (UINT32)GetSystemMetrics(SM_CXSCREEN), height = (UINT32)GetSystemMetrics(SM_CYSCREEN), buffer;
    ComputeCaptureSize(&width, &height, &buffer);
    EXPECT_EQ(width, CaptureWidth);
    EXPECT_EQ(height, CaptureHeight);
    EXPECT_EQ(buffer, CaptureBufferSize);
    EXPECT_EQ(0u, OverlayKeyAssigning + LogKeyAssigning + MovieKeyAssigning + CaptureKeyAssigning);
}

TEST_F(PageSet, HotkeyFieldReportsFocusAndShowsItsTextSelected)
{
    HWND field = GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY);
    HWND other = GetDlgItem(FpsPage, IDC_FPS_LOG_KEY);
    ShowWindow(FpsPage, SW_SHOW);
    SetForegroundWindow(FpsPage);
    PumpFor(300);
    EXPECT_EQ("F12", Text(field));

    SetFocus(field);
    PumpFor(200);
    EXPECT_EQ(1u, OverlayKeyAssigning);
    EXPECT_EQ(0u, LogKeyAssigning);
    /* The posted select-all shows as highlighted text. */
    UpdateWindow(field);
    EXPECT_GT(CountPixels(field, GetSysColor(COLOR_HIGHLIGHT)), 20);

    SetWindowTextA(field, "Alt - F9");
    UpdateWindow(field);
    EXPECT_EQ("Alt - F9", Text(field));

    SetFocus(other);
    PumpFor(200);
    EXPECT_EQ(0u, OverlayKeyAssigning);
    EXPECT_EQ(1u, LogKeyAssigning);
    InvalidateRect(field, NULL, TRUE);
    UpdateWindow(field);
    EXPECT_EQ(0, CountPixels(field, GetSysColor(COLOR_HIGHLIGHT))) << "selection shown without the focus";

    /* A click on the page body takes the focus away and ends the assignment. */
    SendMessageA(FpsPage, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
    PumpFor(200);
    EXPECT_EQ(0u, LogKeyAssigning);
    EXPECT_NE(other, GetFocus());
}

/* Any program can post a page the field's focus notification; only the
 * field that really holds the focus starts an assignment, which would
 * otherwise swallow every key of the desktop. */
TEST_F(PageSet, AFocusCommandFromOutsideStartsNoAssignment)
{
    HWND field = GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY);
    SetFocus(NULL);
    const LPARAM senders[] = { (LPARAM)field, 0, (LPARAM)GetDlgItem(FpsPage, IDC_FPS_LOG_KEY) };
    for (LPARAM sender : senders) {
        SCOPED_TRACE(testing::Message() << "lParam " << sender);
        PostMessageA(FpsPage, WM_COMMAND, MAKEWPARAM(IDC_FPS_OVERLAY_KEY, EN_SETFOCUS), sender);
        PumpFor(100);
        EXPECT_EQ(0u, OverlayKeyAssigning);
    }
}

/* A chosen folder too long for the setting is refused, not cut to another
 * folder: the page says so in a box of its own and the setting stays. */
TEST_F(PageSet, AnOverlongChosenFolderIsRefusedWithABoxOwnedByThePage)
{
    char folder[DIRECTORY_BUFFER_SIZE];
    strcpy(folder, "C:\\Shots");
    MessageBoxContent shown;
    std::thread answer([&] {
        HWND box = NULL;
        for (int tries = 0; tries < 500 && !box; tries++) {
            Sleep(10);
            EnumThreadWindows(GetWindowThreadProcessId(ScreenshotsPage, NULL), [](HWND window, LPARAM found) -> BOOL {
                if (GetWindow(window, GW_OWNER) != ScreenshotsPage)
                    return TRUE;
                *(HWND *)found = window;
                return FALSE;
            }, (LPARAM)&box);
        }
        if (!box)
            return;
        shown = ReadMessageBox(box);
        PressMessageBoxButton(box, "OK");
    });
    std::string chosen = "C:\\" + std::string(253, 'f');    /* 256 characters */
    EXPECT_EQ(0, AcceptChosenFolder(ScreenshotsPage, folder, chosen.c_str()));
    answer.join();
    EXPECT_STREQ("C:\\Shots", folder);
    EXPECT_EQ("The folder path is too long: at most 255 characters.", shown.text);
    EXPECT_TRUE(shown.owned);
}

TEST_F(PageSet, ClearButtonsStoreZeroAndShowNone)
{
    struct ClearCase {
        HWND *page;
        int button, field;
        DWORD *setting;
    };
    const ClearCase cases[] = {
        { &FpsPage, IDC_FPS_OVERLAY_CLEAR, IDC_FPS_OVERLAY_KEY, &SharedSettings.OverlayKey },
        { &FpsPage, IDC_FPS_LOG_CLEAR, IDC_FPS_LOG_KEY, &SharedSettings.LogKey },
        { &MoviesPage, IDC_MOVIES_CLEAR, IDC_MOVIES_MOVIE_KEY, &SharedSettings.MovieKey },
        { &ScreenshotsPage, IDC_SCREENSHOTS_CLEAR, IDC_SCREENSHOTS_CAPTURE_KEY, &SharedSettings.CaptureKey },
    };
    for (const ClearCase &c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_NE(0u, *c.setting);
        SendMessageA(*c.page, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), (LPARAM)GetDlgItem(*c.page, c.button));
        EXPECT_EQ(0u, *c.setting);
        EXPECT_EQ("None", Text(GetDlgItem(*c.page, c.field)));
    }
}

TEST_F(PageSet, MouseMovesPostSelectAllOnlyWhileAssigning)
{
    HWND field = GetDlgItem(FpsPage, IDC_FPS_OVERLAY_KEY);
    MSG msg;
    SendMessageA(FpsPage, WM_SETCURSOR, (WPARAM)FpsPage, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, field, EM_SETSEL, EM_SETSEL, PM_REMOVE));

    OverlayKeyAssigning = 1;
    SendMessageA(FpsPage, WM_SETCURSOR, (WPARAM)FpsPage, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, field, EM_SETSEL, EM_SETSEL, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_EQ(-1, (LONG)msg.lParam);
    /* other mouse messages post nothing */
    SendMessageA(FpsPage, WM_SETCURSOR, (WPARAM)FpsPage, MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN));
    EXPECT_FALSE(PeekMessageA(&msg, field, EM_SETSEL, EM_SETSEL, PM_REMOVE));
    OverlayKeyAssigning = 0;
}

TEST_F(PageSet, PagesPaintTheirSkinAndButtons)
{
    ShowWindow(GeneralPage, SW_SHOW);
    UpdateWindow(GeneralPage);
    PumpFor(300);
    /* The help button's up image is not the body colour under it. */
    HWND help = GetDlgItem(GeneralPage, IDC_GENERAL_HELP);
    RECT helpRect;
    GetWindowRect(help, &helpRect);
    HDC screen = GetDC(NULL);
    COLORREF inside = GetPixel(screen, helpRect.left + 10, helpRect.top + (helpRect.bottom - helpRect.top) / 2);
    COLORREF body = GetPixel(screen, helpRect.left - 30, helpRect.top - 20);
    ReleaseDC(NULL, screen);
    EXPECT_NE(inside, body);
    EXPECT_NE(inside, RGB(0, 0, 0));
}

/* A stored placement puts the pages back only where the user can reach
 * them: the page's own size, and the title band on a monitor's work area. */
TEST(PagePlacement, IsAppliedOnlyWhenThePageCanBeReachedThere)
{
    ScopedKeyRestore placement(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2");
    ProgramInstance = GetModuleHandleA(NULL);
    FillFolderPaths();
    ApplySettingDefaults();
    auto createAndMeasure = [](RECT *rect) {
        CreatePageSet();
        GetWindowRect(GeneralPage, rect);
        DestroyPageSet();
        PumpFor(50);
        MSG msg;
        while (PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    };
    RECT centred;
    createAndMeasure(&centred);
    const LONG width = centred.right - centred.left, height = centred.bottom - centred.top;
    const LONG screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);

    struct PlacementCase {
        const char *name;
        LONG left, top, width, height;
        bool restored;
    };
    const PlacementCase cases[] = {
        { "on screen", 37, 41, width, height, true },
        { "at the bottom, title band still on screen", 37, screenHeight - height / 5, width, height, true },
        { "another size", 37, 41, width + 10, height, false },
        { "on a monitor that is gone", screenWidth + 100, 41, width, height, false },
        { "title band above the screen", 37, -5, width, height, false },
        { "title band below the screen", 37, screenHeight - 2, width, height, false },
    };
    for (const PlacementCase &c : cases) {
        SCOPED_TRACE(c.name);
        WINDOWPLACEMENT stored = {};
        stored.length = sizeof stored;
        stored.showCmd = SW_SHOWNORMAL;
        stored.rcNormalPosition = { c.left, c.top, c.left + c.width, c.top + c.height };
        SetRawValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2", "Window", REG_BINARY, &stored, sizeof stored);
        SetDwordValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2", "WindowX", (DWORD)screenWidth);
        SetDwordValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2", "WindowY", (DWORD)screenHeight);
        SetDwordValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zentu2", "WindowDPI", PageDpi);
        RECT shown;
        createAndMeasure(&shown);
        if (c.restored) {
            EXPECT_EQ(c.left, shown.left);
            EXPECT_EQ(c.top, shown.top);
        } else {
            EXPECT_EQ(centred.left, shown.left);
            EXPECT_EQ(centred.top, shown.top);
        }
    }
}
