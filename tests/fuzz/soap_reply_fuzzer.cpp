// A server reply through the reply check, then the reads the filter makes of an accepted SOAP reply.
// Input: one byte of switches (bit 0 FrontPage RPC check, bit 1 404 allowed, bit 2 body logged),
// then "status status-text", header lines, an empty line and the body.
#include "Host/ShutdownInformer.h"
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSHttpRequestMocks.h"
#include "Platform/HttpText.h"
#include "Platform/Utf.h"
#include "Platform/XmlDomObjects.h"
#include "tests/fuzz/FuzzSupport.h"

#include <string>
#include <vector>

namespace {

using LSHttpRequestMocks::HeaderPairs;

// A request whose reply is the input, read as the platform's XMLHTTP object reads it.
class ReplayedReply final : public ILSHttpRequest {
public:
    ReplayedReply(long status, CStdStr<wchar_t> statusText, HeaderPairs headers, std::string body)
        : status_(status), statusText_(std::move(statusText)), headers_(std::move(headers)),
          body_(std::move(body)) {}

    void SetConfig(const CStdStr<wchar_t>&) override {}
    HRESULT Open(const _bstr_t&, const _bstr_t&, const _variant_t&, const _variant_t&,
                 const _variant_t&) override {
        return S_OK;
    }
    HRESULT SetRequestHeader(const _bstr_t&, const _bstr_t&) override { return S_OK; }
    _bstr_t GetRequestHeader(const _bstr_t&) override { return _bstr_t(); }
    _bstr_t GetResponseHeader(const _bstr_t& name) override {
        for (const auto& [headerName, value] : headers_) {
            if (headerName.Equals(static_cast<const wchar_t*>(name), false)) {
                return _bstr_t(value.c_str());
            }
        }
        return _bstr_t();
    }
    _bstr_t GetAllResponseHeaders() override {
        return _bstr_t(LSHttpRequestMocks::FormatHeaderLines(headers_).c_str());
    }
    _variant_t GetResponseBody() override { return _variant_t(); }
    _variant_t GetResponseStream() override { return _variant_t(); }
    _bstr_t GetResponseText() override {
        const CStdStr<wchar_t> contentType(GetResponseHeader(L"Content-Type"));
        const std::wstring text = Platform::Http::DecodeText(reinterpret_cast<const BYTE*>(body_.data()),
                                                             body_.size(), Platform::WideToUtf8(contentType));
        _bstr_t result;
        result.Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
        return result;
    }
    IDispatchPtr GetResponseXML() override {
        IXMLDOMDocument2* document = nullptr;
        _com_util::CheckError(Platform::Xml::CreateDocumentFromBytes(body_.data(), body_.size(), &document));
        IDispatchPtr dispatch;
        dispatch.Attach(document);
        return dispatch;
    }
    long GetStatus() override { return status_; }
    _bstr_t GetStatusText() override { return _bstr_t(statusText_.c_str()); }
    void PerformAsyncVariantSend(const CStdStr<wchar_t>&, const _variant_t&, bool, ILSShutdownInformer*, bool,
                                 bool, bool) override {}

private:
    long status_;
    CStdStr<wchar_t> statusText_;
    HeaderPairs headers_;
    std::string body_;
};

// The result and error nodes the filter reads out of its replies.
constexpr const wchar_t* kSingleQueries[] = {
    L"//diffgr:errors",
    L"//LoginResult",
    L"//OutlookGetContainerFullExResult",
    L"//propertiesAsXml",
    L"//OutlookGetDocumentPreviewPropertiesFullResponse/propertiesAsXml",
    L"//GetLatestVersionFileByRefResult",
    L"//OutlookGetSystemConfigurationDataResult",
    L"//OutlookGetDocAdditionInfoResult",
    L"//LOCKS/docId",
    L"//LOCKS/PROP_userName",
    L"//ApplyChangesResult",
    L"//DOCUMENTS/PROP_documentId",
    L"//VERSIONS/docId",
    L"//DOCUMENTS/PROP_recordType",
    L"//DOCUMENTS/PROP_W_title",
    L"//DMDataSet/DOCUMENTS",
    L"//CONTAINERS/PROP_containerId",
    L"//CONTAINERS/PROP_W_inherit",
    L"//RMDataSet/rm2vFolder/currentPartId",
    L"//SearchContainersResponse",
};
constexpr const wchar_t* kListQueries[] = {L"//CONTAINER_DOCUMENTREFS", L"//ACCESSCONTROL",
                                           L"//CONTAINER_CUSTOMPROPS", L"//SEARCHRESULTS_CONTAINERS",
                                           L"//RMDataSet/rm2vPart"};

void ReadNode(IXMLDOMNode* node) {
    (void)node->Gettext();
    (void)node->Getxml();
    const IXMLDOMNamedNodeMapPtr attributes = node->Getattributes();
    if (!attributes) {
        return;
    }
    for (LONG i = 0; i < attributes->Getlength(); ++i) {
        const IXMLDOMNodePtr attribute = attributes->Getitem(i);
        (void)attribute->GetnodeName();
        (void)attribute->GetnodeValue();
    }
}

void ReadReply(ILSHttpRequest& request) {
    const IXMLDOMDocument2Ptr reply = request.GetResponseXML();
    for (const wchar_t* query : kSingleQueries) {
        if (const IXMLDOMNodePtr node = reply->selectSingleNode(query)) {
            ReadNode(node);
            (void)node->selectSingleNode(L"id");
        }
    }
    for (const wchar_t* query : kListQueries) {
        const IXMLDOMNodeListPtr nodes = reply->selectNodes(query);
        for (LONG i = 0; i < nodes->Getlength(); ++i) {
            ReadNode(nodes->Getitem(i));
        }
    }
}

ILSShutdownInformer* ShuttingDownInformer() {
    // A health-score pause ends at once, as it does when the host shuts down.
    static Host::LSShutdownInformer* informer = [] {
        Host::LSShutdownInformer* made = Host::LSShutdownInformer::Create();
        made->SetShutdownRequested(true);
        return made;
    }();
    return informer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t switches = data[0];
    const std::string_view input = Fuzz::Bytes(data + 1, size - 1);
    const std::size_t split = input.find("\n\n");
    const std::string_view head = input.substr(0, split);
    const std::string body(split == std::string_view::npos ? std::string_view() : input.substr(split + 2));
    const std::size_t lineEnd = head.find('\n');
    const std::wstring statusLine = Fuzz::WideText(head.substr(0, lineEnd));
    wchar_t* statusTextStart = nullptr;
    const long status = std::wcstol(statusLine.c_str(), &statusTextStart, 10);
    const HeaderPairs headers = LSHttpRequestMocks::ParseHeaderLines(CStdStr<wchar_t>(
        lineEnd == std::string_view::npos ? std::wstring() : Fuzz::WideText(head.substr(lineEnd + 1))));

    ReplayedReply request(status, CStdStr<wchar_t>(statusTextStart), headers, body);
    Fuzz::ExpectingSystemErrors([&] {
        CLSBaseWS::ThrowErrorMessage(&request, (switches & 1) != 0, ShuttingDownInformer(),
                                     (switches & 2) != 0, (switches & 4) != 0);
        ReadReply(request);
    });
    return 0;
}
