/*
 * CheckDisplayDriver in-process: the kind handed to the library and the
 * warning box, read and answered from a second thread while the check waits
 * for it on this one.
 */
#include "probe_support.h"

#include "support/windows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdio.h>
#include <string>
#include <thread>

struct BoxSeen {
    bool shown;
    MessageBoxContent content;
};

static BoxSeen CheckDisplayDriverAnsweringItsBox(void)
{
    BoxSeen seen{};
    std::atomic<bool> checked{ false };
    std::thread watcher([&] {
        HWND box = NULL;
        while (!checked && !(box = FindProcessWindow(GetCurrentProcessId(), "ZENTU warning")))
            Sleep(10);
        if (!box)
            return;
        seen.shown = true;
        seen.content = ReadMessageBox(box);
        EXPECT_TRUE(PressMessageBoxButton(box, "OK"));
    });
    CheckDisplayDriver();
    checked = true;
    watcher.join();
    return seen;
}

static const std::string NvidiaWarning =
    std::string("Your NVIDIA Detonator drivers are out of date!\r\n\r\n"
                "There may be performance problems capturing video from your games.\r\n\r\n"
                "You can download the latest Forceware drivers for free from:\r\n\r\n") +
    "https://www.nvidia.com/";
static const std::string AtiWarning =
    std::string("Your ATI Catalyst drivers are out of date!\r\n\r\n"
                "There may be performance problems capturing video from your games.\r\n\r\n"
                "You can download the latest Catalyst drivers for free from:\r\n\r\n") +
    "https://www.amd.com/";

struct DriverCase {
    const char *name;
    INT64 version;
    UINT32 kind;
    const std::string *warning; /* NULL: no box */
};

TEST(DisplayDriverCheck, SetsTheKindAndWarnsOnceAboutAnOutdatedNvidiaOrAtiDriver)
{
    const DriverCase cases[] = {
        { "nv4_disp.dll", 0x0006000E000110FELL, DISPLAY_DRIVER_NVIDIA, &NvidiaWarning },
        { "NV4_DISP.DLL", 0x0006000E000110FFLL, DISPLAY_DRIVER_NVIDIA, NULL },
        { "Nv4_Disp.Dll", 0x0006000E000A0000LL, DISPLAY_DRIVER_NVIDIA, NULL },
        { "ati2dvag.dll", 0x0006000E000A18C6LL, DISPLAY_DRIVER_ATI, &AtiWarning },
        { "ATI2DVAG.DLL", 0x0006000E000A18C7LL, DISPLAY_DRIVER_ATI, NULL },
        { "ati2dvag.dll", 0, DISPLAY_DRIVER_ATI, &AtiWarning },
        { "", 0, DISPLAY_DRIVER_OTHER, NULL },
        { "nvd3dum.dll", 0, DISPLAY_DRIVER_OTHER, NULL },
    };
    for (const DriverCase &c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.name << "\" " << std::hex << c.version);
        ApiOffsetsFields expected = SentinelApiOffsets();
        ApiOffsets = expected;
        snprintf(AdapterDriverName, sizeof AdapterDriverName, "%s", c.name);
        AdapterDriverVersion = c.version;

        BoxSeen seen = CheckDisplayDriverAnsweringItsBox();

        expected.DisplayDriverKind = c.kind;
        ExpectApiOffsets(expected, ApiOffsets);
        ASSERT_EQ(c.warning != NULL, seen.shown);
        if (!c.warning)
            continue;
        EXPECT_EQ(*c.warning, seen.content.text);
        EXPECT_TRUE(seen.content.hasIcon);
        EXPECT_EQ(std::vector<std::string>{ "OK" }, seen.content.buttons);
        EXPECT_FALSE(seen.content.owned);
    }
}

TEST(DisplayDriverCheck, ClassifyingAloneNeverShowsABox)
{
    struct ClassifyCase {
        const char *name;
        INT64 version;
        UINT32 kind;
        BOOL warn;
    };
    static const ClassifyCase cases[] = {
        { "NV4_DISP.DLL", 0x0006000E000110FELL, DISPLAY_DRIVER_NVIDIA, TRUE },
        { "ati2dvag.dll", 0x0006000E000A18C7LL, DISPLAY_DRIVER_ATI, FALSE },
        { "", 0, DISPLAY_DRIVER_OTHER, FALSE },
    };
    for (const ClassifyCase &c : cases) {
        SCOPED_TRACE(c.name);
        ApiOffsets.DisplayDriverKind = 77;
        snprintf(AdapterDriverName, sizeof AdapterDriverName, "%s", c.name);
        AdapterDriverVersion = c.version;
        /* A box here would block this thread until the test times out. */
        EXPECT_EQ(c.warn, ClassifyDisplayDriver());
        EXPECT_EQ(c.kind, ApiOffsets.DisplayDriverKind);
    }
}
