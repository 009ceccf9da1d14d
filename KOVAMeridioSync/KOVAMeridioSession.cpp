// The Meridio session and the SOAP senders: the login that gets the process-wide session token, one
// sender per web service that renews an expired session once, and the request itself.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHttpRequestFactory.h"
#include "KOVACommon/LSTransportLog.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"

namespace {

struct MeridioCredentials {
    CStdStr<wchar_t> userName;
    CStdStr<wchar_t> password;
};

// Read once per process; a change needs a new process.
const MeridioCredentials& Credentials() {
    static const MeridioCredentials credentials{
        LSSetting::GetInstance()->GetUserString(L"MeridioSync.UserName", CStdStr<wchar_t>()),
        LSSetting::GetInstance()->GetUserString(L"MeridioSync.UserPassword", CStdStr<wchar_t>())};
    return credentials;
}

// The setting's URL, or the service path on the server when it is not set.
CStdStr<wchar_t> ServiceUrl(const wchar_t* settingName, const wchar_t* pathFormat,
                            const CStdStr<wchar_t>& serverName) {
    return LSSetting::GetInstance()->GetUserString(settingName, FormatString(pathFormat, serverName.c_str()));
}

constexpr const char* kExecuteWebRequest = "KOVAMeridioSyncFilterImpl::ExecuteWebRequest";

// The session token is a bearer secret: the credential headers of the logged envelopes and the login
// reply show it masked, as the password is.
void MaskSessionTokenInTransportLog() {
    static const bool masked = [] {
        for (const wchar_t* name : {L"token", L"Token", L"LoginResult"}) {
            LSTransportLog::MaskElementText(name);
        }
        return true;
    }();
    (void)masked;
}

} // namespace

CStdStr<wchar_t>& KOVAMeridioSyncFilterImpl::SessionToken() {
    static CStdStr<wchar_t> token;
    return token;
}

void KOVAMeridioSyncFilterImpl::Login(bool force) {
    LSDIAG_DIAG << "Login start";
    m_dmwsUrl = ServiceUrl(L"MeridioSync.DMWS", L"http://%s/dmws/meridiodmws.asmx", m_serverName);
    m_rmwsUrl = ServiceUrl(L"MeridioSync.RMWS", L"http://%s/rmws/meridiormws.asmx", m_serverName);
    m_scwsUrl = ServiceUrl(L"MeridioSync.SCWS", L"http://%s/scws/meridioscws.asmx", m_serverName);
    if (SessionToken().empty() || force) {
        LoginToMeridio(m_dmwsUrl, m_shutdownInformer);
    }
    LSDIAG_DIAG << "Login end";
}

void KOVAMeridioSyncFilterImpl::LoginToMeridio(const CStdStr<wchar_t>& dmwsUrl,
                                               ILSShutdownInformer* informer) {
    LSDIAG_DIAG << "LoginToMeridio start";
    const MeridioCredentials& credentials = Credentials();
    CStdStr<wchar_t> body;
    CStdStr<wchar_t> loggedBody;
    if (!credentials.userName.empty()) {
        LSDIAG_DIAG << "Explicit login ";
        body = MeridioLoginBody(credentials.userName, credentials.password);
        loggedBody = MeridioLoginBody(credentials.userName, kMeridioPasswordMask);
    } else {
        LSDIAG_DIAG << "Unified login ";
        body = MeridioLoginUnifiedBody();
        loggedBody = body;
    }

    IXMLDOMDocument2Ptr reply;
    std::unique_ptr<ILSHttpRequest> request;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = ExecuteServiceRequest(kMeridioDmws, _variant_t(body.c_str()), reply, request, L"Login",
                                             CStdStr<wchar_t>(), dmwsUrl, CStdStr<wchar_t>(), informer,
                                             errorText, false, &loggedBody);
    if (FAILED(hr)) {
        if (credentials.userName.empty()) {
            LSDIAG_ERROR << "Login failed (unified login) at " << dmwsUrl << ": " << errorText;
        } else {
            LSDIAG_ERROR << "Login failed for user \"" << credentials.userName << "\" at " << dmwsUrl << ": "
                         << errorText;
        }
        ThrowHResult(hr);
    }
    if (!reply) {
        _com_issue_error(E_POINTER);
    }
    const IXMLDOMNodePtr result = reply->selectSingleNode(L"//LoginResult");
    const CStdStr<wchar_t> token = result ? CStdStr<wchar_t>(result->Gettext()) : CStdStr<wchar_t>();
    if (token.empty()) {
        LSDIAG_ERROR << "Unable to get webtoken for user login";
        ThrowHResult(E_INVALIDARG);
    }
    SessionToken() = token;
    LSDIAG_DIAG << "LoginToMeridio end";
}

