/* The one writer of call records, for the stand-in library and the fakes:
 *   <name> TAB <microseconds of the performance counter> [TAB <field>]... CR LF
 * Each line is appended and the file closed at once, so a reader sees whole lines even when the writer is
 * killed right after. ReadCalls reads them back; scripts/decode-calls.awk shows the stand-in's in ./run. */
#pragma once

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>

struct RecordLine {
    char text[8192];
    size_t length;
};

static inline void RecordAppend(RecordLine *line, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    size_t room = sizeof line->text - line->length;
    int written = vsnprintf(line->text + line->length, room, format, args);
    va_end(args);
    if (written > 0)
        line->length += (size_t)written < room ? (size_t)written : room - 1;
}

static inline void RecordStart(RecordLine *line, const char *name)
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    unsigned long long f = (unsigned long long)frequency.QuadPart;
    unsigned long long c = (unsigned long long)counter.QuadPart;
    line->length = 0;
    RecordAppend(line, "%s\t%llu", name, c / f * 1000000ULL + c % f * 1000000ULL / f);
}

/* Ends the line and appends it to the file at path. */
static inline void RecordWrite(RecordLine *line, const char *path)
{
    RecordAppend(line, "\r\n");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line->text, (DWORD)line->length, &written, NULL);
    CloseHandle(file);
}
