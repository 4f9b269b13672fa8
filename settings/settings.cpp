/* The settings table and its registry refresh. */
#include "settings/settings.h"

#include "base/base.h"

#include <string.h>

SharedSettingsFields SharedSettings;

enum SettingKind { SETTING_DWORD, SETTING_DIRECTORY };

struct SettingEntry {
    const char *name;
    SettingKind kind;
    void *field;
    DWORD startDefault;          /* DWORD settings only */
    const DWORD *readWhen;       /* read only while this is non-zero; NULL: always */
};

/* Refresh order of the main tool's values. "Second Logging" is read only
 * while its gate, read just before it (or left from earlier, when the gate
 * value is missing), is on. */
static const SettingEntry SettingsTable[] = {
    { "Running",                   SETTING_DWORD,     &SharedSettings.Running,                 0, NULL },
    { "Sampling Rate",             SETTING_DWORD,     &SharedSettings.SamplingRate,            1, NULL },
    { "Always On Top",             SETTING_DWORD,     &SharedSettings.AlwaysOnTop,             1, NULL },
    { "Screen Capture",            SETTING_DWORD,     &SharedSettings.ScreenCapture,           0, NULL },
    { "Manual Logging",            SETTING_DWORD,     &SharedSettings.ManualLogging,           0, NULL },
    { "Benchmark Stop",            SETTING_DWORD,     &SharedSettings.BenchmarkStop,           0, NULL },
    { "Benchmark Time",            SETTING_DWORD,     &SharedSettings.BenchmarkTime,           60, NULL },
    { "Detailed Stats",            SETTING_DWORD,     &SharedSettings.DetailedStats,           0, NULL },
    { "Benchmark Option ZENTUSEC", SETTING_DWORD,     &SharedSettings.BenchmarkOptionZentusec, 0, NULL },
    { "Second Logging",            SETTING_DWORD,     &SharedSettings.SecondLogging,           0, &SharedSettings.BenchmarkOptionZentusec },
    { "Capture Key",               SETTING_DWORD,     &SharedSettings.CaptureKey,              121, NULL },
    { "Log Key",                   SETTING_DWORD,     &SharedSettings.LogKey,                  122, NULL },
    { "Overlay Key",               SETTING_DWORD,     &SharedSettings.OverlayKey,              123, NULL },
    { "Start Minimised",           SETTING_DWORD,     &SharedSettings.StartMinimised,          0, NULL },
    { "Movie Capture",             SETTING_DWORD,     &SharedSettings.MovieCapture,            0, NULL },
    { "Movie Key",                 SETTING_DWORD,     &SharedSettings.MovieKey,                120, NULL },
    { "Manual Build",              SETTING_DWORD,     &SharedSettings.ManualBuild,             0, NULL },
    { "Movie Framerate",           SETTING_DWORD,     &SharedSettings.MovieFramerate,          30, NULL },
    { "Movie Framerate User",      SETTING_DWORD,     &SharedSettings.MovieFramerateUser,      0, NULL },
    { "Movie Half Size",           SETTING_DWORD,     &SharedSettings.MovieHalfSize,           0, NULL },
    { "Force Buffered Writes",     SETTING_DWORD,     &SharedSettings.ForceBufferedWrites,     0, NULL },
    { "No Sync",                   SETTING_DWORD,     &SharedSettings.NoSync,                  0, NULL },
    { "No Cursor",                 SETTING_DWORD,     &SharedSettings.NoCursor,                0, NULL },
    { "Screenshot Repeat",         SETTING_DWORD,     &SharedSettings.ScreenshotRepeat,        0, NULL },
    { "Screenshot Repeat Time",    SETTING_DWORD,     &SharedSettings.ScreenshotRepeatTime,    10, NULL },
    { "Screenshot Format",         SETTING_DWORD,     &SharedSettings.ScreenshotFormat,        0, NULL },
    { "Max File Size",             SETTING_DWORD,     &SharedSettings.MaxFileSize,             0, NULL },
    { "Framerate On Screenshot",   SETTING_DWORD,     &SharedSettings.FramerateOnScreenshot,   0, NULL },
    { "Record Sound",              SETTING_DWORD,     &SharedSettings.RecordSound,             0, NULL },
    { "Sound Input",               SETTING_DWORD,     &SharedSettings.SoundInput,              0, NULL },
    { "Screenshot Directory",      SETTING_DIRECTORY, SharedSettings.ScreenshotDirectory,      0, NULL },
    { "Movie Directory",           SETTING_DIRECTORY, SharedSettings.MovieDirectory,           0, NULL },
};

static const SettingEntry OverlayCornerEntry =
    { "Overlay Corner",            SETTING_DWORD,     &SharedSettings.OverlayCorner,           0, NULL };

/* Opens the settings key for reading; returns NULL unless it already existed
 * (a key the call had to create is empty, so there is nothing to read). */
static HKEY OpenExistingSettingsKey(void)
{
    HKEY key = NULL;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_READ, NULL, &key, &disposition) != ERROR_SUCCESS)
        return NULL;
    if (disposition != REG_OPENED_EXISTING_KEY) {
        RegCloseKey(key);
        return NULL;
    }
    return key;
}

/*
 * Reads one value into its field. The value goes through a scratch buffer
 * first: when it is longer than the field, the platform leaves the buffer's
 * content undefined, and the field must then stay exactly as it was. A value
 * of another type that fits is taken byte for byte, as long as it is. A
 * directory ends where its value ends: a shorter path stored without its
 * terminating zero must not leave the tail of the old path behind it ("D:\Vid"
 * over "C:\Program Files" is "D:\Vid", not "D:\Vidgram Files"). The
 * directory buffers' last byte is never written, so they stay terminated.
 */
static void ReadSetting(HKEY key, const SettingEntry *entry)
{
    BYTE scratch[DIRECTORY_BUFFER_SIZE];
    DWORD capacity = entry->kind == SETTING_DWORD ? sizeof(DWORD) : DIRECTORY_BUFFER_SIZE - 1;
    DWORD size = capacity;
    if (RegQueryValueExA(key, entry->name, NULL, NULL, scratch, &size) != ERROR_SUCCESS)
        return;
    if (size > capacity)
        return;
    memcpy(entry->field, scratch, size);
    if (entry->kind == SETTING_DIRECTORY)
        memset((BYTE *)entry->field + size, 0, capacity - size);
}

void ApplySettingDefaults(void)
{
    for (const SettingEntry &entry : SettingsTable) {
        if (entry.kind == SETTING_DIRECTORY) {
            /* ProgramFolder always fits: both buffers have the same size. */
            memcpy(entry.field, ProgramFolder, DIRECTORY_BUFFER_SIZE);
        } else {
            *(DWORD *)entry.field = entry.startDefault;
        }
    }
    SharedSettings.OverlayCorner = OverlayCornerEntry.startDefault;
}

void RefreshSettings(void)
{
    HKEY key = OpenExistingSettingsKey();
    if (!key)
        return;
    for (const SettingEntry &entry : SettingsTable)
        if (!entry.readWhen || *entry.readWhen != 0)
            ReadSetting(key, &entry);
    RegCloseKey(key);
}

void ReadOverlayCorner(void)
{
    HKEY key = OpenExistingSettingsKey();
    if (!key)
        return;
    ReadSetting(key, &OverlayCornerEntry);
    RegCloseKey(key);
}
