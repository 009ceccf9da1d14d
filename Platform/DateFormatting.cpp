// GetDateFormatW and GetTimeFormatW over a small picture renderer.
#include "Platform/DateFormatting.h"

#include "Platform/Calendar.h"
#include "Platform/NlsBuffer.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinNls.h"

#include <vector>

namespace {

struct PictureToken {
    wchar_t field; // 0 for literal text
    std::size_t count;
    std::wstring text;
};

std::vector<PictureToken> Tokenize(std::wstring_view picture, std::wstring_view fieldLetters) {
    std::vector<PictureToken> tokens;
    auto appendLiteral = [&](wchar_t c) {
        if (tokens.empty() || tokens.back().field != 0) {
            tokens.push_back({0, 0, {}});
        }
        tokens.back().text += c;
    };
    for (std::size_t i = 0; i < picture.size();) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            ++i;
            if (i < picture.size() && picture[i] == L'\'') {
                appendLiteral(L'\'');
                ++i;
                continue;
            }
            for (; i < picture.size(); ++i) {
                if (picture[i] == L'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                        appendLiteral(L'\'');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                appendLiteral(picture[i]);
            }
            continue;
        }
        if (fieldLetters.find(c) != std::wstring_view::npos) {
            std::size_t end = i;
            while (end < picture.size() && picture[end] == c) {
                ++end;
            }
            tokens.push_back({c, end - i, {}});
            i = end;
            continue;
        }
        appendLiteral(c);
        ++i;
    }
    return tokens;
}

std::wstring Number(unsigned value, std::size_t minimumDigits) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < minimumDigits) {
        text.insert(0, minimumDigits - text.size(), L'0');
    }
    return text;
}

bool Dropped(wchar_t field, DWORD flags) {
    switch (field) {
    case L'm':
        return (flags & TIME_NOMINUTESORSECONDS) != 0;
    case L's':
        return (flags & (TIME_NOMINUTESORSECONDS | TIME_NOSECONDS)) != 0;
    case L't':
        return (flags & TIME_NOTIMEMARKER) != 0;
    default:
        return false;
    }
}

} // namespace

namespace Platform {

std::wstring FormatDatePicture(const LocaleData& locale, const SYSTEMTIME& date, std::wstring_view picture) {
    const WORD dayOfWeek = DayOfWeek(DaysFromCivil(date.wYear, date.wMonth, date.wDay));
    std::wstring text;
    for (const PictureToken& token : Tokenize(picture, L"dMyg")) {
        switch (token.field) {
        case L'd':
            text += token.count <= 2   ? Number(date.wDay, token.count)
                    : token.count == 3 ? locale.abbreviatedDays[dayOfWeek]
                                       : locale.days[dayOfWeek];
            break;
        case L'M':
            text += token.count <= 2   ? Number(date.wMonth, token.count)
                    : token.count == 3 ? locale.abbreviatedMonths[date.wMonth - 1]
                                       : locale.months[date.wMonth - 1];
            break;
        case L'y':
            text += token.count <= 2 ? Number(date.wYear % 100, token.count) : Number(date.wYear, 1);
            break;
        case L'g':
            break;
        default:
            text += token.text;
        }
    }
    return text;
}

std::wstring FormatTimePicture(const LocaleData& locale, const SYSTEMTIME& time, std::wstring_view picture,
                               DWORD flags) {
    std::vector<PictureToken> tokens = Tokenize(picture, L"hHmst");
    // A dropped field takes the literal text in front of it along (":" before seconds, " " before AM).
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].field != 0 && Dropped(tokens[i].field, flags)) {
            if (i > 0 && tokens[i - 1].field == 0) {
                tokens[i - 1].text.clear();
            }
            tokens[i].count = 0;
        }
    }
    const std::wstring_view marker = time.wHour < 12 ? locale.am : locale.pm;
    const unsigned twelveHour = time.wHour % 12 == 0 ? 12 : time.wHour % 12;
    std::wstring text;
    for (const PictureToken& token : tokens) {
        if (token.field != 0 && token.count == 0) {
            continue;
        }
        const std::size_t digits = token.count >= 2 ? 2 : 1;
        switch (token.field) {
        case L'h':
            text += (flags & TIME_FORCE24HOURFORMAT) != 0 ? Number(time.wHour, digits)
                                                          : Number(twelveHour, digits);
            break;
        case L'H':
            text += Number(time.wHour, digits);
            break;
        case L'm':
            text += Number(time.wMinute, digits);
            break;
        case L's':
            text += Number(time.wSecond, digits);
            break;
        case L't':
            text += token.count == 1 ? marker.substr(0, 1) : marker;
            break;
        default:
            text += token.text;
        }
    }
    return text;
}

} // namespace Platform

namespace {

const Platform::LocaleData* LocaleOrFail(LCID lcid) {
    const Platform::LocaleData* locale = Platform::FindLocale(lcid);
    if (locale == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    return locale;
}

SYSTEMTIME GivenOrNow(const SYSTEMTIME* time) {
    if (time != nullptr) {
        return *time;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}

int FailWith(DWORD error) {
    SetLastError(error);
    return 0;
}

} // namespace

int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat, LPWSTR lpDateStr,
                   int cchDate) {
    const Platform::LocaleData* locale = LocaleOrFail(Locale);
    if (locale == nullptr) {
        return 0;
    }
    const DWORD kinds = dwFlags & (DATE_SHORTDATE | DATE_LONGDATE);
    if ((dwFlags & ~(DATE_SHORTDATE | DATE_LONGDATE | LOCALE_NOUSEROVERRIDE)) != 0 ||
        kinds == (DATE_SHORTDATE | DATE_LONGDATE) || (lpFormat != nullptr && kinds != 0)) {
        return FailWith(ERROR_INVALID_FLAGS);
    }
    SYSTEMTIME date = GivenOrNow(lpDate);
    date.wHour = date.wMinute = date.wSecond = date.wMilliseconds = 0; // only the date is checked
    if (date.wYear < 1 || !Platform::HasValidFields(date)) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const wchar_t* picture = lpFormat != nullptr      ? lpFormat
                             : kinds == DATE_LONGDATE ? locale->longDate.c_str()
                                                      : locale->shortDate.c_str();
    return Platform::DeliverTerminated(Platform::FormatDatePicture(*locale, date, picture), lpDateStr,
                                       cchDate);
}

int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat, LPWSTR lpTimeStr,
                   int cchTime) {
    const Platform::LocaleData* locale = LocaleOrFail(Locale);
    if (locale == nullptr) {
        return 0;
    }
    constexpr DWORD kKnown = TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER |
                             TIME_FORCE24HOURFORMAT | LOCALE_NOUSEROVERRIDE;
    if ((dwFlags & ~kKnown) != 0) {
        return FailWith(ERROR_INVALID_FLAGS);
    }
    const SYSTEMTIME time = GivenOrNow(lpTime);
    if (time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59 || time.wMilliseconds > 999) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const wchar_t* picture = lpFormat != nullptr ? lpFormat : locale->timeFormat.c_str();
    return Platform::DeliverTerminated(Platform::FormatTimePicture(*locale, time, picture, dwFlags),
                                       lpTimeStr, cchTime);
}
