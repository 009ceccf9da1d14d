// Rename of a synced document: a Meridio document's name is its title, changed through a DMWS
// ApplyChanges diffgram of the document row; the title the server hands back must be the one sent.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioTitles.h"

HRESULT KOVAMeridioSyncFilterImpl::RenameFileRemote(const CStdStr<wchar_t>& remoteName,
                                                    const CStdStr<wchar_t>& newName) {
    LONG objectType = MeridioObjectOther;
    LONG documentId = 0;
    ExtractUrlDetails(remoteName, m_serverName, objectType, documentId);
    Login(false);
    return RenameFileRemoteIntern(remoteName, newName, m_dmwsUrl, SessionToken(), m_shutdownInformer);
}

HRESULT KOVAMeridioSyncFilterImpl::RenameFileRemoteIntern(const CStdStr<wchar_t>& url,
                                                          const CStdStr<wchar_t>& newName,
                                                          const CStdStr<wchar_t>& dmwsUrl,
                                                          const CStdStr<wchar_t>& token,
                                                          ILSShutdownInformer* informer) {
    LSDIAG_DIAG << "RenameFileRemoteIntern start";
    const CStdStr<wchar_t> title = TitleOfFileName(newName);
    CStdStr<wchar_t> serverName;
    LONG objectType = MeridioObjectOther;
    LONG documentId = 0;
    ExtractUrlDetails(url, serverName, objectType, documentId);

    const CStdStr<wchar_t> row = FormatString(
        L"<DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"modified\">"
        L"<PROP_documentId>%ld</PROP_documentId><PROP_W_title>%s</PROP_W_title></DOCUMENTS>",
        documentId, XmlEscape(title, "the title").c_str());
    const CStdStr<wchar_t> before =
        FormatString(L"<DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\" xmlns=\"%s\">"
                     L"<PROP_documentId>%ld</PROP_documentId><PROP_W_title /></DOCUMENTS>",
                     kMeridioDmDataSetNamespace, documentId);
    const CStdStr<wchar_t> body = MeridioDmApplyChangesBody(row, before);
    IXMLDOMDocument2Ptr reply;
    std::unique_ptr<ILSHttpRequest> request;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = ExecuteDMWSRequest(_variant_t(body.c_str()), reply, request, L"ApplyChanges",
                                          CStdStr<wchar_t>(), dmwsUrl, token, informer, errorText, true);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::RenameFileRemoteIntern"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        return hr;
    }
    const IXMLDOMNodePtr storedTitle = reply->selectSingleNode(L"//DOCUMENTS/PROP_W_title");
    if (!storedTitle || CStdStr<wchar_t>(storedTitle->Gettext()) != title) {
        LSDIAG_ERROR << "Unable to update document: " << url;
        return E_FAIL;
    }
    LSDIAG_DIAG << "Updated doc title to:  " << newName << " for doc: " << documentId;
    return S_OK;
}
