// Custom properties of an uploaded mail: one DOCUMENT_CUSTOMPROPS row per header value of the item's
// property map (addressed by MAPI tag as "0x" and eight hexadecimal digits), named by the display name
// that the server's system configuration gives the document custom property (object 9, type, id).
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSPropertyHelpers.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"

#include <map>
#include <utility>

namespace {

constexpr unsigned kDocumentObject = 9;

enum class ValueKind { Text, Date, Number, NumberIfPresent };

struct TagRow {
    LONG propertyType;
    LONG propertyId;
    DWORD tag;
    ValueKind kind;
};

// The rows in the order they are written.
constexpr TagRow kTagRows[] = {
    {6, 101, 0x0E04001F, ValueKind::Text},            // display To
    {3, 104, 0x0C1A001F, ValueKind::Text},            // sender name
    {6, 102, 0x0E03001F, ValueKind::Text},            // display Cc
    {6, 103, 0x0E02001F, ValueKind::Text},            // display Bcc
    {3, 106, 0x0037001F, ValueKind::Text},            // subject
    {5, 107, 0x00390040, ValueKind::Date},            // client submit time
    {4, 141, 0x10800003, ValueKind::Number},          // icon index
    {5, 143, 0x10820040, ValueKind::Date},            // last verb execution time
    {4, 142, 0x10810003, ValueKind::Number},          // last verb executed
    {4, 120, 0x0E1B000B, ValueKind::NumberIfPresent}, // has attachments
    {4, 144, 0x10950003, ValueKind::Number},          // follow-up icon
    {5, 138, 0x10910040, ValueKind::Date},            // flag complete time
    {4, 134, 0x10900003, ValueKind::Number},          // flag status
    {6, 115, 0x007D001F, ValueKind::Text},            // transport message headers
    {4, 105, 0x00260003, ValueKind::Number},          // priority
    {5, 108, 0x0E060040, ValueKind::Date},            // message delivery time
    {4, 139, 0x0C17000B, ValueKind::NumberIfPresent}, // reply requested
    {5, 145, 0x00300040, ValueKind::Date},            // creation time
    {4, 140, 0x0063000B, ValueKind::NumberIfPresent}, // response requested
    {4, 150, 0x00360003, ValueKind::Number},          // sensitivity
};
// The sender as "name <address>".
constexpr TagRow kSenderRow = {3, 159, 0, ValueKind::Text};
constexpr DWORD kSenderNameTag = 0x0C1A001F;
constexpr DWORD kSenderAddressTag = 0x0C1F001F;

_bstr_t TagProperty(DWORD tag) {
    return _bstr_t(ToHexString(tag).c_str());
}

void GetCustomPropertyDisplayName(CStdStr<wchar_t>& name, IXMLDOMDocument* configuration, LONG propertyType,
                                  LONG propertyId) {
    const CStdStr<wchar_t> query = FormatString(
        L"//*[@CustomPropertyObject = %u and @CustomPropertyType =%u and @CustomPropertyId = %u]",
        kDocumentObject, static_cast<unsigned>(propertyType), static_cast<unsigned>(propertyId));
    const IXMLDOMElementPtr property = configuration->selectSingleNode(_bstr_t(query.c_str()));
    if (!property) {
        LSDIAG_ERROR << "Failed to locate property for query:" << query;
        ThrowHResult(E_INVALIDARG);
    }
    const _variant_t value = property->getAttribute(_bstr_t(L"CustomPropertyName"));
    if (value.vt != VT_BSTR) {
        LSDIAG_ERROR << "Failed to locate displayname";
        ThrowHResult(E_FAIL);
    }
    name = CStdStr<wchar_t>(value.bstrVal);
}

using DisplayNames = std::map<std::pair<LONG, LONG>, CStdStr<wchar_t>>;

// Looked up on the first mail upload of the process and kept; a failed lookup leaves the names to be
// looked up again by the next upload.
const DisplayNames& MailDisplayNames(IXMLDOMDocument* configuration) {
    static const DisplayNames names = [configuration] {
        DisplayNames found;
        for (const TagRow& row : kTagRows) {
            GetCustomPropertyDisplayName(found[{row.propertyType, row.propertyId}], configuration,
                                         row.propertyType, row.propertyId);
        }
        GetCustomPropertyDisplayName(found[{kSenderRow.propertyType, kSenderRow.propertyId}], configuration,
                                     kSenderRow.propertyType, kSenderRow.propertyId);
        return found;
    }();
    return names;
}

class CustomPropRows {
public:
    CustomPropRows(CStdStr<wchar_t>& rows, LONG categoryId) : rows_(rows), categoryId_(categoryId) {}

