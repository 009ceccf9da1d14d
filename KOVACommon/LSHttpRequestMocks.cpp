// The recorder, the player and what they share.
#include "KOVACommon/LSHttpRequestMocks.h"

#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSTransportLog.h"
#include "Platform/SafeArrayData.h"
#include "Platform/Shlwapi.h"
#include "Platform/Utf.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/TextUtils.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <optional>
#include <sstream>

namespace LSHttpRequestMocks {

namespace {

constexpr UINT kShortWriteText = 4045;
constexpr UINT kShortWriteOfText = 4046;

bool EqualsIgnoringCase(const CStdStr<wchar_t>& left, const wchar_t* right) {
    return left.Equals(right == nullptr ? L"" : right, false);
}

// The request file: method, URL, the SOAP action when kept, an empty line.
CStdStr<wchar_t> RequestFileText(const RecordedRequest& request) {
    CStdStr<wchar_t> text = request.method + L"\n" + request.url + L"\n";
    if (!request.soapAction.empty()) {
        text += request.soapAction + L"\n";
    }
    return text + L"\n";
}

// The text of a recording file; one that is not UTF-8 is a malformed recording (E_FAIL).
std::wstring RecordingText(std::string_view bytes, const CStdStr<wchar_t>& path) {
    std::optional<std::wstring> text = Platform::Utf8ToWideExact(bytes);
    if (!text) {
        LSDIAG_ERROR << "Recording file is not UTF-8 text: " << path;
        ThrowHResult(E_FAIL);
    }
    return std::move(*text);
}

// The first three words of the request file; all empty when it cannot be read.
RecordedRequest ReadRequestFile(const CStdStr<wchar_t>& path) {
    RecordedRequest request;
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (int) {
        LSDIAG_ERROR << "Failed to read binary file " << path;
        return request;
    }
    std::wistringstream words(RecordingText(bytes, path));
    std::wstring word;
    CStdStr<wchar_t>* fields[] = {&request.method, &request.url, &request.soapAction};
    for (CStdStr<wchar_t>* field : fields) {
        if (!(words >> word)) {
            break;
        }
        *field = CStdStr<wchar_t>(word);
    }
    return request;
}

void WriteBytesInto(FILE* file, const void* data, std::size_t size, const char* failureText) {
    const std::size_t written = size == 0 ? 0 : std::fwrite(data, 1, size, file);
    if (written != size) {
        LSDIAG_ERROR << failureText << written << "< not >" << size;
        ThrowHResult(E_FAIL);
    }
}

void WriteByteArray(FILE* file, SAFEARRAY* array) {
    const UINT dimensions = SafeArrayGetDim(array);
    const long lowerBound = array->rgsabound[0].lLbound;
    const ULONG elements = array->rgsabound[0].cElements;
    // The bytes after the lower bound, never more than the array holds.
    const std::size_t count =
        lowerBound >= 0 ? (elements > static_cast<ULONG>(lowerBound) ? elements - lowerBound : 0) : elements;
    LSDIAG_DIAG << "Download file, SafeArray dimension ->" << dimensions << ", size of each element -> "
                << SafeArrayGetElemsize(array) << " Amount to write->" << count;
    LSDIAG_DIAG << "lBound = " << lowerBound << ", elementCount = " << elements;
    if (dimensions != 1) {
        LSDIAG_ERROR << "WriteBodyToFile Unexpected return: " << std::hex << static_cast<DWORD>(E_FAIL);
    }
    Platform::SafeArrayData data(array);
    HRESULT hr = data.Result();
    if (FAILED(hr)) {
        LSDIAG_ERROR << "WriteBodyToFile Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        ThrowHResult(hr);
    }
    const std::size_t written = count == 0 ? 0 : std::fwrite(data.Data(), 1, count, file);
    if (written != count) {
        LSDIAG_ERROR << "Trying to write file from downloaded document only wrote " << written << "< not >"
                     << count;
        ThrowHResult(E_FAIL);
    }
    hr = data.Release();
    if (FAILED(hr)) {
        LSDIAG_ERROR << "WriteBodyToFile Unexpected return: " << std::hex << static_cast<DWORD>(hr);
        ThrowHResult(hr);
    }
    if (written != elements) {
        const CStdStr<wchar_t> message = CStdStr<wchar_t>(kShortWriteText) +
                                         ToString(static_cast<std::uint32_t>(written)) +
                                         CStdStr<wchar_t>(kShortWriteOfText) + ToString(elements);
        LSDIAG_ERROR << message;
        throw LSHttpError(500, message);
    }
}

} // namespace

namespace {

// Appends a recorded body after the header text.
void WriteBodyToFile(FILE* file, const VARIANT& body) {
    if (body.vt == VT_EMPTY) {
        return;
    }
    if (body.vt == VT_BSTR) {
        const std::string bytes = GetUtf8Converter().to_bytes(
            std::wstring_view(body.bstrVal == nullptr ? L"" : body.bstrVal, SysStringLen(body.bstrVal)));
        WriteBytesInto(file, bytes.data(), bytes.size(), "Trying to write file only wrote ");
        return;
    }
    if (body.vt == (VT_ARRAY | VT_UI1) && body.parray != nullptr) {
        WriteByteArray(file, body.parray);
        return;
    }
    LSDIAG_ERROR << "WriteBodyToFile Unexpected return: " << std::hex << static_cast<DWORD>(E_FAIL);
}

} // namespace

// Mock base

void LSHttpRequestMockBase::SetConfig(const CStdStr<wchar_t>& config) {
    config_ = config;
    recordingPathPrefix.clear();
}

HRESULT LSHttpRequestMockBase::Open(const _bstr_t& method, const _bstr_t& url, const _variant_t&,
                                    const _variant_t&, const _variant_t&) {
    method_ = CStdStr<wchar_t>(method);
    url_ = CStdStr<wchar_t>(url);
    requestHeaders_.clear();
    soapAction_.clear();
    return S_OK;
}

HRESULT LSHttpRequestMockBase::SetRequestHeader(const _bstr_t& name, const _bstr_t& value) {
    const CStdStr<wchar_t> headerName(name);
    const CStdStr<wchar_t> headerValue(value);
    requestHeaders_.emplace_back(headerName, headerValue);
    if (headerName.Equals(L"soapaction", false)) {
        const std::size_t slash = headerValue.rfind(L'/');
        soapAction_ = slash == std::wstring::npos || slash + 1 == headerValue.size()
                          ? headerValue
                          : CStdStr<wchar_t>(headerValue.substr(slash + 1));
    }
    return S_OK;
}

_bstr_t LSHttpRequestMockBase::GetRequestHeader(const _bstr_t& name) {
    for (const auto& [headerName, value] : requestHeaders_) {
        if (EqualsIgnoringCase(headerName, name)) {
            return _bstr_t(value.c_str());
        }
    }
    return _bstr_t();
}

void LSHttpRequestMockBase::NextExchangeFiles(CStdStr<wchar_t>& requestFile,
                                              CStdStr<wchar_t>& responseFile) const {
    ++exchangeCounter;
    MakeRecordingFileNames(config_, Current(), exchangeCounter, requestFile, responseFile);
}

// Response fake

void LSResponseFake::Clear() {
    headers.clear();
    status = 0;
    statusText.clear();
    body.Clear();
}

void LSResponseFake::ReadFromFile(const CStdStr<wchar_t>& path, LSResponseFake& response) {
    response.Clear();
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (int) {
        LSDIAG_ERROR << "Failed to read binary file " << path;
        return;
    }
    const std::size_t split = bytes.find("\n\n");
    const std::size_t headerEnd = split == std::string::npos ? bytes.size() : split + 2;
    const CStdStr<wchar_t> headerText(RecordingText(std::string_view(bytes).substr(0, headerEnd), path));
    if (headerText.rfind(L"HTTP/1.1 ", 0) == 0) {
        const std::size_t lineEnd = headerText.find(L'\n');
        std::wistringstream statusLine(headerText.substr(0, lineEnd));
        std::wstring protocol;
        long status = 0;
        if (lineEnd == std::wstring::npos || !(statusLine >> protocol >> status)) {
            LSDIAG_ERROR << "Malformed status line in recording " << path;
            ThrowHResult(E_FAIL);
        }
        std::wstring rest;
        std::getline(statusLine, rest);
        CStdStr<wchar_t> statusText(rest);
        response.status = status;
        response.statusText = TrimLeadingSpaces(statusText);
        response.headers = ParseHeaderLines(CStdStr<wchar_t>(headerText.substr(lineEnd + 1)));
        const std::size_t bodySize = bytes.size() - headerEnd;
        if (bodySize > 0) {
            SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bodySize));
            if (array == nullptr) {
                _com_issue_error(E_OUTOFMEMORY);
            }
            std::memcpy(array->pvData, bytes.data() + headerEnd, bodySize);
            response.body.vt = VT_ARRAY | VT_UI1;
            response.body.parray = array;
        }
        return;
    }
    if (headerText.rfind(HttpErrorMarker, 0) == 0) {
        // The marker's line, then "status<TAB>message"; a marker alone is an empty, malformed record.
        const CStdStr<wchar_t> recorded(
            headerText.substr(std::min(headerText.size(), HttpErrorMarker.size() + 1)));
        const LSHttpError error = HttpErrorFromString(recorded);
        LSDIAG_DIAG << "Loaded http error, throwing " << recorded;
        throw error;
    }
    LSDIAG_ERROR << "Unexpected text header in recording";
    LS_LOG_LARGE_TEXT_AS_ERROR(headerText.c_str());
    ThrowHResult(E_FAIL);
}

