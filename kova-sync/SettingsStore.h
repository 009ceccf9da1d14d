// The system's settings keys as an administrator edits them: user policy, machine policy, user
// settings and machine settings under the company and product names of SOFTWARE\KOVA.
#pragma once

#include "Platform/WinReg.h"

#include <optional>
#include <string>
#include <vector>

namespace KovaSync {

struct SettingValue {
    DWORD type;
    std::wstring text; // a DWORD in decimal
    std::wstring source;
};

struct NamedSetting {
    std::wstring name;
    SettingValue value;
};

void WriteStringSetting(HKEY root, const std::wstring& name, const std::wstring& value);
void WriteDwordSetting(HKEY root, const std::wstring& name, DWORD value);
// Removes the current user's setting; false when it was not set there.
bool RemoveUserSetting(const std::wstring& name);
// The effective value: the first of the four keys that holds the name.
std::optional<SettingValue> ReadSetting(const std::wstring& name);
// Every setting of the four keys with its effective value, by name.
std::vector<NamedSetting> ReadAllSettings();

} // namespace KovaSync
