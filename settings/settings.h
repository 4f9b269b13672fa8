/*
 * SharedSettings: the main tool's settings as the companion holds them.
 *
 * The 32-bit main tool owns them and keeps them in its registry key; the
 * companion only reads that key (at start-up and every 3000 ms) and never
 * writes it. Pages change the in-memory values and push them to the hook
 * library with SetupCall; the next refresh puts back what the registry holds.
 */
#pragma once

#include <windows.h>

#define SETTINGS_KEY_PATH "SOFTWARE\\Wow6432Node\\Zentu2"
#define DIRECTORY_BUFFER_SIZE 256

struct SharedSettingsFields {
    DWORD Running;
    DWORD SamplingRate;
    DWORD AlwaysOnTop;
    DWORD ScreenCapture;
    DWORD ManualLogging;
    DWORD BenchmarkStop;
    DWORD BenchmarkTime;
    DWORD DetailedStats;
    DWORD BenchmarkOptionZentusec;
    DWORD SecondLogging;
    DWORD CaptureKey;
    DWORD LogKey;
    DWORD OverlayKey;
    DWORD StartMinimised;
    DWORD MovieCapture;
    DWORD MovieKey;
    DWORD ManualBuild;
    DWORD MovieFramerate;
    DWORD MovieFramerateUser;
    DWORD MovieHalfSize;
    DWORD ForceBufferedWrites;
    DWORD NoSync;
    DWORD NoCursor;
    DWORD ScreenshotRepeat;
    DWORD ScreenshotRepeatTime;
    DWORD ScreenshotFormat;
    DWORD MaxFileSize;
    DWORD FramerateOnScreenshot;
    DWORD RecordSound;
    DWORD SoundInput;
    char ScreenshotDirectory[DIRECTORY_BUFFER_SIZE];
    char MovieDirectory[DIRECTORY_BUFFER_SIZE];
    DWORD OverlayCorner;
};

extern SharedSettingsFields SharedSettings;

/* Start defaults; the two directories get a copy of ProgramFolder. */
void ApplySettingDefaults(void);

/* Reads every refreshed value (all but "Overlay Corner") from the settings key. */
void RefreshSettings(void);

/* The one start-up read of "Overlay Corner". */
void ReadOverlayCorner(void);
