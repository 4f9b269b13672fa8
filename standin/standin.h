/*
 * What the two parts of the stand-in library share: the record it appends to
 * (standin.cpp) and the frame counting in the games its hooks reach
 * (frames.cpp).
 */
#pragma once

#include <windows.h>

#include <stddef.h>

/* One record line, built in place: the line's kind and time, then its fields. */
struct RecordLine {
    char text[8192];
    size_t length;
};

extern HMODULE StandInModule;

void RecordStart(RecordLine *line, const char *name);
void RecordAppend(RecordLine *line, const char *format, ...);
/* A text field: '%', control bytes and bytes above 0x7E written as %HH. */
void RecordAppendText(RecordLine *line, const char *text);
/* Ends the line and appends it to the file at path. */
void RecordWrite(RecordLine *line, const char *path);
/* The record's path: ZENTU_STANDIN_LOG, or zentu64-calls.log beside the
 * library. FALSE when it does not fit. */
BOOL RecordPath(char *path, size_t size);

/* The copy inside the companion, on every ZentuSetup call: hands the copies
 * in the games the entry-point offsets (positions 14, 15 and 16) and the
 * shutdown flag. */
void PublishToGames(UINT32 shutdownFlag, UINT32 devicePresentOffset, UINT32 swapChainPresentOffset,
                    UINT32 wglSwapBuffersOffset);
/* Every call of a global hook procedure: in a game, hooks the entry points
 * once their module is loaded. */
void ReachGame(void);
/* DLL_PROCESS_DETACH: the last count when the process ends, the entry points
 * put back when only the library goes. */
void LeaveGame(BOOL processEnds);
/* DLL_PROCESS_ATTACH: the frame counting's locks. */
void StartFrames(void);