// Recorder

void LSHttpRequestRecorder::SetConfig(const CStdStr<wchar_t>& config) {
    LSHttpRequestMockBase::SetConfig(config);
}

HRESULT LSHttpRequestRecorder::Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async,
                                    const _variant_t& user, const _variant_t& password) {
    (void)LSHttpRequestMockBase::Open(method, url, async, user, password);
    return LSHttpRequest::Open(method, url, async, user, password);
}

HRESULT LSHttpRequestRecorder::SetRequestHeader(const _bstr_t& name, const _bstr_t& value) {
    (void)LSHttpRequestMockBase::SetRequestHeader(name, value);
    return LSHttpRequest::SetRequestHeader(name, value);
}

_bstr_t LSHttpRequestRecorder::GetRequestHeader(const _bstr_t& name) {
    return LSHttpRequestMockBase::GetRequestHeader(name);
}

void LSHttpRequestRecorder::PerformAsyncVariantSend(const CStdStr<wchar_t>& description,
                                                    const _variant_t& body, bool checkFpRpcStatus,
                                                    ILSShutdownInformer* informer, bool noWait, bool allow404,
                                                    bool logResponseBody) {
    try {
        RecordExchange(description, body, checkFpRpcStatus, informer, noWait, allow404, logResponseBody);
    } catch (const _com_error& error) {
        LSDIAG_ERROR << "LSHttpRequestMocks::LSHttpRequestRecorder::PerformAsyncVariantSend"
                     << ": Caught _com_error at interface - " << std::hex << static_cast<DWORD>(error.Error())
                     << ", desc=" << error.Description() << " msg=" << error.ErrorMessage();
        throw;
    }
}

