#include "kova-sync/ConfigCommand.h"

#include "Platform/Utf.h"
#include "kova-sync/ExitCodes.h"
#include "kova-sync/KnownSettings.h"
#include "kova-sync/SettingsStore.h"

#include <iostream>
#include <set>
#include <stdexcept>

namespace KovaSync {
namespace {

// "NAME = VALUE  (TYPE, SOURCE)".
std::string Shown(const std::string& name, const SettingValue& value) {
    const std::string text = Platform::WideToUtf8(value.text);
    return name + " = " + (IsSecretSetting(name) && !text.empty() ? "********" : text) + "  (" +
           TypeName(value.type) + ", " + Platform::WideToUtf8(value.source) + ")";
}

std::string Suggestion(const std::string& name) {
    return "did you mean " + ClosestKnownSetting(name).name + "?";
}

} // namespace

int ConfigSet(const SettingArguments& arguments) {
    const KnownSetting* known = FindKnownSetting(arguments.name);
    if (known == nullptr && !arguments.force) {
        throw std::runtime_error(arguments.name + " is not a setting kova-sync knows (" +
                                 Suggestion(arguments.name) +
                                 "); nothing was stored. To store it anyway, add --force (and --dword for a "
                                 "number); kova-sync config list shows the known settings.");
    }
    if (known != nullptr && arguments.dword && known->type != REG_DWORD) {
        throw std::runtime_error(known->name + " is a " + TypeName(known->type) +
                                 " setting, not a DWORD; nothing was stored.");
    }
    const std::string name = known != nullptr ? known->name : arguments.name;
    const std::wstring wideName = Platform::Utf8ToWide(name);
    const DWORD type = known != nullptr ? known->type : (arguments.dword ? REG_DWORD : REG_SZ);
    if (type == REG_DWORD) {
        const std::optional<DWORD> number = ParseDword(arguments.value);
        if (!number) {
            throw std::runtime_error(name +
                                     " takes a DWORD: a number from 0 to 4294967295, in decimal or as 0x "
                                     "hex, not \"" +
                                     arguments.value + "\"; nothing was stored.");
        }
        WriteDwordSetting(HKEY_CURRENT_USER, wideName, *number);
    } else {
        WriteStringSetting(HKEY_CURRENT_USER, wideName, Platform::Utf8ToWide(arguments.value));
    }
    // The effective value: a policy may override what the user set.
    std::cout << Shown(name, *ReadSetting(wideName)) << "\n";
    return kExitSynced;
}

int ConfigGet(const std::string& name) {
    const KnownSetting* known = FindKnownSetting(name);
    const std::string shownName = known != nullptr ? known->name : name;
    if (const std::optional<SettingValue> value = ReadSetting(Platform::Utf8ToWide(name))) {
        std::cout << Shown(shownName, *value) << "\n";
        return kExitSynced;
    }
    if (known != nullptr) {
        std::cout << shownName << " is not set  (" << TypeName(known->type) << ", default "
                  << (known->defaultValue.empty() ? "empty" : known->defaultValue) << ")\n";
    } else {
        std::cout << name << " is not set; it is not a setting kova-sync knows (" << Suggestion(name)
                  << ")\n";
    }
    return kExitItemsFailed;
}

int ConfigUnset(const std::string& name) {
    if (!RemoveUserSetting(Platform::Utf8ToWide(name))) {
        std::cout << name << " is not set in the user settings\n";
        return kExitItemsFailed;
    }
    std::cout << "Removed " << name << " from the user settings\n";
    if (const std::optional<SettingValue> still = ReadSetting(Platform::Utf8ToWide(name))) {
        std::cout << "It still takes effect from elsewhere: " << Shown(name, *still) << "\n";
    }
    return kExitSynced;
}

int ConfigList() {
    std::set<const KnownSetting*> set;
    std::cout << "Settings that are set:\n";
    for (const NamedSetting& setting : ReadAllSettings()) {
        const std::string name = Platform::WideToUtf8(setting.name);
        set.insert(FindKnownSetting(name));
        std::cout << "  " << Shown(name, setting.value) << "\n";
    }
    std::cout << "Known settings that are not set:\n";
    for (const KnownSetting& known : KnownSettings()) {
        if (set.count(&known) == 0) {
            std::cout << "  " << known.name << "  (" << TypeName(known.type) << ", default "
                      << (known.defaultValue.empty() ? "empty" : known.defaultValue) << "): " << known.meaning
                      << "\n";
        }
    }
    return kExitSynced;
}

} // namespace KovaSync
