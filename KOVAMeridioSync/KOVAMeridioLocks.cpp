// Checkout and check-in: a Meridio document is checked out by placing a lock on it on the server and
// checked in by removing the lock. The host's locking calls address a document by the item's server
// file id; the locks this object placed are kept in a list, as a container listing may be older.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioRowAttributes.h"

#include <algorithm>

namespace {

constexpr wchar_t kCheckoutUserProperty[] = L"ows-CheckoutUser";

// Runs the host call's work on the item's server file id; an item without one is E_FAIL with the
// error text, and anything thrown becomes the HRESULT of the boundary.
template <class Work>
HRESULT WithServerFileId(ILSPropertyMap* item, const char* method, const char* missingText, Work&& work) {
    LSDIAG_DIAG << method << " start";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(item).Result(); FAILED(bad)) {
            return bad;
        }
        const CStdStr<wchar_t> serverFileId =
            LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFromServerFileId, L"");
        if (serverFileId.empty()) {
            LSDIAG_ERROR << missingText;
            return E_FAIL;
        }
        work(serverFileId);
        LSDIAG_DIAG << method << " end";
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

LONG DocumentIdOf(const CStdStr<wchar_t>& serverFileId, CStdStr<wchar_t>& serverName) {
    LONG objectType = MeridioObjectOther;
    LONG documentId = 0;
    ExtractUrlDetails(serverFileId, serverName, objectType, documentId);
    return documentId;
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::raw_Checkout(ILSPropertyMap* item) {
    return WithServerFileId(item, "KOVAMeridioSyncFilterImpl::raw_Checkout",
                            "unable to locate MavistoFromServerFileId property for document to checkout",
                            [this](const CStdStr<wchar_t>& serverFileId) {
                                CheckoutInternal(DocumentIdOf(serverFileId, m_serverName));
                            });
}

HRESULT KOVAMeridioSyncFilterImpl::raw_CancelCheckout(ILSPropertyMap* item) {
    return WithServerFileId(
        item, "KOVAMeridioSyncFilterImpl::raw_CancelCheckout",
        "unable to locate MavistoFromServerFileId property for document to cancel  checkout",
        [this](const CStdStr<wchar_t>& serverFileId) {
            CancelCheckoutInternal(DocumentIdOf(serverFileId, m_serverName));
        });
}

HRESULT KOVAMeridioSyncFilterImpl::get_IsCheckedOut(ILSPropertyMap* item, VARIANT_BOOL* checkedOut) {
    if (const HRESULT bad =
            LSHostArguments("KOVAMeridioSyncFilterImpl::get_IsCheckedOut").Out(checkedOut).Map(item).Result();
        FAILED(bad)) {
        return bad;
    }
    return WithServerFileId(
        item, "KOVAMeridioSyncFilterImpl::get_IsCheckedOut",
        "unable to locate MavistoFromServerFileId property for document to checkif can checkout",
        [this, checkedOut](const CStdStr<wchar_t>& serverFileId) {
            *checkedOut = IsCheckoutInternal(serverFileId) ? VARIANT_TRUE : VARIANT_FALSE;
        });
}

HRESULT KOVAMeridioSyncFilterImpl::GetCheckedOutFlag(ILSPropertyMap* item, BYTE* checkedOut) {
    if (const HRESULT bad = LSHostArguments("KOVAMeridioSyncFilterImpl::GetCheckedOutFlag")
                                .Out(checkedOut)
                                .Map(item)
                                .Result();
        FAILED(bad)) {
        return bad;
    }
    VARIANT_BOOL isCheckedOut = VARIANT_FALSE;
    const HRESULT hr = get_IsCheckedOut(item, &isCheckedOut);
    if (SUCCEEDED(hr)) {
        *checkedOut = isCheckedOut == VARIANT_TRUE ? 0xFF : 0x00;
    }
    return hr;
}

void KOVAMeridioSyncFilterImpl::CheckoutInternal(LONG documentId) {
    LSDIAG_DIAG << "CheckoutInternal start docId:" << documentId;
    const CStdStr<wchar_t> row =
        FormatString(L"<LOCKS diffgr:id=\"LOCKS1\" msdata:rowOrder=\"0\" "
                     L"diffgr:hasChanges=\"inserted\"><PROP_W_comment /><docId>%ld</docId>"
                     L"</LOCKS>",
                     documentId);
    const CStdStr<wchar_t> body = MeridioDmApplyChangesBody(row, CStdStr<wchar_t>());
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = SendDMWSRequest(body, L"ApplyChanges", reply, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "CheckoutInternal failed hr: " << std::hex << static_cast<DWORD>(hr)
                     << " errMessage: " << errorText;
        ThrowHResult(hr);
    }
    const IXMLDOMNodePtr locked = reply->selectSingleNode(L"//LOCKS/docId");
    const CStdStr<wchar_t> lockedId = locked ? CStdStr<wchar_t>(locked->Gettext()) : CStdStr<wchar_t>();
    if (lockedId.empty()) {
        LSDIAG_ERROR << "Unable to lock document";
        ThrowHResult(E_FAIL);
    }
    m_checkedOutDocumentIds.push_back(static_cast<ULONG>(documentId));
    LSDIAG_DIAG << "Locked doc: " << lockedId;
}

void KOVAMeridioSyncFilterImpl::CancelCheckoutInternal(LONG documentId) {
    LSDIAG_DIAG << "CancelCheckoutInternal start";
    const CStdStr<wchar_t> before = FormatString(
        L"<LOCKS diffgr:id=\"LOCKS1\" msdata:rowOrder=\"0\" xmlns=\"%s\"><docId>%ld</docId></LOCKS>",
        kMeridioDmDataSetNamespace, documentId);
    const CStdStr<wchar_t> body = MeridioDmApplyChangesBody(CStdStr<wchar_t>(), before);
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = SendDMWSRequest(body, L"ApplyChanges", reply, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "CancelCheckoutInternal failed hr: " << std::hex << static_cast<DWORD>(hr)
                     << " errMessage: " << errorText;
        ThrowHResult(hr);
    }
    // The server answers a removal with an empty result.
    const IXMLDOMNodePtr result = reply->selectSingleNode(L"//ApplyChangesResult");
    if (!result || !CStdStr<wchar_t>(result->Gettext()).empty()) {
        LSDIAG_ERROR << "Unable to unlock document";
        ThrowHResult(E_FAIL);
    }
    const auto entry = std::find(m_checkedOutDocumentIds.begin(), m_checkedOutDocumentIds.end(),
                                 static_cast<ULONG>(documentId));
    if (entry != m_checkedOutDocumentIds.end()) {
        m_checkedOutDocumentIds.erase(entry);
    }
    LSDIAG_DIAG << "Unlocked doc:  " << documentId;
}

bool KOVAMeridioSyncFilterImpl::IsCheckoutInternal(const CStdStr<wchar_t>& serverFileId) {
    LSDIAG_DIAG << "IsCheckoutInternal start";
    LONG objectType = MeridioObjectOther;
    LONG documentId = 0;
    ExtractUrlDetails(serverFileId, m_serverName, objectType, documentId);
    bool checkedOut = false;
    if (m_filterPropertyValue.empty()) {
        CStdStr<wchar_t> lockFlag;
        GetAttribValueForObjectFromContentsXml(objectType, documentId, lockFlag, L"Prop_9_1_12");
        checkedOut = lockFlag.Equals(L"1", true) ||
                     std::find(m_checkedOutDocumentIds.begin(), m_checkedOutDocumentIds.end(),
                               static_cast<ULONG>(documentId)) != m_checkedOutDocumentIds.end();
    } else {
        // A single-document folder: its listing is the document's preview, one T1 row.
        if (!m_contentsDocument) {
            _com_issue_error(E_POINTER);
        }
        const IXMLDOMNodeListPtr rows = m_contentsDocument->selectNodes(L"//T1");
        if (rows->Getlength() == 0) {
            LSDIAG_ERROR << "Failed to check if single document is checked out internally, invalid XML";
        } else {
            checkedOut = GetAttributeAsString(rows->Getitem(0), L"IsLocked").Equals(L"1", true);
        }
    }
    LSDIAG_DIAG << "IsCheckoutInternal end";
    return checkedOut;
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::GetCheckoutName(LONG documentId) {
    LSDIAG_DIAG << "GetCheckoutName start";
    const CStdStr<wchar_t> body = MeridioDocumentDataRefPathsBody(documentId, false, true);
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = SendDMWSRequest(body, L"GetDocumentDataRefPaths", reply, errorText);
    if (FAILED(hr)) {
        if (!errorText.empty()) {
            LSDIAG_ERROR << "GetCheckoutName failed with error: " << errorText;
        }
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::GetCheckoutName"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        ThrowHResult(hr);
    }
    const IXMLDOMNodePtr userName = reply->selectSingleNode(L"//LOCKS/PROP_userName");
    if (!userName) {
        LSDIAG_ERROR << "Unable to doc lock information: " << documentId;
        return CStdStr<wchar_t>();
    }
    return CStdStr<wchar_t>(userName->Gettext());
}

bool KOVAMeridioSyncFilterImpl::IsItemCheckedOut(USHORT index, ILSPropertyMap* item) {
    const CStdStr<wchar_t> stored = LSPropertyHelpers::getStrProp(item, kCheckoutUserProperty, L"");
    const CStdStr<wchar_t> listed = index < m_itemRows.size() && m_itemRows[index]
                                        ? ListedCheckoutUser(m_itemRows[index])
                                        : GetItemExtraProperty(index, kCheckoutUserProperty, L"");
    return stored != listed;
}
