#include "support/registry.h"

#include <gtest/gtest.h>

#include <string.h>

static HKEY CreateKey(HKEY root, const char *path)
{
    HKEY key = NULL;
    LONG result = RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    EXPECT_EQ(ERROR_SUCCESS, result) << "creating " << path;
    return key;
}

void SetRawValue(HKEY root, const char *path, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key = CreateKey(root, path);
    if (!key)
        return;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE *)data, size)) << name;
    RegCloseKey(key);
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
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

int CountValues(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
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

ScopedKeyRestore::ScopedKeyRestore(HKEY root, const char *path) : root_(root), path_(path), existed_(false)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        existed_ = true;
        for (DWORD index = 0;; index++) {
            char name[16384];
            DWORD nameLength = sizeof name;
            DWORD type = 0, size = 0;
            if (RegEnumValueA(key, index, name, &nameLength, NULL, &type, NULL, &size) != ERROR_SUCCESS)
                break;
            Value value{ name, type, std::vector<BYTE>(size) };
            DWORD readSize = size;
            RegQueryValueExA(key, name, NULL, NULL, value.data.data(), &readSize);
            values_.push_back(value);
        }
        RegCloseKey(key);
    }
    DeleteKey(root_, path_.c_str());
}

ScopedKeyRestore::~ScopedKeyRestore()
{
    DeleteKey(root_, path_.c_str());
    if (!existed_)
        return;
    HKEY key = CreateKey(root_, path_.c_str());
    if (!key)
        return;
    for (const Value &value : values_)
        RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(), (DWORD)value.data.size());
    RegCloseKey(key);
}

bool ReadValue(HKEY root, const char *path, const char *name, DWORD *type, std::vector<BYTE> *data)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool found = RegQueryValueExA(key, name, NULL, type, NULL, &size) == ERROR_SUCCESS;
    if (found) {
        data->resize(size);
        found = RegQueryValueExA(key, name, NULL, type, data->data(), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return found;
}

long long ReadDwordValue(HKEY root, const char *path, const char *name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(root, path, name, &type, &data))
        return -1;
    DWORD value = 0;
    if (type != REG_DWORD || data.size() != sizeof value)
        return -2;
    memcpy(&value, data.data(), sizeof value);
    return value;
}

ScopedValueRestore::ScopedValueRestore(HKEY root, const std::string &path, const std::string &name)
    : root_(root), path_(path), name_(name), existed_(ReadValue(root, path.c_str(), name.c_str(), &type_, &data_))
{
    for (size_t end = 0; end != std::string::npos;) {
        end = path.find('\\', end + 1);
        std::string part = path.substr(0, end);
        if (!KeyExists(root, part.c_str())) {
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

void SetSetting(const char *name, DWORD value)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, name, value);
}

void SetSetting(const char *name, const std::string &text)
{
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, name, text);
}

void SetSetting(const char *name, DWORD type, const void *data, DWORD size)
{
    SetRawValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, name, type, data, size);
}
