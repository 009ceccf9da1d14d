// The settings the filter and its logging read, with their types and defaults, so that `config`
// checks a value before it is stored and `config list` shows what is there to set.
#pragma once

#include "Platform/WinReg.h"

#include <optional>
#include <string>
#include <vector>

namespace KovaSync {

struct KnownSetting {
    std::string name;
    DWORD type; // REG_SZ or REG_DWORD
    std::string defaultValue;
    std::string meaning;
    bool secret = false; // shown masked
};

const std::vector<KnownSetting>& KnownSettings();
// The setting of that name, compared without regard to letter case as the registry compares names.
const KnownSetting* FindKnownSetting(const std::string& name);
// The known setting whose name is nearest to the given one (fewest letters to change).
const KnownSetting& ClosestKnownSetting(const std::string& name);

// Whether the value is kept from view: a known secret, or any setting whose name speaks of a password.
bool IsSecretSetting(const std::string& name);

// A DWORD value as the user writes it: decimal or 0x hexadecimal, 0 to 4294967295, nothing else.
std::optional<DWORD> ParseDword(const std::string& text);
// "string", "DWORD", or "type N" for the others.
std::string TypeName(DWORD type);

} // namespace KovaSync
