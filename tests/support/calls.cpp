#include "support/calls.h"

#include "support/process.h"

#include <gtest/gtest.h>

std::string LibraryCall::Arg(int position) const
{
    if (position >= 1 && (size_t)position <= args.size())
        return args[position - 1];
    ADD_FAILURE() << "no argument " << position << " in " << name;
    return "";
}

UINT32 LibraryCall::Number(int position) const
{
    return (UINT32)strtoul(Arg(position).c_str(), NULL, 10);
}

unsigned long long LibraryCall::Address(int position) const
{
    return strtoull(Arg(position).c_str(), NULL, 16);
}

std::string LibraryCall::Text(int position) const
{
    std::string field = Arg(position);
    size_t equals = field.find('=');
    if (equals == std::string::npos) {
        ADD_FAILURE() << "argument " << position << " carries no text: " << field;
        return "";
    }
    std::string text;
    size_t i = equals + 1;
    while (i < field.size()) {
        /* %XX: a byte in hexadecimal. */
        if (field[i] == '%' && i + 2 < field.size()) {
            text += (char)strtoul(field.substr(i + 1, 2).c_str(), NULL, 16);
            i += 3;
        } else {
            text += field[i];
            i++;
        }
    }
    return text;
}

UINT32 ExportOffset(HMODULE module, const char *name)
{
    FARPROC address = module ? GetProcAddress(module, name) : NULL;
    return address ? (UINT32)((ULONG_PTR)address - (ULONG_PTR)module) : 0;
}

std::vector<LibraryCall> ReadCalls(const std::string &path)
{
    std::vector<LibraryCall> calls;
    std::string content = ReadWholeFile(path);
    /* A last line without its end is still being written. */
    size_t start = 0;
    size_t end = content.find("\r\n");
    while (end != std::string::npos) {
        std::string line = content.substr(start, end - start);
        start = end + 2;
        end = content.find("\r\n", start);
        std::vector<std::string> fields;
        size_t from = 0;
        size_t tab = line.find('\t');
        while (tab != std::string::npos) {
            fields.push_back(line.substr(from, tab - from));
            from = tab + 1;
            tab = line.find('\t', from);
        }
        fields.push_back(line.substr(from));
        if (fields.size() < 2)
            continue;
        std::vector<std::string> args(fields.begin() + 2, fields.end());
        calls.push_back({ fields[0], strtoull(fields[1].c_str(), NULL, 10) / 1000.0, args });
    }
    return calls;
}

int FirstCallWithHooks(const std::vector<LibraryCall> &calls)
{
    for (size_t i = 0; i < calls.size(); i++)
        if (calls[i].name == "ZentuSetup" && calls[i].Address(1) != 0 && calls[i].Address(2) != 0)
            return (int)i;
    return -1;
}

bool StartedUp(const std::vector<LibraryCall> &calls)
{
    int hooked = FirstCallWithHooks(calls);
    return hooked >= 0 && calls.size() >= (size_t)hooked + 2;
}

bool HasShutdownCall(const std::vector<LibraryCall> &calls)
{
    return !calls.empty() && calls.back().name == "ZentuSetup" && calls.back().Number(3) == 1;
}

void ExpectOneShutdownCallAtTheEnd(const std::vector<LibraryCall> &calls)
{
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("ZentuSetup", calls.back().name);
    for (size_t i = 0; i < calls.size(); i++)
        if (calls[i].name == "ZentuSetup") {
            EXPECT_EQ(i + 1 == calls.size() ? 1u : 0u, calls[i].Number(3)) << "call " << i;
        }
}