void LSHttpRequestRecorder::RecordExchange(const CStdStr<wchar_t>& description, const _variant_t& body,
                                           bool checkFpRpcStatus, ILSShutdownInformer* informer, bool noWait,
                                           bool allow404, bool logResponseBody) {
    CStdStr<wchar_t> requestFile;
    CStdStr<wchar_t> responseFile;
    NextExchangeFiles(requestFile, responseFile);
    WriteTextFile(requestFile, RequestFileText(Current()));
    (void)ReadRequestFile(requestFile);
    try {
        LSHttpRequest::PerformAsyncVariantSend(description, body, checkFpRpcStatus, informer, noWait,
                                               allow404, logResponseBody);
    } catch (const LSHttpError& error) {
        WriteTextFile(responseFile, HttpErrorMarker + L"\n" + HttpErrorToString(error));
        LSResponseFake readBack;
        LSResponseFake::ReadFromFile(responseFile, readBack);
        throw;
    }
    IXMLHTTPRequest& xmlHttp = XmlHttp();
    const long status = xmlHttp.Getstatus();
    const CStdStr<wchar_t> statusText(xmlHttp.GetstatusText());
    const HeaderPairs headers = ParseHeaderLines(CStdStr<wchar_t>(xmlHttp.getAllResponseHeaders()));
    const _variant_t responseBody = xmlHttp.GetresponseBody();
    {
        const FileHolder file =
            WriteTextFile(responseFile, FormatString(L"HTTP/1.1 %ld %s\n", status, statusText.c_str()) +
                                            FormatHeaderLines(headers));
        WriteBodyToFile(file.get(), responseBody);
    }
    LSResponseFake readBack;
    LSResponseFake::ReadFromFile(responseFile, readBack);
}

// Player

void LSHttpRequestPlayback::SetConfig(const CStdStr<wchar_t>& config) {
    LSHttpRequestMockBase::SetConfig(config);
}

HRESULT LSHttpRequestPlayback::Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async,
                                    const _variant_t& user, const _variant_t& password) {
    return LSHttpRequestMockBase::Open(method, url, async, user, password);
}