HRESULT KOVAMeridioSyncFilterImpl::ExecuteDMWSRequest(
    const _variant_t& body, IXMLDOMDocument2Ptr& reply, std::unique_ptr<ILSHttpRequest>& request,
    const wchar_t* action, const CStdStr<wchar_t>& contentType, const CStdStr<wchar_t>& url,
    const CStdStr<wchar_t>& token, ILSShutdownInformer* informer, CStdStr<wchar_t>& errorText,
    bool reloginAllowed) {
    return ExecuteServiceRequest(kMeridioDmws, body, reply, request, action, contentType, url, token,
                                 informer, errorText, reloginAllowed, nullptr);
}

HRESULT KOVAMeridioSyncFilterImpl::ExecuteRMWSRequest(const _variant_t& body, IXMLDOMDocument2Ptr& reply,
                                                      std::unique_ptr<ILSHttpRequest>& request,
                                                      const wchar_t* action,
                                                      const CStdStr<wchar_t>& contentType,
                                                      CStdStr<wchar_t>& errorText) {
    return ExecuteServiceRequest(kMeridioRmws, body, reply, request, action, contentType, m_rmwsUrl,
                                 SessionToken(), m_shutdownInformer, errorText, true, nullptr);
}

HRESULT KOVAMeridioSyncFilterImpl::ExecuteSCWSRequest(const _variant_t& body, IXMLDOMDocument2Ptr& reply,
                                                      const wchar_t* action, CStdStr<wchar_t>& errorText,
                                                      ILSShutdownInformer* informer) {
    std::unique_ptr<ILSHttpRequest> request;
    return ExecuteServiceRequest(kMeridioScws, body, reply, request, action, CStdStr<wchar_t>(), m_scwsUrl,
                                 SessionToken(), informer, errorText, true, nullptr);
}

HRESULT KOVAMeridioSyncFilterImpl::SendDMWSRequest(const CStdStr<wchar_t>& body, const wchar_t* action,
                                                   IXMLDOMDocument2Ptr& reply, CStdStr<wchar_t>& errorText) {
    std::unique_ptr<ILSHttpRequest> request;
    return ExecuteDMWSRequest(_variant_t(body.c_str()), reply, request, action, CStdStr<wchar_t>(), m_dmwsUrl,
                              SessionToken(), m_shutdownInformer, errorText, true);
}

HRESULT KOVAMeridioSyncFilterImpl::SendRMWSRequest(const CStdStr<wchar_t>& body, const wchar_t* action,
                                                   IXMLDOMDocument2Ptr& reply, CStdStr<wchar_t>& errorText) {
    std::unique_ptr<ILSHttpRequest> request;
    return ExecuteRMWSRequest(_variant_t(body.c_str()), reply, request, action, CStdStr<wchar_t>(),
                              errorText);
}

HRESULT KOVAMeridioSyncFilterImpl::SendDMWSUpload(const MessageForToken& message, const wchar_t* action,
                                                  IXMLDOMDocument2Ptr& reply, CStdStr<wchar_t>& errorText) {
    std::unique_ptr<ILSHttpRequest> request;
    return ExecuteServiceRequest(kMeridioDmws, message(SessionToken()), reply, request, action,
                                 L"application/dime", m_dmwsUrl, SessionToken(), m_shutdownInformer,
                                 errorText, true, nullptr, &message);
}

HRESULT KOVAMeridioSyncFilterImpl::ExecuteServiceRequest(
    const MeridioService& service, const _variant_t& body, IXMLDOMDocument2Ptr& reply,
    std::unique_ptr<ILSHttpRequest>& request, const wchar_t* action, const CStdStr<wchar_t>& contentType,
    const CStdStr<wchar_t>& url, const CStdStr<wchar_t>& token, ILSShutdownInformer* informer,
    CStdStr<wchar_t>& errorText, bool reloginAllowed, const CStdStr<wchar_t>* loggedBody,
    const MessageForToken* resentMessage) {
    const CStdStr<wchar_t> soapAction = MeridioSoapAction(service, action);
    bool connectionFailed = false;
    HRESULT hr = ExecuteWebRequest(body, reply, request, url, soapAction, service.headerTemplate, contentType,
                                   token, informer, errorText, loggedBody, connectionFailed);
    if (FAILED(hr) && reloginAllowed && IsMeridioSessionExpired(service, errorText)) {
        LSDIAG_DIAG << "Session has expired so obtaining new webtoken";
        const unsigned noticesBefore = m_connectionFailureNotices;
        try {
            LoginToMeridio(m_dmwsUrl, m_shutdownInformer);
        } catch (...) {
            // The host is told of the lost connection also when the renewal fails for another reason;
            // a renewal that lost the connection itself has told it already.
            if (connectionFailed && m_connectionFailureNotices == noticesBefore) {
                ReportConnectionFailure(informer);
            }
            throw;
        }
        const _variant_t resentBody = resentMessage != nullptr ? (*resentMessage)(SessionToken()) : body;
        hr =
            ExecuteWebRequest(resentBody, reply, request, url, soapAction, service.headerTemplate,
                              contentType, SessionToken(), informer, errorText, loggedBody, connectionFailed);
    }
    // An expired session that the renewal mended is no lost connection.
    if (FAILED(hr) && connectionFailed) {
        ReportConnectionFailure(informer);
    }
    return hr;
}

