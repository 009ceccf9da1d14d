// VarDateFromStr and VarBstrFromDate. Texts read: the wire form "2024-03-05T07:08:09Z" (fraction of a
// second, "T" and "Z" optional, blanks in their place) in every locale, even one not installed; any
// year-first date; the locale's short date (two-digit years: 00-49 are 20xx, 50-99 19xx); a time alone. A
// time is h:mm or h:mm:ss with an optional fraction (ignored) and AM/PM marker.
#include "Platform/OleAuto.h"

#include "Platform/DateFormatting.h"
#include "Platform/LocaleTable.h"

#include <cmath>
#include <cwctype>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

// A piece of the text read, which it points into.
struct Token {
    enum class Kind { Number, Word, Mark } kind;
    std::wstring_view text;
    unsigned value = 0;
};

// The value of a run of digits; more than nine digits read as 1000000000.
unsigned DigitsValue(std::wstring_view digits) {
    if (digits.size() > 9) {
        return 1000000000u;
    }
    unsigned value = 0;
    for (const wchar_t digit : digits) {
        value = value * 10 + static_cast<unsigned>(digit - L'0');
    }
    return value;
}

std::vector<Token> Tokenize(std::wstring_view text) {
    std::vector<Token> tokens;
    tokens.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<wint_t>(text[i]);
        std::size_t end = i + 1;
        if (std::iswspace(c) != 0 || c == L'\u00A0') {
            i = end;
            continue;
        }
        if (std::iswdigit(c) != 0) {
            while (end < text.size() && std::iswdigit(static_cast<wint_t>(text[end])) != 0) {
                ++end;
            }
            const std::wstring_view digits = text.substr(i, end - i);
            tokens.push_back({Token::Kind::Number, digits, DigitsValue(digits)});
        } else if (std::iswalpha(c) != 0) {
            while (end < text.size() && std::iswalpha(static_cast<wint_t>(text[end])) != 0) {
                ++end;
            }
            tokens.push_back({Token::Kind::Word, text.substr(i, end - i)});
        } else {
            tokens.push_back({Token::Kind::Mark, text.substr(i, 1)});
        }
        i = end;
    }
    return tokens;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size() || a.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Without the locale's data (null) only what reads the same in every locale is read: year-first
// dates and times with ":".
class DateTextReader {
public:
    DateTextReader(std::vector<Token> tokens, const Platform::LocaleData* locale)
        : tokens_(std::move(tokens)), locale_(locale) {}

    bool Read(SYSTEMTIME* result) {
        SYSTEMTIME time{1899, 12, 0, 30, 0, 0, 0, 0};
        const bool hasDate = ReadDate(&time);
        if (hasDate) {
            TakeWord(L"T");
        }
        const bool hasTime = ReadTime(&time);
        if (hasTime) {
            TakeWord(L"Z");
        }
        *result = time;
        return (hasDate || hasTime) && position_ == tokens_.size();
    }

private:
    bool IsNumber(std::size_t at) const {
        return at < tokens_.size() && tokens_[at].kind == Token::Kind::Number;
    }

    bool IsMark(std::size_t at, std::wstring_view marks) const {
        return at < tokens_.size() && tokens_[at].kind == Token::Kind::Mark &&
               marks.find(tokens_[at].text.front()) != std::wstring_view::npos;
    }

    bool TakeWord(std::wstring_view word) {
        if (position_ < tokens_.size() && tokens_[position_].kind == Token::Kind::Word &&
            SameIgnoringCase(tokens_[position_].text, word)) {
            ++position_;
            return true;
        }
        return false;
    }

    static WORD FullYear(const Token& year) {
        if (year.text.size() > 2) {
            return static_cast<WORD>(std::min(year.value, 65535u));
        }
        // The Windows default window: 00-49 are 20xx, 50-99 19xx.
        return static_cast<WORD>(year.value < 50 ? 2000 + year.value : 1900 + year.value);
    }

