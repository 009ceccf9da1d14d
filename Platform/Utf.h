// UTF-8 <-> wide text: paths, the environment, files on disk, the log and recordings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Platform {

// Invalid sequences decode to U+FFFD, one per maximal invalid subpart.
std::wstring Utf8ToWide(std::string_view utf8);
// The same into a buffer of Utf8ToWideLength(utf8) characters (no terminator written), for a text
// too large to be held twice.
std::size_t Utf8ToWideLength(std::string_view utf8);
void Utf8ToWideInto(std::string_view utf8, wchar_t* out);

// A high/low surrogate pair held in two wchar_t units is joined; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// The same conversions without replacement: nothing when the input holds an invalid sequence, a
// lone surrogate or a value beyond U+10FFFF.
std::optional<std::wstring> Utf8ToWideExact(std::string_view utf8);
std::optional<std::string> WideToUtf8Exact(std::wstring_view wide);

} // namespace Platform
