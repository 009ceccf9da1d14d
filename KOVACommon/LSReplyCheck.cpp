// CLSBaseWS::ThrowErrorMessage: judges a reply and turns a failed one into LSHttpError.
#include "KOVACommon/LSBaseWS.h"

#include "KOVACommon/LSTransportLog.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/TextUtils.h"

#include <initializer_list>
#include <optional>

namespace {

constexpr UINT kDefaultSoapFaultText = 4041;
constexpr UINT kOtherStatusText = 4042;
constexpr UINT kFpRpcMarkerText = 4043;
constexpr UINT kFpRpcFailureText = 4044;
constexpr UINT kODataFailureText = 4265;

bool ResponseLoggingOn() {
    return LSSetting::GetInstance()->GetUserDwordConfigDetails(L"KOVA.Log.WebServiceResp", 0).value != 0;
}

std::uint64_t LargestBodyToLog() {
    static const std::uint64_t limit =
        static_cast<std::uint64_t>(
            LSSetting::GetInstance()->GetUserDwordConfigDetails(L"MaxFileSizeToLogMb", 10).value)
        << 20;
    return limit;
}

CStdStr<wchar_t> Header(ILSHttpRequest* request, const wchar_t* name) {
    return CStdStr<wchar_t>(request->GetResponseHeader(name));
}

// The Retry-After header as seconds, held at the longest wait of the busy retry; 0 without one. Only
// a plain decimal number counts (blanks around it allowed): a date, a sign or any other text counts as
// none, so that the retry's own delays apply and no wait is ever longer than they are.
std::uint32_t RetryAfterSeconds(CStdStr<wchar_t> header) {
    header.Trim(L" \t");
    if (header.empty()) {
        return 0;
    }
    const std::optional<std::uint32_t> seconds = ParseDigits(header, kLongestServerWaitSeconds);
    if (!seconds) {
        LSDIAG_DIAG << "Retry-After not a number of seconds, ignored: " << header;
    }
    return seconds.value_or(0);
}

// A FrontPage RPC reply reports failure inside a 2xx body.
void CheckFpRpcStatus(ILSHttpRequest* request, long status) {
    const CStdStr<wchar_t> text(request->GetResponseText());
    const std::size_t osStatus = text.find(L"osstatus=");
    const std::size_t msg =
        osStatus == std::wstring::npos ? std::wstring::npos : text.find(L"msg=", osStatus);
    if (msg != std::wstring::npos) {
        const std::size_t start = msg + 4;
        const std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            throw LSHttpError(status, CStdStr<wchar_t>(kFpRpcMarkerText));
        }
        throw LSHttpError(status,
                          CLSBaseWS::decodeFPRpcString(CStdStr<wchar_t>(text.substr(start, end - start))));
    }
    const CStdStr<wchar_t> marker(kFpRpcMarkerText);
    if (!marker.empty() && text.find(marker) != std::wstring::npos) {
        throw LSHttpError(status, CStdStr<wchar_t>(kFpRpcFailureText));
    }
}

void LogAcceptedResponse(ILSHttpRequest* request, bool logResponseBody) {
    if (!ResponseLoggingOn()) {
        return;
    }
    LSDIAG_DIAG << "Log Resp - Headers";
    LS_LOG_LARGE_TEXT_AS_DIAG(request->GetAllResponseHeaders());
    if (!logResponseBody) {
        return;
    }
    try {
        if (GetResponseContentLength(request) < LargestBodyToLog()) {
            LSDIAG_DIAG << "Log Resp - Response";
            LS_LOG_LARGE_TEXT_AS_DIAG(request->GetResponseText());
        } else {
            LSDIAG_DIAG << "Response too large to log.";
        }
    } catch (...) {
        LSDIAG_ERROR << "Exception when logging text from response.";
    }
}

// The text of the first node the query selects, if any.
bool SelectText(IXMLDOMNode* document, const wchar_t* query, CStdStr<wchar_t>& text) {
    IXMLDOMNodePtr node;
    if (document == nullptr || FAILED(document->selectSingleNode(_bstr_t(query), &node)) || !node) {
        return false;
    }
    text = CStdStr<wchar_t>(node->Gettext());
    return true;
}

