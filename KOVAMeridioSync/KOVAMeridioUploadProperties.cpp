// Custom properties of an uploaded mail: one DOCUMENT_CUSTOMPROPS row per header value of the item,
// named by the display name that the server's system configuration gives the document custom
// property (object 9, type, id). Most values come from the item's property map by MAPI tag; the
// recipient lists, categories, named properties and message class come through the item's
// ILSMessageItem, which the property map of a mail answers.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSPropertyHelpers.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioCustomPropRows.h"

#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace {

constexpr unsigned kDocumentObject = 9;

// Value kinds of a named property's row.
constexpr LONG kNamedText = 1;
constexpr LONG kNamedNumber = 2;
constexpr LONG kNamedDate = 3;
// Property sets of named properties.
constexpr LONG kCommonSet = 0;
constexpr LONG kTaskSet = 1;

enum class RowSource {
    TagText,            // the text of the tag, an empty text row when it cannot be read
    TagDate,            // the date of the tag, no row when missing or 0.0
    TagNumber,          // the number of the tag, no row when it cannot be read
    TagNumberIfPresent, // the number of the tag, only when the map has it
    MessageText,        // the message's text of the tag, no row when it cannot be read or is empty
    Keywords,           // the categories, TABs as "...", ending in "..."
    NamedProperty,      // a named property of the set, by its numeric id, of the value kind
    SignedFlag,         // 1 when the message class ends with ".SMIME", else no row
    MessageClass,       // the message class, always (empty when it cannot be read)
    Sender,             // "name <address>"
};

struct MailRow {
    LONG propertyType;
    LONG propertyId;
    RowSource source;
    DWORD value = 0; // the tag, or the numeric id of a named property
    LONG propertySet = 0;
    LONG valueKind = 0;
};

constexpr DWORD kSenderNameTag = 0x0C1A001F;
constexpr DWORD kSenderAddressTag = 0x0C1F001F;

// The rows in the order they are written; each names one display name.
constexpr MailRow kMailRows[] = {
    {6, 101, RowSource::TagText, 0x0E04001F},                           // display To
    {3, 104, RowSource::TagText, kSenderNameTag},                       // sender name
    {6, 102, RowSource::TagText, 0x0E03001F},                           // display Cc
    {6, 103, RowSource::TagText, 0x0E02001F},                           // display Bcc
    {3, 106, RowSource::TagText, 0x0037001F},                           // subject
    {5, 107, RowSource::TagDate, 0x00390040},                           // client submit time
    {4, 141, RowSource::TagNumber, 0x10800003},                         // icon index
    {5, 143, RowSource::TagDate, 0x10820040},                           // last verb execution time
    {4, 142, RowSource::TagNumber, 0x10810003},                         // last verb executed
    {6, 112, RowSource::MessageText, 0x0E04001F},                       // To recipients
    {6, 113, RowSource::MessageText, 0x0E03001F},                       // Cc recipients
    {6, 114, RowSource::MessageText, 0x0E02001F},                       // Bcc recipients
    {6, 151, RowSource::Keywords},                                      // categories
    {5, 136, RowSource::NamedProperty, 0x8502, kCommonSet, kNamedDate}, // reminder time
    {5, 137, RowSource::NamedProperty, 0x8560, kCommonSet, kNamedDate}, // reminder signal time
    {5, 162, RowSource::NamedProperty, 0x8105, kTaskSet, kNamedDate},   // task due date
    {3, 135, RowSource::NamedProperty, 0x8530, kCommonSet, kNamedText}, // flag request
    {5, 161, RowSource::NamedProperty, 0x8104, kTaskSet, kNamedDate},   // task start date
    {4, 118, RowSource::SignedFlag},
    {3, 119, RowSource::MessageClass},
    {4, 120, RowSource::TagNumberIfPresent, 0x0E1B000B}, // has attachments
    {4, 144, RowSource::TagNumber, 0x10950003},          // follow-up icon
    {5, 138, RowSource::TagDate, 0x10910040},            // flag complete time
    {4, 134, RowSource::TagNumber, 0x10900003},          // flag status
    {6, 115, RowSource::TagText, 0x007D001F},            // transport message headers
    {4, 105, RowSource::TagNumber, 0x00260003},          // priority
    {5, 108, RowSource::TagDate, 0x0E060040},            // message delivery time
    {4, 139, RowSource::TagNumberIfPresent, 0x0C17000B}, // reply requested
    {5, 145, RowSource::TagDate, 0x00300040},            // creation time
    {4, 140, RowSource::TagNumberIfPresent, 0x0063000B}, // response requested
    {4, 150, RowSource::TagNumber, 0x00360003},          // sensitivity
    {3, 159, RowSource::Sender},
};

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

// Looked up on the first mail upload of the process and kept. The initialisation of a function's
// static is safe against a concurrent first use, and one that throws is not kept: a failed lookup
// leaves the names to be looked up again by the next upload.
const DisplayNames& MailDisplayNames(const std::function<IXMLDOMDocument2Ptr()>& configuration) {
    static const DisplayNames names = [&configuration] {
        const IXMLDOMDocument2Ptr document = configuration();
        DisplayNames found;
        for (const MailRow& row : kMailRows) {
            GetCustomPropertyDisplayName(found[{row.propertyType, row.propertyId}], document,
                                         row.propertyType, row.propertyId);
        }
        return found;
    }();
    return names;
}

// A text the message hands out; a failed call gives nothing.
template <class Call>
std::optional<CStdStr<wchar_t>> MessageString(ILSMessageItem* message, const Call& call) {
    if (message == nullptr) {
        return std::nullopt;
    }
    BSTR text = nullptr;
    const HRESULT hr = call(message, &text);
    const _bstr_t owned(text, false);
    if (FAILED(hr)) {
        return std::nullopt;
    }
    return CStdStr<wchar_t>(owned);
}

