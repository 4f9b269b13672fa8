/* A running companion with its four pages found, for the page tests. */
#pragma once

#include "support/companion.h"

inline const char *const PageTitles[] = { "ZENTU64 general", "ZENTU64 fps", "ZENTU64 movies", "ZENTU64 screenshots" };
enum { GENERAL, FPS, MOVIES, SCREENSHOTS };

class Pages : public CompanionTest {
protected:
    /* Settings a test wants in the key before the companion starts. */
    virtual void BeforeStart() {}
    void SetUp() override
    {
        BeforeStart();
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath()));
        ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
        for (int i = 0; i < 4; i++) {
            page_[i] = FindProcessWindow(companion_.Pid(), PageTitles[i], true);
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
