#include "KOVAMeridioSync/MeridioRowAttributes.h"

#include "KOVACommon/LSPropertyHelpers.h"
#include "KOVAMeridioSync/MeridioNumbers.h"
#include "Platform/ComUtil.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/OwnedBstr.h"

namespace {

_variant_t AttributeValue(IXMLDOMNode* row, const wchar_t* name) {
    const IXMLDOMElementPtr element(row);
    const OwnedBstr attributeName = CopyToBstr(name);
    _variant_t value;
    Platform::MsXmlWrap::Check(element->getAttribute(attributeName.get(), &value), element.GetInterfacePtr());
    return value;
}

} // namespace

CStdStr<wchar_t> GetAttributeAsString(IXMLDOMNode* row, const wchar_t* name) {
    const _variant_t value = AttributeValue(row, name);
    if (value.vt != VT_BSTR) {
        LSDIAG_ERROR << "attribute is not a bstr attribName: " << name;
        ThrowHResult(E_INVALIDARG);
    }
    return CStdStr<wchar_t>(value.bstrVal);
}

LONG GetAttributeAsInt(IXMLDOMNode* row, const wchar_t* name) {
    return ParseDecimal(GetAttributeAsString(row, name));
}

DATE GetAttributeAsNumber(IXMLDOMNode* row, const wchar_t* name) {
    _variant_t value = AttributeValue(row, name);
    if (value.vt != VT_BSTR || SysStringLen(value.bstrVal) == 0) {
        return 0.0;
    }
    const HRESULT hr = VariantChangeType(&value, &value, 0, VT_DATE);
    if (FAILED(hr)) {
        _com_issue_error(hr);
    }
    return value.date;
}

CStdStr<wchar_t> MakePropertyName(const CStdStr<wchar_t>& attributeName) {
    CStdStr<wchar_t> name = L"Meridio_" + attributeName;
    ConvertNameDashes(name);
    return name;
}
