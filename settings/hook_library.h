/*
 * The link to the hook library "zentu64.dll": loading, the version check,
 * the two system-wide hooks whose procedures it exports, SetupCall, and the
 * values it hands over that are no setting of the main tool (the shutdown
 * flag, the capture size).
 */
#pragma once

#include <windows.h>

#include "settings/hook_library_abi.h"

#define LIBRARY_BUFFER_SIZE 516

extern HMODULE HookLibrary;
extern HHOOK LibraryCbtHook;
extern HHOOK LibraryCallWndProcHook;
extern BYTE LibraryBuffer[LIBRARY_BUFFER_SIZE];
/* 1 in the last call, when the companion goes. */
extern UINT32 ShutdownFlag;

/* The screen size and capture buffer size handed to the hook library;
 * 1600, 1200 and 7733248 until the page set computes them at its creation
 * (ComputeCaptureSize, capture_size.cpp). */
extern UINT32 CaptureWidth;
extern UINT32 CaptureHeight;
extern UINT32 CaptureBufferSize;

/* Raises a small screen to at least 1600 x 1200 and rounds the buffer
 * (4 bytes a pixel) up to a multiple of 64 KiB. */
void ComputeCaptureSize(UINT32 *width, UINT32 *height, UINT32 *bufferSize);

extern ZENTU_SETUP_PROC *ZentuSetup;
extern ZENTU_COUNT_PROC *ZentuCount;

/* Loads "<ProgramFolder>\zentu64.dll". 0 on success, 1 when it cannot be
 * loaded or its path would not fit. */
int LoadHookLibrary(void);

/* Resolves the exports and checks ZentuVersion. 0 when it returns
 * BuildNumber; 1 without ZentuVersion, 2 for another number (in both cases
 * the library is freed). */
int CheckHookLibraryVersion(void);

/* Installs the WH_CBT and then the WH_CALLWNDPROC hook, system-wide. */
void InstallLibraryHooks(void);

/* Removes the WH_CALLWNDPROC and then the WH_CBT hook, those installed. */
void RemoveLibraryHooks(void);

/* Frees the library; nothing is called in it afterwards. */
void FreeHookLibrary(void);

/* Calls nothing in the library any more but leaves it mapped: for a library
 * whose hook procedure may still run on another thread of the process. */
void ForgetHookLibrary(void);

/* Runs action at once when no library call is under way on the thread, else
 * right after the outermost one returns: a call that sends a message to
 * another thread lets sent messages in, and one of them may end the session
 * and free the library beneath the call. */
void AfterLibraryCalls(void (*action)(void));

/* Hands the current settings, folders, hooks and probe results to the library. */
void SetupCall(void);

/* Tells the library to count: ZentuCount(1, 0). */
void CountCall(void);
