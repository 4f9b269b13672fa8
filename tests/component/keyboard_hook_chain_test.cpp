/* What the keyboard hook hands the next hook in the chain: the call is recorded instead of made. */
#include "hotkeys/hotkeys.h"
#include "support/imports.h"

#include <gtest/gtest.h>

#include <vector>

static std::vector<int> CodesPassedOn;

static LRESULT WINAPI RecordCallNextHook(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    (void)hook;
    (void)wParam;
    (void)lParam;
    CodesPassedOn.push_back(code);
    return 0;
}

class KeyboardHookChain : public testing::Test {
protected:
    void SetUp() override
    {
        CodesPassedOn.clear();
        system_ = ReplaceImport("CallNextHookEx", reinterpret_cast<void *>(RecordCallNextHook));
        ASSERT_TRUE(system_);
    }
    void TearDown() override
    {
        ReplaceImport("CallNextHookEx", system_);
    }

    void *system_ = NULL;
};

TEST_F(KeyboardHookChain, ACallWithoutAnEventGoesOnWithItsOwnCode)
{
    KBDLLHOOKSTRUCT event = { VK_F5, 0x3F, 0, 0, 0 };
    KeyboardHookProc(HC_NOREMOVE, WM_KEYDOWN, (LPARAM)&event);
    EXPECT_EQ(std::vector<int>({ HC_NOREMOVE }), CodesPassedOn);
}

TEST_F(KeyboardHookChain, AKeyPassedOnGoesOnAsAnAction)
{
    KBDLLHOOKSTRUCT event = { VK_F5, 0x3F, 0, 0, 0 };
    KeyboardHookProc(HC_ACTION, WM_KEYDOWN, (LPARAM)&event);
    EXPECT_EQ(std::vector<int>({ HC_ACTION }), CodesPassedOn);
}
