// Writes the current user's settings of the default product key as a hive file of the registry
// store (the regedit text an administrator could write), for a child process to read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <variant>

namespace TestSupport {

using SettingValue = std::variant<std::uint32_t, std::string>;
using Settings = std::map<std::string, SettingValue>;

inline std::string RegistryTextEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

inline void WriteUserSettings(const std::filesystem::path& registryDir, const Settings& settings) {
    std::ofstream file(registryDir / "HKEY_CURRENT_USER.reg", std::ios::trunc);
    file << "Windows Registry Editor Version 5.00\r\n\r\n"
         << "[HKEY_CURRENT_USER\\SOFTWARE\\Vantrel\\Vantrel Sorvanta]\r\n";
    for (const auto& [name, value] : settings) {
        file << '"' << RegistryTextEscaped(name) << "\"=";
        if (const auto* number = std::get_if<std::uint32_t>(&value)) {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08x", *number);
            file << "dword:" << hex << "\r\n";
        } else {
            file << '"' << RegistryTextEscaped(std::get<std::string>(value)) << "\"\r\n";
        }
    }
    file << "\r\n";
}

} // namespace TestSupport
