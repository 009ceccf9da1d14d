// The records-management parts that hold a document or a record: how many there are, which of them
// belongs to a given records-management folder, and entering a document or record in a part or taking
// a document out of one (RMWS ApplyChanges with one rm2Part row, inserted or deleted).
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioNumbers.h"

namespace {

// The RMWS ApplyChanges body of one rm2Part diffgram.
CStdStr<wchar_t> PartChangesBody(const CStdStr<wchar_t>& rows, const CStdStr<wchar_t>& beforeRows) {
    return FormatString(L"<ApplyChanges xmlns=\"%s\"><ds>%s</ds></ApplyChanges>", kMeridioRmwsNamespace,
                        MeridioDiffgram(L"RMDataSet", kMeridioRmDataSetNamespace, rows, beforeRows).c_str());
}

// The inserted row that enters a document (or a record) in a part.
CStdStr<wchar_t> InsertedPartEntryRow(const CStdStr<wchar_t>& partId, const CStdStr<wchar_t>& objectId,
                                      bool asRecord) {
    const wchar_t* table = asRecord ? L"rm2Part_Record" : L"rm2Part_Document";
    const wchar_t* idColumn = asRecord ? L"recordId" : L"documentId";
    return FormatString(L"<%s diffgr:id=\"%s1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
                        L"<parentObjectId>%s</parentObjectId><%s>%s</%s></%s>",
                        table, table, XmlEscape(partId, "the part id").c_str(), idColumn,
                        XmlEscape(objectId, "the document or record id").c_str(), idColumn, table);
}

// The before row that removes a document from a part.
CStdStr<wchar_t> DeletedPartEntryRow(LONG partId, LONG documentId) {
    return FormatString(
        L"<rm2Part_Document diffgr:id=\"rm2Part_Document2\" msdata:rowOrder=\"0\" xmlns=\"%s\">"
        L"<parentObjectId>%ld</parentObjectId><documentId>%ld</documentId></rm2Part_Document>",
        kMeridioRmDataSetNamespace, static_cast<long>(partId), static_cast<long>(documentId));
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::AddToPart(const CStdStr<wchar_t>& partId, const CStdStr<wchar_t>& objectId,
                                             bool asRecord, CStdStr<wchar_t>& errorText) {
    IXMLDOMDocument2Ptr reply;
    return SendRMWSRequest(
        PartChangesBody(InsertedPartEntryRow(partId, objectId, asRecord), CStdStr<wchar_t>()),
        L"ApplyChanges", reply, errorText);
}

HRESULT KOVAMeridioSyncFilterImpl::RemoveDocumentFromPart(LONG folderId, LONG partId, LONG documentId) {
    LSDIAG_DIAG << "RemoveDocumentFromPart folderId: " << folderId << " partId:" << partId
                << " docId: " << documentId;
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr =
        SendRMWSRequest(PartChangesBody(CStdStr<wchar_t>(), DeletedPartEntryRow(partId, documentId)),
                        L"ApplyChanges", reply, errorText);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to remove document: " << documentId << "from part: " << partId
                     << ". Error: " << errorText << " hr:" << std::hex << static_cast<DWORD>(hr);
    }
    LSDIAG_DIAG << "RemoveDocumentFromPart end";
    return hr;
}

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
