// The test host's mail item: a property map filled from a mail file that also serves ILSMessageItem.
#pragma once

#include "Host/PropertyMap.h"
#include "KOVASyncBasicsLib/MessageItem.h"

#include <map>
#include <string>

namespace Host {

// MAPI tags the mail readers fill.
namespace MailTag {
constexpr ULONG Subject = 0x0037001F;
constexpr ULONG SenderName = 0x0C1A001F;
constexpr ULONG SenderAddress = 0x0C1F001F;
constexpr ULONG DisplayTo = 0x0E04001F;
constexpr ULONG DisplayCc = 0x0E03001F;
constexpr ULONG DisplayBcc = 0x0E02001F;
constexpr ULONG ClientSubmitTime = 0x00390040;
constexpr ULONG DeliveryTime = 0x0E060040;
constexpr ULONG CreationTime = 0x00300040;
constexpr ULONG Priority = 0x00260003;
constexpr ULONG Sensitivity = 0x00360003;
constexpr ULONG HasAttachments = 0x0E1B000B;
constexpr ULONG TransportHeaders = 0x007D001F;
constexpr ULONG MessageClass = 0x001A001F;
} // namespace MailTag

// The property name of a MAPI tag on a property map: "0x" and eight lower-case hexadecimal digits.
std::wstring TagPropertyName(ULONG tag);

// What a mail holds beyond its properties by tag.
struct MailMessage {
    // Recipients of each kind, display names (or addresses) joined by "; ".
    std::wstring to;
    std::wstring cc;
    std::wstring bcc;
    // Categories, TAB-separated.
    std::wstring keywords;
    std::wstring messageClass = L"IPM.Note";
    // Named properties of PSETID_Common and PSETID_Task: numeric id -> the tag the mail stores.
    std::map<LONG, ULONG> commonNamedTags;
    std::map<LONG, ULONG> taskNamedTags;
};

// IUnknown, IDispatch and ILSPropertyMap answer with the map, ILSMessageItem with the message; both
// share one reference count. raw_GetPropertyText answers the recipient lists for the display tags and
// the map's text under the tag's name for any other tag.
class LSMailItem final : public LSMemoryPropertyMap, public ILSMessageItem {
public:
    // A new, empty item holding one reference, which the caller releases.
    static LSMailItem* Create();

    MailMessage& Message() { return message_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    using LSMemoryPropertyMap::QueryInterface;

    HRESULT STDMETHODCALLTYPE raw_GetPropertyText(ULONG tag, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE raw_get_Keywords(BSTR* keywords) override;
    HRESULT STDMETHODCALLTYPE raw_GetCommonNamedPropertyTag(LONG id, ULONG* tag) override;
    HRESULT STDMETHODCALLTYPE raw_GetTaskNamedPropertyTag(LONG id, ULONG* tag) override;
    HRESULT STDMETHODCALLTYPE raw_get_MessageClass(BSTR* messageClass) override;

private:
    LSMailItem() = default;

    MailMessage message_;
};

// Loads the mail file at path (Windows or native form) by its extension, without regard to case:
// .eml, .mim and .mme as MIME, .msg as a compound file. S_OK and a new item in *item (one reference
// for the caller); otherwise a failure HRESULT, *item null and *errorText saying why the file is not
// taken as a mail (the file is then a plain document). Never throws.
HRESULT LoadMailItem(const std::wstring& path, LSMailItem** item, std::wstring* errorText);

} // namespace Host
