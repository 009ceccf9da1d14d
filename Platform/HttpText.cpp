#include "Platform/HttpText.h"

#include "Platform/Utf.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace Platform::Http {

namespace {

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

// The charset parameter of a content type ("text/xml; charset=\"ISO-8859-1\"" gives "iso-8859-1").
std::string CharsetOf(std::string_view contentType) {
    const std::string lowered = Lowered(contentType);
    const std::size_t at = lowered.find("charset=");
    if (at == std::string::npos) {
        return {};
    }
    std::string charset = lowered.substr(at + 8);
    charset = charset.substr(0, charset.find_first_of(";, \t"));
    charset.erase(std::remove(charset.begin(), charset.end(), '"'), charset.end());
    return charset;
}

// Converts through iconv; false when the charset is unknown.
bool DecodeWith(const char* charset, const BYTE* data, std::size_t size, std::wstring& text) {
    iconv_t converter = iconv_open("WCHAR_T", charset);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    text.clear();
    char* in = reinterpret_cast<char*>(const_cast<BYTE*>(data));
    std::size_t inLeft = size;
    wchar_t chunk[4096];
    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(chunk);
        std::size_t outLeft = sizeof(chunk);
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        text.append(chunk, (sizeof(chunk) - outLeft) / sizeof(wchar_t));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: one replacement character, then go on after the byte.
            text.push_back(L'\xFFFD');
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return true;
}

} // namespace

std::wstring DecodeText(const BYTE* data, std::size_t size, std::string_view contentType) {
    const auto startsWith = [&](std::initializer_list<BYTE> mark) {
        return size >= mark.size() && std::equal(mark.begin(), mark.end(), data);
    };
    std::wstring text;
    if (startsWith({0xEF, 0xBB, 0xBF})) {
        return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data) + 3, size - 3));
    }
    if (startsWith({0xFF, 0xFE}) && DecodeWith("UTF-16LE", data + 2, size - 2, text)) {
        return text;
    }
    if (startsWith({0xFE, 0xFF}) && DecodeWith("UTF-16BE", data + 2, size - 2, text)) {
        return text;
    }
    const std::string charset = CharsetOf(contentType);
    if (!charset.empty() && charset != "utf-8" && charset != "utf8" &&
        DecodeWith(charset.c_str(), data, size, text)) {
        return text;
    }
    return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
}

} // namespace Platform::Http