// The categories as the server keeps them: every TAB becomes "...", and the text ends with "...".
CStdStr<wchar_t> CategoriesText(const CStdStr<wchar_t>& keywords) {
    CStdStr<wchar_t> text = JoinStrings(SplitString(keywords, L"\t"), L"...");
    if (!EndsWith(text, L"...")) {
        text += L"...";
    }
    return text;
}

// The type part of the tag under which the property map holds a named property's value.
DWORD TagTypeOfKind(LONG valueKind) {
    switch (valueKind) {
    case kNamedText:
        return 0x001F;
    case kNamedNumber:
        return 0x0003;
    case kNamedDate:
        return 0x0040;
    default:
        LSDIAG_ERROR << "Unexpected value of propertyType: " << valueKind;
        ThrowHResult(E_FAIL);
    }
}

} // namespace

void KOVAMeridioSyncFilterImpl::SetPropInCommonPropertySet(ILSMessageItem* resolver,
                                                           MeridioCustomPropRows& rows, LONG valueKind,
                                                           LONG propertySet, LONG namedId,
                                                           const CStdStr<wchar_t>& displayName,
                                                           ILSPropertyMap* item) {
    if (propertySet != kCommonSet && propertySet != kTaskSet) {
        LSDIAG_ERROR << "Unexpected value of PropertySetType: " << propertySet;
        ThrowHResult(E_FAIL);
    }
    const DWORD typePart = TagTypeOfKind(valueKind);
    // An item without the message interface has no named properties to resolve.
    ULONG resolved = 0;
    HRESULT hr = E_NOINTERFACE;
    if (resolver != nullptr) {
        hr = propertySet == kCommonSet ? resolver->raw_GetCommonNamedPropertyTag(namedId, &resolved)
                                       : resolver->raw_GetTaskNamedPropertyTag(namedId, &resolved);
    }
    if (FAILED(hr)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::SetPropInCommonPropertySet"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        return;
    }
    const DWORD tag = (resolved & 0xFFFF0000) | typePart;
    switch (valueKind) {
    case kNamedText:
        rows.AddCustomPropRowFromPropertyMap(displayName, item, TagPropertyName(tag));
        break;
    case kNamedNumber:
        rows.AddCustomPropNumberRow(displayName, item, tag);
        break;
    default:
        rows.AddCustomPropDateRow(displayName, item, tag);
        break;
    }
}

void KOVAMeridioSyncFilterImpl::SetMailCustomProperties(CStdStr<wchar_t>& rows, LONG categoryId,
                                                        ILSPropertyMap* item) {
    LSDIAG_DIAG << "SetMailCustomProperties start";
    const DisplayNames& names = MailDisplayNames([this] { return GetContentTypeInfo(); });
    if (item == nullptr) {
        LSDIAG_ERROR << "pPropMap cannot be NULL";
        ThrowHResult(E_INVALIDARG);
    }
    // A map without the message interface (not a message of the host's) gives no recipient lists,
    // categories or named properties, and an empty message class.
    const ILSMessageItemPtr message(item);
    const CStdStr<wchar_t> messageClass = MessageString(message, [](ILSMessageItem* m, BSTR* text) {
                                              return m->raw_get_MessageClass(text);
                                          }).value_or(L"");
    MeridioCustomPropRows writer(rows, categoryId);
    for (const MailRow& row : kMailRows) {
        const CStdStr<wchar_t>& name = names.at({row.propertyType, row.propertyId});
        switch (row.source) {
        case RowSource::TagText:
            writer.AddCustomPropRowForPropTag(name, item, row.value);
            break;
        case RowSource::TagDate:
            writer.AddCustomPropDateRow(name, item, row.value);
            break;
        case RowSource::TagNumber:
            writer.AddCustomPropNumberRow(name, item, row.value);
            break;
        case RowSource::TagNumberIfPresent:
            writer.AddCustomPropNumberRowIfPresent(name, item, row.value);
            break;
        case RowSource::MessageText: {
            const auto text = MessageString(message, [&row](ILSMessageItem* m, BSTR* out) {
                return m->raw_GetPropertyText(row.value, out);
            });
            if (text && !text->empty()) {
                writer.AddCustomPropTextRow(name, *text);
            }
            break;
        }
        case RowSource::Keywords: {
            const auto keywords =
                MessageString(message, [](ILSMessageItem* m, BSTR* out) { return m->raw_get_Keywords(out); });
            if (keywords && !keywords->empty()) {
                writer.AddCustomPropTextRow(name, CategoriesText(*keywords));
            }
            break;
        }
        case RowSource::NamedProperty:
            SetPropInCommonPropertySet(message, writer, row.valueKind, row.propertySet,
                                       static_cast<LONG>(row.value), name, item);
            break;
        case RowSource::SignedFlag:
            if (EndsWith(messageClass, L".SMIME")) {
                writer.AddCustomPropNumberValueRow(name, 1);
            }
            break;
        case RowSource::MessageClass:
            writer.AddCustomPropTextRow(name, messageClass);
            break;
        case RowSource::Sender:
            writer.AddCustomPropTextRow(
                name,
                FormatString(
                    L"%s <%s>",
                    LSPropertyHelpers::getStrProp(item, TagPropertyName(kSenderNameTag), L"").c_str(),
                    LSPropertyHelpers::getStrProp(item, TagPropertyName(kSenderAddressTag), L"").c_str()));
            break;
        }
    }
    LSDIAG_DIAG << "SetMailCustomProperties end";
}
