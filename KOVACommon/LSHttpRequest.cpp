#include "KOVACommon/LSHttpRequest.h"

#include "KOVACommon/LSBaseWS.h"
#include "Platform/Combase.h"
#include "Platform/WinBase.h"
#include "Platform/WinUser.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/TextUtils.h"

#include <cwchar>
#include <string_view>

namespace {

constexpr DWORD kCreationContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr LONG kReadyStateCompleted = 4;
constexpr DWORD kPumpWaitMs = 50;
constexpr long kNoContentAsReported = 1223;
constexpr long kNoContent = 204;

[[noreturn]] void ThrowCreationFailure(const char* text, HRESULT hr) {
    LSDIAG_ERROR << text << std::hex << static_cast<DWORD>(hr);
    ThrowHResult(hr);
}

bool SameText(const _bstr_t& left, const _bstr_t& right) {
    if (left.length() != right.length()) {
        return false;
    }
    const wchar_t* leftText = left;
    const wchar_t* rightText = right;
    return left.length() == 0 || std::wmemcmp(leftText, rightText, left.length()) == 0;
}

// The platform's open with the cached arguments, its HRESULT returned rather than raised.
HRESULT OpenRaw(IXMLHTTPRequest& xmlHttp, const LSHttpRequest::OpenArgs& args) {
    return xmlHttp.open(static_cast<BSTR>(args.method), static_cast<BSTR>(args.url),
                        static_cast<const VARIANT&>(args.async), static_cast<const VARIANT&>(args.user),
                        static_cast<const VARIANT&>(args.password));
}

// One pass of the wait loop's message pump: a message is dispatched, else the thread waits for one
// (the request posts one when its state changes) for at most the pass's time, so that the caller
// checks for a shutdown at least that often.
void PumpOnce() {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    } else {
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, kPumpWaitMs, QS_ALLINPUT);
    }
}

void ThrowIfShutdownRequested(ILSShutdownInformer* informer) {
    if (informer == nullptr) {
        return;
    }
    VARIANT_BOOL requested = VARIANT_FALSE;
    (void)informer->get_ShutdownRequested(&requested);
    if (requested == VARIANT_TRUE) {
        ThrowHResult(E_ABORT);
    }
}

// The host (and port) of a URL: what stands between "//" and the next "/", without user details.
CStdStr<wchar_t> ServerOf(const _bstr_t& url) {
    std::wstring_view text(url.length() == 0 ? L"" : static_cast<const wchar_t*>(url), url.length());
    if (const std::size_t scheme = text.find(L"//"); scheme != std::wstring_view::npos) {
        text.remove_prefix(scheme + 2);
    }
    text = text.substr(0, text.find(L'/'));
    if (const std::size_t at = text.rfind(L'@'); at != std::wstring_view::npos) {
        text.remove_prefix(at + 1);
    }
    return CStdStr<wchar_t>(std::wstring(text));
}

} // namespace

IXMLHTTPRequest& LSHttpRequest::XmlHttp() const {
    if (!xmlHttp_) {
        _com_issue_error(E_POINTER);
    }
    return *xmlHttp_;
}

void LSHttpRequest::CreateXMLHttpRequest() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"msxml2.XMLHTTP", &clsid);
    xmlHttp_ = nullptr;
    if (SUCCEEDED(hr)) {
        IUnknownPtr unknown;
        hr = CoCreateInstance(clsid, nullptr, kCreationContext, __uuidof(IUnknown),
                              reinterpret_cast<void**>(&unknown));
        if (SUCCEEDED(hr)) {
            hr = OleRun(unknown);
        }
        if (SUCCEEDED(hr)) {
            hr = unknown->QueryInterface(__uuidof(IXMLHTTPRequest), reinterpret_cast<void**>(&xmlHttp_));
        }
    }
    if (FAILED(hr)) {
        xmlHttp_ = nullptr;
        ThrowCreationFailure("Failed to create IXMLHttpRequest ", hr);
    }
    if (openArgs_) {
        hr = OpenRaw(*xmlHttp_, *openArgs_);
        if (FAILED(hr)) {
            ThrowCreationFailure("Failed to reopen IXMLHttpRequest ", hr);
        }
    }
    for (const auto& [name, value] : headers_) {
        hr = xmlHttp_->setRequestHeader(static_cast<BSTR>(name), static_cast<BSTR>(value));
        if (FAILED(hr)) {
            ThrowCreationFailure("Failed to set header IXMLHttpRequest ", hr);
        }
    }
}

void LSHttpRequest::SetConfig(const CStdStr<wchar_t>&) {}

HRESULT LSHttpRequest::Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async,
                            const _variant_t& user, const _variant_t& password) {
    openArgs_ = OpenArgs{method, url, async, user, password};
    headers_.clear(); // the platform object forgets its headers too; a retry must not send old ones
    return OpenRaw(XmlHttp(), *openArgs_);
}