void KOVAMeridioSyncFilterImpl::ReportConnectionFailure(ILSShutdownInformer* informer) {
    ++m_connectionFailureNotices;
    if (informer != nullptr) {
        informer->raw_ReportAbortMessage(_bstr_t(L"Sync aborted - connection to Server failed"));
    }
}

HRESULT KOVAMeridioSyncFilterImpl::ExecuteWebRequest(
    const _variant_t& body, IXMLDOMDocument2Ptr& reply, std::unique_ptr<ILSHttpRequest>& request,
    const CStdStr<wchar_t>& url, const CStdStr<wchar_t>& soapAction, const wchar_t* headerTemplate,
    const CStdStr<wchar_t>& contentType, const CStdStr<wchar_t>& token, ILSShutdownInformer* informer,
    CStdStr<wchar_t>& errorText, const CStdStr<wchar_t>* loggedBody, bool& connectionFailed) {
    connectionFailed = false;
    MaskSessionTokenInTransportLog();
    if (!request) {
        LSHttpRequestFactory::Create(request);
    }
    if (!request) {
        LSDIAG_ERROR << kExecuteWebRequest << ":Unable to create XmlRequest: ";
        return E_FAIL;
    }
    const HRESULT hr = request->Open(L"POST", url.c_str(), _variant_t(VARIANT_TRUE, VT_BOOL), _variant_t(L""),
                                     _variant_t(L""));
    if (FAILED(hr)) {
        LSDIAG_ERROR << kExecuteWebRequest << ":Unable to open XmlRequest: " << std::hex
                     << static_cast<DWORD>(hr);
        return hr;
    }
    request->SetRequestHeader(L"Content-Type",
                              contentType.empty() ? L"text/xml; charset=utf-8" : contentType.c_str());
    request->SetRequestHeader(L"SOAPAction", soapAction.c_str());
    const CStdStr<wchar_t> header = MeridioCredentialHeader(headerTemplate, token);

    try {
        if (body.vt == VT_BSTR) {
            const CStdStr<wchar_t> envelope = MeridioSoapEnvelope(header, body.bstrVal);
            if (loggedBody != nullptr) {
                const CStdStr<wchar_t> loggedEnvelope = MeridioSoapEnvelope(header, *loggedBody);
                CLSBaseWS::PerformAsyncSend(request, url, envelope, informer, false, &loggedEnvelope);
            } else {
                CLSBaseWS::PerformAsyncSend(request, url, envelope, informer, false);
            }
        } else {
            CLSBaseWS::PerformAsyncVariantSend(request, url, body, true, informer);
        }
    } catch (const LSHttpError& error) {
        connectionFailed = true;
        errorText = FormatHttpErrorText(error);
        // A status of an HTTP reply, or a transport failure's code, which the message explains.
        if (error.status >= 100 && error.status < 600) {
            LSDIAG_ERROR << kExecuteWebRequest << ":Request to " << url << " failed: HTTP status " << std::dec
                         << error.status << ": " << error.message;
        } else {
            LSDIAG_ERROR << kExecuteWebRequest << ":Request to " << url << " failed: " << errorText;
        }
        errorText = CutMeridioErrorText(errorText);
        return E_FAIL;
    } catch (long value) {
        // A shutdown is no failure of the server: the host must see E_ABORT.
        if (static_cast<HRESULT>(value) == E_ABORT) {
            throw;
        }
        connectionFailed = true;
        LSDIAG_ERROR << kExecuteWebRequest << ":Unexpected Error : ";
        return E_FAIL;
    } catch (...) {
        connectionFailed = true;
        LSDIAG_ERROR << kExecuteWebRequest << ":Unexpected Error : ";
        return E_FAIL;
    }

    reply = request->GetResponseXML();
    if (!reply) {
        _com_issue_error(E_POINTER);
    }
    const IXMLDOMNodePtr errors = reply->selectSingleNode(L"//diffgr:errors");
    if (errors) {
        errorText = CStdStr<wchar_t>(errors->Getxml());
        LSDIAG_ERROR << "Web service call failed with error: " << errorText;
        errorText = CutMeridioErrorText(errorText);
        return E_FAIL;
    }
    return S_OK;
}