HRESULT LSHttpRequestPlayback::SetRequestHeader(const _bstr_t& name, const _bstr_t& value) {
    return LSHttpRequestMockBase::SetRequestHeader(name, value);
}

_bstr_t LSHttpRequestPlayback::GetRequestHeader(const _bstr_t& name) {
    return LSHttpRequestMockBase::GetRequestHeader(name);
}

void LSHttpRequestPlayback::ThrowUnlessLoaded(HRESULT hr) const {
    if (!response_.IsLoaded()) {
        ThrowHResult(hr);
    }
}

_bstr_t LSHttpRequestPlayback::GetResponseHeader(const _bstr_t& name) {
    ThrowUnlessLoaded(E_FAIL);
    for (const auto& [headerName, value] : response_.headers) {
        if (EqualsIgnoringCase(headerName, name)) {
            return _bstr_t(value.c_str());
        }
    }
    return _bstr_t();
}

_bstr_t LSHttpRequestPlayback::GetAllResponseHeaders() {
    ThrowUnlessLoaded(E_FAIL);
    return _bstr_t(FormatHeaderLines(response_.headers).c_str());
}

_variant_t LSHttpRequestPlayback::GetResponseBody() {
    ThrowUnlessLoaded(E_PENDING);
    return response_.body;
}

_variant_t LSHttpRequestPlayback::GetResponseStream() {
    const _variant_t body = GetResponseBody();
    if (body.vt == VT_EMPTY) {
        return _variant_t();
    }
    if (body.vt != (VT_ARRAY | VT_UI1) || SafeArrayGetElemsize(body.parray) != 1) {
        LSDIAG_ERROR << "Only expecting array of bytes for response stream " << body.vt;
        ThrowHResult(E_NOTIMPL);
    }
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(body.parray->pvData),
                                        static_cast<UINT>(body.parray->rgsabound[0].cElements));
    if (stream == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    _variant_t result;
    result.vt = VT_UNKNOWN;
    result.punkVal = stream;
    return result;
}

_bstr_t LSHttpRequestPlayback::GetResponseText() {
    const _variant_t body = GetResponseBody();
    if (body.vt != (VT_ARRAY | VT_UI1) || SafeArrayGetElemsize(body.parray) != 1) {
        return _bstr_t(L"");
    }
    const std::wstring text = GetUtf8Converter().from_bytes(
        std::string_view(static_cast<const char*>(body.parray->pvData), body.parray->rgsabound[0].cElements));
    _bstr_t result;
    result.Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    return result;
}

IDispatchPtr LSHttpRequestPlayback::GetResponseXML() {
    const CStdStr<wchar_t> text(GetResponseText());
    IXMLDOMDocument2Ptr document;
    CreateDOMDocument(document, text);
    IDispatchPtr dispatch;
    const HRESULT hr = document->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr) && hr != E_NOINTERFACE) {
        _com_issue_error(hr);
    }
    return dispatch;
}

// The recording keeps the platform's raw 1223; it reads as 204 here as it does from the real request,
// so that a recorded 204 replays as a success.
long LSHttpRequestPlayback::GetStatus() {
    ThrowUnlessLoaded(E_FAIL);
    return response_.status == 1223 ? 204 : response_.status;
}

_bstr_t LSHttpRequestPlayback::GetStatusText() {
    ThrowUnlessLoaded(E_FAIL);
    return _bstr_t(response_.statusText.c_str());
}

void LSHttpRequestPlayback::PerformAsyncVariantSend(const CStdStr<wchar_t>&, const _variant_t&, bool,
                                                    ILSShutdownInformer*, bool, bool, bool) {
    try {
        ReplayExchange();
    } catch (const _com_error& error) {
        LSDIAG_ERROR << "LSHttpRequestMocks::LSHttpRequestPlayback::PerformAsyncVariantSend"
                     << ": Caught _com_error at interface - " << std::hex << static_cast<DWORD>(error.Error())
                     << ", desc=" << error.Description() << " msg=" << error.ErrorMessage();
        throw;
    }
}

void LSHttpRequestPlayback::ReplayExchange() {
    CStdStr<wchar_t> requestFile;
    CStdStr<wchar_t> responseFile;
    NextExchangeFiles(requestFile, responseFile);
    if (!MatchesRecordedRequest(ReadRequestFile(requestFile), Current())) {
        LSDIAG_ERROR << "Expected request not found can't replay request from recording";
        ThrowHResult(E_FAIL);
    }
    LSResponseFake::ReadFromFile(responseFile, response_);
}

} // namespace LSHttpRequestMocks
