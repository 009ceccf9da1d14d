// The filter's exclusion settings, which the engine applies: MeridioSync.ExcludeFileRegEx (patterns
// separated by line feeds or by a backslash and "n", case-insensitive ECMAScript, searched in the
// file name) and MeridioSync.MaxFileSizeInKB (default 51200). An excluded file is neither sent nor an
// error.
#pragma once

#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace KovaSync {

class FileRules {
public:
    // Reads the settings as the filter does; throws std::regex_error for a pattern that is not valid.
    static FileRules FromSettings();
    FileRules(const std::wstring& patterns, std::uint64_t maxBytes);

    // Why the file is excluded, or nothing when it is not.
    std::optional<std::string> Excludes(const std::string& name, std::uint64_t size) const;

private:
    std::vector<std::wregex> patterns_;
    std::uint64_t maxBytes_;
};

} // namespace KovaSync
