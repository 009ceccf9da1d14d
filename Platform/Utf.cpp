#include "Platform/Utf.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace Platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0xFFFFFFFF; // what the decoders give for an invalid sequence

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Decodes one code point at text[i], advancing i past it (or past the invalid subpart).
char32_t DecodeOne(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    int extra;
    char32_t cp;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F; // no encoded surrogates
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return kInvalid;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size()) {
            return kInvalid;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        const bool ok = k == 0 ? (c >= low && c <= high) : IsContinuation(c);
        if (!ok) {
            return kInvalid;
        }
        cp = (cp << 6) | (c & 0x3F);
        ++i;
    }
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The code point at wide[i], a high/low surrogate pair joined (i then moves to the low half);
// kInvalid for a lone surrogate or a value beyond U+10FFFF.
char32_t EncodeOne(std::wstring_view wide, std::size_t& i) {
    auto cp = static_cast<char32_t>(wide[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
        const auto next = static_cast<char32_t>(wide[i + 1]);
        if (next >= 0xDC00 && next <= 0xDFFF) {
            ++i;
            return 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
        }
    }
    return (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF ? kInvalid : cp;
}

// The length of the run of ASCII bytes at the start of the text, tested eight bytes at a time:
// the texts converted are mostly ASCII (markup, names, numbers).
std::size_t AsciiRun(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t n = 0;
    for (std::uint64_t block = 0; n + sizeof block <= text.size(); n += sizeof block) {
        std::memcpy(&block, text.data() + n, sizeof block);
        if ((block & kHighBits) != 0) {
            break;
        }
    }
    while (n < text.size() && static_cast<unsigned char>(text[n]) < 0x80) {
        ++n;
    }
    return n;
}

std::size_t AsciiRun(std::wstring_view text) {
    const auto unit = [&](std::size_t at) { return static_cast<std::make_unsigned_t<wchar_t>>(text[at]); };
    std::size_t n = 0;
    for (; n + 4 <= text.size(); n += 4) {
        if ((unit(n) | unit(n + 1) | unit(n + 2) | unit(n + 3)) >= 0x80) {
            break;
        }
    }
    while (n < text.size() && unit(n) < 0x80) {
        ++n;
    }
    return n;
}

// Gives each run of ASCII bytes to emitAscii and each other character to emit, U+FFFD for each
// maximal invalid subpart.
template <class EmitAscii, class Emit>
void DecodeReplacing(std::string_view utf8, EmitAscii emitAscii, Emit emit) {
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t run = AsciiRun(utf8.substr(i));
        if (run != 0) {
            emitAscii(utf8.substr(i, run));
            i += run;
            continue;
        }
        const char32_t cp = DecodeOne(utf8, i);
        emit(static_cast<wchar_t>(cp == kInvalid ? kReplacement : cp));
    }
}

} // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    DecodeReplacing(
        utf8, [&](std::string_view ascii) { out.insert(out.end(), ascii.begin(), ascii.end()); },
        [&](wchar_t c) { out += c; });
    return out;
}

std::size_t Utf8ToWideLength(std::string_view utf8) {
    std::size_t length = 0;
    DecodeReplacing(
        utf8, [&](std::string_view ascii) { length += ascii.size(); }, [&](wchar_t) { ++length; });
    return length;
}

void Utf8ToWideInto(std::string_view utf8, wchar_t* out) {
    DecodeReplacing(
        utf8, [&](std::string_view ascii) { out = std::copy(ascii.begin(), ascii.end(), out); },
        [&](wchar_t c) { *out++ = c; });
}

std::optional<std::wstring> Utf8ToWideExact(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = DecodeOne(utf8, i);
        if (cp == kInvalid) {
            return std::nullopt;
        }
        out += static_cast<wchar_t>(cp);
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size();) {
        const std::size_t run = AsciiRun(wide.substr(i));
        if (run != 0) {
            const std::size_t at = out.size();
            out.resize(at + run);
            std::transform(wide.begin() + i, wide.begin() + i + run, out.begin() + at,
                           [](wchar_t c) { return static_cast<char>(c); });
            i += run;
            continue;
        }
        const char32_t cp = EncodeOne(wide, i);
        AppendUtf8(out, cp == kInvalid ? kReplacement : cp);
        ++i;
    }
    return out;
}

std::optional<std::string> WideToUtf8Exact(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char32_t cp = EncodeOne(wide, i);
        if (cp == kInvalid) {
            return std::nullopt;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

} // namespace Platform
