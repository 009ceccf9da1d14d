#include "Platform/WideFormat.h"

#include "Platform/Utf.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Receives the formatted characters: counts them all, stores those that fit.
class Sink {
public:
    Sink(wchar_t* buffer, std::size_t limit) : buffer_(buffer), limit_(limit) {}

    void Put(wchar_t c) {
        if (buffer_ != nullptr && written_ < limit_) {
            buffer_[written_] = c;
        }
        ++written_;
    }
    void Put(const wchar_t* text, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i) {
            Put(text[i]);
        }
    }
    void Repeat(wchar_t c, std::size_t times) {
        for (std::size_t i = 0; i < times; ++i) {
            Put(c);
        }
    }
    std::size_t Written() const { return written_; }

private:
    wchar_t* buffer_;
    std::size_t limit_;
    std::size_t written_ = 0;
};

enum class Size { Default, Char, Short, Long64, Pointer, Narrow, Wide };

struct Spec {
    std::string flags;
    int width = -1;
    int precision = -1;
    bool leftAlign = false;
    Size size = Size::Default;
    wchar_t conversion = 0;
};

bool IsFlag(wchar_t c) {
    return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0';
}

// Reads a run of decimal digits; -1 when there is none.
int ReadDigits(const wchar_t*& p) {
    if (*p < L'0' || *p > L'9') {
        return -1;
    }
    int value = 0;
    while (*p >= L'0' && *p <= L'9') {
        value = value * 10 + (*p++ - L'0');
    }
    return value;
}

Size ReadSize(const wchar_t*& p) {
    auto starts = [&p](const wchar_t* prefix) {
        const std::size_t n = std::wcslen(prefix);
        if (std::wcsncmp(p, prefix, n) == 0) {
            p += n;
            return true;
        }
        return false;
    };
    if (starts(L"I64") || starts(L"ll") || starts(L"q")) {
        return Size::Long64;
    }
    if (starts(L"I32")) {
        return Size::Default;
    }
    if (starts(L"I") || starts(L"z") || starts(L"t") || starts(L"j")) {
        return Size::Pointer;
    }
    if (starts(L"hh")) {
        return Size::Char;
    }
    if (starts(L"h")) {
        return Size::Short;
    }
    if (starts(L"l") || starts(L"w")) {
        return Size::Wide; // a wide string or character; on integers, 32 bits
    }
    starts(L"L"); // long double is double here, as on Windows
    return Size::Default;
}

bool ParseSpec(const wchar_t*& p, va_list& args, Spec& spec) {
    while (IsFlag(*p)) {
        spec.leftAlign = spec.leftAlign || *p == L'-';
        spec.flags += static_cast<char>(*p++);
    }
    if (*p == L'*') { // a negative width from the arguments means left alignment
        ++p;
        const int width = va_arg(args, int);
        if (width < 0) {
            spec.leftAlign = true;
            spec.flags += '-';
        }
        spec.width = width < 0 ? -width : width;
    } else {
        spec.width = ReadDigits(p);
    }
    if (*p == L'.') {
        ++p;
        if (*p == L'*') { // a negative precision from the arguments means none
            ++p;
            const int precision = va_arg(args, int);
            spec.precision = precision < 0 ? -1 : precision;
        } else {
            const int digits = ReadDigits(p);
            spec.precision = digits < 0 ? 0 : digits; // "." alone is precision 0
        }
    }
    spec.size = ReadSize(p);
    spec.conversion = *p;
    if (spec.conversion == 0) {
        return false;
    }
    ++p;
    return true;
}

void PutAligned(Sink& sink, const Spec& spec, const wchar_t* text, std::size_t length) {
    const std::size_t width = spec.width > 0 ? static_cast<std::size_t>(spec.width) : 0;
    const std::size_t padding = width > length ? width - length : 0;
    if (!spec.leftAlign) {
        sink.Repeat(L' ', padding);
    }
    sink.Put(text, length);
    if (spec.leftAlign) {
        sink.Repeat(L' ', padding);
    }
}

void PutString(Sink& sink, const Spec& spec, const wchar_t* text) {
    std::size_t length = 0;
    while (text[length] != L'\0' &&
           (spec.precision < 0 || length < static_cast<std::size_t>(spec.precision))) {
        ++length;
    }
    PutAligned(sink, spec, text, length);
}