HRESULT LSHttpRequest::SetRequestHeader(const _bstr_t& name, const _bstr_t& value) {
    headers_.emplace_back(name, value);
    return XmlHttp().setRequestHeader(static_cast<BSTR>(name), static_cast<BSTR>(value));
}

_bstr_t LSHttpRequest::GetResponseHeader(const _bstr_t& name) {
    return XmlHttp().getResponseHeader(name);
}

_bstr_t LSHttpRequest::GetAllResponseHeaders() {
    return XmlHttp().getAllResponseHeaders();
}

_bstr_t LSHttpRequest::GetRequestHeader(const _bstr_t& name) {
    for (const auto& [setName, value] : headers_) {
        if (SameText(setName, name)) {
            return value;
        }
    }
    return _bstr_t();
}

_variant_t LSHttpRequest::GetResponseBody() {
    return XmlHttp().GetresponseBody();
}

_variant_t LSHttpRequest::GetResponseStream() {
    return XmlHttp().GetresponseStream();
}

_bstr_t LSHttpRequest::GetResponseText() {
    return XmlHttp().GetresponseText();
}

IDispatchPtr LSHttpRequest::GetResponseXML() {
    return XmlHttp().GetresponseXML();
}

long LSHttpRequest::GetStatus() {
    const long status = XmlHttp().Getstatus();
    if (status == kNoContentAsReported) {
        LSDIAG_DIAG << "Status code 1223->204";
        return kNoContent;
    }
    return status;
}

_bstr_t LSHttpRequest::GetStatusText() {
    return XmlHttp().GetstatusText();
}

void LSHttpRequest::PerformAsyncVariantSend(const CStdStr<wchar_t>& description, const _variant_t& body,
                                            bool checkFpRpcStatus, ILSShutdownInformer* informer, bool noWait,
                                            bool allow404, bool logResponseBody) {
    bool firstCall = true;
    RunWithServerUnavailableRetry(informer, [&] {
        if (firstCall) {
            firstCall = false;
        } else {
            CreateXMLHttpRequest();
        }
        SendAndWait(description, body, checkFpRpcStatus, informer, noWait, allow404, logResponseBody);
    });
}

void LSHttpRequest::SendAndWait(const CStdStr<wchar_t>& description, const _variant_t& body,
                                bool checkFpRpcStatus, ILSShutdownInformer* informer, bool noWait,
                                bool allow404, bool logResponseBody) {
    try {
        LSDIAG_DIAG << "Sending " << description;
        IXMLHTTPRequest& xmlHttp = XmlHttp();
        _com_util::CheckError(xmlHttp.send(body));
        if (noWait) {
            (void)xmlHttp.GetreadyState();
            CLSBaseWS::ThrowErrorMessage(this, checkFpRpcStatus, informer, allow404, true);
            return;
        }
        do {
            PumpOnce();
            ThrowIfShutdownRequested(informer);
        } while (xmlHttp.GetreadyState() != kReadyStateCompleted);
        LSDIAG_DIAG << "Back from " << description;
        ThrowIfTimedOut();
        ThrowIfRedirectNotFollowed();
        CLSBaseWS::ThrowErrorMessage(this, checkFpRpcStatus, informer, allow404, logResponseBody);
    } catch (const _com_error& error) {
        LSDIAG_ERROR << "Failed to call on: " << description << ":" << std::hex
                     << static_cast<DWORD>(error.Error());
        LSDIAG_ERROR << "Description: " << error.Description();
        CLSBaseWS::ThrowErrorMessage(this, checkFpRpcStatus, informer, allow404, logResponseBody);
        throw;
    }
}

void LSHttpRequest::ThrowIfTimedOut() {
    if (XmlHttp().Getstatus() != ERROR_INTERNET_TIMEOUT) {
        return;
    }
    const CStdStr<wchar_t> server = openArgs_ ? ServerOf(openArgs_->url) : CStdStr<wchar_t>();
    LSDIAG_ERROR << "Request timed out: no reply from " << server;
    throw LSHttpError(ERROR_INTERNET_TIMEOUT, CStdStr<wchar_t>(L"No reply from ") + server);
}

void LSHttpRequest::ThrowIfRedirectNotFollowed() {
    const long status = XmlHttp().Getstatus();
    if ((status < 300 || status > 399) && status != ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR) {
        return;
    }
    const CStdStr<wchar_t> location(XmlHttp().getResponseHeader(L"Location"));
    if (location.empty()) {
        return;
    }
    LSDIAG_ERROR << "Redirect not followed: " << status << " to " << location;
    throw LSHttpError(status, L"Redirect to " + location + L" not followed");
}
