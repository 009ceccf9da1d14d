// Reads back what a test wrote into the registry store.
#pragma once

#include "Platform/WinError.h"
#include "Platform/WinReg.h"

#include <optional>
#include <string>

namespace TestSupport {

inline bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The string value (the default value for an empty name), or nothing when key or value is absent.
inline std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path,
                                              const wchar_t* name = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    return std::wstring(data);
}

} // namespace TestSupport
