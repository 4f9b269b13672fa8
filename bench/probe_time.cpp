/*
 * Time of the two graphics probes as start-up meets them: each run is a
 * fresh process (nothing of Direct3D or OpenGL loaded yet) that times
 * ProbeOpenGL and then ProbeDirect3D9 on a hidden window, in start-up's
 * order. Median of 5 runs, and the offsets of the last run.
 *
 * Usage (under Wine with a display): bench_probe_time
 */
#include "base/base.h"
#include "probe/probe.h"

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

static const int Runs = 5;

static double NowMilliseconds()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

/* One run: prints "<OpenGL ms> <Direct3D 9 ms> <results> <offsets...>". */
static int MeasureOnce()
{
    FillFolderPaths();
    HWND focus = CreateWindowExA(0, "STATIC", "bench focus", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    double start = NowMilliseconds();
    int openGl = ProbeOpenGL();
    double afterOpenGl = NowMilliseconds();
    int direct3d = ProbeDirect3D9(focus);
    double afterDirect3d = NowMilliseconds();
    DestroyWindow(focus);
    const ApiOffsetsFields &a = ApiOffsets;
    printf("%.3f %.3f %d %d %x %x %x %x %x %x %x %u %u %u %u %s\n", afterOpenGl - start, afterDirect3d - afterOpenGl,
           openGl, direct3d, a.D3D9DevicePresentOffset, a.D3D9SwapChainPresentOffset, a.WglSwapBuffersOffset,
           a.WglSwapLayerBuffersOffset, a.D3D9SetCursorPropertiesOffset, a.D3D9SetCursorPositionOffset,
           a.D3D9ShowCursorOffset, a.D3D9DevicePresentProbe, a.D3D9SetCursorPropertiesProbe,
           a.D3D9SetCursorPositionProbe, a.D3D9ShowCursorProbe, AdapterDriverName);
    return 0;
}

static std::string RunChild(const char *self)
{
    char temp[MAX_PATH], path[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    snprintf(path, sizeof path, "%sbench-probe-%lu.txt", temp, GetCurrentProcessId());
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE output = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string commandLine = std::string("\"") + self + "\" /once";
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(self, &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    std::string line;
    FILE *file = fopen(path, "rb");
    if (file) {
        char buffer[1024] = "";
        if (fgets(buffer, sizeof buffer, file))
            line = buffer;
        fclose(file);
    }
    DeleteFileA(path);
    return line;
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], "/once") == 0)
        return MeasureOnce();

    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::vector<double> openGl, direct3d;
    std::string last;
    for (int i = 0; i < Runs; i++) {
        last = RunChild(self);
        double a = 0, b = 0;
        if (sscanf(last.c_str(), "%lf %lf", &a, &b) != 2) {
            fprintf(stderr, "run %d gave no figures: %s\n", i + 1, last.c_str());
            return 1;
        }
        printf("run %d: ProbeOpenGL %.1f ms, ProbeDirect3D9 %.1f ms\n", i + 1, a, b);
        openGl.push_back(a);
        direct3d.push_back(b);
    }
    printf("median of %d: ProbeOpenGL %.1f ms, ProbeDirect3D9 %.1f ms\n", Runs, Median(openGl), Median(direct3d));
    printf("last run (ms ms, results, offsets hex: device Present, swap-chain Present, wglSwapBuffers,\n"
           " wglSwapLayerBuffers, SetCursorProperties, SetCursorPosition, ShowCursor; probe codes; driver):\n%s",
           last.c_str());
    return 0;
}
