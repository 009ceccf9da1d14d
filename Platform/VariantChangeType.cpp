// VariantChangeType(Ex): the conversions among numbers, currency, dates, booleans and text, with
// Windows' results (banker's rounding, DISP_E_OVERFLOW out of range, DISP_E_TYPEMISMATCH for text
// that does not convert or for VT_NULL, DISP_E_BADVARTYPE for an unknown type).
#include "Platform/OleAuto.h"

#include "Platform/NumberText.h"
#include "Platform/VariantTypes.h"
#include "Platform/WinNls.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <limits>
#include <string>

namespace {

using Wide = __int128;

// A scalar source reduced to what conversions read from it.
struct Scalar {
    enum class Kind { Empty, Integer, Real, Date, Currency, Bool, Text } kind = Kind::Empty;
    Wide integer = 0;
    double real = 0.0;
    LONGLONG currency = 0;
    bool boolean = false;
    std::wstring_view text;
};

bool ReadScalar(const VARIANT& v, Scalar* s) {
    switch (v.vt) {
    case VT_EMPTY:
        s->kind = Scalar::Kind::Empty;
        return true;
    case VT_I1:
        s->kind = Scalar::Kind::Integer, s->integer = static_cast<signed char>(v.cVal);
        return true;
    case VT_UI1:
        s->kind = Scalar::Kind::Integer, s->integer = v.bVal;
        return true;
    case VT_I2:
        s->kind = Scalar::Kind::Integer, s->integer = v.iVal;
        return true;
    case VT_UI2:
        s->kind = Scalar::Kind::Integer, s->integer = v.uiVal;
        return true;
    case VT_I4:
    case VT_INT:
        s->kind = Scalar::Kind::Integer, s->integer = v.lVal;
        return true;
    case VT_UI4:
    case VT_UINT:
        s->kind = Scalar::Kind::Integer, s->integer = v.ulVal;
        return true;
    case VT_I8:
        s->kind = Scalar::Kind::Integer, s->integer = v.llVal;
        return true;
    case VT_UI8:
        s->kind = Scalar::Kind::Integer, s->integer = v.ullVal;
        return true;
    case VT_R4:
        s->kind = Scalar::Kind::Real, s->real = v.fltVal;
        return true;
    case VT_R8:
        s->kind = Scalar::Kind::Real, s->real = v.dblVal;
        return true;
    case VT_DATE:
        s->kind = Scalar::Kind::Date, s->real = v.date;
        return true;
    case VT_CY:
        s->kind = Scalar::Kind::Currency, s->currency = v.cyVal.int64;
        return true;
    case VT_BOOL:
        s->kind = Scalar::Kind::Bool, s->boolean = v.boolVal != VARIANT_FALSE;
        return true;
    case VT_BSTR:
        s->kind = Scalar::Kind::Text;
        s->text = v.bstrVal == nullptr ? std::wstring_view()
                                       : std::wstring_view(v.bstrVal, SysStringLen(v.bstrVal));
        return true;
    default:
        return false;
    }
}

// Half to even, as Windows rounds numbers into integers.
HRESULT RealToWide(double value, Wide* out) {
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || std::fabs(rounded) > 1.8e19) {
        return DISP_E_OVERFLOW;
    }
    *out = static_cast<Wide>(rounded);
    return S_OK;
}

Wide CurrencyToWide(LONGLONG scaled) {
    Wide whole = scaled / 10000;
    const LONGLONG rest = scaled % 10000;
    const LONGLONG twice = (rest < 0 ? -rest : rest) * 2;
    if (twice > 10000 || (twice == 10000 && (whole & 1) != 0)) {
        whole += scaled < 0 ? -1 : 1;
    }
    return whole;
}