bool FirstSelected(IXMLDOMNode* document, std::initializer_list<const wchar_t*> queries,
                   CStdStr<wchar_t>& text) {
    for (const wchar_t* query : queries) {
        if (SelectText(document, query, text)) {
            return true;
        }
    }
    return false;
}

// The message of a 400 (OData) or 500 (SOAP fault) reply.
CStdStr<wchar_t> FaultMessage(IXMLDOMNode* document, long status) {
    CStdStr<wchar_t> message;
    if (status == 400) {
        if (!FirstSelected(document, {L"//m:message", L"//m:code"}, message)) {
            message = CStdStr<wchar_t>(kODataFailureText);
        }
        return message;
    }
    if (SelectText(document, L"//errorstring", message)) {
        CStdStr<wchar_t> code;
        if (SelectText(document, L"//errorcode", code)) {
            message.AppendFormat(L" (%s)", code.c_str());
        }
        return message;
    }
    if (!FirstSelected(document, {L"//faultstring", L"//m:message", L"//m:code"}, message)) {
        message = CStdStr<wchar_t>(kDefaultSoapFaultText);
    }
    return message;
}

// The reply as a DOM; null when the reply holds no document.
IXMLDOMNodePtr ReplyDocument(ILSHttpRequest* request) {
    IXMLDOMNodePtr document;
    const IDispatchPtr reply = request->GetResponseXML();
    if (reply) {
        (void)reply->QueryInterface(__uuidof(IXMLDOMNode), reinterpret_cast<void**>(&document));
    }
    return document;
}

[[noreturn]] void ThrowFaultError(ILSHttpRequest* request, long status, const CStdStr<wchar_t>& detail,
                                  std::uint32_t retryAfterSeconds) {
    LSDIAG_ERROR << "web services Request failed: status:" << std::dec << status;
    LSDIAG_DIAG << "Headers:" << request->GetAllResponseHeaders();
    const IXMLDOMNodePtr document = ReplyDocument(request);
    if (ResponseLoggingOn()) {
        try {
            LSDIAG_ERROR << "Error Response";
            LS_LOG_LARGE_TEXT_AS_ERROR(request->GetResponseText());
        } catch (...) {
            LSDIAG_ERROR << "Exception when logging response";
        }
    }
    const CStdStr<wchar_t> message = FaultMessage(document, status);
    LSDIAG_ERROR << "Error is : " << message; // the reply follows whole
    LS_LOG_LARGE_TEXT_AS_ERROR(document ? document->Getxml() : _bstr_t());
    throw LSHttpError(status, message, detail, retryAfterSeconds);
}

} // namespace

namespace CLSBaseWS {

void ThrowErrorMessage(ILSHttpRequest* request, bool checkFpRpcStatus, ILSShutdownInformer* informer,
                       bool allow404, bool logResponseBody) {
    const long status = request->GetStatus();
    LSDIAG_DIAG << "Response:" << std::dec << status;
    if (status >= 200 && status <= 299) {
        CheckHealthScore(request, informer);
        if (checkFpRpcStatus) {
            CheckFpRpcStatus(request, status);
        }
        LogAcceptedResponse(request, logResponseBody);
        return;
    }
    const CStdStr<wchar_t> davError = Header(request, L"X-MSDAVEXT_Error");
    if (!davError.empty()) {
        LSDIAG_ERROR << "Failure error:" << davError;
        throw LSHttpError(status, davError);
    }
    if (status == 404 && allow404) {
        return;
    }
    const CStdStr<wchar_t> detail =
        Header(request, L"Content-Type").find(L"application/json") != std::wstring::npos
            ? CStdStr<wchar_t>(request->GetResponseText())
            : CStdStr<wchar_t>();
    const std::uint32_t retryAfterSeconds = RetryAfterSeconds(Header(request, L"Retry-After"));
    if (status == 500 || status == 400) {
        ThrowFaultError(request, status, detail, retryAfterSeconds);
    }
    LSDIAG_ERROR << "web services Request failed: status:" << std::dec << status;
    CStdStr<wchar_t> message;
    try {
        message = CStdStr<wchar_t>(request->GetStatusText());
    } catch (...) {
    }
    if (message.empty()) {
        message = CStdStr<wchar_t>(kOtherStatusText);
    }
    throw LSHttpError(status, message, detail, retryAfterSeconds);
}

} // namespace CLSBaseWS
