// Folders made or deleted in the host below a synced container become containers made or deleted on
// the server. Records-management classes and folders are neither made nor deleted here.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioNumbers.h"

#include <mutex>
#include <set>
#include <tuple>

namespace {

// A container creation whose reply named no usable id: the server may have made the container all
// the same. Server name (lower case), parent id, title.
using CreationKey = std::tuple<std::wstring, LONG, std::wstring>;

CreationKey KeyOf(const CStdStr<wchar_t>& serverName, LONG parentId, const CStdStr<wchar_t>& title) {
    return {ToLowerAZ(serverName), parentId, title};
}

// The creations not known to have failed nor to have succeeded, for the whole process: the next
// creation of such a container looks for it before it makes another one.
class UnconfirmedCreations {
public:
    static UnconfirmedCreations& Instance() {
        static UnconfirmedCreations instance;
        return instance;
    }
    void Add(const CreationKey& key) {
        const std::lock_guard<std::mutex> lock(mutex_);
        keys_.insert(key);
    }
    void Remove(const CreationKey& key) {
        const std::lock_guard<std::mutex> lock(mutex_);
        keys_.erase(key);
    }
    bool Contains(const CreationKey& key) const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return keys_.count(key) != 0;
    }

private:
    mutable std::mutex mutex_;
    std::set<CreationKey> keys_;
};

// The custom-property rows of the parent as rows to insert with the new container.
CStdStr<wchar_t> InsertedRows(const IXMLDOMNodeListPtr& nodes) {
    CStdStr<wchar_t> rows;
    const LONG count = nodes ? nodes->Getlength() : 0;
    for (LONG i = 0; i < count; ++i) {
        const IXMLDOMElementPtr row = nodes->Getitem(i);
        row->setAttribute(_bstr_t(L"diffgr:hasChanges"), _variant_t(L"inserted"));
        rows += CStdStr<wchar_t>(row->Getxml());
    }
    return rows;
}

// The before row that deletes a container.
CStdStr<wchar_t> DeletedContainerRow(LONG containerId) {
    return FormatString(L"<CONTAINERS diffgr:id=\"CONTAINERS1\" msdata:rowOrder=\"0\" xmlns=\"%s\">"
                        L"<PROP_W_title>delete</PROP_W_title><PROP_createdByUser /><PROP_creationDate />"
                        L"<PROP_W_isShared>false</PROP_W_isShared><PROP_containerId>%ld</PROP_containerId>"
                        L"<PROP_ownerId>6</PROP_ownerId><PROP_ownerName>Administrator</PROP_ownerName>"
                        L"<PROP_createdByUserId>6</PROP_createdByUserId><PROP_W_inherit />"
                        L"<PROP_W_cascadeBehaviour /><PROP_replicationType>0</PROP_replicationType>"
                        L"<PROP_globalId /></CONTAINERS>",
                        kMeridioDmDataSetNamespace, static_cast<long>(containerId));
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::CreateDirectoryRemote(ILSPropertyMap*,
                                                         const CStdStr<wchar_t>& parentLocation,
                                                         const CStdStr<wchar_t>& folderName, ILSPropertyMap*,
                                                         CStdStr<wchar_t>& newLocation) {
    LSDIAG_DIAG << "Creating Directory [" << folderName << "] at location: " << parentLocation;
    LONG parentType = MeridioObjectOther;
    LONG parentId = 0;
    ExtractUrlDetails(parentLocation, m_serverName, parentType, parentId);
    Login(false);
    if (parentType != MeridioObjectContainer) {
        LSDIAG_ERROR << "Folders can only be created in a Meridio container: " << parentLocation;
        return E_INVALIDARG;
    }
    // An earlier creation may have made the container without saying so: a second one is not made.
    const CreationKey key = KeyOf(m_serverName, parentId, folderName);
    if (UnconfirmedCreations::Instance().Contains(key)) {
        LONG existingId = 0;
        const HRESULT hr = FindListedContainer(parentId, folderName, existingId);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Unable to look for the container made by an earlier attempt: " << folderName;
            return hr;
        }
        if (existingId != 0) {
            LSDIAG_DIAG << "Container made by an earlier attempt found: " << existingId;
            UnconfirmedCreations::Instance().Remove(key);
            newLocation = MakeContainerUrl(m_serverName, L"100", existingId);
            return S_OK;
        }
    }
    LSDIAG_DIAG << "CreateDirectoryRemote end ";
    return CreateDirectoryRemoteStatic(m_dmwsUrl, SessionToken(), folderName, parentId, m_serverName,
                                       m_shutdownInformer, newLocation);
}

