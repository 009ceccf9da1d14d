#pragma once
// File names travel as UTF-8 text; these convert between that text and paths.

#include <filesystem>
#include <string>

namespace DemoMeridio {

inline std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace DemoMeridio
