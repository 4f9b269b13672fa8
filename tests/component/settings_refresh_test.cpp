/* The settings refresh against the real registry. */
#include "app/app.h"
#include "settings/settings.h"

#include "support/registry.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

class SettingsRefresh : public testing::Test {
protected:
    void SetUp() override
    {
        FillFolderPaths();
        ApplySettingDefaults();
    }
    ScopedKeyRestore restore_{ HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY };
};

struct DwordSetting {
    const char *name;
    DWORD *field;
    DWORD startDefault;
};

static const DwordSetting RefreshedDwords[] = {
    { "Running", &SharedSettings.Running, 0 },
    { "Sampling Rate", &SharedSettings.SamplingRate, 1 },
    { "Always On Top", &SharedSettings.AlwaysOnTop, 1 },
    { "Screen Capture", &SharedSettings.ScreenCapture, 0 },
    { "Manual Logging", &SharedSettings.ManualLogging, 0 },
    { "Benchmark Stop", &SharedSettings.BenchmarkStop, 0 },
    { "Benchmark Time", &SharedSettings.BenchmarkTime, 60 },
    { "Detailed Stats", &SharedSettings.DetailedStats, 0 },
    { "Benchmark Option ZENTUSEC", &SharedSettings.BenchmarkOptionZentusec, 0 },
    { "Second Logging", &SharedSettings.SecondLogging, 0 },
    { "Capture Key", &SharedSettings.CaptureKey, 121 },
    { "Log Key", &SharedSettings.LogKey, 122 },
    { "Overlay Key", &SharedSettings.OverlayKey, 123 },
    { "Start Minimised", &SharedSettings.StartMinimised, 0 },
    { "Movie Capture", &SharedSettings.MovieCapture, 0 },
    { "Movie Key", &SharedSettings.MovieKey, 120 },
    { "Manual Build", &SharedSettings.ManualBuild, 0 },
    { "Movie Framerate", &SharedSettings.MovieFramerate, 30 },
    { "Movie Framerate User", &SharedSettings.MovieFramerateUser, 0 },
    { "Movie Half Size", &SharedSettings.MovieHalfSize, 0 },
    { "Force Buffered Writes", &SharedSettings.ForceBufferedWrites, 0 },
    { "No Sync", &SharedSettings.NoSync, 0 },
    { "No Cursor", &SharedSettings.NoCursor, 0 },
    { "Screenshot Repeat", &SharedSettings.ScreenshotRepeat, 0 },
    { "Screenshot Repeat Time", &SharedSettings.ScreenshotRepeatTime, 10 },
    { "Screenshot Format", &SharedSettings.ScreenshotFormat, 0 },
    { "Max File Size", &SharedSettings.MaxFileSize, 0 },
    { "Framerate On Screenshot", &SharedSettings.FramerateOnScreenshot, 0 },
    { "Record Sound", &SharedSettings.RecordSound, 0 },
    { "Sound Input", &SharedSettings.SoundInput, 0 },
};

TEST_F(SettingsRefresh, StartDefaultsAndFoldersBeforeAnyRead)
{
    for (const DwordSetting &setting : RefreshedDwords) {
        SCOPED_TRACE(setting.name);
        EXPECT_EQ(setting.startDefault, *setting.field);
    }
    EXPECT_EQ(0u, SharedSettings.OverlayCorner);
    EXPECT_STREQ(ProgramFolder, SharedSettings.ScreenshotDirectory);
    EXPECT_STREQ(ProgramFolder, SharedSettings.MovieDirectory);
}

TEST_F(SettingsRefresh, MissingKeyIsCreatedEmptyAndNothingChanges)
{
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY));
    SharedSettings.NoSync = 1;              /* a page's change stays */
    RefreshSettings();
    EXPECT_EQ(0, CountValues(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY));
    EXPECT_EQ(0u, SharedSettings.Running);
    EXPECT_EQ(1u, SharedSettings.NoSync);
}

TEST_F(SettingsRefresh, EveryValueIsReadIntoItsOwnField)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Option ZENTUSEC", 1);
    DWORD value = 1000;
    for (const DwordSetting &setting : RefreshedDwords)
        if (strcmp(setting.name, "Benchmark Option ZENTUSEC") != 0)
            SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, setting.name, value++);
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Screenshot Directory", "C:\\Shots");
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Directory", "D:\\Movies");
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Overlay Corner", 3);

    RefreshSettings();

    value = 1000;
    for (const DwordSetting &setting : RefreshedDwords) {
        SCOPED_TRACE(setting.name);
        if (strcmp(setting.name, "Benchmark Option ZENTUSEC") == 0)
            EXPECT_EQ(1u, *setting.field);
        else
            EXPECT_EQ(value++, *setting.field);
    }
    EXPECT_STREQ("C:\\Shots", SharedSettings.ScreenshotDirectory);
    EXPECT_STREQ("D:\\Movies", SharedSettings.MovieDirectory);
    /* "Overlay Corner" belongs to the start-up read alone. */
    EXPECT_EQ(0u, SharedSettings.OverlayCorner);
    ReadOverlayCorner();
    EXPECT_EQ(3u, SharedSettings.OverlayCorner);
}

