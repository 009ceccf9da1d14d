// GCC 12 with the sanitizers reports maybe-uninitialized inside the pattern compiler of <regex> (its
// std::function members), a false positive in the library; it is silenced for this file only, and
// before <regex> is first included, since the warning is placed in the library header.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "KOVACommon/LSExcludePatterns.h"

void AppendExcludePatterns(const CStdStr<wchar_t>& text, std::vector<std::wregex>& patterns) {
    for (const CStdStr<wchar_t>& pattern : Split(text, L'\n', 0x7FFFFFFF)) {
        patterns.emplace_back(pattern, std::regex_constants::ECMAScript | std::regex_constants::icase);
    }
}
