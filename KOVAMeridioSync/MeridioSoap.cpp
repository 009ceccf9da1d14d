#include "KOVAMeridioSync/MeridioSoap.h"

#include "VantrelCommon/TextUtils.h"

#define MERIDIO_DMWS_NS L"http://www.meridio.com/MeridioDMWS"
#define MERIDIO_RMWS_NS L"http://www.meridio.com/MeridioRMWS"
#define MERIDIO_SCWS_NS L"http://www.meridio.com/MeridioSCWS"

const wchar_t* const kMeridioDmwsNamespace = MERIDIO_DMWS_NS;
const wchar_t* const kMeridioRmwsNamespace = MERIDIO_RMWS_NS;
const wchar_t* const kMeridioScwsNamespace = MERIDIO_SCWS_NS;
const wchar_t* const kMeridioDmDataSetNamespace = L"http://www.meridio.com/DMDataSet.xsd";
const wchar_t* const kMeridioRmDataSetNamespace = L"http://www.meridio.com/RMDataSet.xsd";
const wchar_t* const kMsDataNamespace = L"urn:schemas-microsoft-com:xml-msdata";
const wchar_t* const kDiffgramNamespace = L"urn:schemas-microsoft-com:xml-diffgram-v1";

const MeridioService kMeridioDmws{
    MERIDIO_DMWS_NS,
    L"<soap:Header><MeridioCredentialHeader "
    L"xmlns=\"" MERIDIO_DMWS_NS L"\"><token>%s</token></MeridioCredentialHeader></soap:Header>",
    L"API Error 23031: The session key you specified does not exist or has expired."};
const MeridioService kMeridioRmws{
    MERIDIO_RMWS_NS,
    L"<soap:Header><MeridioCredentialHeader "
    L"xmlns=\"" MERIDIO_RMWS_NS L"\"><Token>%s</Token></MeridioCredentialHeader></soap:Header>",
    L"The Session Key you specified does not exist"};
const MeridioService kMeridioScws{
    MERIDIO_SCWS_NS,
    L"<soap:Header><MeridioCredentialHeader "
    L"xmlns=\"" MERIDIO_SCWS_NS L"\"><Token>%s</Token></MeridioCredentialHeader></soap:Header>",
    L"The Session Key you specified does not exist"};

const wchar_t* const kMeridioPasswordMask = L"********";

CStdStr<wchar_t> MeridioSoapAction(const MeridioService& service, const wchar_t* action) {
    return CStdStr<wchar_t>(service.namespaceUri) + L"/" + action;
}

CStdStr<wchar_t> MeridioCredentialHeader(const wchar_t* headerTemplate, const CStdStr<wchar_t>& token) {
    return token.empty() ? CStdStr<wchar_t>()
                         : FormatString(headerTemplate, XmlEscape(token, "the session token").c_str());
}

CStdStr<wchar_t> MeridioSoapEnvelope(const CStdStr<wchar_t>& header, const CStdStr<wchar_t>& body) {
    return FormatString(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                        L"<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
                        L" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                        L" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">%s<soap:Body>%s</soap:Body>"
                        L"</soap:Envelope>",
                        header.c_str(), body.c_str());
}

CStdStr<wchar_t> MeridioDiffgram(const wchar_t* dataSet, const wchar_t* dataSetNamespace,
                                 const CStdStr<wchar_t>& rows, const CStdStr<wchar_t>& beforeRows) {
    const CStdStr<wchar_t> before =
        beforeRows.empty() ? CStdStr<wchar_t>() : L"<diffgr:before>" + beforeRows + L"</diffgr:before>";
    return FormatString(L"<diffgr:diffgram xmlns:msdata=\"%s\" xmlns:diffgr=\"%s\"><%s xmlns=\"%s\">%s</%s>%s"
                        L"</diffgr:diffgram>",
                        kMsDataNamespace, kDiffgramNamespace, dataSet, dataSetNamespace, rows.c_str(),
                        dataSet, before.c_str());
}

CStdStr<wchar_t> MeridioDmApplyChangesBody(const CStdStr<wchar_t>& rows, const CStdStr<wchar_t>& beforeRows) {
    return FormatString(L"<ApplyChanges xmlns=\"%s\"><changes>%s</changes></ApplyChanges>",
                        kMeridioDmwsNamespace,
                        MeridioDiffgram(L"DMDataSet", kMeridioDmDataSetNamespace, rows, beforeRows).c_str());
}

CStdStr<wchar_t> MeridioLoginBody(const CStdStr<wchar_t>& userName, const CStdStr<wchar_t>& password) {
    return FormatString(
        L"<Login xmlns=\"" MERIDIO_DMWS_NS L"\"><userName>%s</userName><password>%s</password>"
        L"<clientWorkstation>%s</clientWorkstation></Login>",
        XmlEscape(userName, "the user name").c_str(), XmlEscape(password, "the password").c_str(), L"");
}

CStdStr<wchar_t> MeridioLoginUnifiedBody() {
    return L"<LoginUnified xmlns=\"" MERIDIO_DMWS_NS L"\" />";
}

CStdStr<wchar_t> CutMeridioErrorText(const CStdStr<wchar_t>& errorText) {
    const std::vector<CStdStr<wchar_t>> pieces = SplitString(errorText, L"#");
    return pieces.size() >= 2 ? pieces[1] : errorText;
}

bool IsMeridioSessionExpired(const MeridioService& service, const CStdStr<wchar_t>& errorText) {
    return errorText.find(service.sessionExpiryText) != CStdStr<wchar_t>::npos;
}

CStdStr<wchar_t> MeridioDocumentDataRefPathsBody(LONG documentId, bool referencingContainers, bool lockInfo) {
    return FormatString(
        L"<GetDocumentDataRefPaths xmlns=\"%s\"><docId>%ld</docId><getPropList>false</getPropList>"
        L"<getAcl>false</getAcl><getCanDo>false</getCanDo><getPolicy>false</getPolicy>"
        L"<getVersions>LATEST</getVersions><getKeywords>false</getKeywords>"
        L"<getReferencingContainers>%s</getReferencingContainers><getLockInfo>%s</getLockInfo>"
        L"<getReferencePaths>false</getReferencePaths></GetDocumentDataRefPaths>",
        kMeridioDmwsNamespace, static_cast<long>(documentId), referencingContainers ? L"true" : L"false",
        lockInfo ? L"true" : L"false");
}
