#include "keyboard_hook_pages.h"

#include "pages/pages.h"
#include "settings/settings.h"

#include <commctrl.h>

const char FieldMarker[] = "(untouched)";

const FieldRole FieldRoles[4] = {
    { "Movie Key",   &MovieKeyAssigning,   &SharedSettings.MovieKey,   &MoviesPage,      IDC_MOVIES_MOVIE_KEY },
    { "Capture Key", &CaptureKeyAssigning, &SharedSettings.CaptureKey, &ScreenshotsPage, IDC_SCREENSHOTS_CAPTURE_KEY },
    { "Overlay Key", &OverlayKeyAssigning, &SharedSettings.OverlayKey, &FpsPage,         IDC_FPS_OVERLAY_KEY },
    { "Log Key",     &LogKeyAssigning,     &SharedSettings.LogKey,     &FpsPage,         IDC_FPS_LOG_KEY },
};

static const HotkeyCode DefaultHotkeys[4] = { 120, 121, 123, 122 };

HWND HotkeyPages::CreatePage(const char *title, const int *ids, int count)
{
    HWND page = CreateWindowExA(0, "STATIC", title, WS_POPUP, 0, 0, 400, 300, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    EXPECT_TRUE(page != NULL) << title;
    for (int i = 0; i < count && page; i++) {
        HWND field = CreateWindowExA(0, HOTKEY_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10,
                                     10 + 30 * i, 120, 24, page, (HMENU)(INT_PTR)ids[i],
                                     GetModuleHandleA(NULL), NULL);
        EXPECT_TRUE(field != NULL) << title << " field " << ids[i];
    }
    return page;
}

void HotkeyPages::SetUp()
{
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_HOTKEY_CLASS };
    ASSERT_TRUE(InitCommonControlsEx(&controls));

    for (int i = 0; i < 4; i++) {
        savedHotkeys_[i] = *FieldRoles[i].hotkey;
        savedFlags_[i] = *FieldRoles[i].assigning;
    }
    savedPages_[0] = FpsPage;
    savedPages_[1] = MoviesPage;
    savedPages_[2] = ScreenshotsPage;

    static const int fpsIds[] = { IDC_FPS_OVERLAY_KEY, IDC_FPS_LOG_KEY };
    static const int movieIds[] = { IDC_MOVIES_MOVIE_KEY };
    static const int screenshotIds[] = { IDC_SCREENSHOTS_CAPTURE_KEY };
    fps_ = FpsPage = CreatePage("hook test fps", fpsIds, 2);
    movies_ = MoviesPage = CreatePage("hook test movies", movieIds, 1);
    screenshots_ = ScreenshotsPage = CreatePage("hook test screenshots", screenshotIds, 1);
    ASSERT_TRUE(fps_ && movies_ && screenshots_);
    ResetFields();
    TakeThreadMessages();
}

void HotkeyPages::TearDown()
{
    if (fps_)
        DestroyWindow(fps_);
    if (movies_)
        DestroyWindow(movies_);
    if (screenshots_)
        DestroyWindow(screenshots_);
    for (int i = 0; i < 4; i++) {
        *FieldRoles[i].hotkey = savedHotkeys_[i];
        *FieldRoles[i].assigning = savedFlags_[i];
    }
    FpsPage = savedPages_[0];
    MoviesPage = savedPages_[1];
    ScreenshotsPage = savedPages_[2];
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    }
}

void HotkeyPages::ResetFields()
{
    for (int i = 0; i < 4; i++) {
        *FieldRoles[i].hotkey = DefaultHotkeys[i];
        *FieldRoles[i].assigning = 0;
        HWND field = Field(i);
        ASSERT_TRUE(field != NULL) << FieldRoles[i].name;
        ASSERT_TRUE(SetWindowTextA(field, FieldMarker));
        TakePosted(i);
    }
}

HWND HotkeyPages::Field(int role) const
{
    return GetDlgItem(*FieldRoles[role].page, FieldRoles[role].controlId);
}

void HotkeyPages::StartAssigning(int role, UINT32 flag)
{
    SetFocus(Field(role));
    ASSERT_EQ(Field(role), GetFocus());
    *FieldRoles[role].assigning = flag;
}

std::string HotkeyPages::FieldText(int role) const
{
    char text[256] = "";
    GetWindowTextA(Field(role), text, sizeof text);
    return text;
}

std::vector<std::pair<WPARAM, LPARAM>> HotkeyPages::TakePosted(int role) const
{
    std::vector<std::pair<WPARAM, LPARAM>> posted;
    HWND field = Field(role);
    MSG msg;
    while (field && PeekMessageA(&msg, field, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        if (msg.message == EM_SETSEL)
            posted.push_back({ msg.wParam, msg.lParam });
        else if (msg.message != WM_PAINT && msg.message != WM_TIMER)
            posted.push_back({ (WPARAM)msg.message, -2 });
    }
    return posted;
}

int HotkeyPages::TakeThreadMessages() const
{
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, (HWND)-1, 0, 0, PM_REMOVE))
        count++;
    return count;
}

KBDLLHOOKSTRUCT KeyEvent(DWORD vkCode, DWORD scanCode, DWORD flags)
{
    KBDLLHOOKSTRUCT event = {};
    event.vkCode = vkCode;
    event.scanCode = scanCode;
    event.flags = flags;
    event.time = GetTickCount();
    return event;
}

std::string SystemKeyName(LONG argument)
{
    char name[64] = "";
    if (GetKeyNameTextA(argument, name, 56) <= 0)
        return "";
    return name;
}
