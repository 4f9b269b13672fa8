/*
 * The keyboard hook inside a real WH_KEYBOARD_LL chain of this thread, fed
 * with real input from SendInput. Two hooks of the test surround it:
 *
 *   system -> FrontProc (handle in KeyboardHook) -> KeyboardHookProc
 *          -> CallNextHookEx -> RecorderProc
 *
 * FrontProc notes what the system handed over and can replace the hook code
 * (the system itself only ever sends HC_ACTION to a low-level hook). The
 * recorder, installed first and so called last, notes what was passed on and
 * swallows it, so that no test key reaches the desktop; only the Alt key is
 * let through, because the system makes the next key a system key only when
 * it saw Alt go down.
 */
#include "keyboard_hook_pages.h"

#include "hotkeys/hotkeys.h"
#include "pages/pages.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <vector>

struct SeenEvent {
    int code;
    WPARAM message;
    LPARAM lParam;
    KBDLLHOOKSTRUCT event;
};

/* Marks the test's own input, so that nothing else on the desktop counts. */
static const ULONG_PTR TestInputTag = 0x5A4B4859;

static std::vector<SeenEvent> FrontSeen;
static std::vector<SeenEvent> RecorderSeen;
static bool FrontReplacesCode;
static int FrontCode;
static HHOOK RecorderHook;

static bool IsTestInput(LPARAM lParam)
{
    return lParam && ((const KBDLLHOOKSTRUCT *)lParam)->dwExtraInfo == TestInputTag;
}

static bool IsAltKey(DWORD vkCode)
{
    return vkCode == VK_MENU || vkCode == VK_LMENU || vkCode == VK_RMENU;
}

static LRESULT CALLBACK RecorderProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (!IsTestInput(lParam))
        return CallNextHookEx(RecorderHook, code, wParam, lParam);
    const KBDLLHOOKSTRUCT *event = (const KBDLLHOOKSTRUCT *)lParam;
    RecorderSeen.push_back({ code, wParam, lParam, *event });
    if (code == HC_ACTION && IsAltKey(event->vkCode))
        return CallNextHookEx(RecorderHook, code, wParam, lParam);
    return 1;
}

static LRESULT CALLBACK FrontProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (!IsTestInput(lParam))
        return CallNextHookEx(KeyboardHook, code, wParam, lParam);
    FrontSeen.push_back({ code, wParam, lParam, *(const KBDLLHOOKSTRUCT *)lParam });
    return KeyboardHookProc(FrontReplacesCode ? FrontCode : code, wParam, lParam);
}

class KeyboardHookChain : public HotkeyPages {
protected:
    void SetUp() override
    {
        HotkeyPages::SetUp();
        FrontSeen.clear();
        RecorderSeen.clear();
        FrontReplacesCode = false;
        savedHook_ = KeyboardHook;
        RecorderHook = SetWindowsHookExA(WH_KEYBOARD_LL, RecorderProc, GetModuleHandleA(NULL), 0);
        ASSERT_TRUE(RecorderHook != NULL);
        KeyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, FrontProc, GetModuleHandleA(NULL), 0);
        ASSERT_TRUE(KeyboardHook != NULL);
    }
    void TearDown() override
    {
        if (altDown_)
            Send(VK_MENU, 0x38, KEYEVENTF_KEYUP);
        if (KeyboardHook)
            UnhookWindowsHookEx(KeyboardHook);
        if (RecorderHook)
            UnhookWindowsHookEx(RecorderHook);
        KeyboardHook = savedHook_;
        RecorderHook = NULL;
        HotkeyPages::TearDown();
    }

    /* Sends one key event and waits until the front hook has seen it (the
     * system calls this thread's hooks from inside its message pump). */
    void Send(WORD vk, WORD scan, DWORD flags)
    {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = scan;
        input.ki.dwFlags = flags;
        input.ki.dwExtraInfo = TestInputTag;
        size_t seen = FrontSeen.size();
        ASSERT_EQ(1u, SendInput(1, &input, sizeof input));
        if (IsAltKey(vk))
            altDown_ = !(flags & KEYEVENTF_KEYUP);
        ASSERT_TRUE(PumpUntil([&] { return FrontSeen.size() > seen; }, 5000))
            << "the hook chain never saw virtual key " << vk;
    }
    void Press(WORD vk, WORD scan)
    {
        Send(vk, scan, 0);
        Send(vk, scan, KEYEVENTF_KEYUP);
    }

    template <typename Condition> static bool PumpUntil(Condition done, DWORD timeoutMs)
    {
        ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            MSG msg;
            /* Sent messages only: the hook calls arrive that way, and the
             * EM_SETSEL the hook posts must stay in the queue. */
            PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            if (done())
                return true;
            ULONGLONG now = GetTickCount64();
            if (now >= deadline)
                return false;
            MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(deadline - now), QS_SENDMESSAGE);
        }
    }

    /* (message, virtual key) of everything that reached the recorder. */
    static std::vector<std::pair<WPARAM, DWORD>> RecordedEvents()
    {
        std::vector<std::pair<WPARAM, DWORD>> events;
        for (const SeenEvent &seen : RecorderSeen)
            events.push_back({ seen.message, seen.event.vkCode });
        return events;
    }

private:
    HHOOK savedHook_ = NULL;
    bool altDown_ = false;
};

