#include "KOVACommon/LSUtf8Converter.h"

#include <stdexcept>

namespace LSHttpRequestMocks {

namespace {

[[noreturn]] void BadConversion() {
    throw std::range_error("bad conversion");
}

bool IsScalarValue(char32_t code) {
    return code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

} // namespace

std::string Utf8Converter::to_bytes(std::wstring_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t character : text) {
        const auto code = static_cast<char32_t>(character);
        if (!IsScalarValue(code)) {
            BadConversion();
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

std::wstring Utf8Converter::from_bytes(std::string_view bytes) const {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            smallest = 0x10000;
        } else {
            BadConversion();
        }
        if (at + length > bytes.size()) {
            BadConversion();
        }
        for (std::size_t next = 1; next < length; ++next) {
            const auto continuation = static_cast<unsigned char>(bytes[at + next]);
            if ((continuation & 0xC0) != 0x80) {
                BadConversion();
            }
            code = (code << 6) | (continuation & 0x3F);
        }
        if (code < smallest || !IsScalarValue(code)) {
            BadConversion();
        }
        text += static_cast<wchar_t>(code);
        at += length;
    }
    return text;
}

Utf8Converter& GetUtf8Converter() {
    thread_local Utf8Converter converter;
    return converter;
}

} // namespace LSHttpRequestMocks
