/*
 * The settings pages. The capture size is computed when the page set is
 * created; until then the hook library receives these start values.
 */
#pragma once

#include <windows.h>

extern UINT32 CaptureWidth;
extern UINT32 CaptureHeight;
extern UINT32 CaptureBufferSize;
