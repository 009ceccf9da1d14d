// Deleting a synced document on the server. A document can be referenced from several containers and
// stand in parts of records-management folders, so the setting MeridioSync.DeleteType chooses what a
// deletion removes: the document itself (which the server marks for deletion), the synced folder's
// reference to it (and its entry in the folder's part), both, or the reference and the document only
// when the folder held its last reference. Records are never deleted.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"

namespace {

constexpr UINT kRecordNotDeletedText = 4266;

struct DeleteType {
    DWORD value = 0;
    bool markForDelete = false;
    bool deleteReference = false;
    bool onlyWhenLastReference = false;
};

// Read once per process, on the first deletion.
const DeleteType& DeleteTypeSetting() {
    static const DeleteType setting = [] {
        DeleteType type;
        type.value = LSSetting::GetInstance()->GetUserDwordConfigDetails(L"MeridioSync.DeleteType", 3).value;
        type.markForDelete = type.value < 2;
        type.deleteReference = type.value == 0 || type.value == 2 || type.value == 3;
        type.onlyWhenLastReference = type.value == 3;
        return type;
    }();
    return setting;
}

// The before row that removes a container's reference to a document.
CStdStr<wchar_t> DeletedReferenceRow(LONG containerId, LONG documentId) {
    return FormatString(
        L"<CONTAINER_DOCUMENTREFS diffgr:id=\"CONTAINER_DOCUMENTREFS1\" msdata:rowOrder=\"0\" "
        L"xmlns=\"%s\"><ContainerId>%ld</ContainerId><DocumentRefId>%ld</DocumentRefId>"
        L"</CONTAINER_DOCUMENTREFS>",
        kMeridioDmDataSetNamespace, static_cast<long>(containerId), static_cast<long>(documentId));
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::DeleteFileRemote(const CStdStr<wchar_t>& remoteId,
                                                    CStdStr<wchar_t>& message) {
    LSDIAG_DIAG << "DeleteFileRemote start fileId: " << remoteId;
    LONG objectType = MeridioObjectOther;
    LONG documentId = 0;
    ExtractUrlDetails(remoteId, m_serverName, objectType, documentId);
    Login(false);
    if (objectType == MeridioObjectRecord) {
        LSDIAG_DIAG << "Cannot delete Merido records";
        message = CStdStr<wchar_t>(kRecordNotDeletedText);
        return E_INVALIDARG;
    }
    const DeleteType& deleteType = DeleteTypeSetting();
    if (deleteType.value >= 4) {
        LSDIAG_ERROR << "Invalid value for MeridioSync.DeleteType, must be 0, 1, 2 or 3. Actual value is: "
                     << deleteType.value;
        return E_FAIL;
    }

    LONG partId = -1;
    LONG partCount = 0;
    HRESULT hr = GetDocPartInfo(documentId, m_folderObjectId, partId, partCount);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::DeleteFileRemote"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        return hr;
    }
    bool markForDelete = deleteType.markForDelete;
    if (deleteType.onlyWhenLastReference && partCount < 2) {
        LONG references = 0;
        if (FAILED(CountDocumentReferences(documentId, L"//CONTAINER_DOCUMENTREFS", references))) {
            return E_INVALIDARG;
        }
        markForDelete = references + partCount == 1;
    }
    LSDIAG_DIAG << "DeleteFileRemote end markForDelete: " << markForDelete;
    return DeleteDocumentFromMeridio(m_folderObjectId, documentId, deleteType.deleteReference, markForDelete,
                                     partId);
}

HRESULT KOVAMeridioSyncFilterImpl::CountDocumentReferences(LONG documentId, const CStdStr<wchar_t>& query,
                                                           LONG& references) {
    const CStdStr<wchar_t> body = MeridioDocumentDataRefPathsBody(documentId, true, false);
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = SendDMWSRequest(body, L"GetDocumentDataRefPaths", reply, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to GetDocumentDataRefPaths for doc: " << documentId
                     << " errorMessage: " << errorText;
        return hr;
    }
    const IXMLDOMNodeListPtr nodes = reply->selectNodes(query.c_str());
    references = nodes ? nodes->Getlength() : 0;
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::DeleteDocumentFromMeridio(LONG containerId, LONG documentId,
                                                             bool deleteReference, bool markForDelete,
                                                             LONG partId) {
    if (partId >= 0 && deleteReference) {
        LSDIAG_DIAG << "Deleting doc reference docId: " << documentId << " from containerId: " << containerId
                    << " partId: " << partId;
        const HRESULT hr = RemoveDocumentFromPart(containerId, partId, documentId);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::DeleteDocumentFromMeridio"
                         << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
            return hr;
        }
    }
    // In a records-management folder the part entry is the folder's reference: the folder holds no
    // container reference, and the server refuses to remove one that is not there.
    const bool deleteContainerReference = deleteReference && partId < 0;
    if (!markForDelete && !deleteContainerReference) {
        return S_OK;
    }
    return RemoveDocumentFromContainer(containerId, documentId, markForDelete, deleteContainerReference);
}

HRESULT KOVAMeridioSyncFilterImpl::RemoveDocumentFromContainer(LONG containerId, LONG documentId,
                                                               bool markForDelete, bool deleteReference) {
    LSDIAG_DIAG << "RemoveDocumentFromContainer containerId: " << containerId << " docId: " << documentId
                << " markForDelete " << markForDelete << " deleteReference " << deleteReference;
    CStdStr<wchar_t> beforeRows;
    CStdStr<wchar_t> errorText;
    IXMLDOMDocument2Ptr reply;
    if (markForDelete) {
        const CStdStr<wchar_t> body =
            FormatString(L"<GetPropertiesForDocuments "
                         L"xmlns=\"%s\"><documentIds><unsignedInt>%ld</unsignedInt></documentIds>"
                         L"</GetPropertiesForDocuments>",
                         kMeridioDmwsNamespace, static_cast<long>(documentId));
        if (FAILED(SendDMWSRequest(body, L"GetPropertiesForDocuments", reply, errorText))) {
            LSDIAG_ERROR << "Failed to get properties for doc: " << documentId
                         << " errorMessage: " << errorText;
            return E_INVALIDARG;
        }
        const IXMLDOMNodePtr row = reply->selectSingleNode(L"//DMDataSet/DOCUMENTS");
        if (!row) {
            LSDIAG_DIAG << "Failed to get retreve DOCUMENTS row for doc: " << documentId;
            return E_INVALIDARG;
        }
        beforeRows = CStdStr<wchar_t>(row->Getxml());
    }
    if (deleteReference) {
        beforeRows += DeletedReferenceRow(containerId, documentId);
    }
    const CStdStr<wchar_t> body = MeridioDmApplyChangesBody(CStdStr<wchar_t>(), beforeRows);
    const HRESULT hr = SendDMWSRequest(body, L"ApplyChanges", reply, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::RemoveDocumentFromContainer"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        LSDIAG_ERROR << "Error from doc delete for docid: " << documentId << " errorMessage: " << errorText;
    }
    LSDIAG_DIAG << "RemoveDocumentFromContainer end";
    return hr;
}
