#include "KOVACommon/LSPropertyHelpers.h"

#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/TextUtils.h"

namespace {

void RequireMap(ILSPropertyMap* map) {
    if (map == nullptr) {
        LSDIAG_ERROR << "pPropMap cannot be NULL";
        ThrowHResult(E_INVALIDARG);
    }
}

} // namespace

namespace LSPropertyHelpers {

CStdStr<wchar_t> getStrProp(ILSPropertyMap* map, _bstr_t name, const CStdStr<wchar_t>& defaultValue) {
    RequireMap(map);
    BSTR value = nullptr;
    if (FAILED(map->get_ItemStr(name, &value))) {
        return defaultValue;
    }
    CStdStr<wchar_t> result =
        value == nullptr ? CStdStr<wchar_t>() : CStdStr<wchar_t>(std::wstring(value, SysStringLen(value)));
    SysFreeString(value);
    return result;
}

void setStrProp(ILSPropertyMap* map, _bstr_t name, const CStdStr<wchar_t>& value) {
    RequireMap(map); // a null map would otherwise crash the host call
    BSTR copy = SysAllocString(value.c_str());
    const HRESULT hr = map->put_ItemStr(name, copy);
    SysFreeString(copy);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "LSPropertyHelpers::setStrProp"
                     << "Unexpected return: " << std::hex << hr;
        ThrowHResult(hr);
    }
}

bool hasProp(ILSPropertyMap* map, _bstr_t name) {
    BYTE exists = 0;
    return map != nullptr && SUCCEEDED(map->get_ItemExists(name, &exists)) && exists != 0;
}

} // namespace LSPropertyHelpers

void ConvertNameDashes(CStdStr<wchar_t>& name) {
    ReplaceAll(name, L"-", L"____");
    ReplaceAll(name, L"_", L"-");
}