TEST_F(KeyboardHookChain, PassedOnEventsReachTheNextHookAsTheyCame)
{
    /* Movie Key F9 without Alt: a plain F9 is the game's. */
    Press(0x78, 0x43);
    ASSERT_EQ(2u, FrontSeen.size());
    ASSERT_EQ(2u, RecorderSeen.size());
    for (size_t i = 0; i < 2; i++) {
        SCOPED_TRACE(i == 0 ? "key-down" : "key-up");
        const SeenEvent &sent = FrontSeen[i];
        const SeenEvent &passed = RecorderSeen[i];
        EXPECT_EQ(HC_ACTION, sent.code);
        EXPECT_EQ(HC_ACTION, passed.code);
        EXPECT_EQ(sent.message, passed.message);
        EXPECT_EQ(sent.lParam, passed.lParam);
        EXPECT_EQ(0x78u, passed.event.vkCode);
        EXPECT_EQ(0x43u, passed.event.scanCode);
        EXPECT_EQ(sent.event.flags, passed.event.flags);
    }
    EXPECT_EQ((WPARAM)WM_KEYDOWN, RecorderSeen[0].message);
    EXPECT_EQ((WPARAM)WM_KEYUP, RecorderSeen[1].message);
    EXPECT_EQ(120u, SharedSettings.MovieKey);
}

TEST_F(KeyboardHookChain, AltHotkeyIsSwallowedWhileThePlainKeyPasses)
{
    SharedSettings.MovieKey = 0x0478;  /* Alt+F9 */
    Send(VK_MENU, 0x38, 0);
    Press(0x78, 0x43);
    Send(VK_MENU, 0x38, KEYEVENTF_KEYUP);
    Press(0x78, 0x43);

    /* The hook saw Alt+F9 as system keys ... */
    ASSERT_EQ(6u, FrontSeen.size());
    EXPECT_EQ((WPARAM)WM_SYSKEYDOWN, FrontSeen[1].message);
    EXPECT_EQ((WPARAM)WM_SYSKEYUP, FrontSeen[2].message);
    /* ... and kept them; the Alt key and the plain F9 went on. */
    std::vector<std::pair<WPARAM, DWORD>> expected = {
        { FrontSeen[0].message, FrontSeen[0].event.vkCode },
        { FrontSeen[3].message, FrontSeen[3].event.vkCode },
        { WM_KEYDOWN, 0x78 },
        { WM_KEYUP, 0x78 },
    };
    EXPECT_EQ(expected, RecordedEvents());
    EXPECT_EQ(0x0478u, SharedSettings.MovieKey);
}

TEST_F(KeyboardHookChain, AssigningKeepsTheKeyFromTheChainButLetsLockKeysThrough)
{
    StartAssigning(MOVIE_FIELD);
    Press(VK_F5, 0x3F);
    EXPECT_EQ(0x003F0074u, SharedSettings.MovieKey);
    EXPECT_EQ("F5", FieldText(MOVIE_FIELD));
    EXPECT_TRUE(RecorderSeen.empty()) << "F5 went past the hook";

    Press(VK_CAPITAL, 0x3A);
    EXPECT_EQ(0x003A0014u, SharedSettings.MovieKey);
    EXPECT_EQ(SystemKeyName(0x003A0000), FieldText(MOVIE_FIELD));
    ASSERT_EQ(2u, RecorderSeen.size()) << "Caps Lock down and up reach the next hook";
    EXPECT_EQ((WPARAM)WM_KEYDOWN, RecorderSeen[0].message);
    EXPECT_EQ((WPARAM)WM_KEYUP, RecorderSeen[1].message);
    EXPECT_EQ((DWORD)VK_CAPITAL, RecorderSeen[1].event.vkCode);
    EXPECT_EQ(HC_ACTION, RecorderSeen[1].code);

    std::vector<std::pair<WPARAM, LPARAM>> selectAll = { { 0, -1 }, { 0, -1 } };
    EXPECT_EQ(selectAll, TakePosted(MOVIE_FIELD)) << "one EM_SETSEL per assigned key";
}

TEST_F(KeyboardHookChain, OtherHookCodesReachTheNextHookWithTheirOwnCode)
{
    static const int codes[] = { -1, 1, 2, HC_NOREMOVE };
    for (int code : codes) {
        SCOPED_TRACE(testing::Message() << "nCode " << code);
        ResetFields();
        FrontSeen.clear();
        RecorderSeen.clear();
        /* Assigning, where HC_ACTION would take and keep F5. */
        StartAssigning(MOVIE_FIELD);
        FrontReplacesCode = true;
        FrontCode = code;
        Send(VK_F5, 0x3F, 0);
        ASSERT_EQ(1u, RecorderSeen.size());
        EXPECT_EQ(code, RecorderSeen[0].code);
        EXPECT_EQ(FrontSeen[0].message, RecorderSeen[0].message);
        EXPECT_EQ(FrontSeen[0].lParam, RecorderSeen[0].lParam);
        EXPECT_EQ((DWORD)VK_F5, RecorderSeen[0].event.vkCode);
        EXPECT_EQ(120u, SharedSettings.MovieKey);
        EXPECT_EQ(FieldMarker, FieldText(MOVIE_FIELD));
        FrontReplacesCode = false;
        MovieKeyAssigning = 0;
        Send(VK_F5, 0x3F, KEYEVENTF_KEYUP);
    }
}