    bool ReadDate(SYSTEMTIME* time) {
        const wchar_t marks[] = {L'/', L'-', L'.',
                                 locale_ ? Platform::PatternSeparator(locale_->shortDate) : L'/'};
        const std::wstring_view separators(marks, std::size(marks));
        const std::size_t at = position_;
        if (!(IsNumber(at) && IsMark(at + 1, separators) && IsNumber(at + 2) && IsMark(at + 3, separators) &&
              IsNumber(at + 4))) {
            return false;
        }
        const Token& first = tokens_[at];
        const Token& second = tokens_[at + 2];
        const Token& third = tokens_[at + 4];
        const Token* year = &third;
        const Token* month = &first;
        const Token* day = &second;
        if (first.text.size() > 2 ||
            (locale_ && Platform::ShortDateOrder(*locale_) == Platform::DateOrder::YearMonthDay)) {
            year = &first;
            month = &second;
            day = &third;
        } else if (locale_ == nullptr) {
            return false;
        } else if (Platform::ShortDateOrder(*locale_) == Platform::DateOrder::DayMonthYear) {
            month = &second;
            day = &first;
        }
        time->wYear = FullYear(*year);
        time->wMonth = static_cast<WORD>(std::min(month->value, 65535u));
        time->wDay = static_cast<WORD>(std::min(day->value, 65535u));
        position_ += 5;
        return true;
    }

    bool ReadTime(SYSTEMTIME* time) {
        const wchar_t marks[] = {L':', locale_ ? Platform::PatternSeparator(locale_->timeFormat) : L':'};
        const std::wstring_view separators(marks, std::size(marks));
        std::size_t at = position_;
        if (!(IsNumber(at) && IsMark(at + 1, separators) && IsNumber(at + 2))) {
            return false;
        }
        unsigned hour = tokens_[at].value;
        const unsigned minute = tokens_[at + 2].value;
        unsigned second = 0;
        at += 3;
        if (IsMark(at, separators) && IsNumber(at + 1)) {
            second = tokens_[at + 1].value;
            at += 2;
            if (IsMark(at, L".,") && IsNumber(at + 1)) {
                at += 2; // fractions of a second are not kept
            }
        }
        position_ = at;
        if ((locale_ && TakeWord(locale_->am)) || TakeWord(L"AM") || TakeWord(L"A")) {
            hour = hour == 12 ? 0 : hour + (hour > 12 ? 100 : 0);
        } else if ((locale_ && TakeWord(locale_->pm)) || TakeWord(L"PM") || TakeWord(L"P")) {
            hour = hour == 12 ? 12 : hour + (hour > 12 ? 100 : 12);
        }
        time->wHour = static_cast<WORD>(std::min(hour, 65535u));
        time->wMinute = static_cast<WORD>(std::min(minute, 65535u));
        time->wSecond = static_cast<WORD>(std::min(second, 65535u));
        return true;
    }

    std::vector<Token> tokens_;
    const Platform::LocaleData* locale_;
    std::size_t position_ = 0;
};

} // namespace

// A locale whose data is not installed still reads the server's wire form; a short date, whose
// order only the locale knows, is then refused rather than guessed.
HRESULT VarDateFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DATE* pdateOut) {
    if (strIn == nullptr || pdateOut == nullptr) {
        return E_INVALIDARG;
    }
    SYSTEMTIME time{};
    DATE date = 0;
    if (!DateTextReader(Tokenize(strIn), Platform::FindLocale(lcid)).Read(&time) ||
        !SystemTimeToVariantTime(&time, &date)) {
        return DISP_E_TYPEMISMATCH;
    }
    const double day = std::trunc(date);
    if ((dwFlags & VAR_TIMEVALUEONLY) != 0) {
        date = std::fabs(date - day);
    } else if ((dwFlags & VAR_DATEVALUEONLY) != 0) {
        date = day;
    }
    *pdateOut = date;
    return S_OK;
}

// The short date and the long time; the date is left out on 1899-12-30 and the time at midnight.
HRESULT VarBstrFromDate(DATE dateIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut) {
    const Platform::LocaleData* locale = Platform::FindLocale(lcid);
    if (pbstrOut == nullptr || locale == nullptr) {
        return E_INVALIDARG;
    }
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(dateIn, &time)) {
        return E_INVALIDARG;
    }
    const bool isEpochDay = time.wYear == 1899 && time.wMonth == 12 && time.wDay == 30;
    const bool isMidnight = time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0;
    const bool showDate =
        (dwFlags & VAR_TIMEVALUEONLY) == 0 && (!isEpochDay || (dwFlags & VAR_DATEVALUEONLY) != 0);
    const bool showTime = (dwFlags & VAR_DATEVALUEONLY) == 0 && (!isMidnight || !showDate);
    std::wstring text;
    if (showDate) {
        text = Platform::FormatDatePicture(*locale, time, locale->shortDate);
    }
    if (showTime) {
        text += (showDate ? L" " : L"") + Platform::FormatTimePicture(*locale, time, locale->timeFormat, 0);
    }
    *pbstrOut = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *pbstrOut != nullptr ? S_OK : E_OUTOFMEMORY;
}
