/* Registry helpers for the tests: read, write, and put a key back as it was. */
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#define TEST_SETTINGS_KEY "SOFTWARE\\Wow6432Node\\Zentu2"

/* Writes a value, creating the key path as needed. */
void SetRawValue(HKEY root, const char *path, const char *name, DWORD type, const void *data, DWORD size);
void SetDwordValue(HKEY root, const char *path, const char *name, DWORD value);
void SetStringValue(HKEY root, const char *path, const char *name, const std::string &value);
void DeleteValue(HKEY root, const char *path, const char *name);
/* Number of values in the key; -1 when it does not exist. */
int CountValues(HKEY root, const char *path);
void DeleteKey(HKEY root, const char *path);

/* One value as it stands: false when it (or its key) is absent. */
bool ReadValue(HKEY root, const char *path, const char *name, DWORD *type, std::vector<BYTE> *data);
/* A REG_DWORD value; -1 when it (or its key) is absent or holds another type. */
long long ReadDwordValue(HKEY root, const char *path, const char *name);

/* Values in the main tool's settings key, as it writes them. */
void SetSetting(const char *name, DWORD type, const void *data, DWORD size);
void SetSetting(const char *name, DWORD value);
void SetSetting(const char *name, const std::string &text);

/* Puts one value back as it was when this goes (or removes it), and removes
 * whatever part of the key path did not exist before; nothing else is touched. */
class ScopedValueRestore {
public:
    ScopedValueRestore(HKEY root, const std::string &path, const std::string &name);
    ~ScopedValueRestore();

private:
    HKEY root_;
    std::string path_;
    std::string name_;
    /* The first part of the path that was missing. */
    std::string createdFrom_;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
    /* Declared after the two its initialiser fills, so that they are built first. */
    bool existed_;
};

/* Saves a key's values (not its subkeys) and puts them back when it goes;
 * the key is removed first, so a test always starts without it. */
class ScopedKeyRestore {
public:
    ScopedKeyRestore(HKEY root, const char *path);
    ~ScopedKeyRestore();

private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY root_;
    std::string path_;
    bool existed_;
    std::vector<Value> values_;
};
