/*
 * Graphics entry-point discovery. ApiOffsets holds what the probes measured:
 * module-relative offsets, prologue probe codes and the display-driver kind.
 * Every field is 0 until the probes have run.
 */
#pragma once

#include <windows.h>

struct ApiOffsetsFields {
    UINT32 Reserved1;
    UINT32 Reserved2;
    UINT32 D3D9DevicePresentOffset;
    UINT32 D3D9SwapChainPresentOffset;
    UINT32 WglSwapBuffersOffset;
    UINT32 WglSwapLayerBuffersOffset;
    UINT32 D3D9DebugDevicePresentOffset;
    UINT32 D3D9DebugSwapChainPresentOffset;
    UINT32 D3D9SetCursorPropertiesOffset;
    UINT32 D3D9SetCursorPositionOffset;
    UINT32 D3D9ShowCursorOffset;
    UINT32 D3D9SetCursorPropertiesProbe;
    UINT32 D3D9SetCursorPositionProbe;
    UINT32 D3D9ShowCursorProbe;
    UINT32 Reserved3;
    UINT32 Reserved4;
    UINT32 Reserved5;
    UINT32 Reserved6;
    UINT32 Reserved7;
    UINT32 Reserved8;
    UINT32 D3D9DevicePresentProbe;
    UINT32 D3D9SwapChainPresentProbe;
    UINT32 Reserved9;
    UINT32 Reserved10;
    UINT32 Reserved11;
    UINT32 Reserved12;
    UINT32 Reserved13;
    UINT32 DisplayDriverKind;
};

extern ApiOffsetsFields ApiOffsets;
