// The system's HTTP request (ILSHttpRequest) and its real implementation over the platform's XMLHTTP
// object. One request object serves one call and belongs to its caller.
#pragma once

#include "KOVASyncBasicsLib/ShutdownInformer.h"
#include "Platform/ComUtil.h"
#include "Platform/MsXml.h"
#include "VantrelCommon/StdString.h"

#include <optional>
#include <utility>
#include <vector>

class ILSHttpRequest {
public:
    // The name the component factory builds its setting keys from.
    static constexpr const wchar_t* kComponentName = L"ILSHttpRequest";

    virtual ~ILSHttpRequest() = default;
    virtual void SetConfig(const CStdStr<wchar_t>& config) = 0;
    virtual HRESULT Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async,
                         const _variant_t& user, const _variant_t& password) = 0;
    virtual HRESULT SetRequestHeader(const _bstr_t& name, const _bstr_t& value) = 0;
    virtual _bstr_t GetResponseHeader(const _bstr_t& name) = 0;
    virtual _bstr_t GetAllResponseHeaders() = 0;
    // The value of a header set on this request; a null string when it was never set.
    virtual _bstr_t GetRequestHeader(const _bstr_t& name) = 0;
    virtual _variant_t GetResponseBody() = 0;
    virtual _variant_t GetResponseStream() = 0;
    virtual _bstr_t GetResponseText() = 0;
    virtual IDispatchPtr GetResponseXML() = 0;
    // A 1223 reads as 204.
    virtual long GetStatus() = 0;
    virtual _bstr_t GetStatusText() = 0;
    // Sends the body, waits for the reply (unless noWait) and checks it; throws LSHttpError for a
    // failed reply (after retrying server-busy ones), long E_ABORT when the host shuts down meanwhile,
    // long HRESULTs and _com_error for failures of the platform object.
    virtual void PerformAsyncVariantSend(const CStdStr<wchar_t>& description, const _variant_t& body,
                                         bool checkFpRpcStatus, ILSShutdownInformer* informer, bool noWait,
                                         bool allow404, bool logResponseBody) = 0;
};

class LSHttpRequest : public ILSHttpRequest {
public:
    struct OpenArgs {
        _bstr_t method;
        _bstr_t url;
        _variant_t async;
        _variant_t user;
        _variant_t password;
    };

    LSHttpRequest() = default;
    LSHttpRequest(const LSHttpRequest&) = delete;
    LSHttpRequest& operator=(const LSHttpRequest&) = delete;

    // Makes a new XMLHTTP object in place of the present one and brings it to the state of the last
    // Open and the headers set since; failures are logged and thrown as long HRESULTs.
    void CreateXMLHttpRequest();

    void SetConfig(const CStdStr<wchar_t>& config) override;
    HRESULT Open(const _bstr_t& method, const _bstr_t& url, const _variant_t& async, const _variant_t& user,
                 const _variant_t& password) override;
    HRESULT SetRequestHeader(const _bstr_t& name, const _bstr_t& value) override;
    _bstr_t GetResponseHeader(const _bstr_t& name) override;
    _bstr_t GetAllResponseHeaders() override;
    _bstr_t GetRequestHeader(const _bstr_t& name) override;
    _variant_t GetResponseBody() override;
    _variant_t GetResponseStream() override;
    _bstr_t GetResponseText() override;
    IDispatchPtr GetResponseXML() override;
    long GetStatus() override;
    _bstr_t GetStatusText() override;
    void PerformAsyncVariantSend(const CStdStr<wchar_t>& description, const _variant_t& body,
                                 bool checkFpRpcStatus, ILSShutdownInformer* informer, bool noWait,
                                 bool allow404, bool logResponseBody) override;

protected:
    // The platform object; raises _com_error E_POINTER when there is none.
    IXMLHTTPRequest& XmlHttp() const;
    // One send with its wait and reply check.
    void SendAndWait(const CStdStr<wchar_t>& description, const _variant_t& body, bool checkFpRpcStatus,
                     ILSShutdownInformer* informer, bool noWait, bool allow404, bool logResponseBody);
    // A reply that timed out (no connection, or no progress) throws LSHttpError 12002 naming the server.
    void ThrowIfTimedOut();
    // A redirect the platform did not follow (one that would take the request's content to another
    // server or drop it, or lead from https to http) throws LSHttpError with its status, naming the
    // Location.
    void ThrowIfRedirectNotFollowed();

private:
    std::optional<OpenArgs> openArgs_;
    std::vector<std::pair<_bstr_t, _bstr_t>> headers_;
    IXMLHTTPRequestPtr xmlHttp_;
};