HRESULT ToWide(const Scalar& s, const Platform::LocaleData& locale, bool isUnsigned, Wide* out) {
    switch (s.kind) {
    case Scalar::Kind::Empty:
        *out = 0;
        return S_OK;
    case Scalar::Kind::Integer:
        *out = s.integer;
        return S_OK;
    case Scalar::Kind::Real:
    case Scalar::Kind::Date:
        return RealToWide(s.real, out);
    case Scalar::Kind::Currency:
        *out = CurrencyToWide(s.currency);
        return S_OK;
    case Scalar::Kind::Bool:
        *out = s.boolean ? -1 : 0;
        return S_OK;
    case Scalar::Kind::Text: {
        Platform::DecimalNumber number;
        ULONGLONG bits = 0;
        HRESULT hr = Platform::ParseDecimal(s.text, locale, &number);
        if (SUCCEEDED(hr)) {
            hr = Platform::DecimalToScaledInteger(number, 0, isUnsigned, &bits);
        }
        if (SUCCEEDED(hr)) {
            *out = isUnsigned ? Wide{bits} : Wide{static_cast<LONGLONG>(bits)};
        }
        return hr;
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT ToReal(const Scalar& s, const Platform::LocaleData& locale, double* out) {
    switch (s.kind) {
    case Scalar::Kind::Empty:
        *out = 0;
        return S_OK;
    case Scalar::Kind::Integer:
        *out = static_cast<double>(s.integer);
        return S_OK;
    case Scalar::Kind::Real:
    case Scalar::Kind::Date:
        *out = s.real;
        return S_OK;
    case Scalar::Kind::Currency:
        *out = static_cast<double>(s.currency) / 10000.0;
        return S_OK;
    case Scalar::Kind::Bool:
        *out = s.boolean ? -1.0 : 0.0;
        return S_OK;
    case Scalar::Kind::Text: {
        Platform::DecimalNumber number;
        const HRESULT hr = Platform::ParseDecimal(s.text, locale, &number);
        return FAILED(hr) ? hr : Platform::DecimalToDouble(number, out);
    }
    }
    return DISP_E_TYPEMISMATCH;
}

template <class Integer>
HRESULT StoreInteger(const Scalar& s, const Platform::LocaleData& locale, Integer* out) {
    Wide value = 0;
    const bool isUnsigned = !std::numeric_limits<Integer>::is_signed;
    HRESULT hr = ToWide(s, locale, isUnsigned, &value);
    if (FAILED(hr)) {
        return hr;
    }
    if (s.kind == Scalar::Kind::Bool && isUnsigned) {
        value = s.boolean ? Wide{std::numeric_limits<Integer>::max()} : 0; // true is all bits set
    }
    if (value < Wide{std::numeric_limits<Integer>::min()} ||
        value > Wide{std::numeric_limits<Integer>::max()}) {
        return DISP_E_OVERFLOW;
    }
    *out = static_cast<Integer>(value);
    return S_OK;
}

HRESULT ToCurrency(const Scalar& s, const Platform::LocaleData& locale, LONGLONG* out) {
    Wide scaled = 0;
    switch (s.kind) {
    case Scalar::Kind::Currency:
        *out = s.currency;
        return S_OK;
    case Scalar::Kind::Text: {
        Platform::DecimalNumber number;
        ULONGLONG bits = 0;
        HRESULT hr = Platform::ParseDecimal(s.text, locale, &number);
        if (SUCCEEDED(hr)) {
            hr = Platform::DecimalToScaledInteger(number, 4, false, &bits);
        }
        *out = static_cast<LONGLONG>(bits);
        return hr;
    }
    case Scalar::Kind::Real:
    case Scalar::Kind::Date: {
        const HRESULT hr = RealToWide(s.real * 10000.0, &scaled);
        if (FAILED(hr)) {
            return hr;
        }
        break;
    }
    default: {
        Wide whole = 0;
        const HRESULT hr = ToWide(s, locale, false, &whole);
        if (FAILED(hr)) {
            return hr;
        }
        scaled = whole * 10000;
    }
    }
    if (scaled < std::numeric_limits<LONGLONG>::min() || scaled > std::numeric_limits<LONGLONG>::max()) {
        return DISP_E_OVERFLOW;
    }
    *out = static_cast<LONGLONG>(scaled);
    return S_OK;
}

// VariantChangeType's flags (VARIANT_*) share bits with VAR_TIMEVALUEONLY and VAR_DATEVALUEONLY, so
// none of them is passed to the date conversions: a date keeps its date and its time.
HRESULT ToDate(const Scalar& s, const Platform::LocaleData& locale, LCID lcid, DATE* out) {
    if (s.kind == Scalar::Kind::Text) {
        const std::wstring text(s.text);
        return VarDateFromStr(text.c_str(), lcid, 0, out);
    }
    double value = 0;
    const HRESULT hr = ToReal(s, locale, &value);
    if (FAILED(hr)) {
        return hr;
    }
    if (!(value >= -657434.0 && value < 2958466.0)) {
        return DISP_E_OVERFLOW;
    }
    *out = value;
    return S_OK;
}

HRESULT ToBool(const Scalar& s, const Platform::LocaleData& locale, VARIANT_BOOL* out) {
    if (s.kind == Scalar::Kind::Text) {
        std::wstring lower;
        for (wchar_t c : s.text) {
            lower += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        }
        const std::size_t first = lower.find_first_not_of(L" \t");
        const std::size_t last = lower.find_last_not_of(L" \t");
        const std::wstring trimmed =
            first == std::wstring::npos ? L"" : lower.substr(first, last - first + 1);
        if (trimmed == L"true" || trimmed == L"false") {
            *out = trimmed == L"true" ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    }
    double value = 0;
    const HRESULT hr = s.kind == Scalar::Kind::Currency ? (value = static_cast<double>(s.currency), S_OK)
                                                        : ToReal(s, locale, &value);
    if (FAILED(hr)) {
        return hr;
    }
    *out = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ToText(const Scalar& s, const VARIANT& source, const Platform::LocaleData& locale, LCID lcid,
               USHORT flags, BSTR* out) {
    std::wstring text;
    switch (s.kind) {
    case Scalar::Kind::Empty:
        break;
    case Scalar::Kind::Integer:
        text = s.integer < 0 ? L"-" + std::to_wstring(static_cast<ULONGLONG>(-s.integer))
                             : std::to_wstring(static_cast<ULONGLONG>(s.integer));
        break;
    case Scalar::Kind::Real:
        text = Platform::FormatDouble(s.real, source.vt == VT_R4 ? 7 : 15, locale);
        break;
    case Scalar::Kind::Date:
        return VarBstrFromDate(s.real, lcid, 0, out);
    case Scalar::Kind::Currency:
        text = Platform::FormatCurrency(s.currency, locale);
        break;
    case Scalar::Kind::Bool:
        if ((flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) != 0) {
            text = s.boolean ? L"True" : L"False";
        } else {
            text = s.boolean ? L"-1" : L"0";
        }
        break;
    case Scalar::Kind::Text:
        text = s.text;
        break;
    }
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// Whether the conversion reads or writes locale text (a text to a date reads the wire form in any
// locale, see VarDateFromStr).
bool UsesLocaleText(const Scalar& s, VARTYPE vt) {
    return vt == VT_BSTR || (s.kind == Scalar::Kind::Text && vt != VT_DATE);
}

// A locale whose data is not installed fails only the conversions that need its text forms.
HRESULT ConvertScalar(const VARIANT& source, const Scalar& s, LCID lcid, USHORT flags, VARTYPE vt,
                      VARIANT* result) {
    const Platform::LocaleData* locale = Platform::FindLocale(lcid);
    if (locale == nullptr && !UsesLocaleText(s, vt)) {
        locale = Platform::FindLocale(LOCALE_INVARIANT);
    }
    if (locale == nullptr) {
        return E_INVALIDARG;
    }
    result->vt = vt;
    switch (vt) {
    case VT_I1:
        return StoreInteger(s, *locale, reinterpret_cast<signed char*>(&result->cVal));
    case VT_UI1:
        return StoreInteger(s, *locale, &result->bVal);
    case VT_I2:
        return StoreInteger(s, *locale, &result->iVal);
    case VT_UI2:
        return StoreInteger(s, *locale, &result->uiVal);
    case VT_I4:
    case VT_INT:
        return StoreInteger(s, *locale, &result->lVal);
    case VT_UI4:
    case VT_UINT:
        return StoreInteger(s, *locale, &result->ulVal);
    case VT_I8:
        return StoreInteger(s, *locale, &result->llVal);
    case VT_UI8:
        return StoreInteger(s, *locale, &result->ullVal);
    case VT_R4: {
        double value = 0;
        const HRESULT hr = ToReal(s, *locale, &value);
        if (SUCCEEDED(hr) && std::isfinite(value) && std::fabs(value) > FLT_MAX) {
            return DISP_E_OVERFLOW;
        }
        result->fltVal = static_cast<float>(value);
        return hr;
    }
    case VT_R8:
        return ToReal(s, *locale, &result->dblVal);
    case VT_DATE:
        return ToDate(s, *locale, lcid, &result->date);
    case VT_CY:
        return ToCurrency(s, *locale, &result->cyVal.int64);
    case VT_BOOL:
        return ToBool(s, *locale, &result->boolVal);
    case VT_BSTR:
        return ToText(s, source, *locale, lcid, flags, &result->bstrVal);
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// A by-reference source read as the value it points at (borrowed, not copied).
bool Dereference(const VARIANT& source, VARIANT* value) {
    if ((source.vt & VT_BYREF) == 0) {
        *value = source;
        return true;
    }
    if (source.byref == nullptr) {
        return false;
    }
    if (source.vt == (VT_BYREF | VT_VARIANT)) {
        return Dereference(*source.pvarVal, value);
    }
    VariantInit(value);
    value->vt = source.vt & ~VT_BYREF;
    const std::size_t size = (value->vt & VT_ARRAY) != 0 ? sizeof(SAFEARRAY*) : sizeof(value->llVal);
    switch (value->vt) {
    case VT_I1:
    case VT_UI1:
        value->bVal = *source.pbVal;
        return true;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        value->iVal = *source.piVal;
        return true;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        value->lVal = *source.plVal;
        return true;
    default:
        std::memcpy(&value->llVal, source.byref, size);
        return true;
    }
}

HRESULT Convert(const VARIANT& source, LCID lcid, USHORT flags, VARTYPE vt, VARIANT* result) {
    VariantInit(result);
    if (vt == source.vt) {
        return VariantCopy(result, &source);
    }
    if (vt == VT_EMPTY || vt == VT_NULL) {
        result->vt = vt;
        return source.vt == VT_EMPTY || source.vt == VT_NULL ? S_OK : DISP_E_TYPEMISMATCH;
    }
    if (vt == VT_UNKNOWN && source.vt == VT_DISPATCH) {
        if (source.pdispVal == nullptr) {
            result->vt = VT_UNKNOWN;
            return S_OK;
        }
        const HRESULT hr =
            source.pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&result->punkVal));
        result->vt = SUCCEEDED(hr) ? VT_UNKNOWN : VT_EMPTY;
        return hr;
    }
    Scalar scalar;
    if (!ReadScalar(source, &scalar)) {
        return DISP_E_TYPEMISMATCH;
    }
    const HRESULT hr = ConvertScalar(source, scalar, lcid, flags, vt, result);
    if (FAILED(hr)) {
        VariantInit(result);
    }
    return hr;
}

} // namespace

HRESULT VariantChangeTypeEx(VARIANT* pvargDest, const VARIANT* pvarSrc, LCID lcid, USHORT wFlags,
                            VARTYPE vt) {
    if (pvargDest == nullptr || pvarSrc == nullptr) {
        return E_INVALIDARG;
    }
    if (!Platform::IsValidVariantType(pvarSrc->vt) || !Platform::IsValidVariantType(vt)) {
        return DISP_E_BADVARTYPE;
    }
    if ((vt & VT_BYREF) != 0) {
        return DISP_E_TYPEMISMATCH;
    }
    VARIANT source;
    if (!Dereference(*pvarSrc, &source)) {
        return E_INVALIDARG;
    }
    // The result is made aside: the destination may be the source, and stays as it was on failure.
    VARIANT result;
    const HRESULT hr = Convert(source, lcid, wFlags, vt, &result);
    if (FAILED(hr)) {
        return hr;
    }
    const HRESULT cleared = VariantClear(pvargDest);
    if (FAILED(cleared)) {
        VariantClear(&result);
        return cleared;
    }
    *pvargDest = result;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, USHORT wFlags, VARTYPE vt) {
    return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
