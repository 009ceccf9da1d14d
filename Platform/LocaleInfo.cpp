// Locale queries. Of the locale's texts, the ISO names are offered.
#include "Platform/UserLocale.h"
#include "Platform/WideBuffer.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinNls.h"

LANGID GetUserDefaultUILanguage() {
    return static_cast<LANGID>(Platform::EnvironmentLocale("LC_MESSAGES").lcid);
}

int GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
    if (Locale == LOCALE_USER_DEFAULT || Locale == LOCALE_CUSTOM_DEFAULT) {
        Locale = Platform::EnvironmentLocale("LC_CTYPE").lcid;
    }
    const Platform::KnownLocale* locale = Platform::FindLocale(Locale);
    if (locale == nullptr || cchData < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const wchar_t* text = nullptr;
    switch (LCType) {
    case LOCALE_SISO639LANGNAME:
        text = locale->language;
        break;
    case LOCALE_SISO3166CTRYNAME:
        text = locale->country;
        break;
    default:
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const std::wstring_view value = text;
    if (cchData == 0) {
        return static_cast<int>(value.size() + 1);
    }
    if (Platform::CopyOrRequiredSize(value, lpLCData, static_cast<DWORD>(cchData)) != value.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(value.size() + 1);
}
