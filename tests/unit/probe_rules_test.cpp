/* The probes' arithmetic and text rules, without any window or library. */
#include "probe/probe.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

TEST(ProbeRules, OffsetIsTheDifferenceOfTheLow32BitHalvesWrapping)
{
    const ULONG_PTR cases[][3] = {
        { 0x7FFE12345678ull, 0x7FFE12340000ull, 0x5678u },
        { 0x10000000ull, 0x10001000ull, 0xFFFFF000u },
        { 0x200000010ull, 0x1FFFFFFF0ull, 0x20u },
        { 0xABCD00001234ull, 0x000000001000ull, 0x234u },
    };
    for (const auto &c : cases)
        EXPECT_EQ((UINT32)c[2], ModuleRelativeOffset(c[0], c[1])) << std::hex << c[0] << " - " << c[1];
}

TEST(ProbeRules, ProbeCodesMatchOnlyTheirOwnPrologue)
{
    const struct {
        BYTE code[ENTRY_CODE_SIZE];
        UINT32 present, cursor;
    } cases[] = {
        { { 0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24 }, 2306, 0 },
        { { 0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x25 }, 0, 0 },
        { { 0x49, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24 }, 0, 0 },
        { { 0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x00, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01 }, 0, 2307 },
        { { 0x8B, 0xFF, 0x55, 0x8B, 0xED }, 0, 0 },
        { { 0x8A, 0xFF, 0x55, 0x8B, 0xEC }, 0, 0 },
        { {}, 0, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        EXPECT_EQ(c.present, DevicePresentProbeCode(c.code));
        EXPECT_EQ(c.cursor, CursorProbeCode(c.code));
    }
}

TEST(ProbeRules, SystemLibraryPathOnlyInAKnownFolderAndWhenItFits)
{
    const struct {
        size_t folderLength;
        int result;
    } cases[] = { { 0, 1 }, { 256 - 1 - 8 - 1, 0 }, { 256 - 1 - 8, 1 }, { 256, 1 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folderLength);
        std::string folder(c.folderLength, 'f');
        char path[256];
        memset(path, '#', sizeof path);
        EXPECT_EQ(c.result, SystemLibraryPath(path, sizeof path, folder.c_str(), "D3D9.DLL"));
        EXPECT_EQ(c.result == 0 ? folder + "\\D3D9.DLL" : std::string(sizeof path, '#'),
                  std::string(path, c.result == 0 ? strlen(path) : sizeof path));
    }
}

TEST(ProbeRules, DriverKindIsTheWholeFileNameIgnoringAsciiCase)
{
    const struct {
        const char *name;
        UINT32 kind;
    } cases[] = {
        { "nv4_disp.dll", DISPLAY_DRIVER_NVIDIA }, { "Nv4_Disp.DLL", DISPLAY_DRIVER_NVIDIA },
        { "ati2dvag.dll", DISPLAY_DRIVER_ATI },    { "ATI2DVAG.DLL", DISPLAY_DRIVER_ATI },
        { "", DISPLAY_DRIVER_OTHER },              { "nv4_disp.dl", DISPLAY_DRIVER_OTHER },
        { "xnv4_disp.dll", DISPLAY_DRIVER_OTHER }, { "nv4_disp.dll ", DISPLAY_DRIVER_OTHER },
        /* only letters fold: '-' and DEL are not '_' */
        { "NV4-DISP.DLL", DISPLAY_DRIVER_OTHER },  { "NV4\x7F" "DISP.DLL", DISPLAY_DRIVER_OTHER },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.kind, DisplayDriverKindOf(c.name)) << '"' << c.name << '"';
}

TEST(ProbeRules, OutdatedBelowEachMakersOwnThresholdOnly)
{
    const struct {
        UINT32 kind;
        INT64 version;
        BOOL outdated;
    } cases[] = {
        { DISPLAY_DRIVER_NVIDIA, 0x0006000E000110FELL, TRUE }, { DISPLAY_DRIVER_NVIDIA, 0x0006000E000110FFLL, FALSE },
        { DISPLAY_DRIVER_NVIDIA, (INT64)0x8006000E000110FFull, TRUE },
        { DISPLAY_DRIVER_ATI, 0x0006000E000A18C6LL, TRUE },    { DISPLAY_DRIVER_ATI, 0x0006000E000A18C7LL, FALSE },
        { DISPLAY_DRIVER_ATI, 0x0006000E000110FFLL, TRUE },    { DISPLAY_DRIVER_OTHER, -1, FALSE },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.outdated, DisplayDriverIsOutdated(c.kind, c.version)) << c.kind << " " << std::hex << c.version;
}

TEST(ProbeRules, DriverVersionShowsTheFour16BitPartsHighToLow)
{
    char text[32];
    ASSERT_EQ(0, FormatDriverVersion(text, sizeof text, 0x0006000E000A18C7LL));
    EXPECT_STREQ("6.14.10.6343", text);
    ASSERT_EQ(0, FormatDriverVersion(text, sizeof text, -1));
    EXPECT_STREQ("65535.65535.65535.65535", text);
    char small[12] = "untouched";
    EXPECT_EQ(1, FormatDriverVersion(small, sizeof small, 0x0006000E000A18C7LL));
    EXPECT_STREQ("untouched", small);
}
