// Test doubles of the request, chosen by the factory only inside a test runner: the recorder sends
// for real and writes each exchange into a request file and a response file; the player answers
// from such files without a server. The n-th exchange of a run replays the n-th recorded one.
#pragma once

#include "KOVACommon/LSHttpError.h"
#include "KOVACommon/LSHttpRequest.h"
#include "VantrelCommon/StdString.h"
#include "VantrelCommon/TextUtils.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace LSHttpRequestMocks {

// The calling thread's strict UTF-8 converter: all text of the recording files passes through it.
inline Utf8Converter& GetUtf8Converter() {
    return GetThreadUtf8Converter();
}

using HeaderPairs = std::vector<std::pair<CStdStr<wchar_t>, CStdStr<wchar_t>>>;

// The first line of the error form of a response file.
extern const CStdStr<wchar_t> HttpErrorMarker;

// Process-wide: the number of the last exchange recorded or replayed, and the recording path prefix,
// made on first use and cleared by every SetConfig. A test that records and replays in one process
// sets the counter back between the two runs.
extern std::uint32_t exchangeCounter;
extern CStdStr<wchar_t> recordingPathPrefix;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FileHolder = std::unique_ptr<FILE, FileCloser>;

// "status<TAB>message"; the retry-after seconds and the detail are not kept.
CStdStr<wchar_t> HttpErrorToString(const LSHttpError& error);
LSHttpError HttpErrorFromString(const CStdStr<wchar_t>& text);

// "name: value\n" per pair, then one more "\n".
CStdStr<wchar_t> FormatHeaderLines(const HeaderPairs& headers);
// Lines up to the first empty one; carriage returns at line ends are dropped.
HeaderPairs ParseHeaderLines(const CStdStr<wchar_t>& text);

// Create or truncate the file, write all bytes, and hand back the open file so that more can follow.
FileHolder WriteBytesToFile(const CStdStr<wchar_t>& path, const std::string& bytes);
FileHolder WriteTextFile(const CStdStr<wchar_t>& path, const CStdStr<wchar_t>& text);
// The whole file; the runtime's errno is thrown as an int when it cannot be opened.
std::string ReadFileBytes(const CStdStr<wchar_t>& path);

CStdStr<wchar_t> GetModuleBaseName();
CStdStr<wchar_t> GetFileNamePart(const CStdStr<wchar_t>& path);
CStdStr<wchar_t> RemoveExtension(const CStdStr<wchar_t>& name);
CStdStr<wchar_t> StripQueryString(const CStdStr<wchar_t>& url);

struct RecordedRequest {
    CStdStr<wchar_t> method;
    CStdStr<wchar_t> url;
    CStdStr<wchar_t> soapAction;
};

// The request and response file names of the exchange `number`.
void MakeRecordingFileNames(const CStdStr<wchar_t>& config, const RecordedRequest& request,
                            std::uint32_t number, CStdStr<wchar_t>& requestFile,
                            CStdStr<wchar_t>& responseFile);
bool MatchesRecordedRequest(const RecordedRequest& recorded, const RecordedRequest& current);

class LSResponseFake {
public:
    // A response file read back into `response`; a recorded error is thrown as LSHttpError.
    static void ReadFromFile(const CStdStr<wchar_t>& path, LSResponseFake& response);

    void Clear();
    bool IsLoaded() const { return !headers.empty(); }

    long status = 0;
    CStdStr<wchar_t> statusText;
    HeaderPairs headers;
    _variant_t body;
};

class LSHttpRequestMockBase {
public:
    virtual ~LSHttpRequestMockBase() = default;
    virtual void SetConfig(const CStdStr<wchar_t>& config);
    virtual HRESULT Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async,
                         const _variant_t& user, const _variant_t& password);
    virtual HRESULT SetRequestHeader(const _bstr_t& name, const _bstr_t& value);
    virtual _bstr_t GetRequestHeader(const _bstr_t& name);

protected:
    RecordedRequest Current() const { return {method_, url_, soapAction_}; }
    // Counts the exchange and names its two files.
    void NextExchangeFiles(CStdStr<wchar_t>& requestFile, CStdStr<wchar_t>& responseFile) const;

    CStdStr<wchar_t> method_;
    CStdStr<wchar_t> url_;
    CStdStr<wchar_t> soapAction_;
    HeaderPairs requestHeaders_;
    CStdStr<wchar_t> config_;
};

class LSHttpRequestRecorder : public LSHttpRequest, public LSHttpRequestMockBase {
public:
    ~LSHttpRequestRecorder() override = default;
    void SetConfig(const CStdStr<wchar_t>& config) override;
    HRESULT Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async, const _variant_t& user,
                 const _variant_t& password) override;
    HRESULT SetRequestHeader(const _bstr_t& name, const _bstr_t& value) override;
    _bstr_t GetRequestHeader(const _bstr_t& name) override;
    void PerformAsyncVariantSend(const CStdStr<wchar_t>& description, const _variant_t& body,
                                 bool checkFpRpcStatus, ILSShutdownInformer* informer, bool noWait,
                                 bool allow404, bool logResponseBody) override;

private:
    void RecordExchange(const CStdStr<wchar_t>& description, const _variant_t& body, bool checkFpRpcStatus,
                        ILSShutdownInformer* informer, bool noWait, bool allow404, bool logResponseBody);
};

class LSHttpRequestPlayback : public ILSHttpRequest, public LSHttpRequestMockBase {
public:
    ~LSHttpRequestPlayback() override = default;
    void SetConfig(const CStdStr<wchar_t>& config) override;
    HRESULT Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async, const _variant_t& user,
                 const _variant_t& password) override;
    HRESULT SetRequestHeader(const _bstr_t& name, const _bstr_t& value) override;
    _bstr_t GetRequestHeader(const _bstr_t& name) override;
    _bstr_t GetResponseHeader(const _bstr_t& name) override;
    _bstr_t GetAllResponseHeaders() override;
    _variant_t GetResponseBody() override;
    _variant_t GetResponseStream() override;
    _bstr_t GetResponseText() override;
    IDispatchPtr GetResponseXML() override;
    long GetStatus() override;
    _bstr_t GetStatusText() override;
    void PerformAsyncVariantSend(const CStdStr<wchar_t>& description, const _variant_t& body,
                                 bool checkFpRpcStatus, ILSShutdownInformer* informer, bool noWait,
                                 bool allow404, bool logResponseBody) override;

private:
    void ThrowUnlessLoaded(HRESULT hr) const;
    void ReplayExchange();

    LSResponseFake response_;
};

} // namespace LSHttpRequestMocks
