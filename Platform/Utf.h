// UTF-8 <-> wide text for the layer's own use (paths, the environment, files on disk).
#pragma once

#include <string>
#include <string_view>

namespace Platform {

// Invalid sequences decode to U+FFFD, one per maximal invalid subpart.
std::wstring Utf8ToWide(std::string_view utf8);

// A high/low surrogate pair held in two wchar_t units is joined; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

} // namespace Platform
