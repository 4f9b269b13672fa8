/* The stand-in library's record of the calls it received, read back. */
#pragma once

#include <windows.h>

#include <string>
#include <vector>

/* A call the stand-in library or a fake received; args[0] is position 1. */
struct LibraryCall {
    std::string name;
    /* The stand-in's performance-counter time of the call, in milliseconds. */
    double timeMs;
    std::vector<std::string> args;

    /* Empty, and a failure, when there is none. */
    std::string Arg(int position) const;
    UINT32 Number(int position) const;
    unsigned long long Address(int position) const;
    /* The text behind one of the five text addresses. */
    std::string Text(int position) const;
};

/* The offset of a module's export from the module's base; 0 when it has none. */
UINT32 ExportOffset(HMODULE module, const char *name);

std::vector<LibraryCall> ReadCalls(const std::string &path);

/* The first ZentuSetup carrying the hook handles; -1 when there is none. */
int FirstCallWithHooks(const std::vector<LibraryCall> &calls);
/* That call and the one after the first refresh are in. */
bool StartedUp(const std::vector<LibraryCall> &calls);
bool HasShutdownCall(const std::vector<LibraryCall> &calls);
/* The last call is a ZentuSetup, and it alone carries the shutdown flag. */
void ExpectOneShutdownCallAtTheEnd(const std::vector<LibraryCall> &calls);
