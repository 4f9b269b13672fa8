/* The probes' results, zero until measured. */
#include "probe/probe.h"

ApiOffsetsFields ApiOffsets;
