// What a new document or container inherits from its folder: the folder's access list as ACCESSCONTROL
// rows of an addition diffgram, and the folder's container custom properties.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"

namespace {

// Read once per process: new objects take the folder's access list even when the folder does not
// pass it on.
bool AlwaysInherit() {
    static const bool alwaysInherit =
        LSSetting::GetInstance()->GetUserDwordConfigDetails(L"MeridioSync.AlwaysInherit", 0).value != 0;
    return alwaysInherit;
}

CStdStr<wchar_t> ChildText(IXMLDOMNode* node, const wchar_t* query, bool& found) {
    const IXMLDOMNodePtr child = node->selectSingleNode(query);
    found = child != nullptr;
    return found ? CStdStr<wchar_t>(child->Gettext()) : CStdStr<wchar_t>();
}

// The ACCESSCONTROL row of an addition diffgram for one access entry of the folder; empty (and logged)
// when the entry lacks its permission or its principal.
CStdStr<wchar_t> AccessRow(IXMLDOMNode* entry, LONG index, LONG objectType) {
    bool found = false;
    const CStdStr<wchar_t> permission = ChildText(entry, L"./permission", found);
    if (!found) {
        LSDIAG_ERROR << "Failed to locate permission for ACL";
        return CStdStr<wchar_t>();
    }
    const wchar_t* principal = L"groupId";
    CStdStr<wchar_t> principalId = ChildText(entry, L"./groupId", found);
    if (!found) {
        principal = L"userId";
        principalId = ChildText(entry, L"./userId", found);
    }
    if (!found) {
        LSDIAG_ERROR << "Failed to locate userId and groupId for ACL";
        return CStdStr<wchar_t>();
    }
    return FormatString(
        L"<ACCESSCONTROL diffgr:id=\"ACCESSCONTROL%ld\" msdata:rowOrder=\"%ld\" "
        L"diffgr:hasChanges=\"inserted\"><objectType>%d</objectType><permission>%s</permission>"
        L"<%s>%s</%s></ACCESSCONTROL>",
        static_cast<long>(index + 1), static_cast<long>(index), objectType == MeridioObjectContainer ? 0 : 1,
        XmlEscape(permission, "the permission").c_str(), principal,
        XmlEscape(principalId, "the user or group id").c_str(), principal);
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::GetInheritedACLForObject(LONG folderId, const CStdStr<wchar_t>& dmwsUrl,
                                                            const CStdStr<wchar_t>& token,
                                                            ILSShutdownInformer* informer, LONG objectType,
                                                            IXMLDOMNodeListPtr& customProperties,
                                                            CStdStr<wchar_t>& accessRows,
                                                            CStdStr<wchar_t>& errorText) {
    LSDIAG_DIAG << "GetInheritedACLForObject start";
    accessRows.clear();
    const CStdStr<wchar_t> body = FormatString(
        L"<GetContainerData xmlns=\"%s\"><containerId>%ld</containerId><getPropList>true</getPropList>"
        L"<getAcl>true</getAcl><getCanDo>false</getCanDo><getChildContainers>false</getChildContainers>"
        L"<getContainerRefs>false</getContainerRefs><getDocumentRefs>false</getDocumentRefs>"
        L"<getStoredSearchRefs>false</getStoredSearchRefs><getKeywords>false</getKeywords>"
        L"<getReferencingContainers>false</getReferencingContainers></GetContainerData>",
        kMeridioDmwsNamespace, static_cast<long>(folderId));
    IXMLDOMDocument2Ptr reply;
    std::unique_ptr<ILSHttpRequest> request;
    const HRESULT hr = ExecuteDMWSRequest(_variant_t(body.c_str()), reply, request, L"GetContainerData",
                                          CStdStr<wchar_t>(), dmwsUrl, token, informer, errorText, true);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::GetInheritedACLForObject"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        return hr;
    }

    // A container without the inherit property counts as one that does not pass its access list on.
    const IXMLDOMNodePtr inherit = reply->selectSingleNode(L"//CONTAINERS/PROP_W_inherit");
    if (!inherit) {
        LSDIAG_ERROR << "Unable to obtain inherit property for container: " << folderId;
    }
    const CStdStr<wchar_t> inheritText = inherit ? CStdStr<wchar_t>(inherit->Gettext()) : CStdStr<wchar_t>();
    if (!AlwaysInherit() && inheritText != L"true") {
        LSDIAG_DIAG << "GetInheritedACLForObject end";
        return S_OK;
    }

    const IXMLDOMNodeListPtr entries = reply->selectNodes(L"//ACCESSCONTROL");
    const LONG count = entries ? entries->Getlength() : 0;
    if (count == 0) {
        LSDIAG_ERROR << "Unable to update container inherit property for container: " << folderId;
    }
    for (LONG i = 0; i < count; ++i) {
        accessRows += AccessRow(entries->Getitem(i), i, objectType);
    }
    customProperties = reply->selectNodes(L"//CONTAINER_CUSTOMPROPS");
    LSDIAG_DIAG << "GetInheritedACLForObject end";
    return S_OK;
}