// Numbers are formatted by the C library from a narrow conversion directive that we build.
template <class T> bool PutNumber(Sink& sink, const Spec& spec, const char* lengthModifier, T value) {
    std::string format = "%" + spec.flags;
    if (spec.width >= 0) {
        format += std::to_string(spec.width);
    }
    if (spec.precision >= 0) {
        format += "." + std::to_string(spec.precision);
    }
    format += lengthModifier;
    format += static_cast<char>(spec.conversion);
    char small[128];
    int length = std::snprintf(small, sizeof small, format.c_str(), value);
    if (length < 0) {
        return false;
    }
    std::vector<char> large;
    const char* text = small;
    if (static_cast<std::size_t>(length) >= sizeof small) {
        large.resize(static_cast<std::size_t>(length) + 1);
        std::snprintf(large.data(), large.size(), format.c_str(), value);
        text = large.data();
    }
    for (int i = 0; i < length; ++i) {
        sink.Put(static_cast<wchar_t>(static_cast<unsigned char>(text[i])));
    }
    return true;
}

bool PutInteger(Sink& sink, const Spec& spec, va_list& args) {
    const bool isSigned = spec.conversion == L'd' || spec.conversion == L'i';
    switch (spec.size) {
    case Size::Long64:
    case Size::Pointer:
        return isSigned
                   ? PutNumber(sink, spec, "ll", static_cast<long long>(va_arg(args, long long)))
                   : PutNumber(sink, spec, "ll", static_cast<unsigned long long>(va_arg(args, long long)));
    case Size::Short:
        return PutNumber(sink, spec, "h", va_arg(args, int));
    case Size::Char:
        return PutNumber(sink, spec, "hh", va_arg(args, int));
    default: // also `l`: 32 bits
        return isSigned ? PutNumber(sink, spec, "", va_arg(args, int))
                        : PutNumber(sink, spec, "", va_arg(args, unsigned int));
    }
}

bool PutConversion(Sink& sink, const Spec& spec, va_list& args) {
    const bool narrow = spec.size == Size::Short || spec.size == Size::Char;
    switch (spec.conversion) {
    case L'%':
        sink.Put(L'%');
        return true;
    case L'd':
    case L'i':
    case L'o':
    case L'u':
    case L'x':
    case L'X':
        return PutInteger(sink, spec, args);
    case L'e':
    case L'E':
    case L'f':
    case L'F':
    case L'g':
    case L'G':
    case L'a':
    case L'A':
        return PutNumber(sink, spec, "", va_arg(args, double));
    case L'p': {
        Spec address = spec;
        address.flags = "0";
        address.width = 2 * static_cast<int>(sizeof(void*));
        address.precision = -1;
        address.conversion = L'X';
        return PutNumber(
            sink, address, "ll",
            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(va_arg(args, void*))));
    }
    case L'c':
    case L'C': {
        const wchar_t character =
            spec.conversion == L'C' || narrow
                ? Platform::Utf8ToWide(std::string(1, static_cast<char>(va_arg(args, int))))[0]
                : static_cast<wchar_t>(va_arg(args, wint_t));
        PutAligned(sink, spec, &character, 1);
        return true;
    }
    case L's':
    case L'S': {
        if (spec.conversion == L'S' || narrow) {
            const char* text = va_arg(args, const char*);
            PutString(sink, spec, text == nullptr ? L"(null)" : Platform::Utf8ToWide(text).c_str());
        } else {
            const wchar_t* text = va_arg(args, const wchar_t*);
            PutString(sink, spec, text == nullptr ? L"(null)" : text);
        }
        return true;
    }
    default: // %n and unknown conversions
        return false;
    }
}

// The formatted length, or -1 for an invalid format.
long long FormatInto(Sink& sink, const wchar_t* format, va_list args) {
    if (format == nullptr) {
        return -1;
    }
    va_list own;
    va_copy(own, args);
    bool ok = true;
    for (const wchar_t* p = format; ok && *p != L'\0';) {
        if (*p != L'%') {
            sink.Put(*p++);
            continue;
        }
        ++p;
        Spec spec;
        ok = ParseSpec(p, own, spec) && PutConversion(sink, spec, own);
    }
    va_end(own);
    return ok ? static_cast<long long>(sink.Written()) : -1;
}

} // namespace

int _vscwprintf(const wchar_t* format, va_list argptr) {
    Sink counter(nullptr, 0);
    const long long length = FormatInto(counter, format, argptr);
    return length > INT32_MAX ? -1 : static_cast<int>(length);
}

int _vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list argptr) {
    if (buffer == nullptr && count != 0) {
        return -1;
    }
    Sink sink(buffer, count);
    const long long length = FormatInto(sink, format, argptr);
    if (length < 0 || static_cast<std::size_t>(length) > count || length > INT32_MAX) {
        return -1;
    }
    if (static_cast<std::size_t>(length) < count) {
        buffer[length] = L'\0';
    }
    return static_cast<int>(length);
}
