/* The screen size and capture buffer size handed to the hook library. */
#include "pages/pages.h"

UINT32 CaptureWidth = 1600;
UINT32 CaptureHeight = 1200;
UINT32 CaptureBufferSize = 7733248;
