#include "Platform/NumberText.h"

#include "Platform/WinError.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <limits>

namespace {

using Magnitude = unsigned __int128;

bool IsBlank(wchar_t c) {
    return std::iswspace(static_cast<wint_t>(c)) != 0 || c == L'\u00A0' || c == L'\u202F';
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

void SkipBlanks(std::wstring_view& text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
}

// The locale's thousands separator; a blank-like one also accepts the other blanks.
bool IsThousandsSeparator(std::wstring_view text, const Platform::LocaleData& locale, std::size_t* length) {
    const std::wstring_view separator = locale.thousand;
    if (separator.size() == 1 && IsBlank(separator.front())) {
        *length = 1;
        return !text.empty() && (text.front() == L' ' || IsBlank(text.front()));
    }
    *length = separator.size();
    return StartsWith(text, separator);
}

bool TakeCurrency(std::wstring_view& text, const Platform::LocaleData& locale) {
    if (StartsWith(text, locale.currency)) {
        text.remove_prefix(locale.currency.size());
        SkipBlanks(text);
        return true;
    }
    return false;
}

bool TakeSign(std::wstring_view& text, bool* negative) {
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        *negative = text.front() == L'-';
        text.remove_prefix(1);
        SkipBlanks(text);
        return true;
    }
    return false;
}

} // namespace

namespace Platform {

HRESULT ParseDecimal(std::wstring_view text, const LocaleData& locale, DecimalNumber* number) {
    *number = {};
    SkipBlanks(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    bool signed_ = false;
    bool parentheses = false;
    bool currency = TakeCurrency(text, locale);
    if (!text.empty() && text.front() == L'(') {
        parentheses = true;
        text.remove_prefix(1);
        SkipBlanks(text);
    } else {
        signed_ = TakeSign(text, &negative);
    }
    currency = currency || TakeCurrency(text, locale);

    std::string digits;
    long exponent = 0;
    bool sawDigit = false;
    bool inFraction = false;
    while (!text.empty()) {
        const wchar_t c = text.front();
        std::size_t separatorLength = 0;
        if (c >= L'0' && c <= L'9') {
            digits += static_cast<char>(c);
            exponent -= inFraction ? 1 : 0;
            sawDigit = true;
            text.remove_prefix(1);
        } else if (!inFraction && StartsWith(text, locale.decimal)) {
            inFraction = true;
            text.remove_prefix(locale.decimal.size());
        } else if (!inFraction && sawDigit && IsThousandsSeparator(text, locale, &separatorLength) &&
                   text.size() > separatorLength &&
                   std::iswdigit(static_cast<wint_t>(text[separatorLength]))) {
            text.remove_prefix(separatorLength);
        } else {
            break;
        }
    }
    if (!sawDigit) {
        return DISP_E_TYPEMISMATCH;
    }
    if (!text.empty() && (text.front() == L'e' || text.front() == L'E')) {
        text.remove_prefix(1);
        bool negativeExponent = false;
        if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
            negativeExponent = text.front() == L'-';
            text.remove_prefix(1);
        }
        long value = 0;
        bool any = false;
        while (!text.empty() && text.front() >= L'0' && text.front() <= L'9') {
            value = std::min(value * 10 + (text.front() - L'0'), 100000L);
            any = true;
            text.remove_prefix(1);
        }
        if (!any) {
            return DISP_E_TYPEMISMATCH;
        }
        exponent += negativeExponent ? -value : value;
    }
    SkipBlanks(text);
    if (!currency) {
        currency = TakeCurrency(text, locale);
    }
    if (parentheses) {
        if (text.empty() || text.front() != L')') {
            return DISP_E_TYPEMISMATCH;
        }
        text.remove_prefix(1);
        negative = true;
        SkipBlanks(text);
    } else if (!signed_) {
        TakeSign(text, &negative);
    }
    if (!currency) {
        TakeCurrency(text, locale);
    }
    if (!text.empty()) {
        return DISP_E_TYPEMISMATCH;
    }
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    number->digits = firstNonZero == std::string::npos ? std::string() : digits.substr(firstNonZero);
    number->exponent = number->digits.empty() ? 0 : exponent;
    number->negative = negative && !number->digits.empty();
    return S_OK;
}

HRESULT DecimalToDouble(const DecimalNumber& number, double* value) {
    if (number.digits.empty()) {
        *value = 0.0;
        return S_OK;
    }
    const std::string text = number.digits + "e" + std::to_string(number.exponent);
    double result = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error == std::errc::result_out_of_range) {
        // Too small underflows to zero; too large overflows.
        if (number.exponent + static_cast<long>(number.digits.size()) > 0) {
            return DISP_E_OVERFLOW;
        }
        result = 0.0;
    } else if (error != std::errc() || end != text.data() + text.size() || std::isinf(result)) {
        return DISP_E_OVERFLOW;
    }
    *value = number.negative ? -result : result;
    return S_OK;
}

