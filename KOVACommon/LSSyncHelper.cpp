#include "KOVACommon/LSSyncHelper.h"

#include "KOVACommon/LSPropertyHelpers.h"
#include "Platform/ComUtil.h"
#include "Platform/WinBase.h"
#include "Platform/WinNls.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/InterfaceBoundary.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/ResourceLibraries.h"

#include <regex>

namespace {

constexpr int kCurrencySymbolLength = 10;
constexpr ULONGLONG kFileTimeUnitsPerMinute = 600000000ULL;

enum FieldType : LONG { NoType = 0, FirstTextType = 1, LastTextType = 4, NumberType = 5, DateType = 6 };

void RemoveAll(CStdStr<wchar_t>& text, const CStdStr<wchar_t>& part) {
    if (part.empty()) {
        return;
    }
    for (auto at = text.find(part); at != std::wstring::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
}

void ReplaceEach(CStdStr<wchar_t>& text, wchar_t from, wchar_t to) {
    for (wchar_t& c : text) {
        if (c == from) {
            c = to;
        }
    }
}

// The text as a date in the user's locale.
bool ToVariantDate(const CStdStr<wchar_t>& text, VARIANT& date) {
    _variant_t source(text.c_str());
    return SUCCEEDED(VariantChangeType(&date, &source, 0, VT_DATE));
}

// Longer than any server date text ("2024-03-05T07:08:09.1234567Z"). The matcher recurses once per
// character, so a long field value must not reach it.
constexpr std::size_t kLongestServerDateText = 64;

bool IsServerDateText(const CStdStr<wchar_t>& text) {
    if (text.size() > kLongestServerDateText) {
        return false;
    }
    static const std::wregex withoutFraction(L"^\\d+\\-\\d+\\-\\d+T\\d+\\:\\d+\\:\\d+Z");
    static const std::wregex withFraction(L"^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\.\\d*Z$");
    return std::regex_search(text, withoutFraction) || std::regex_search(text, withFraction);
}

HRESULT StoreText(ILSPropertyMap* map, const _bstr_t& name, CStdStr<wchar_t> text) {
    CStdStr<wchar_t> localText;
    if (ParseDateString(text, localText)) {
        text = localText;
    }
    return map->put_ItemStr(name, _bstr_t(text.c_str()));
}

HRESULT StoreNumber(ILSKOVAFieldInfo* field, ILSPropertyMap* map, const _bstr_t& name,
                    CStdStr<wchar_t> text) {
    if (field->GetisPercentage() != VARIANT_FALSE) {
        text.TrimRight(L"%");
    }
    const LCID userLocale = GetUserDefaultLCID();
    if (field->GetisCurrency() != VARIANT_FALSE) {
        const auto fieldLocale = static_cast<LCID>(field->GetLocaleId());
        LSDIAG_DIAG << "is a currency field - check if it is our locale:" << userLocale << "Field locale is "
                    << fieldLocale;
        if (fieldLocale == userLocale) {
            wchar_t symbol[kCurrencySymbolLength + 1] = {};
            if (GetLocaleInfoW(userLocale, LOCALE_SCURRENCY, symbol, kCurrencySymbolLength) > 0) {
                RemoveAll(text, symbol);
            }
            VARIANT amount{};
            amount.vt = VT_CY;
            if (FAILED(VarCyFromStr(text.c_str(), userLocale, 0, &amount.cyVal))) {
                LSDIAG_ERROR << "Failed to convert number to variant:" << text;
                return S_OK;
            }
            return map->put_ItemVar(name, &amount);
        }
    }
    DOUBLE number = 0;
    if (FAILED(VarR8FromStr(text.c_str(), userLocale, 0, &number))) {
        LSDIAG_ERROR << "Failed to convert string value " << text << " to double ";
        return S_OK;
    }
    return map->put_ItemDouble(name, number);
}

HRESULT StoreDate(ILSPropertyMap* map, const _bstr_t& name, const CStdStr<wchar_t>& text) {
    _variant_t date;
    if (!DateStringToVariantDate(text, date.GetVARIANT())) {
        return S_OK;
    }
    return map->put_ItemDate(name, date.date);
}

// Read once per process.
DWORD LightSyncDurationMinutes() {
    static const DWORD minutes =
        LSSetting::GetInstance()
            ->GetUserDwordConfigDetails(L"SharePointSync.HealthScoreLightSyncDuration", 2)
            .value;
    return minutes;
}

} // namespace

CStdStr<wchar_t> SystemTimesToSharePointDateString(const SYSTEMTIME& time) {
    return FormatString(L"%hu-%.2hu-%.2huT%.2hu:%.2hu:%.2huZ", time.wYear, time.wMonth, time.wDay, time.wHour,
                        time.wMinute, time.wSecond);
}

CStdStr<wchar_t> VariantTimeToDateString(DATE date, const wchar_t* separator) {
    SYSTEMTIME time{};
    VariantTimeToSystemTime(date, &time);
    return FormatString(L"%hu-%.2hu-%.2hu%s%.2hu:%.2hu:%.2hu", time.wYear, time.wMonth, time.wDay,
                        separator == nullptr ? L"" : separator, time.wHour, time.wMinute, time.wSecond);
}

CStdStr<wchar_t> VariantTimeToSharePointDateString(const VARIANT& date) {
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(date.date, &time)) {
        LSDIAG_ERROR << "VariantTimeToSystemTime failed for receiptDate: " << date.date;
        return CStdStr<wchar_t>();
    }
    CStdStr<wchar_t> text = SystemTimesToSharePointDateString(time);
    if (text.empty()) {
        LSDIAG_ERROR << "SystemTimesToSharePointDateString failed for receiptDate: " << date.date;
    }
    return text;
}

