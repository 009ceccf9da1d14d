// Numbers read from and written as locale text, for the Var*FromStr calls and VariantChangeType
// (internal to Platform/).
#pragma once

#include "Platform/LocaleTable.h"

#include <string>
#include <string_view>

namespace Platform {

// value = digits x 10^exponent, negated when negative; digits has no leading zeros ("" is zero).
struct DecimalNumber {
    bool negative = false;
    std::string digits;
    long exponent = 0;
};

// Reads a number in the locale's form: blanks around it, a leading or trailing sign or parentheses,
// the currency symbol before or after it, thousands separators in the whole part, the decimal
// separator, an exponent. Returns S_OK, or DISP_E_TYPEMISMATCH for any other text.
HRESULT ParseDecimal(std::wstring_view text, const LocaleData& locale, DecimalNumber* number);

// S_OK or DISP_E_OVERFLOW.
HRESULT DecimalToDouble(const DecimalNumber& number, double* value);

// value x 10^scale rounded half to even into a 64-bit signed (or, with isUnsigned, unsigned) integer;
// S_OK or DISP_E_OVERFLOW.
HRESULT DecimalToScaledInteger(const DecimalNumber& number, int scale, bool isUnsigned, ULONGLONG* bits);

// Up to `significantDigits` digits, exponent form for very large or small values ("1E+20").
std::wstring FormatDouble(double value, int significantDigits, const LocaleData& locale);
// Up to four decimals, trailing zeros dropped, no currency symbol.
std::wstring FormatCurrency(LONGLONG scaled, const LocaleData& locale);

} // namespace Platform