    // Writes a text row, also for an empty text.
    void AddCustomPropTextRow(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& text) {
        AddRow(name, L"textValue", XmlEscape(text));
    }

    // The text of the tag (empty when it cannot be read) as a text row.
    void AddCustomPropRowForPropTag(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag) {
        if (item == nullptr) {
            LSDIAG_ERROR << "pPropMap cannot be NULL";
            ThrowHResult(E_INVALIDARG);
        }
        AddCustomPropTextRow(name, LSPropertyHelpers::getStrProp(item, TagProperty(tag), L""));
    }

    // A date row when the tag holds a date other than 0.0.
    void AddCustomPropDateRow(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag) {
        DATE date = 0.0;
        if (FAILED(item->get_ItemDate(TagProperty(tag), &date)) || date == 0.0) {
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

    // A number row when the tag's number can be read.
    void AddCustomPropNumberRow(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag) {
        LONG number = 0;
        if (SUCCEEDED(item->get_ItemNum(TagProperty(tag), &number))) {
            AddRow(name, L"numValue", FormatString(L"%ld", static_cast<long>(number)));
        }
    }

    // A number row only when the map has the tag.
    void AddCustomPropNumberRowIfPresent(const CStdStr<wchar_t>& name, ILSPropertyMap* item, DWORD tag) {
        if (LSPropertyHelpers::hasProp(item, TagProperty(tag))) {
            AddCustomPropNumberRow(name, item, tag);
        }
    }

private:
    void AddRow(const CStdStr<wchar_t>& name, const wchar_t* column, const CStdStr<wchar_t>& value) {
        ++count_;
        rows_ += FormatString(
            L"<DOCUMENT_CUSTOMPROPS diffgr:id=\"DOCUMENT_CUSTOMPROPS%ld\" msdata:rowOrder=\"%ld\" "
            L"diffgr:hasChanges=\"inserted\"><objectId>0</objectId><propertyName>%s</propertyName>"
            L"<categoryId>%ld</categoryId><valueColumn>%s</valueColumn><%s>%s</%s></DOCUMENT_CUSTOMPROPS>",
            count_, count_ - 1, XmlEscape(name).c_str(), static_cast<long>(categoryId_), column, column,
            value.c_str(), column);
    }

    CStdStr<wchar_t>& rows_;
    LONG categoryId_;
    long count_ = 0;
};

} // namespace

void KOVAMeridioSyncFilterImpl::SetMailCustomProperties(CStdStr<wchar_t>& rows, LONG categoryId,
                                                        ILSPropertyMap* item) {
    LSDIAG_DIAG << "SetMailCustomProperties start";
    const DisplayNames& names = MailDisplayNames(GetContentTypeInfo());
    if (item == nullptr) {
        LSDIAG_ERROR << "pPropMap cannot be NULL";
        ThrowHResult(E_INVALIDARG);
    }
    CustomPropRows writer(rows, categoryId);
    for (const TagRow& row : kTagRows) {
        const CStdStr<wchar_t>& name = names.at({row.propertyType, row.propertyId});
        switch (row.kind) {
        case ValueKind::Text:
            writer.AddCustomPropRowForPropTag(name, item, row.tag);
            break;
        case ValueKind::Date:
            writer.AddCustomPropDateRow(name, item, row.tag);
            break;
        case ValueKind::Number:
            writer.AddCustomPropNumberRow(name, item, row.tag);
            break;
        case ValueKind::NumberIfPresent:
            writer.AddCustomPropNumberRowIfPresent(name, item, row.tag);
            break;
        }
    }
    writer.AddCustomPropTextRow(
        names.at({kSenderRow.propertyType, kSenderRow.propertyId}),
        FormatString(L"%s <%s>",
                     LSPropertyHelpers::getStrProp(item, TagProperty(kSenderNameTag), L"").c_str(),
                     LSPropertyHelpers::getStrProp(item, TagProperty(kSenderAddressTag), L"").c_str()));
    LSDIAG_DIAG << "SetMailCustomProperties end";
}