bool ParseDateString(const CStdStr<wchar_t>& text, CStdStr<wchar_t>& localText) {
    // Only a date is normalised: any other text stays as the caller has it.
    CStdStr<wchar_t> candidate = text;
    candidate.Trim();
    if (EndsWith(candidate, L"UTC")) {
        candidate.erase(candidate.size() - 3);
    }
    if (!IsServerDateText(candidate)) {
        return false;
    }
    CStdStr<wchar_t> plain = candidate;
    ReplaceEach(plain, L'T', L' ');
    RemoveAll(plain, L"Z");
    _variant_t date;
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!ToVariantDate(plain, date.GetVARIANT()) || !VariantTimeToSystemTime(date.date, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return false;
    }
    localText = FormatLocalDateTime(local);
    return true;
}

bool DateStringToVariantDate(const CStdStr<wchar_t>& text, VARIANT& date) {
    CStdStr<wchar_t> plain = text;
    RemoveAll(plain, L"UTC");
    ReplaceEach(plain, L'T', L' ');
    ReplaceEach(plain, L'Z', L' ');
    _variant_t converted;
    if (!ToVariantDate(plain, converted.GetVARIANT())) {
        return false;
    }
    return SUCCEEDED(VariantCopy(&date, &converted.GetVARIANT()));
}

CStdStr<wchar_t> GetLightSyncEndTime() {
    const DWORD minutes = LightSyncDurationMinutes();
    SYSTEMTIME now{};
    GetSystemTime(&now);
    FILETIME stamp{};
    if (!SystemTimeToFileTime(&now, &stamp)) {
        return CStdStr<wchar_t>();
    }
    ULARGE_INTEGER units{};
    units.LowPart = stamp.dwLowDateTime;
    units.HighPart = stamp.dwHighDateTime;
    units.QuadPart += minutes * kFileTimeUnitsPerMinute;
    stamp.dwLowDateTime = units.LowPart;
    stamp.dwHighDateTime = units.HighPart;
    SYSTEMTIME end{};
    if (!FileTimeToSystemTime(&stamp, &end)) {
        return CStdStr<wchar_t>();
    }
    return SystemTimesToSharePointDateString(end);
}

bool EnableLightSyncMode() {
    const DWORD minutes = LightSyncDurationMinutes();
    if (minutes == 0) {
        return false;
    }
    const CStdStr<wchar_t> endTime = GetLightSyncEndTime();
    if (endTime.empty()) {
        return false;
    }
    if (!LSSetting::GetInstance()->SaveUserString(L"SharepointSync.HealthScoreLightSyncEndTime", endTime,
                                                  L"")) {
        LSDIAG_ERROR << "Failed to save the light sync end time " << endTime;
        return false;
    }
    LSDIAG_DIAG << "SharePoint Light Sync mode enabled due to exceeded health score threshold or 503/429, "
                   "Background syncing disabled until: "
                << endTime;
    return true;
}

namespace LSSyncHelper {

HRESULT setFieldValue(ILSKOVAFieldInfo* field, ILSPropertyMap* map, const CStdStr<wchar_t>& value) {
    try {
        if (value.empty()) {
            return S_OK;
        }
        const LONG type = field->GetFieldType();
        if (type == NoType) {
            return S_OK;
        }
        CStdStr<wchar_t> name(field->GetDisplayName());
        ConvertNameDashes(name);
        const _bstr_t propertyName(name.c_str());
        const CStdStr<wchar_t> text(field->GetDisplayFieldValue(_bstr_t(value.c_str())));
        if (type >= FirstTextType && type <= LastTextType) {
            return StoreText(map, propertyName, text);
        }
        if (type == NumberType) {
            return StoreNumber(field, map, propertyName, text);
        }
        if (type == DateType) {
            return StoreDate(map, propertyName, text);
        }
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSSyncHelper::setFieldValue", __FILE__, __LINE__, nullptr);
    }
}

} // namespace LSSyncHelper