HRESULT DecimalToScaledInteger(const DecimalNumber& number, int scale, bool isUnsigned, ULONGLONG* bits) {
    const long exponent = number.exponent + scale;
    const auto length = static_cast<long>(number.digits.size());
    if (length + exponent > 20) {
        return DISP_E_OVERFLOW;
    }
    Magnitude magnitude = 0;
    const long wholeDigits = std::max(0L, length + exponent);
    for (long i = 0; i < wholeDigits; ++i) {
        magnitude = magnitude * 10 + (i < length ? number.digits[static_cast<std::size_t>(i)] - '0' : 0);
    }
    // Half to even: look at the first dropped digit and whether anything follows it.
    if (exponent < 0) {
        const long firstDropped = length + exponent;
        const int dropped =
            firstDropped >= 0 ? number.digits[static_cast<std::size_t>(firstDropped)] - '0' : 0;
        const bool rest =
            number.digits.find_first_not_of('0', static_cast<std::size_t>(std::max(0L, firstDropped + 1))) !=
            std::string::npos;
        if (firstDropped >= 0 && (dropped > 5 || (dropped == 5 && (rest || (magnitude & 1) != 0)))) {
            ++magnitude;
        }
    }
    if (isUnsigned) {
        if ((number.negative && magnitude != 0) || magnitude > std::numeric_limits<ULONGLONG>::max()) {
            return DISP_E_OVERFLOW;
        }
        *bits = static_cast<ULONGLONG>(magnitude);
        return S_OK;
    }
    const Magnitude limit = number.negative ? Magnitude{1} << 63 : (Magnitude{1} << 63) - 1;
    if (magnitude > limit) {
        return DISP_E_OVERFLOW;
    }
    const auto value = static_cast<LONGLONG>(number.negative ? -static_cast<__int128>(magnitude)
                                                             : static_cast<__int128>(magnitude));
    *bits = static_cast<ULONGLONG>(value);
    return S_OK;
}

std::wstring FormatDouble(double value, int significantDigits, const LocaleData& locale) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, significantDigits).ptr;
    std::wstring result;
    for (const char* c = text; c != end; ++c) {
        if (*c == '.') {
            result += locale.decimal;
        } else {
            result += static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(*c)));
        }
    }
    return result;
}

std::wstring FormatCurrency(LONGLONG scaled, const LocaleData& locale) {
    const bool negative = scaled < 0;
    const Magnitude magnitude =
        negative ? static_cast<Magnitude>(-static_cast<__int128>(scaled)) : static_cast<Magnitude>(scaled);
    std::wstring text = std::to_wstring(static_cast<ULONGLONG>(magnitude / 10000));
    auto fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction != 0) {
        std::wstring digits = std::to_wstring(fraction + 10000).substr(1);
        digits.erase(digits.find_last_not_of(L'0') + 1);
        text += locale.decimal;
        text += digits;
    }
    return negative ? L"-" + text : text;
}

} // namespace Platform
