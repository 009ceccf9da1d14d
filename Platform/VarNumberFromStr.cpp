// VarR8FromStr and VarCyFromStr: locale number text to a double or to currency.
#include "Platform/OleAuto.h"

#include "Platform/NumberText.h"

namespace {

HRESULT Parse(LPCOLESTR text, LCID lcid, Platform::DecimalNumber* number) {
    const Platform::LocaleData* locale = Platform::FindLocale(lcid);
    if (text == nullptr || locale == nullptr) {
        return E_INVALIDARG;
    }
    return Platform::ParseDecimal(text, *locale, number);
}

} // namespace

HRESULT VarR8FromStr(LPCOLESTR strIn, LCID lcid, ULONG, DOUBLE* pdblOut) {
    if (pdblOut == nullptr) {
        return E_INVALIDARG;
    }
    Platform::DecimalNumber number;
    const HRESULT hr = Parse(strIn, lcid, &number);
    return FAILED(hr) ? hr : Platform::DecimalToDouble(number, pdblOut);
}

HRESULT VarCyFromStr(LPCOLESTR strIn, LCID lcid, ULONG, CY* pcyOut) {
    if (pcyOut == nullptr) {
        return E_INVALIDARG;
    }
    Platform::DecimalNumber number;
    HRESULT hr = Parse(strIn, lcid, &number);
    ULONGLONG bits = 0;
    if (SUCCEEDED(hr)) {
        hr = Platform::DecimalToScaledInteger(number, 4, false, &bits);
    }
    if (SUCCEEDED(hr)) {
        pcyOut->int64 = static_cast<LONGLONG>(bits);
    }
    return hr;
}
