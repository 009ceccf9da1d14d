#include "KOVAMeridioSync/MeridioNumbers.h"

#include "VantrelCommon/TextUtils.h"

#include <charconv>
#include <cmath>
#include <cwchar>
#include <limits>
#include <string>

LONG ParseDecimal(const CStdStr<wchar_t>& text) {
    return ParseDecimalText(text.c_str());
}

LONG ParseDecimalText(const wchar_t* text) {
    const long long value = std::wcstoll(text, nullptr, 10);
    if (value > std::numeric_limits<LONG>::max()) {
        return std::numeric_limits<LONG>::max();
    }
    if (value < std::numeric_limits<LONG>::min()) {
        return std::numeric_limits<LONG>::min();
    }
    return static_cast<LONG>(value);
}

bool ParseObjectId(std::wstring_view text, LONG& id) {
    constexpr auto kLargest = static_cast<std::uint32_t>(std::numeric_limits<LONG>::max());
    const std::optional<std::uint32_t> value = ParseDigits(text, kLargest + 1);
    if (!value || *value == 0 || *value > kLargest) {
        return false;
    }
    id = static_cast<LONG>(*value);
    return true;
}

namespace {

bool IsXPathSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

bool ParseXPathWholeNumber(std::wstring_view text, LONG& id) {
    while (!text.empty() && IsXPathSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsXPathSpace(text.back())) {
        text.remove_suffix(1);
    }
    // Number ::= '-'? (Digits ('.' Digits?)? | '.' Digits), checked before it is converted.
    std::size_t at = text.starts_with(L'-') ? 1 : 0;
    std::size_t digits = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        ++digits;
    }
    if (at < text.size() && text[at] == L'.') {
        for (++at; at < text.size() && IsDigit(text[at]); ++at) {
            ++digits;
        }
    }
    if (digits == 0 || at != text.size()) {
        return false;
    }
    const std::string narrow(text.begin(), text.end()); // only ASCII digits, '-' and '.' are left
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(narrow.data(), narrow.data() + narrow.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != narrow.data() + narrow.size() || value != std::trunc(value) ||
        value < std::numeric_limits<LONG>::min() || value > std::numeric_limits<LONG>::max()) {
        return false;
    }
    id = static_cast<LONG>(value);
    return true;
}
