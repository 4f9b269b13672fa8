/*
 * Time from process start to the main loop: zentu64.exe is started from a
 * program folder beside the stand-in library with "Running" 0, and the
 * stand-in's timestamp of start-up's last call (made right before the loop)
 * is compared with the moment CreateProcess was called. Same clock on both
 * sides: the performance counter. Median of 5 runs.
 *
 * Usage: startup_time <program folder holding zentu64.exe and zentu64.dll>
 */
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

static double NowMicroseconds()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    unsigned long long f = (unsigned long long)frequency.QuadPart;
    unsigned long long c = (unsigned long long)counter.QuadPart;
    return (double)(c / f * 1000000ULL + c % f * 1000000ULL / f);
}

/* Timestamps of the recorded ZentuSetup calls. */
static std::vector<double> SetupTimes(const std::string &logPath)
{
    std::vector<double> times;
    FILE *file = fopen(logPath.c_str(), "rb");
    if (!file)
        return times;
    static char line[16384];
    while (fgets(line, sizeof line, file))
        if (strncmp(line, "ZentuSetup\t", 11) == 0)
            times.push_back(strtod(line + 11, NULL));
    fclose(file);
    return times;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: startup_time <program folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    std::string exe = folder + "\\zentu64.exe";
    std::string log = folder + "\\zentu64-calls.log";

    std::vector<double> millis;
    for (int run = 0; run < 5; run++) {
        DeleteFileA(log.c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        std::string commandLine = "\"" + exe + "\"";
        double started = NowMicroseconds();
        if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                            &info)) {
            fprintf(stderr, "cannot start %s\n", exe.c_str());
            return 1;
        }
        WaitForSingleObject(info.hProcess, 30000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        /* With "Running" 0 the calls are: start-up's two (hooks, first
         * refresh), then the shutdown call. The second is the loop's door. */
        std::vector<double> times = SetupTimes(log);
        if (times.size() < 3) {
            fprintf(stderr, "run %d: expected three calls, found %zu\n", run, times.size());
            return 1;
        }
        double toLoop = (times[times.size() - 2] - started) / 1000.0;
        millis.push_back(toLoop);
        printf("run %d: %.1f ms\n", run + 1, toLoop);
    }
    std::sort(millis.begin(), millis.end());
    printf("start-up to main loop: median %.1f ms over 5 runs\n", millis[2]);
    return 0;
}
