// The host's check of one synced document against the server without a folder listing: the server's
// modification date and lock state from the document's preview, compared with what the item stored at
// its last sync; the item's checkout user is refreshed on the way.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioRowAttributes.h"

namespace {

// The results of the check.
constexpr LONG kNoChange = 0;
constexpr LONG kServerChanged = 1;
constexpr LONG kStoredLater = 2;

// A lock flag counts as unlocked only when it is exactly "0".
bool IsLockedFlag(const CStdStr<wchar_t>& flag) {
    return flag != L"0";
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::raw_HasChangesOnline(ILSPropertyMap* repository, ILSPropertyMap* item,
                                                        LONG* result, ILSShutdownInformer* informer) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = kNoChange;
    LSDIAG_DIAG << "HasChangesOnline start";
    if (item == nullptr) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::raw_HasChangesOnline"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(E_INVALIDARG);
        return E_INVALIDARG;
    }
    if (repository == nullptr) {
        LSDIAG_ERROR << "Failed to find top repos prop map";
        return E_INVALIDARG;
    }
    try {
        const CStdStr<wchar_t> serverFileId =
            LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFromServerFileId, L"");
        if (serverFileId.empty()) {
            LSDIAG_ERROR
                << "unable to locate MavistoFromServerFileId property for document to check for changes "
                   "online";
            return E_FAIL;
        }
        LONG objectType = MeridioObjectOther;
        LONG documentId = 0;
        ExtractUrlDetails(serverFileId, m_serverName, objectType, documentId);
        Login(false);

        DATE storedDate = 0.0;
        if (FAILED(item->get_ItemDate(ItemProperty::RemoteFileLastModified, &storedDate))) {
            LSDIAG_DIAG << "HasChangesOnline end";
            return S_OK;
        }

        const CStdStr<wchar_t> body =
            FormatString(L"<OutlookGetDocumentPreviewPropertiesFull xmlns=\"%s\"><docId>%ld</docId>"
                         L"</OutlookGetDocumentPreviewPropertiesFull>",
                         kMeridioScwsNamespace, documentId);
        IXMLDOMDocument2Ptr reply;
        CStdStr<wchar_t> errorText;
        const HRESULT hr = ExecuteSCWSRequest(
            _variant_t(body.c_str()), reply, L"OutlookGetDocumentPreviewPropertiesFull", errorText, informer);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Failed to call OutlookGetDocumentPreviewPropertiesFull error: " << errorText;
            ThrowHResult(hr);
        }
        const IXMLDOMNodePtr properties =
            reply->selectSingleNode(L"//OutlookGetDocumentPreviewPropertiesFullResponse/propertiesAsXml");
        if (!properties) {
            LSDIAG_ERROR
                << "Unable to get OutlookGetDocumentPreviewPropertiesFullResponse node for document docid: "
                << documentId;
            ThrowHResult(E_INVALIDARG);
        }
        IXMLDOMDocument2Ptr preview;
        LoadReplyXmlText(preview, properties->Gettext(), L"OutlookGetDocumentPreviewPropertiesFull");
        const IXMLDOMNodePtr row = preview->selectSingleNode(L"//T1");
        if (!row) {
            LSDIAG_ERROR << "Unable to get T1 node for document docid: " << documentId;
            ThrowHResult(E_INVALIDARG);
        }

        const DATE serverDate = GetAttributeAsNumber(row, L"LastModificationDate");
        if (serverDate > storedDate) {
            *result = kServerChanged;
        } else if (serverDate < storedDate) {
            *result = kStoredLater;
        }
        const bool storedLocked =
            IsLockedFlag(LSPropertyHelpers::getStrProp(item, MakePropertyName(L"Prop_9_1_12").c_str(), L""));
        const bool serverLocked = IsLockedFlag(GetAttributeAsString(row, L"IsLocked"));
        if (storedLocked != serverLocked) {
            *result = kServerChanged;
        }
        LSPropertyHelpers::setStrProp(item, L"ows-CheckoutUser",
                                      serverLocked ? GetCheckoutName(documentId) : CStdStr<wchar_t>());
        LSDIAG_DIAG << "HasChangesOnline end";
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_HasChangesOnline", __FILE__,
                                           __LINE__, nullptr);
    }
}
