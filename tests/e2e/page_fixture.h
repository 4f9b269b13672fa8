/* A running companion with its four pages found, for the page tests. */
#pragma once

#include "e2e.h"

#include <string.h>

inline const char *const PageTitles[] = { "ZENTU64 general", "ZENTU64 fps", "ZENTU64 movies", "ZENTU64 screenshots" };
enum { GENERAL, FPS, MOVIES, SCREENSHOTS };

inline const char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const char PlacementKey[] = "SOFTWARE\\Zentu2";

/* Every top-level window of the process with this title, shown or not. */
struct TitleSearch {
    DWORD pid;
    const char *title;
    HWND found;
};

inline BOOL CALLBACK FindTitled(HWND window, LPARAM lParam)
{
    TitleSearch *search = (TitleSearch *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && WindowText(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

inline HWND FindPage(DWORD pid, const char *title)
{
    TitleSearch search{ pid, title, NULL };
    EnumWindows(FindTitled, (LPARAM)&search);
    return search.found;
}

class Pages : public CompanionTest {
protected:
    /* Settings a test wants in the key before the companion starts. */
    virtual void BeforeStart() {}
    /* The folder the companion starts in; its own folder when empty. */
    virtual std::string CurrentFolder() const { return ""; }

    void SetUp() override
    {
        BeforeStart();
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath(), "", CurrentFolder()));
        auto calls = folder_.WaitForCalls([](const std::vector<LibraryCall> &c) {
            int hooked = FirstCallWithHooks(c);
            return hooked >= 0 && c.size() >= (size_t)hooked + 2;
        }, 20000);
        ASSERT_GE(FirstCallWithHooks(calls), 0);
        for (int i = 0; i < 4; i++) {
            page_[i] = FindPage(companion_.Pid(), PageTitles[i]);
            ASSERT_TRUE(page_[i]) << PageTitles[i];
        }
    }

    void TearDown() override
    {
        if (companion_.Running()) {
            SetRunning(0);
            companion_.WaitExit(10000);
        }
    }

    bool Visible(int index) const { return IsWindowVisible(page_[index]) != FALSE; }

    std::vector<int> VisiblePages() const
    {
        std::vector<int> visible;
        for (int i = 0; i < 4; i++)
            if (Visible(i))
                visible.push_back(i);
        return visible;
    }

    /* Waits until exactly these pages are visible. */
    bool WaitForVisible(const std::vector<int> &expected, DWORD timeoutMs = 5000) const
    {
        return WaitUntil([&] { return VisiblePages() == expected; }, timeoutMs);
    }

    void Notify(LPARAM mouseMessage) { PostMessageA(page_[GENERAL], WM_USER + 1, 0, mouseMessage); }

    void ShowCurrentPage()
    {
        Notify(WM_LBUTTONDBLCLK);
    }

    /* A left click at a point of the 400 x 300 design space. */
    void ClickDesignPoint(int index, int designX, int designY)
    {
        RECT rect;
        GetWindowRect(page_[index], &rect);
        int width = rect.right - rect.left, height = rect.bottom - rect.top;
        /* The smallest client point that maps onto the design point. */
        int x = (designX * width + 399) / 400;
        int y = (designY * height + 299) / 300;
        PostMessageA(page_[index], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(page_[index], WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    void Click(int index, int controlId)
    {
        SendMessageTimeoutA(GetDlgItem(page_[index], controlId), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
    }

    size_t SetupCount() const { return folder_.SetupCalls().size(); }

    /* Waits for the calls after the first `seen` to settle (no new one for
     * 300 ms) and returns all calls. */
    std::vector<LibraryCall> CallsAfterSettling(size_t seen, DWORD timeoutMs = 5000) const
    {
        std::vector<LibraryCall> calls;
        size_t last = 0;
        ULONGLONG stableSince = GetTickCount64();
        WaitUntil([&] {
            calls = folder_.Calls();
            if (calls.size() != last) {
                last = calls.size();
                stableSince = GetTickCount64();
            }
            return calls.size() > seen && GetTickCount64() - stableSince >= 300;
        }, timeoutMs);
        return calls;
    }

    /* The last ZentuSetup in a record. */
    static const LibraryCall *LastSetup(const std::vector<LibraryCall> &calls)
    {
        for (size_t i = calls.size(); i-- > 0;)
            if (calls[i].name == "ZentuSetup")
                return &calls[i];
        return NULL;
    }

    HWND Control(int index, int id) const { return GetDlgItem(page_[index], id); }

    int CheckState(int index, int id) const
    {
        return (int)SendMessageA(Control(index, id), BM_GETCHECK, 0, 0);
    }

    /* Types characters into an edit control as key presses would. */
    void Type(int index, int id, const char *text)
    {
        for (const char *c = text; *c; c++)
            SendMessageTimeoutA(Control(index, id), WM_CHAR, (WPARAM)(unsigned char)*c, 1, SMTO_ABORTIFHUNG, 5000,
                                NULL);
    }

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
    HWND page_[4] = {};
};

