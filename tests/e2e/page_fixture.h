/* A running companion with its four pages found, for the page tests. */
#pragma once

#include "e2e.h"

inline const char *const PageTitles[] = { "ZENTU64 general", "ZENTU64 fps", "ZENTU64 movies", "ZENTU64 screenshots" };
enum { GENERAL, FPS, MOVIES, SCREENSHOTS };

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
            page_[i] = FindHiddenOrShownProcessWindow(companion_.Pid(), PageTitles[i]);
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

    std::vector<int> VisiblePages() const
    {
        std::vector<int> visible;
        for (int i = 0; i < 4; i++)
            if (IsWindowVisible(page_[i]))
                visible.push_back(i);
        return visible;
    }

    /* Waits until exactly these pages are visible. */
    bool WaitForVisible(const std::vector<int> &expected, DWORD timeoutMs = 5000) const
    {
        return WaitUntil([&] { return VisiblePages() == expected; }, timeoutMs);
    }

    /* What the main tool's notification icon sends: a mouse message. */
    void Notify(LPARAM mouseMessage) { PostMessageA(page_[GENERAL], WM_USER + 1, 0, mouseMessage); }
    void ShowCurrentPage() { Notify(WM_LBUTTONDBLCLK); }

    /* A left click at a point of the 400 x 300 design space. */
    void ClickDesignPoint(int index, int designX, int designY)
    {
        RECT rect;
        GetWindowRect(page_[index], &rect);
        /* The smallest client point that maps onto the design point. */
        int x = (designX * (rect.right - rect.left) + 399) / 400;
        int y = (designY * (rect.bottom - rect.top) + 299) / 300;
        PostMessageA(page_[index], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(page_[index], WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    void Click(int index, int controlId)
    {
        SendMessageTimeoutA(Control(index, controlId), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
    }

    HWND Control(int index, int id) const { return GetDlgItem(page_[index], id); }

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

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
    HWND page_[4] = {};
};
