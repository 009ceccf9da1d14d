// GCC 12 reports maybe-uninitialized inside the pattern compiler of <regex> (a false positive in the
// library header); it is silenced for this file before <regex> is first included.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "kova-sync/FileRules.h"

#include "Platform/Utf.h"
#include "kova-sync/SettingsStore.h"

#include <algorithm>

namespace KovaSync {
namespace {

constexpr std::uint64_t kDefaultMaxKB = 51200;

} // namespace

FileRules FileRules::FromSettings() {
    const std::optional<SettingValue> patterns = ReadSetting(L"MeridioSync.ExcludeFileRegEx");
    const std::optional<SettingValue> maxKB = ReadSetting(L"MeridioSync.MaxFileSizeInKB");
    const std::uint64_t kilobytes =
        maxKB && maxKB->type == REG_DWORD ? std::stoull(maxKB->text) : kDefaultMaxKB;
    return FileRules(patterns && patterns->type == REG_SZ ? patterns->text : L"", kilobytes << 10);
}

FileRules::FileRules(const std::wstring& patterns, std::uint64_t maxBytes) : maxBytes_(maxBytes) {
    std::wstring text = patterns;
    for (std::size_t at = text.find(L"\\n"); at != std::wstring::npos; at = text.find(L"\\n", at + 1)) {
        text.replace(at, 2, L"\n");
    }
    // An empty piece would match every name: it excludes nothing.
    for (std::size_t begin = 0; begin <= text.size();) {
        const std::size_t end = std::min(text.find(L'\n', begin), text.size());
        if (end > begin) {
            patterns_.emplace_back(text.substr(begin, end - begin),
                                   std::regex_constants::ECMAScript | std::regex_constants::icase);
        }
        begin = end + 1;
    }
}

std::optional<std::string> FileRules::Excludes(const std::string& name, std::uint64_t size) const {
    const std::wstring wide = Platform::Utf8ToWide(name);
    for (const std::wregex& pattern : patterns_) {
        if (std::regex_search(wide, pattern)) {
            return std::string("MeridioSync.ExcludeFileRegEx");
        }
    }
    if (size > maxBytes_) {
        return "larger than MeridioSync.MaxFileSizeInKB (" + std::to_string(maxBytes_ >> 10) + " KB)";
    }
    return std::nullopt;
}

} // namespace KovaSync
