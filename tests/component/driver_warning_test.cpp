/* The outdated-driver warning as the companion asks for it: the box is recorded instead of shown. */
#include "probe/probe.h"
#include "support/imports.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

struct BoxRequest {
    int count;
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};
static BoxRequest Requested;

static int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    Requested.count++;
    Requested.owner = owner;
    Requested.text = text ? text : "";
    Requested.caption = caption ? caption : "";
    Requested.style = style;
    return IDOK;
}

class DriverWarning : public testing::Test {
protected:
    void SetUp() override
    {
        Requested = BoxRequest();
        system_ = ReplaceImport("MessageBoxA", reinterpret_cast<void *>(RecordMessageBox));
        ASSERT_TRUE(system_);
    }
    void TearDown() override
    {
        ReplaceImport("MessageBoxA", system_);
        AdapterDriverName[0] = '\0';
        AdapterDriverVersion = 0;
    }
    static void CheckDriver(const char *name, INT64 version)
    {
        snprintf(AdapterDriverName, sizeof AdapterDriverName, "%s", name);
        AdapterDriverVersion = version;
        CheckDisplayDriver();
    }

    void *system_ = NULL;
};

TEST_F(DriverWarning, IsAnErrorBoxOnTopWithoutOwnerCaptionedZentuWarning)
{
    CheckDriver("nv4_disp.dll", 0x0006000E000110FELL);
    ASSERT_EQ(1, Requested.count);
    EXPECT_EQ(NULL, Requested.owner);
    EXPECT_EQ("ZENTU warning", Requested.caption);
    EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONERROR), Requested.style);
}

TEST_F(DriverWarning, AnAtiDriverAtItsThresholdGetsNone)
{
    CheckDriver("ati2dvag.dll", 0x0006000E000A18C7LL);
    EXPECT_EQ(0, Requested.count);
    EXPECT_EQ(static_cast<UINT32>(DISPLAY_DRIVER_ATI), ApiOffsets.DisplayDriverKind);
}

TEST_F(DriverWarning, AnAtiDriverOneBelowItsThresholdGetsOne)
{
    CheckDriver("ati2dvag.dll", 0x0006000E000A18C6LL);
    EXPECT_EQ(1, Requested.count);
    EXPECT_EQ(0u, Requested.text.find("Your ATI Catalyst drivers are out of date!"));
}
