/* Reading the main tool's settings from the real registry. */
#include "base/base.h"
#include "settings/settings.h"
#include "support/registry.h"

#include <gtest/gtest.h>

class SettingsRefresh : public testing::Test {
protected:
    void SetUp() override
    {
        FillFolderPaths();
        ApplySettingDefaults();
    }
    ScopedKeyRestore restore_{ HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY };
};

/* The main tool's numbers as it documents them: name, field, start default. Where the library finds
 * each field is checked with the pages (PageSet). */
static SharedSettingsFields &S = SharedSettings;
static const struct { const char *name; DWORD *field, start; } Numbers[] = {
    { "Running", &S.Running, 0 },
    { "Always On Top", &S.AlwaysOnTop, 1 },
    { "Screen Capture", &S.ScreenCapture, 0 },
    { "Manual Logging", &S.ManualLogging, 0 },
    { "Benchmark Option ZENTUSEC", &S.BenchmarkOptionZentusec, 0 },
    { "Second Logging", &S.SecondLogging, 0 },
    { "Start Minimised", &S.StartMinimised, 0 },
    { "Movie Capture", &S.MovieCapture, 0 },
    { "Manual Build", &S.ManualBuild, 0 },
    { "Movie Framerate", &S.MovieFramerate, 30 },
    { "Benchmark Time", &S.BenchmarkTime, 60 },
    { "Movie Framerate User", &S.MovieFramerateUser, 0 },
    { "Force Buffered Writes", &S.ForceBufferedWrites, 0 },
    { "Screenshot Repeat", &S.ScreenshotRepeat, 0 },
    { "Screenshot Repeat Time", &S.ScreenshotRepeatTime, 10 },
    { "Screenshot Format", &S.ScreenshotFormat, 0 },
    { "Max File Size", &S.MaxFileSize, 0 },
    { "Record Sound", &S.RecordSound, 0 },
    { "Sound Input", &S.SoundInput, 0 },
    { "Sampling Rate", &S.SamplingRate, 1 },
    { "Benchmark Stop", &S.BenchmarkStop, 0 },
    { "Detailed Stats", &S.DetailedStats, 0 },
    { "No Sync", &S.NoSync, 0 },
    { "Capture Key", &S.CaptureKey, 121 },
    { "Log Key", &S.LogKey, 122 },
    { "Overlay Key", &S.OverlayKey, 123 },
    { "Movie Key", &S.MovieKey, 120 },
    { "Movie Half Size", &S.MovieHalfSize, 0 },
    { "No Cursor", &S.NoCursor, 0 },
    { "Framerate On Screenshot", &S.FramerateOnScreenshot, 0 },
    { "Overlay Corner", &S.OverlayCorner, 0 },
};

TEST_F(SettingsRefresh, StartDefaultsStayUntilTheKeyHoldsValuesThenEachGoesIntoItsField)
{
    /* Before any read, then after a read of the missing key. */
    for (int pass = 0; pass < 2; pass++) {
        for (const auto &n : Numbers)
            EXPECT_EQ(n.start, *n.field) << n.name << " in pass " << pass;
        RefreshSettings();
        EXPECT_EQ(0, CountValues(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY)) << "the missing key is created empty";
    }
    for (const auto &n : Numbers)
        SetSetting(n.name, 1000 + (DWORD)(&n - Numbers));
    RefreshSettings();
    for (const auto &n : Numbers)
        EXPECT_EQ(n.field == &S.OverlayCorner ? 0 : 1000 + (DWORD)(&n - Numbers), *n.field) << n.name;
    /* Longer than the field: refused whole. */
    const ULONGLONG wide = 7;
    SetSetting("Max File Size", REG_QWORD, &wide, sizeof wide);
    RefreshSettings();
    EXPECT_EQ(1016u, S.MaxFileSize);
    /* Start-up's read, the only one of "Overlay Corner". */
    ReadOverlayCorner();
    EXPECT_EQ(1030u, S.OverlayCorner);
}

TEST_F(SettingsRefresh, SecondLoggingIsReadOnlyWhileItsGateIsOn)
{
    /* the gate (-1: no value, the last decision stays), "Second Logging", the field afterwards */
    const struct { int gate; DWORD value, field; } steps[] = {
        { 0, 7, 0 },
        { 1, 7, 7 },
        { -1, 8, 8 },
        { 0, 9, 8 },
    };
    for (const auto &step : steps) {
        if (step.gate < 0)
            DeleteValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Option ZENTUSEC");
        else
            SetSetting("Benchmark Option ZENTUSEC", (DWORD)step.gate);
        SetSetting("Second Logging", step.value);
        RefreshSettings();
        EXPECT_EQ(step.field, S.SecondLogging) << "gate " << step.gate << ", value " << step.value;
    }
}

/* Both folders are read alike; the library's arguments show each goes to its own. */
TEST_F(SettingsRefresh, DirectoriesTakeAtMost254CharactersAndNeverTheirLastByte)
{
    const std::string longest = "C:\\" + std::string(251, 'd');
    const std::string raw(255, 'r');
    /* One character more is refused whole; 255 bytes without a terminator fit (the buffer's last byte ends them);
     * a shorter path without its zero leaves nothing of the old one behind (binary too: Wine ends a text itself). */
    const struct { DWORD type; std::string data, field; } steps[] = {
        { REG_SZ, longest + '\0', longest },
        { REG_SZ, longest + "e" + '\0', longest },
        { REG_BINARY, raw, raw },
        { REG_SZ, "D:\\Vid", "D:\\Vid" },
        { REG_BINARY, raw, raw },
        { REG_BINARY, "D:\\Vid", "D:\\Vid" },
    };
    for (const auto &step : steps) {
        SetSetting("Screenshot Directory", step.type, step.data.data(), (DWORD)step.data.size());
        RefreshSettings();
        EXPECT_EQ(step.field, S.ScreenshotDirectory) << step.data.size() << " bytes";
    }
}
