#include "Platform/PosixLocale.h"

#include "Platform/StrftimePicture.h"
#include "Platform/Utf.h"

#include <langinfo.h>
#include <locale.h>

namespace {

// The locale in UTF-8 ("de_CH" -> "de_CH.UTF-8", "sr_RS@latin" -> "sr_RS.UTF-8@latin").
locale_t OpenInUtf8(const std::string& posixName) {
    if (posixName == "C") {
        return newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
    }
    const std::size_t at = posixName.find('@');
    const std::string base = posixName.substr(0, at);
    const std::string modifier = at == std::string::npos ? "" : posixName.substr(at);
    for (const char* codeset : {".UTF-8", ".utf8"}) {
        if (locale_t locale = newlocale(LC_ALL_MASK, (base + codeset + modifier).c_str(), nullptr)) {
            return locale;
        }
    }
    return nullptr;
}

class LocaleReader {
public:
    explicit LocaleReader(locale_t locale) : locale_(locale) {}
    ~LocaleReader() { freelocale(locale_); }
    LocaleReader(const LocaleReader&) = delete;
    LocaleReader& operator=(const LocaleReader&) = delete;

    std::string Narrow(nl_item item) const { return nl_langinfo_l(item, locale_); }
    std::wstring Wide(nl_item item) const { return Platform::Utf8ToWide(Narrow(item)); }

    template <std::size_t N> void Names(nl_item first, std::array<std::wstring, N>* names) const {
        for (std::size_t i = 0; i < N; ++i) {
            (*names)[i] = Wide(static_cast<nl_item>(first + static_cast<nl_item>(i)));
        }
    }

private:
    locale_t locale_;
};

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && text.back() == L' ') {
        text.pop_back();
    }
    return text;
}

} // namespace

namespace Platform {

bool ReadPosixLocale(const std::string& posixName, LocaleData* data) {
    locale_t locale = OpenInUtf8(posixName);
    if (locale == nullptr) {
        return false;
    }
    const LocaleReader reader(locale);
    data->decimal = reader.Wide(RADIXCHAR);
    data->thousand = reader.Wide(THOUSEP);
    data->monetaryDecimal = reader.Wide(MON_DECIMAL_POINT);
    data->monetaryThousand = reader.Wide(MON_THOUSANDS_SEP);
    if (data->monetaryDecimal.empty()) {
        data->monetaryDecimal = data->decimal;
    }
    if (data->monetaryThousand.empty()) {
        data->monetaryThousand = data->thousand;
    }
    data->currency = reader.Wide(CURRENCY_SYMBOL);
    data->intlSymbol = Trimmed(reader.Wide(INT_CURR_SYMBOL));
    const std::string twelveHour = reader.Narrow(T_FMT_AMPM);
    data->shortDate = PictureFromStrftime(reader.Narrow(D_FMT), twelveHour);
    data->timeFormat = PictureFromStrftime(reader.Narrow(T_FMT), twelveHour);
    data->shortTime = PictureWithoutSeconds(data->timeFormat);
    data->am = reader.Wide(AM_STR);
    data->pm = reader.Wide(PM_STR);
    reader.Names(DAY_1, &data->days);
    reader.Names(ABDAY_1, &data->abbreviatedDays);
    // The standalone month names, as Windows gives them (MON_ holds the forms used inside a date).
    reader.Names(ALTMON_1, &data->months);
    reader.Names(_NL_ABALTMON_1, &data->abbreviatedMonths);
    switch (ShortDateOrder(*data)) {
    case DateOrder::MonthDayYear:
        data->longDate = L"dddd, MMMM d, yyyy";
        break;
    case DateOrder::DayMonthYear:
        data->longDate = L"dddd d MMMM yyyy";
        break;
    case DateOrder::YearMonthDay:
        data->longDate = L"yyyy MMMM d, dddd";
        break;
    }
    return true;
}

} // namespace Platform
