// "kova-sync config set|get|unset|list": the current user's settings, checked against the settings the
// filter knows (their names and types), the password never shown.
#pragma once

#include <string>

namespace KovaSync {

struct SettingArguments {
    std::string name;
    std::string value;
    bool dword = false; // an unknown setting as a DWORD
    bool force = false; // an unknown setting at all
};

int ConfigSet(const SettingArguments& arguments);
int ConfigGet(const std::string& name);
int ConfigUnset(const std::string& name);
int ConfigList();

} // namespace KovaSync
