/*
 * zentu64-demo-d3d9.exe: a small Direct3D 9 game. A windowed device draws a
 * square that moves across a slowly changing background and presents each
 * frame with IDirect3DDevice9::Present, or with --swapchain through the
 * implicit swap chain's IDirect3DSwapChain9::Present. D3D9.DLL is loaded by
 * name, before the window as an import would be, or after it with --late.
 */
#include "demo/demo.h"

#include <d3d9.h>
#include <math.h>
#include <stdio.h>

typedef IDirect3D9 *(WINAPI DIRECT3D_CREATE9_PROC)(UINT sdkVersion);

static HMODULE Direct3D9Library;
static IDirect3D9 *Direct3D;
static IDirect3DDevice9 *Device;
static IDirect3DSwapChain9 *SwapChain;

static int LoadDirect3D9(void)
{
    Direct3D9Library = LoadLibraryA("d3d9.dll");
    DIRECT3D_CREATE9_PROC *create = Direct3D9Library ?
        reinterpret_cast<DIRECT3D_CREATE9_PROC *>(reinterpret_cast<void *>(GetProcAddress(Direct3D9Library,
                                                                                           "Direct3DCreate9"))) :
        NULL;
    Direct3D = create ? create(D3D_SDK_VERSION) : NULL;
    if (!Direct3D) {
        fprintf(stderr, "zentu64-demo-d3d9: no Direct3D 9\n");
        return 1;
    }
    return 0;
}

static int SetUpDevice(HWND window, int width, int height)
{
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = (UINT)width;
    parameters.BackBufferHeight = (UINT)height;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    /* The game paces its frames itself. */
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    HRESULT result = Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &Device);
    if (FAILED(result)) {
        fprintf(stderr, "zentu64-demo-d3d9: no device (0x%08lX)\n", (unsigned long)result);
        return 1;
    }
    if (Options.swapChain && FAILED(Device->GetSwapChain(0, &SwapChain))) {
        fprintf(stderr, "zentu64-demo-d3d9: no swap chain\n");
        return 1;
    }
    return 0;
}

static D3DCOLOR Shade(double time, double phase)
{
    int level = (int)(96.0 + 64.0 * sin(time * 0.7 + phase));
    return (D3DCOLOR)level;
}

static int DrawFrame(double time, int width, int height)
{
    const int side = height / 4;
    LONG x = (LONG)((width - side) * (0.5 + 0.5 * sin(time * 1.9)));
    LONG y = (LONG)((height - side) * (0.5 + 0.5 * sin(time * 1.3)));
    D3DRECT square = { x, y, x + side, y + side };
    D3DCOLOR background = D3DCOLOR_XRGB(Shade(time, 0.0) / 3, Shade(time, 2.0) / 3, Shade(time, 4.0));
    Device->BeginScene();
    Device->Clear(0, NULL, D3DCLEAR_TARGET, background, 1.0f, 0);
    Device->Clear(1, &square, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 200, 40), 1.0f, 0);
    Device->EndScene();
    HRESULT result = SwapChain ? SwapChain->Present(NULL, NULL, NULL, NULL, 0) : Device->Present(NULL, NULL, NULL, NULL);
    return FAILED(result) ? 1 : 0;
}

static void ReleaseDevice(void)
{
    if (SwapChain)
        SwapChain->Release();
    if (Device)
        Device->Release();
    if (Direct3D)
        Direct3D->Release();
    SwapChain = NULL;
    Device = NULL;
    Direct3D = NULL;
}

int main(int argc, char **argv)
{
    static const DemoGraphics graphics = { "zentu64-demo-d3d9", LoadDirect3D9, SetUpDevice, DrawFrame, ReleaseDevice };
    return RunDemo(argc, argv, &graphics);
}
