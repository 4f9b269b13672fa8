/* The probes' arithmetic and text rules, without any window or library. */
#include "probe/probe.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

TEST(ModuleRelativeOffset, IsTheLow32BitDifferenceWrappingModulo2To32)
{
    struct Case {
        ULONG_PTR entryPoint;
        ULONG_PTR moduleBase;
        UINT32 offset;
    };
    static const Case cases[] = {
        { 0x180001000ull, 0x180000000ull, 0x1000u },
        { 0x7FFE12345678ull, 0x7FFE12340000ull, 0x5678u },
        /* an entry point below the base wraps */
        { 0x10000000ull, 0x10001000ull, 0xFFFFF000u },
        /* high halves are ignored: only the low halves are subtracted */
        { 0x200000010ull, 0x1FFFFFFF0ull, 0x20u },
        { 0x100000000ull, 0x0FFFFFFFFull, 0x1u },
        { 0xABCD00001234ull, 0x000000001000ull, 0x234u },
        { 0x1234ull, 0x1234ull, 0u },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.entryPoint << " - " << c.moduleBase);
        EXPECT_EQ(c.offset, ModuleRelativeOffset(c.entryPoint, c.moduleBase));
    }
}

struct CodeCase {
    const char *name;
    BYTE code[ENTRY_CODE_SIZE];
    UINT32 presentCode;
    UINT32 cursorCode;
};

static const CodeCase CodeCases[] = {
    { "the Present prologue",
      { 0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24 },
      2306, 0 },
    { "the Present prologue with another last byte",
      { 0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x25 },
      0, 0 },
    { "the Present prologue with another first byte",
      { 0x49, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24 },
      0, 0 },
    { "the cursor prologue followed by nops",
      { 0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90 },
      0, 2307 },
    { "the cursor prologue followed by anything",
      { 0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x00, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01 },
      0, 2307 },
    { "the cursor prologue with another fifth byte",
      { 0x8B, 0xFF, 0x55, 0x8B, 0xED, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90 },
      0, 0 },
    { "the cursor prologue with another first byte",
      { 0x8A, 0xFF, 0x55, 0x8B, 0xEC, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90 },
      0, 0 },
    { "zeros, as an unread buffer holds", {}, 0, 0 },
};

TEST(ProbeCodes, MatchOnlyTheirOwnPrologue)
{
    for (const CodeCase &c : CodeCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.presentCode, DevicePresentProbeCode(c.code));
        EXPECT_EQ(c.cursorCode, CursorProbeCode(c.code));
    }
}

TEST(SystemLibraryPath, JoinsFolderAndNameOnlyWhenTheFolderIsKnownAndThePathFits)
{
    char path[256];
    ASSERT_EQ(0, SystemLibraryPath(path, sizeof path, "C:\\windows\\system32", "D3D9.DLL"));
    EXPECT_STREQ("C:\\windows\\system32\\D3D9.DLL", path);

    struct Case {
        const char *name;
        size_t folderLength;
        int result;
    };
    static const Case cases[] = {
        { "empty folder: never the current drive's root", 0, 1 },
        { "fills the buffer exactly", 256 - 1 - 8 - 1, 0 },
        { "one character too long", 256 - 1 - 8, 1 },
        { "folder as long as the buffer", 256, 1 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string folder(c.folderLength, 'f');
        memset(path, '#', sizeof path);
        EXPECT_EQ(c.result, SystemLibraryPath(path, sizeof path, folder.c_str(), "D3D9.DLL"));
        if (c.result == 0)
            EXPECT_EQ(folder + "\\D3D9.DLL", path);
        else
            EXPECT_EQ(std::string(sizeof path, '#'), std::string(path, sizeof path)) << "buffer written";
    }
}

TEST(DisplayDriverKindOf, MatchesTheWholeFileNameIgnoringAsciiCase)
{
    struct Case {
        const char *name;
        UINT32 kind;
    };
    static const Case cases[] = {
        { "nv4_disp.dll", DISPLAY_DRIVER_NVIDIA },
        { "NV4_DISP.DLL", DISPLAY_DRIVER_NVIDIA },
        { "Nv4_Disp.Dll", DISPLAY_DRIVER_NVIDIA },
        { "ati2dvag.dll", DISPLAY_DRIVER_ATI },
        { "ATI2DVAG.DLL", DISPLAY_DRIVER_ATI },
        { "", DISPLAY_DRIVER_OTHER },
        { "nvd3dum.dll", DISPLAY_DRIVER_OTHER },
        { "nv4_disp.dl", DISPLAY_DRIVER_OTHER },
        { "nv4_disp.dll ", DISPLAY_DRIVER_OTHER },
        { "xnv4_disp.dll", DISPLAY_DRIVER_OTHER },
        { "ati2dvag", DISPLAY_DRIVER_OTHER },
        /* only letters fold: setting bit 5 would turn '_' into DEL */
        { "NV4-DISP.DLL", DISPLAY_DRIVER_OTHER },
        { "NV4\x7F" "DISP.DLL", DISPLAY_DRIVER_OTHER },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.name << '"');
        EXPECT_EQ(c.kind, DisplayDriverKindOf(c.name));
    }
}

