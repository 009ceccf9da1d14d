// The date texts of custom field values: the server form to local display text, and any date text
// to an automation date, which then formats as a server date again.
#include "KOVACommon/LSSyncHelper.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CStdStr<wchar_t> value(Fuzz::WideText(Fuzz::Bytes(data, size)));
    Fuzz::ExpectingSystemErrors([&] {
        CStdStr<wchar_t> text = value;
        CStdStr<wchar_t> localText;
        (void)ParseDateString(text, localText);
        _variant_t date;
        if (DateStringToVariantDate(value, date.GetVARIANT())) {
            (void)VariantTimeToSharePointDateString(date);
            (void)VariantTimeToDateString(date.date, L" ");
        }
    });
    return 0;
}
