/* The demo games started beside a companion, and the stand-in's frame lines from inside them. */
#pragma once

#include "support/calls.h"
#include "support/process.h"

#include <string>
#include <vector>

/* A demo game from the build folder ("zentu64-demo-d3d9.exe", "zentu64-demo-gl.exe"), its result line caught. */
class DemoGame {
public:
    ~DemoGame();
    bool Start(const std::string &exe, const std::string &arguments);
    long WaitExit(DWORD timeoutMs) { return process_.WaitExit(timeoutMs); }
    DWORD Pid() const { return process_.Pid(); }
    /* Closes its window, as a player does; it then prints its result and ends. */
    void Close() const;
    /* The frames it says it presented; -1 without its result line. */
    long Frames() const;

private:
    CompanionProcess process_;
    std::string outputPath_;
};

/* ZentuFrames <us> <pid> <exe> <entry> <state> <count> <module>+0x<offset>, one process's. */
struct FrameLine {
    std::string entry;
    std::string state;
    unsigned long long count;
};
std::vector<FrameLine> FrameLines(const std::vector<LibraryCall> &record, DWORD pid);
/* The last line of one entry point; state "" when there is none. */
FrameLine LastFrameLine(const std::vector<FrameLine> &lines, const std::string &entry);