HRESULT KOVAMeridioSyncFilterImpl::CreateDirectoryRemoteStatic(const CStdStr<wchar_t>& dmwsUrl,
                                                               const CStdStr<wchar_t>& token,
                                                               const CStdStr<wchar_t>& name, LONG parentId,
                                                               const CStdStr<wchar_t>& serverName,
                                                               ILSShutdownInformer* informer,
                                                               CStdStr<wchar_t>& newUrl) {
    LSDIAG_DIAG << "CreateDirectoryRemoteStatic start ";
    IXMLDOMNodeListPtr customProperties;
    CStdStr<wchar_t> accessRows;
    CStdStr<wchar_t> errorText;
    HRESULT hr = GetInheritedACLForObject(parentId, dmwsUrl, token, informer, MeridioObjectContainer,
                                          customProperties, accessRows, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to Add Container to containerId: " << parentId
                     << " errorMessage: " << errorText;
        return hr;
    }
    // The name is escaped: a name with "&" or "<" would otherwise make the request ill-formed.
    const CStdStr<wchar_t> rows = FormatString(
        L"%s<CONTAINERS diffgr:id=\"CONTAINERS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
        L"<PROP_W_title>%s</PROP_W_title><PROP_W_isShared>false</PROP_W_isShared></CONTAINERS>"
        L"<CONTAINER_CHILDCONTAINERS diffgr:id=\"CONTAINER_CHILDCONTAINERS1\" msdata:rowOrder=\"0\" "
        L"diffgr:hasChanges=\"inserted\"><containerId>%ld</containerId></CONTAINER_CHILDCONTAINERS>%s",
        accessRows.c_str(), XmlEscape(name, "the folder name").c_str(), static_cast<long>(parentId),
        InsertedRows(customProperties).c_str());
    const CStdStr<wchar_t> body = FormatString(
        L"<AddObject xmlns=\"%s\"><additionInfo>%s</additionInfo><uploadInfo /></AddObject>",
        kMeridioDmwsNamespace,
        MeridioDiffgram(L"DMDataSet", kMeridioDmDataSetNamespace, rows, CStdStr<wchar_t>()).c_str());
    IXMLDOMDocument2Ptr reply;
    std::unique_ptr<ILSHttpRequest> request;
    hr = ExecuteDMWSRequest(_variant_t(body.c_str()), reply, request, L"AddObject", CStdStr<wchar_t>(),
                            dmwsUrl, token, informer, errorText, true);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to Add Container to containerId: " << parentId
                     << " errorMessage: " << errorText;
        return hr;
    }
    const IXMLDOMNodePtr newIdNode = reply->selectSingleNode(L"//CONTAINERS/PROP_containerId");
    // Anything but a plain id in range would name another container, or none.
    LONG newId = 0;
    const CreationKey key = KeyOf(serverName, parentId, name);
    if (!newIdNode || !ParseObjectId(CStdStr<wchar_t>(newIdNode->Gettext()), newId)) {
        LSDIAG_ERROR << "Failed to locate new container info when adding to parent container: " << parentId;
        UnconfirmedCreations::Instance().Add(key);
        return E_FAIL;
    }
    UnconfirmedCreations::Instance().Remove(key);
    newUrl = MakeContainerUrl(serverName, L"100", newId);
    LSDIAG_DIAG << "CreateDirectoryRemoteStatic end ";
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::FindListedContainer(LONG parentId, const CStdStr<wchar_t>& title,
                                                       LONG& containerId) {
    containerId = 0;
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = ExecuteSCWSRequest(
        _variant_t(FormatString(L"<OutlookGetContainerFullEx xmlns=\"%s\"><containerId>%ld</containerId>"
                                L"</OutlookGetContainerFullEx>",
                                kMeridioScwsNamespace, static_cast<long>(parentId))
                       .c_str()),
        reply, L"OutlookGetContainerFullEx", errorText, m_shutdownInformer);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Unable to list container: " << parentId << " errorMessage: " << errorText;
        return hr;
    }
    const IXMLDOMNodePtr result = reply->selectSingleNode(L"//OutlookGetContainerFullExResult");
    if (!result) {
        LSDIAG_ERROR << "Unable to get OutlookGetContainerFullExResult node for container";
        return E_INVALIDARG;
    }
    IXMLDOMDocument2Ptr contents;
    LoadReplyXmlText(contents, result->Gettext(), L"OutlookGetContainerFullEx");
    const IXMLDOMNodeListPtr rows = contents->selectNodes(L"//T0");
    const LONG count = rows ? rows->Getlength() : 0;
    for (LONG i = 0; i < count; ++i) {
        const IXMLDOMElementPtr row = rows->Getitem(i);
        const _variant_t id = row->getAttribute(_bstr_t(L"CONTAINERID"));
        const _variant_t rowTitle = row->getAttribute(_bstr_t(L"Prop_7_0_1"));
        LONG rowId = 0;
        if (id.vt == VT_BSTR && rowTitle.vt == VT_BSTR &&
            ParseObjectId(CStdStr<wchar_t>(id.bstrVal), rowId) && rowId != parentId &&
            title == CStdStr<wchar_t>(rowTitle.bstrVal) && rowId > containerId) {
            containerId = rowId;
        }
    }
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::DeleteFolderRemote(ILSPropertyMap* item, CStdStr<wchar_t>&) {
    LSDIAG_DIAG << "DeleteFolderRemote start";
    LONG objectType = MeridioObjectOther;
    LONG containerId = 0;
    ExtractUrlDetails(GetFolderLocation(item), m_serverName, objectType, containerId);
    Login(false);
    if (objectType == MeridioObjectFolder || objectType == MeridioObjectClass) {
        LSDIAG_ERROR << "Cannot delete RM folder or class";
        return E_INVALIDARG;
    }
    // The id of a document, record or other object would name an unrelated container.
    if (objectType != MeridioObjectContainer) {
        LSDIAG_ERROR << "Only a Meridio container can be deleted as a folder: " << GetFolderLocation(item);
        return E_INVALIDARG;
    }
    const CStdStr<wchar_t> body =
        MeridioDmApplyChangesBody(CStdStr<wchar_t>(), DeletedContainerRow(containerId));
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = SendDMWSRequest(body, L"ApplyChanges", reply, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::DeleteFolderRemote"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(hr)
                     << " errMessage: " << errorText;
    }
    LSDIAG_DIAG << "DeleteFolderRemote end";
    return hr;
}
