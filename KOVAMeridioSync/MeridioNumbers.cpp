#include "KOVAMeridioSync/MeridioNumbers.h"

#include <cwchar>
#include <limits>

LONG ParseDecimal(const CStdStr<wchar_t>& text) {
    const long long value = std::wcstoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<LONG>::max()) {
        return std::numeric_limits<LONG>::max();
    }
    if (value < std::numeric_limits<LONG>::min()) {
        return std::numeric_limits<LONG>::min();
    }
    return static_cast<LONG>(value);
}
