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
    RegDeleteTreeA(root, path), RegDeleteKeyA(root, path);
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
    DWORD type = 0; std::vector<BYTE> data;
    if (!ReadValue(root, path, name, &type, &data))
        return -1;
    return type == REG_DWORD && data.size() == sizeof(DWORD) ? *(const DWORD *)data.data() : -2;
}

ScopedKeyRestore::ScopedKeyRestore(HKEY root, const char *path) : root_(root), path_(path)
{
    HKEY key = OpenKey(root, path, KEY_READ);
    existed_ = key != NULL;
    char name[16384];
    DWORD length = sizeof name;
    for (DWORD i = 0; key && RegEnumValueA(key, i, name, &length, NULL, NULL, NULL, NULL) == ERROR_SUCCESS; i++) {
        values_.push_back({ name, 0, {} });
        ReadValue(root, path, name, &values_.back().type, &values_.back().data);
        length = sizeof name;
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
    for (size_t end = 0; end != std::string::npos;) {
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
