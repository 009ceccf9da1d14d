#include "KOVAMeridioSync/MeridioCustomPropRows.h"

#include "KOVACommon/LSPropertyHelpers.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/TextUtils.h"

_bstr_t TagPropertyName(DWORD tag) {
    return _bstr_t(ToHexString(tag).c_str());
}

void MeridioCustomPropRows::AddCustomPropTextRow(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& text) {
    AddRow(name, L"textValue",
           XmlEscape(text, "the value of custom property " +
                               GetThreadUtf8Converter().ToBytes(name.c_str(), name.size())));
}

void MeridioCustomPropRows::AddCustomPropNumberValueRow(const CStdStr<wchar_t>& name, LONG number) {
    AddRow(name, L"numValue", FormatString(L"%ld", static_cast<long>(number)));
}

void MeridioCustomPropRows::AddCustomPropRowForPropTag(const CStdStr<wchar_t>& name, ILSPropertyMap* item,
                                                       DWORD tag) {
    AddCustomPropRowFromPropertyMap(name, item, TagPropertyName(tag));
}

void MeridioCustomPropRows::AddCustomPropRowFromPropertyMap(const CStdStr<wchar_t>& name,
                                                            ILSPropertyMap* item, const _bstr_t& property) {
    if (item == nullptr) {
        LSDIAG_ERROR << "pPropMap cannot be NULL";
        ThrowHResult(E_INVALIDARG);
    }
    AddCustomPropTextRow(name, LSPropertyHelpers::getStrProp(item, property, L""));
}

void MeridioCustomPropRows::AddCustomPropDateRow(const CStdStr<wchar_t>& name, ILSPropertyMap* item,
                                                 DWORD tag) {
    DATE date = 0.0;
    if (FAILED(item->get_ItemDate(TagPropertyName(tag), &date)) || date == 0.0) {
        return;
    }
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(date, &time)) {
        LSDIAG_ERROR << "VariantTimeToSystemTime failed ";
        ThrowHResult(E_FAIL);
    }
    AddRow(name, L"dateValue",
           FormatString(L"%04u-%02u-%02uT%02u:%02u:%02u+00:00", time.wYear, time.wMonth, time.wDay,
                        time.wHour, time.wMinute, time.wSecond));
}

void MeridioCustomPropRows::AddCustomPropNumberRow(const CStdStr<wchar_t>& name, ILSPropertyMap* item,
                                                   DWORD tag) {
    LONG number = 0;
    if (SUCCEEDED(item->get_ItemNum(TagPropertyName(tag), &number))) {
        AddCustomPropNumberValueRow(name, number);
    }
}

void MeridioCustomPropRows::AddCustomPropNumberRowIfPresent(const CStdStr<wchar_t>& name,
                                                            ILSPropertyMap* item, DWORD tag) {
    if (LSPropertyHelpers::hasProp(item, TagPropertyName(tag))) {
        AddCustomPropNumberRow(name, item, tag);
    }
}

void MeridioCustomPropRows::AddRow(const CStdStr<wchar_t>& name, const wchar_t* column,
                                   const CStdStr<wchar_t>& value) {
    ++count_;
    rows_ += FormatString(
        L"<DOCUMENT_CUSTOMPROPS diffgr:id=\"DOCUMENT_CUSTOMPROPS%ld\" msdata:rowOrder=\"%ld\" "
        L"diffgr:hasChanges=\"inserted\"><objectId>0</objectId><propertyName>%s</propertyName>"
        L"<categoryId>%ld</categoryId><valueColumn>%s</valueColumn><%s>%s</%s></DOCUMENT_CUSTOMPROPS>",
        count_, count_ - 1, XmlEscape(name, "the custom property name").c_str(),
        static_cast<long>(categoryId_), column, column, value.c_str(), column);
}
