#include "support/registry.h"

#include <gtest/gtest.h>

/* The key opened for access; NULL when it does not exist. */
static HKEY OpenKey(HKEY root, const char *path, REGSAM access)
{
    HKEY key = NULL;
    return RegOpenKeyExA(root, path, 0, access, &key) == ERROR_SUCCESS ? key : NULL;
}

void SetRawValue(HKEY root, const char *path, const char *name, DWORD type, const void *data, DWORD size)
{
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueA(root, path, name, type, data, size)) << path << " " << name;
}

void SetDwordValue(HKEY root, const char *path, const char *name, DWORD value)
{
    SetRawValue(root, path, name, REG_DWORD, &value, sizeof value);
}

void SetStringValue(HKEY root, const char *path, const char *name, const std::string &value)
{
    SetRawValue(root, path, name, REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

void DeleteValue(HKEY root, const char *path, const char *name)
{
    RegDeleteKeyValueA(root, path, name);
}

void SetSetting(const char *name, DWORD type, const void *data, DWORD size)
{
    SetRawValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, name, type, data, size);
}

void SetSetting(const char *name, DWORD value)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, name, value);
}

void SetSetting(const char *name, const std::string &text)
{
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, name, text);
}

int CountValues(HKEY root, const char *path)
{
    HKEY key = OpenKey(root, path, KEY_READ);
    if (!key)
        return -1;
    DWORD count = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return (int)count;
}

void DeleteKey(HKEY root, const char *path)
{
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
}

bool ReadValue(HKEY root, const char *path, const char *name, DWORD *type, std::vector<BYTE> *data)
{
    HKEY key = OpenKey(root, path, KEY_READ);
    DWORD size = 0;
    bool found = key && RegQueryValueExA(key, name, NULL, type, NULL, &size) == ERROR_SUCCESS;
    data->resize(size);
    found = found && RegQueryValueExA(key, name, NULL, type, data->data(), &size) == ERROR_SUCCESS;
    data->resize(size);
    if (key)
        RegCloseKey(key);
    return found;
}

long long ReadDwordValue(HKEY root, const char *path, const char *name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(root, path, name, &type, &data) || type != REG_DWORD || data.size() != sizeof(DWORD))
        return -1;
    return *(const DWORD *)data.data();
}

ScopedKeyRestore::ScopedKeyRestore(HKEY root, const char *path) : root_(root), path_(path)
{
    HKEY key = OpenKey(root, path, KEY_READ);
    existed_ = key != NULL;
    char name[16384];
    DWORD length = sizeof name;
    DWORD index = 0;
    while (key && RegEnumValueA(key, index, name, &length, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
        values_.push_back({ name, 0, {} });
        ReadValue(root, path, name, &values_.back().type, &values_.back().data);
        length = sizeof name;
        index++;
    }
    if (key)
        RegCloseKey(key);
    DeleteKey(root_, path_.c_str());
}

ScopedKeyRestore::~ScopedKeyRestore()
{
    DeleteKey(root_, path_.c_str());
    HKEY key;
    if (existed_ && RegCreateKeyExA(root_, path_.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) == ERROR_SUCCESS)
        RegCloseKey(key);
    for (const Value &value : values_)
        SetRawValue(root_, path_.c_str(), value.name.c_str(), value.type, value.data.data(), (DWORD)value.data.size());
}

ScopedValueRestore::ScopedValueRestore(HKEY root, const std::string &path, const std::string &name)
    : root_(root), path_(path), name_(name), existed_(ReadValue(root, path.c_str(), name.c_str(), &type_, &data_))
{
    size_t end = 0;
    while (end != std::string::npos) {
        end = path.find('\\', end + 1);
        std::string part = path.substr(0, end);
        if (CountValues(root, part.c_str()) < 0) {
            createdFrom_ = part;
            break;
        }
    }
}

ScopedValueRestore::~ScopedValueRestore()
{
    if (existed_)
        SetRawValue(root_, path_.c_str(), name_.c_str(), type_, data_.data(), (DWORD)data_.size());
    else
        DeleteValue(root_, path_.c_str(), name_.c_str());
    if (!createdFrom_.empty())
        DeleteKey(root_, createdFrom_.c_str());
}
