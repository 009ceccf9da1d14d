// The records-management parts that hold a document or a record: how many there are, and which of
// them belongs to a given records-management folder.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioNumbers.h"

HRESULT KOVAMeridioSyncFilterImpl::GetDocPartInfo(LONG documentId, LONG folderId, LONG& partId,
                                                  LONG& partCount) {
    LSDIAG_DIAG << "GetDocPartInfo start";
    const HRESULT hr = GetPartInfo(
        FormatString(L"<GetDocumentPartList xmlns=\"%s\"><documentId>%ld</documentId></GetDocumentPartList>",
                     kMeridioRmwsNamespace, static_cast<long>(documentId)),
        L"GetDocumentPartList", "GetDocPartInfo", folderId, partId, partCount);
    LSDIAG_DIAG << "GetDocPartInfo end";
    return hr;
}

HRESULT KOVAMeridioSyncFilterImpl::GetRecordPartInfo(LONG recordId, LONG folderId, LONG& partId,
                                                     LONG& partCount) {
    LSDIAG_DIAG << "GetRecordPartInfo start";
    const HRESULT hr =
        GetPartInfo(FormatString(L"<GetRecordPartList xmlns=\"%s\"><id>%ld</id><getPropDefs>false"
                                 L"</getPropDefs><getActivities>false</getActivities>"
                                 L"</GetRecordPartList>",
                                 kMeridioRmwsNamespace, static_cast<long>(recordId)),
                    L"GetRecordPartList", "GetRecordPartInfo", folderId, partId, partCount);
    LSDIAG_DIAG << "GetRecordPartInfo end";
    return hr;
}

HRESULT KOVAMeridioSyncFilterImpl::GetPartInfo(const CStdStr<wchar_t>& body, const wchar_t* action,
                                               const char* method, LONG folderId, LONG& partId,
                                               LONG& partCount) {
    partId = -1;
    partCount = 0;
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = SendRMWSRequest(body, action, reply, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::" << method << " failed hr: " << std::hex
                     << static_cast<DWORD>(hr) << " errMessage: " << errorText;
        return hr;
    }
    const IXMLDOMNodeListPtr parts = reply->selectNodes(L"//RMDataSet/rm2vPart");
    partCount = parts ? parts->Getlength() : 0;
    const IXMLDOMNodePtr folderPart = reply->selectSingleNode(
        FormatString(L"//RMDataSet/rm2vPart[parentObjectId=%ld]", static_cast<long>(folderId)).c_str());
    const IXMLDOMNodePtr id = folderPart ? folderPart->selectSingleNode(L"id") : nullptr;
    if (id) {
        partId = ParseDecimal(CStdStr<wchar_t>(id->Gettext()));
    }
    return S_OK;
}