TEST_F(SettingsRefresh, RunningAloneLeavesEveryOtherFieldAtItsDefault)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Running", 1);
    RefreshSettings();
    for (const DwordSetting &setting : RefreshedDwords) {
        SCOPED_TRACE(setting.name);
        EXPECT_EQ(strcmp(setting.name, "Running") == 0 ? 1u : setting.startDefault, *setting.field);
    }
    EXPECT_STREQ(ProgramFolder, SharedSettings.MovieDirectory);
}

TEST_F(SettingsRefresh, SecondLoggingIsReadOnlyWhileItsGateIsOn)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Second Logging", 7);

    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Option ZENTUSEC", 0);
    RefreshSettings();
    EXPECT_EQ(0u, SharedSettings.SecondLogging);

    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Option ZENTUSEC", 1);
    RefreshSettings();
    EXPECT_EQ(7u, SharedSettings.SecondLogging);

    /* A missing gate value leaves the last decision (on) in force. */
    DeleteValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Option ZENTUSEC");
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Second Logging", 8);
    RefreshSettings();
    EXPECT_EQ(8u, SharedSettings.SecondLogging);

    /* Gate off again: the field keeps its old value whatever the key holds. */
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Option ZENTUSEC", 0);
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Second Logging", 9);
    RefreshSettings();
    EXPECT_EQ(8u, SharedSettings.SecondLogging);
}

TEST_F(SettingsRefresh, DirectoriesTakeAtMost254CharactersAndNeverTheirLastByte)
{
    struct DirectoryCase {
        const char *name;
        char *field;
    };
    const DirectoryCase directories[] = {
        { "Screenshot Directory", SharedSettings.ScreenshotDirectory },
        { "Movie Directory", SharedSettings.MovieDirectory },
    };
    for (const DirectoryCase &directory : directories) {
        SCOPED_TRACE(directory.name);
        std::string longest = "C:\\" + std::string(251, 'd');        /* 254 characters */
        SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, directory.name, longest);
        directory.field[255] = '\0';
        RefreshSettings();
        EXPECT_EQ(longest, directory.field);

        /* One character more does not fit: the buffer stays byte for byte. */
        char before[DIRECTORY_BUFFER_SIZE];
        memcpy(before, directory.field, sizeof before);
        SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, directory.name, "E:\\" + std::string(252, 'e'));
        RefreshSettings();
        EXPECT_EQ(0, memcmp(before, directory.field, sizeof before));

        /* A raw 255-byte value without terminator fits and is taken; the last
         * byte of the buffer is never written, so the text stays terminated. */
        std::string raw(255, 'r');
        SetRawValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, directory.name, REG_BINARY, raw.data(), 255);
        RefreshSettings();
        EXPECT_EQ(raw, std::string(directory.field));
        EXPECT_EQ('\0', directory.field[255]);

        /* A shorter path stored without its zero ends at its own length:
         * nothing of the old path is left behind it. */
        SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, directory.name, "C:\\Program Files\\Zentu");
        RefreshSettings();
        SetRawValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, directory.name, REG_SZ, "D:\\Vid", 6);
        RefreshSettings();
        EXPECT_STREQ("D:\\Vid", directory.field);
    }
}

TEST_F(SettingsRefresh, ValuesOfAnotherTypeAreTakenByteForByteWhenTheyFit)
{
    SharedSettings.BenchmarkTime = 0x11223344;
    const BYTE twoBytes[] = { 0xAA, 0xBB };
    SetRawValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Time", REG_BINARY, twoBytes, sizeof twoBytes);
    RefreshSettings();
    EXPECT_EQ(0x1122BBAAu, SharedSettings.BenchmarkTime);

    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Detailed Stats", "ab");   /* 3 bytes */
    SharedSettings.DetailedStats = 0xFFFFFFFF;
    RefreshSettings();
    EXPECT_EQ(0xFF006261u, SharedSettings.DetailedStats);

    /* Too long for 4 bytes: the field stays exactly as it was. */
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "No Sync", "1234567");
    SharedSettings.NoSync = 0x5A5A5A5A;
    RefreshSettings();
    EXPECT_EQ(0x5A5A5A5Au, SharedSettings.NoSync);

    const DWORD number = 0x00636261;   /* "abc" */
    SetRawValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Directory", REG_DWORD, &number, sizeof number);
    RefreshSettings();
    EXPECT_STREQ("abc", SharedSettings.MovieDirectory);
}
