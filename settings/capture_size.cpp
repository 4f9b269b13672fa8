/* The screen size and capture buffer size handed to the hook library. */
#include "settings/hook_library.h"

UINT32 CaptureWidth = 1600;
UINT32 CaptureHeight = 1200;
UINT32 CaptureBufferSize = 7733248;

void ComputeCaptureSize(UINT32 *width, UINT32 *height, UINT32 *bufferSize)
{
    if (*width * *height < 1920000u) {
        if (*width < 1600u)
            *width = 1600u;
        if (*height < 1200u)
            *height = 1200u;
    }
    *bufferSize = (*width * *height * 4u + 65535u) & ~0xFFFFu;
}
