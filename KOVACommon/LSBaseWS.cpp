#include "KOVACommon/LSBaseWS.h"

#include "KOVACommon/LSTransportLog.h"
#include "Platform/Combase.h"
#include "Platform/WinBase.h"
#include "VantrelCommon/BrandTexts.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/TextUtils.h"

#include <cwchar>
#include <optional>
#include <string_view>

namespace {

constexpr DWORD kCreationContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// The namespace of SharePoint's SOAP web services; cut from the timing line's action text.
constexpr const wchar_t* kSharePointSoapNamespace = L"http://schemas.microsoft.com/sharepoint/soap/";

// The status of a reply that HTTP accepted but whose content is unusable.
constexpr long kAcceptedStatus = 200;

const CStdStr<wchar_t>& UserAgent() {
    static const CStdStr<wchar_t> userAgent = GetUserAgent();
    return userAgent;
}

void RemoveAll(CStdStr<wchar_t>& text, const std::wstring& part) {
    for (auto found = text.find(part); found != std::wstring::npos; found = text.find(part, found)) {
        text.erase(found, part.size());
    }
}

// The character a decimal reference names; none for anything but digits naming a Unicode scalar
// value other than NUL.
std::optional<wchar_t> CharacterOfReference(std::wstring_view digits) {
    constexpr std::uint32_t kHighestCodePoint = 0x10FFFF;
    const std::optional<std::uint32_t> code = ParseDigits(digits, kHighestCodePoint + 1);
    if (!code || *code == 0 || *code > kHighestCodePoint || (*code >= 0xD800 && *code <= 0xDFFF)) {
        return std::nullopt;
    }
    return static_cast<wchar_t>(*code);
}

ULONGLONG ElapsedSince(ULONGLONG start) {
    if (start == 0) {
        ThrowHResult(E_INVALIDARG);
    }
    return GetTickCount64() - start;
}

} // namespace

namespace CLSBaseWS {

void PerformAsyncSend(std::unique_ptr<ILSHttpRequest>& request, const CStdStr<wchar_t>& action,
                      const CStdStr<wchar_t>& body, ILSShutdownInformer* informer, bool,
                      const CStdStr<wchar_t>* loggedBody) {
    if (LSSetting::GetInstance()->GetUserDwordConfigDetails(L"KOVA.Log.WebServiceReq", 0).value != 0) {
        LSDIAG_DIAG << "Request: ";
        LS_LOG_LARGE_TEXT_AS_DIAG(loggedBody != nullptr ? loggedBody->c_str() : body.c_str());
    }
    _variant_t variantBody;
    if (body.empty()) {
        variantBody.vt = VT_ERROR;
        variantBody.scode = DISP_E_PARAMNOTFOUND;
    } else {
        variantBody = body.c_str();
    }
    PerformAsyncVariantSend(request, action, variantBody, false, informer);
}

void PerformAsyncVariantSend(std::unique_ptr<ILSHttpRequest>& request, const CStdStr<wchar_t>& action,
                             const _variant_t& body, bool checkFpRpcStatus, ILSShutdownInformer* informer) {
    if (informer != nullptr) {
        (void)informer->raw_NotifyRequest();
    }
    if (!UserAgent().empty()) {
        (void)request->SetRequestHeader(L"User-Agent", UserAgent().c_str());
    }
    const ULONGLONG start = GetTickCount64();
    CStdStr<wchar_t> timingText;
    if (LSDiag::perfEnabled) {
        timingText = CStdStr<wchar_t>(request->GetRequestHeader(L"SOAPAction"));
        if (timingText.empty()) {
            timingText = action;
        }
    }
    request->PerformAsyncVariantSend(action, body, checkFpRpcStatus, informer, false, false, true);
    if (LSDiag::perfEnabled) {
        RemoveAll(timingText, kSharePointSoapNamespace);
        const ULONGLONG elapsed = ElapsedSince(start);
        LSDIAG_DIAG << "|"
                    << "CLSBaseWS::PerformAsyncVariantSend"
                    << "|PERF|"
                    << "End|" << elapsed << "|1|WS|" << timingText;
    }
}

CStdStr<wchar_t> decodeFPRpcString(const CStdStr<wchar_t>& text) {
    CStdStr<wchar_t> decoded;
    std::size_t position = 0;
    for (;;) {
        const std::size_t escape = text.find(L"&#", position);
        if (escape == std::wstring::npos) {
            decoded.append(text, position, std::wstring::npos);
            return decoded;
        }
        const std::size_t end = text.find(L';', escape + 2);
        if (end == std::wstring::npos) {
            LSDIAG_ERROR << "CLSBaseWS::decodeFPRpcString"
                         << "FP RPC returned strange string with incomplete escaped character: " << text;
            decoded.append(text, position, std::wstring::npos);
            return decoded;
        }
        decoded.append(text, position, escape - position);
        const std::optional<wchar_t> character =
            CharacterOfReference(std::wstring_view(text).substr(escape + 2, end - escape - 2));
        if (!character) {
            // Not a reference to a character: kept as written, and what follows is decoded.
            decoded += L"&#";
            position = escape + 2;
            continue;
        }
        decoded += *character;
        position = end + 1;
    }
}

} // namespace CLSBaseWS

void CreateDOMDocument(IXMLDOMDocument2Ptr& document, const CStdStr<wchar_t>& xml) {
    CLSID clsid{};
    _com_util::CheckError(CLSIDFromProgID(L"msxml2.DOMDocument", &clsid));
    IUnknownPtr unknown;
    _com_util::CheckError(CoCreateInstance(clsid, nullptr, kCreationContext, __uuidof(IUnknown),
                                           reinterpret_cast<void**>(&unknown)));
    _com_util::CheckError(OleRun(unknown));
    document = nullptr;
    _com_util::CheckError(
        unknown->QueryInterface(__uuidof(IXMLDOMDocument2), reinterpret_cast<void**>(&document)));
    if (!xml.empty()) {
        (void)document->loadXML(_bstr_t(xml.c_str()));
    }
}

void LoadReplyXmlText(IXMLDOMDocument2Ptr& document, const _bstr_t& xml, const wchar_t* action) {
    CreateDOMDocument(document, CStdStr<wchar_t>());
    if (document->loadXML(xml) != VARIANT_TRUE) {
        const CStdStr<wchar_t> message = FormatString(L"The reply of %s holds text that is not XML", action);
        LSDIAG_ERROR << message;
        document = nullptr;
        throw LSHttpError(kAcceptedStatus, message);
    }
}

std::uint64_t GetResponseContentLength(ILSHttpRequest* request) {
    const _bstr_t length = request->GetResponseHeader(L"Content-Length");
    if (length.length() == 0) {
        return 0;
    }
    return std::wcstoull(static_cast<const wchar_t*>(length), nullptr, 10);
}
