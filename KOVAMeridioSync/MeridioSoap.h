// The texts of Meridio SOAP requests: the three services (namespace, SOAP action base, credential
// header, session-expiry text), the SOAP 1.1 envelope, the login bodies, and the cutting of a
// server's error text.
#pragma once

#include "VantrelCommon/StdString.h"

extern const wchar_t* const kMeridioDmwsNamespace;
extern const wchar_t* const kMeridioRmwsNamespace;
extern const wchar_t* const kMeridioScwsNamespace;

// The namespaces of the data sets and diffgrams that request bodies carry.
extern const wchar_t* const kMeridioDmDataSetNamespace;
extern const wchar_t* const kMeridioRmDataSetNamespace;
extern const wchar_t* const kMsDataNamespace;
extern const wchar_t* const kDiffgramNamespace;

struct MeridioService {
    const wchar_t* namespaceUri;
    // The credential header with one %s for the session token.
    const wchar_t* headerTemplate;
    // Searched (case-sensitively) in a failed request's error text: the session has expired.
    const wchar_t* sessionExpiryText;
};

extern const MeridioService kMeridioDmws;
extern const MeridioService kMeridioRmws;
extern const MeridioService kMeridioScws;

// The service's namespace URI, "/" and the action name.
CStdStr<wchar_t> MeridioSoapAction(const MeridioService& service, const wchar_t* action);

// The header template filled with the XML-escaped token; empty for an empty token.
CStdStr<wchar_t> MeridioCredentialHeader(const wchar_t* headerTemplate, const CStdStr<wchar_t>& token);

// The XML declaration and the soap:Envelope holding the header text (may be empty) and the body.
CStdStr<wchar_t> MeridioSoapEnvelope(const CStdStr<wchar_t>& header, const CStdStr<wchar_t>& body);

// A diffgram (declaring the msdata and diffgr prefixes) whose current data is the data-set element,
// named and in the namespace given, holding the rows; then diffgr:before holding the before rows, when
// there are any. Before rows declare the data set's namespace themselves.
CStdStr<wchar_t> MeridioDiffgram(const wchar_t* dataSet, const wchar_t* dataSetNamespace,
                                 const CStdStr<wchar_t>& rows, const CStdStr<wchar_t>& beforeRows);

// The DMWS ApplyChanges body: its changes parameter holds a DMDataSet diffgram of the rows and before rows.
CStdStr<wchar_t> MeridioDmApplyChangesBody(const CStdStr<wchar_t>& rows, const CStdStr<wchar_t>& beforeRows);

// The DMWS GetDocumentDataRefPaths body of the latest version that asks only for the containers that
// reference the document, or only for its lock.
CStdStr<wchar_t> MeridioDocumentDataRefPathsBody(LONG documentId, bool referencingContainers, bool lockInfo);

// The explicit login body; the user name and password are XML-escaped here.
CStdStr<wchar_t> MeridioLoginBody(const CStdStr<wchar_t>& userName, const CStdStr<wchar_t>& password);
CStdStr<wchar_t> MeridioLoginUnifiedBody();

// Stands in the logged copy of a login body for the password's text.
extern const wchar_t* const kMeridioPasswordMask;

// The text between the first and the second "#" of an error text that holds one at least; else the
// whole text.
CStdStr<wchar_t> CutMeridioErrorText(const CStdStr<wchar_t>& errorText);

// Whether a failed request's error text says that the session has expired.
bool IsMeridioSessionExpired(const MeridioService& service, const CStdStr<wchar_t>& errorText);
