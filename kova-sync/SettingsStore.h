// The system's settings keys as an administrator edits them: user policy, machine policy, user
// settings and machine settings under the company and product names of SOFTWARE\KOVA.
#pragma once

#include "Platform/WinReg.h"

#include <optional>
#include <string>

namespace KovaSync {

struct SettingValue {
    DWORD type;
    std::wstring text; // a DWORD in decimal
    std::wstring source;
};

void WriteSetting(HKEY root, const std::wstring& name, const std::wstring& value, bool asDword);
// The effective value: the first of the four keys that holds the name.
std::optional<SettingValue> ReadSetting(const std::wstring& name);

} // namespace KovaSync