TEST(DisplayDriverIsOutdated, WarnsBelowEachMakersThresholdOnly)
{
    struct Case {
        const char *name;
        UINT32 kind;
        INT64 version;
        BOOL outdated;
    };
    static const Case cases[] = {
        { "NVIDIA 6.14.1.4350", DISPLAY_DRIVER_NVIDIA, 0x0006000E000110FELL, TRUE },
        { "NVIDIA 6.14.1.4351", DISPLAY_DRIVER_NVIDIA, 0x0006000E000110FFLL, FALSE },
        { "NVIDIA 6.14.10.0", DISPLAY_DRIVER_NVIDIA, 0x0006000E000A0000LL, FALSE },
        { "NVIDIA 0", DISPLAY_DRIVER_NVIDIA, 0, TRUE },
        { "NVIDIA with the sign bit set", DISPLAY_DRIVER_NVIDIA, (INT64)0x8006000E000110FFull, TRUE },
        { "ATI 6.14.10.6342", DISPLAY_DRIVER_ATI, 0x0006000E000A18C6LL, TRUE },
        { "ATI 6.14.10.6343", DISPLAY_DRIVER_ATI, 0x0006000E000A18C7LL, FALSE },
        { "ATI at NVIDIA's threshold", DISPLAY_DRIVER_ATI, 0x0006000E000110FFLL, TRUE },
        { "ATI 0", DISPLAY_DRIVER_ATI, 0, TRUE },
        { "other 0", DISPLAY_DRIVER_OTHER, 0, FALSE },
        { "other, negative", DISPLAY_DRIVER_OTHER, -1, FALSE },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.outdated, DisplayDriverIsOutdated(c.kind, c.version));
    }
}

TEST(FormatDisplayDriverWarning, NamesTheMakersDownloadPage)
{
    struct Case {
        UINT32 kind;
        std::string text;
    };
    const Case cases[] = {
        { DISPLAY_DRIVER_NVIDIA,
          std::string("Your NVIDIA Detonator drivers are out of date!\r\n\r\n"
                      "There may be performance problems capturing video from your games.\r\n\r\n"
                      "You can download the latest Forceware drivers for free from:\r\n\r\n") +
              NvidiaWebAddress },
        { DISPLAY_DRIVER_ATI,
          std::string("Your ATI Catalyst drivers are out of date!\r\n\r\n"
                      "There may be performance problems capturing video from your games.\r\n\r\n"
                      "You can download the latest Catalyst drivers for free from:\r\n\r\n") +
              AtiWebAddress },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        char text[512];
        ASSERT_EQ(0, FormatDisplayDriverWarning(text, sizeof text, c.kind));
        EXPECT_EQ(c.text, text);

        /* One byte short of the text and its terminator: nothing written. */
        char small[512];
        memset(small, '#', sizeof small);
        EXPECT_EQ(1, FormatDisplayDriverWarning(small, c.text.size(), c.kind));
        EXPECT_EQ('#', small[0]);
    }
    EXPECT_STREQ("https://www.nvidia.com/", NvidiaWebAddress);
    EXPECT_STREQ("https://www.amd.com/", AtiWebAddress);

    char text[512] = "untouched";
    EXPECT_EQ(1, FormatDisplayDriverWarning(text, sizeof text, DISPLAY_DRIVER_OTHER));
    EXPECT_STREQ("untouched", text);
}

TEST(FormatDriverVersion, ShowsTheFour16BitPartsHighToLow)
{
    struct Case {
        INT64 version;
        const char *text;
    };
    static const Case cases[] = {
        { 0x0006000E000110FFLL, "6.14.1.4351" },
        { 0x0006000E000A18C7LL, "6.14.10.6343" },
        { 0, "0.0.0.0" },
        { -1, "65535.65535.65535.65535" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        char text[32];
        ASSERT_EQ(0, FormatDriverVersion(text, sizeof text, c.version));
        EXPECT_STREQ(c.text, text);
    }
    char small[11] = "untouched";
    EXPECT_EQ(1, FormatDriverVersion(small, sizeof small, 0x0006000E000110FFLL));
    EXPECT_STREQ("untouched", small);
}
