#include "VantrelCommon/TextUtils.h"

#include "VantrelCommon/Exceptions.h"

#include "Platform/Utf.h"
#include "Platform/WinNls.h"

#include <cstdint>
#include <cwchar>
#include <iomanip>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

using Str = CStdStr<wchar_t>;

std::string WideToAnsi(const wchar_t* text, std::size_t length) {
    const int wideLength = static_cast<int>(length);
    const int size = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_ACP, 0, text, wideLength, converted.data(), size, nullptr, nullptr);
    }
    return converted;
}

template <class Text> Text OrBadConversion(std::optional<Text> converted) {
    if (!converted) {
        throw std::range_error("bad conversion");
    }
    return std::move(*converted);
}

int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    ThrowHResult(E_INVALIDARG);
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The characters of XML 1.0 (a surrogate pair stands for one character above U+FFFF).
bool IsXmlCharacter(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Not even a character reference carries these into XML 1.0: a request holding one is ill-formed.
void ThrowIfNotXmlText(std::wstring_view text, std::string_view field) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
            continue;
        }
        if (!IsXmlCharacter(text[i])) {
            std::ostringstream message;
            message << "Cannot send " << field << ": it holds the character U+" << std::uppercase << std::hex
                    << std::setw(4) << std::setfill('0') << static_cast<std::uint32_t>(text[i])
                    << ", which XML cannot carry";
            throw hresult_exception(E_INVALIDARG, message.str().c_str());
        }
    }
}

} // namespace

std::string Utf8Converter::ToBytes(const wchar_t* text, std::size_t length) const {
    return Platform::WideToUtf8Exact({text, length}).value_or("?");
}

std::string Utf8Converter::to_bytes(std::wstring_view text) const {
    return OrBadConversion(Platform::WideToUtf8Exact(text));
}

std::wstring Utf8Converter::from_bytes(std::string_view bytes) const {
    return OrBadConversion(Platform::Utf8ToWideExact(bytes));
}

void ReplaceAll(CStdStr<wchar_t>& text, std::wstring_view from, std::wstring_view to) {
    if (from.empty()) {
        return;
    }
    for (auto at = text.find(from); at != Str::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

Utf8Converter& GetThreadUtf8Converter() {
    thread_local Utf8Converter converter;
    return converter;
}

CStdStr<wchar_t> XmlEscape(const CStdStr<wchar_t>& text, std::string_view field) {
    Str escaped(text.c_str());
    ThrowIfNotXmlText(std::wstring_view(escaped.c_str()), field);
    ReplaceAll(escaped, L"&", L"&amp;"); // first, so that later entities are not escaped again
    ReplaceAll(escaped, L"<", L"&lt;");
    ReplaceAll(escaped, L">", L"&gt;");
    ReplaceAll(escaped, L"'", L"&apos;");
    ReplaceAll(escaped, L"\"", L"&quot;");
    return escaped;
}

std::ostream& WriteWideAsUtf8(std::ostream& stream, const wchar_t* text, std::size_t length) {
    if (text == nullptr || length == 0) {
        return stream;
    }
    const std::string bytes = GetThreadUtf8Converter().ToBytes(text, length);
    if (bytes != "?") {
        return stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    try {
        return stream << "utf8_log_failed: " << WideToAnsi(text, length);
    } catch (const std::bad_alloc&) {
        _com_issue_error(E_OUTOFMEMORY);
    }
}

std::ostream& operator<<(std::ostream& stream, const std::wstring& text) {
    return WriteWideAsUtf8(stream, text.data(), text.size());
}

std::ostream& operator<<(std::ostream& stream, const wchar_t* text) {
    return WriteWideAsUtf8(stream, text, text == nullptr ? 0 : std::wcslen(text));
}

std::ostream& operator<<(std::ostream& stream, const _bstr_t& text) {
    return WriteWideAsUtf8(stream, static_cast<const wchar_t*>(text), text.length());
}

CStdStr<wchar_t> UrlDecode(const CStdStr<wchar_t>& text) {
    Str decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            throw hresult_exception(E_INVALIDARG, "Invalid encoding");
        }
        const int high = HexDigitValue(text[i + 1]);
        const int low = HexDigitValue(text[i + 2]);
        decoded += static_cast<wchar_t>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

CStdStr<wchar_t>& TrimLeadingSpaces(CStdStr<wchar_t>& text) {
    text.erase(0, text.find_first_not_of(L' '));
    return text;
}

int ToInt(const CStdStr<wchar_t>& text) {
    int value = 0;
    if (std::swscanf(text.c_str(), L"%d", &value) == EOF) {
        ThrowHResult(E_INVALIDARG);
    }
    return value;
}

std::optional<std::uint32_t> ParseDigits(std::wstring_view text, std::uint32_t ceiling) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint32_t>(c - L'0');
        const bool beyond = digit > ceiling || value > (ceiling - digit) / 10;
        value = beyond ? ceiling : value * 10 + digit;
    }
    return value;
}

CStdStr<wchar_t> ToString(std::uint32_t value) {
    std::wostringstream stream;
    stream << value;
    return stream.str();
}

CStdStr<wchar_t> ToHexString(std::uint32_t value) {
    constexpr int kDigits = 8;
    std::wstring text(2 + kDigits, L'0');
    text[1] = L'x';
    for (int digit = kDigits - 1; digit >= 0; --digit, value >>= 4) {
        text[2 + digit] = L"0123456789abcdef"[value & 0xF];
    }
    return CStdStr<wchar_t>(text);
}
