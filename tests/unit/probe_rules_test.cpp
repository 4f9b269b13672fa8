/* The probes' arithmetic and text rules, without any window or library. */
#include "probe/probe.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <utility>

TEST(ProbeRules, PresentNeedsAll16BytesOfItsPrologueTheCursorMethodsTheFirst5)
{
    const BYTE present[ENTRY_CODE_SIZE] = { 0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC,
                                            0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x25 };
    const BYTE cursor[ENTRY_CODE_SIZE] = { 0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x00, 0xFF, 0x12, 0x34 };
    EXPECT_EQ(0u, DevicePresentProbeCode(present));
    EXPECT_EQ(2307u, CursorProbeCode(cursor));
    EXPECT_EQ(0u, DevicePresentProbeCode(cursor));
    EXPECT_EQ(0u, CursorProbeCode(present));
}

TEST(ProbeRules, DriverKindIsTheWholeFileNameIgnoringTheCaseOfAsciiLettersOnly)
{
    const std::pair<const char *, int> cases[] = {
        { "nv4_disp.dll", DISPLAY_DRIVER_NVIDIA },
        { "Nv4_Disp.DLL", DISPLAY_DRIVER_NVIDIA },
        { "ATI2DVAG.DLL", DISPLAY_DRIVER_ATI },
        { "nv4_disp.dl", DISPLAY_DRIVER_OTHER },
        { "xnv4_disp.dll", DISPLAY_DRIVER_OTHER },
        { "NV4\x7F" "DISP.DLL", DISPLAY_DRIVER_OTHER },
    };
    for (const auto &c : cases)
        EXPECT_EQ((UINT32)c.second, DisplayDriverKindOf(c.first)) << c.first;
}

TEST(ProbeRules, OutdatedBelowEachMakersOwnThresholdOnly)
{
    EXPECT_TRUE(DisplayDriverIsOutdated(DISPLAY_DRIVER_NVIDIA, 0x0006000E000110FELL));
    EXPECT_FALSE(DisplayDriverIsOutdated(DISPLAY_DRIVER_NVIDIA, 0x0006000E000110FFLL));
    EXPECT_TRUE(DisplayDriverIsOutdated(DISPLAY_DRIVER_NVIDIA, (INT64)0x8006000E000110FFull));
    EXPECT_TRUE(DisplayDriverIsOutdated(DISPLAY_DRIVER_ATI, 0x0006000E000A18C6LL));
    EXPECT_FALSE(DisplayDriverIsOutdated(DISPLAY_DRIVER_ATI, 0x0006000E000A18C7LL));
    EXPECT_FALSE(DisplayDriverIsOutdated(DISPLAY_DRIVER_OTHER, -1));
}

TEST(ProbeRules, WarningNamesTheMakersDownloadPageAndTextsThatDoNotFitAreRefused)
{
    const std::string common = " drivers are out of date!\r\n\r\n"
                               "There may be performance problems capturing video from your games.\r\n\r\n"
                               "You can download the latest ";
    char text[512];
    ASSERT_EQ(0, FormatDisplayDriverWarning(text, sizeof text, DISPLAY_DRIVER_NVIDIA));
    EXPECT_EQ("Your NVIDIA Detonator" + common + "Forceware drivers for free from:\r\n\r\nhttps://www.nvidia.com/",
              text);
    ASSERT_EQ(0, FormatDisplayDriverWarning(text, sizeof text, DISPLAY_DRIVER_ATI));
    EXPECT_EQ("Your ATI Catalyst" + common + "Catalyst drivers for free from:\r\n\r\nhttps://www.amd.com/", text);
    EXPECT_EQ(1, FormatDisplayDriverWarning(text, strlen(text), DISPLAY_DRIVER_ATI));
    EXPECT_EQ(1, FormatDisplayDriverWarning(text, sizeof text, DISPLAY_DRIVER_OTHER));
    /* The version's parts show high to low in the tool's report; a text that does not fit is refused. */
    EXPECT_EQ(1, FormatDriverVersion(text, 12, 0x0006000E000A18C7LL));
}
