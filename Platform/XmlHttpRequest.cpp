// XMLHTTP over libcurl. The exchange moves forward whenever the caller reads readyState (or any
// other property), without waiting; a synchronous open makes send wait for the end.
//
// As MSXML reports them: a transport failure completes the request with the WinINet code as its
// status (libcurl's words for it its status text, "Unknown" when there are none) and fails the body reads, or
// a synchronous send, with HRESULT_FROM_WIN32 of the code (12029 gives 0x80072EFD); a 204 reply reads as
// status 1223.
#include "Platform/XmlHttpRequest.h"

#include "Platform/ComObject.h"
#include "Platform/ComText.h"
#include "Platform/HttpText.h"
#include "Platform/HttpTransfer.h"
#include "Platform/MsXml.h"
#include "Platform/ObjIdl.h"
#include "Platform/SafeArrayShared.h"
#include "Platform/Shlwapi.h"
#include "Platform/XmlDomObjects.h"

#include <new>

namespace Platform::Http {

namespace {

enum ReadyState : LONG {
    kUninitialized = 0,
    kOpened = 1,
    kHeadersReceived = 2,
    kReceiving = 3,
    kCompleted = 4,
};

constexpr LONG kNoContent = 204;
constexpr LONG kNoContentAsReported = 1223;

const VARIANT& Dereferenced(const VARIANT& value) {
    return value.vt == (VT_VARIANT | VT_BYREF) && value.pvarVal != nullptr ? *value.pvarVal : value;
}

// Whether a document can begin with this byte: after an optional byte-order mark, a well-formed
// document starts with white space or "<" in every encoding the parser detects (UTF-16 and UTF-32 big
// endian without a mark begin with 0). Any other body parses to no document, so it is not parsed.
bool MayBeginDocument(BYTE first) {
    switch (first) {
    case '<':
    case ' ':
    case '\t':
    case '\r':
    case '\n':
    case 0x00:
    case 0xEF:
    case 0xFE:
    case 0xFF:
        return true;
    default:
        return false;
    }
}

// A line break in a header's name or value would end it and begin another header on the wire.
bool HoldsLineBreak(BSTR text) {
    return BstrView(text).find_first_of(L"\r\n") != std::wstring_view::npos;
}

bool IsMissing(const VARIANT& value) {
    return value.vt == VT_EMPTY || value.vt == VT_NULL || value.vt == VT_ERROR;
}

HRESULT ReadStream(IStream* stream, std::string& bytes) {
    char chunk[64 * 1024];
    for (;;) {
        ULONG read = 0;
        const HRESULT hr = stream->Read(chunk, sizeof(chunk), &read);
        if (FAILED(hr)) {
            return hr;
        }
        bytes.append(chunk, read);
        if (read == 0 || hr == S_FALSE) {
            return S_OK;
        }
    }
}

// The bytes to send for a body VARIANT: text as UTF-8, a byte array, a stream or a DOM document's xml.
HRESULT BodyBytes(const VARIANT& argument, RequestSpec& spec) {
    const VARIANT& value = Dereferenced(argument);
    if (IsMissing(value)) {
        return S_OK;
    }
    if (value.vt == VT_BSTR) {
        spec.body = RequestBody::Holding(BstrToUtf8(value.bstrVal));
        spec.defaultContentType = "text/plain;charset=UTF-8";
        return S_OK;
    }
    if (value.vt == (VT_ARRAY | VT_UI1) || value.vt == (VT_ARRAY | VT_I1)) {
        const SAFEARRAY* array = value.parray;
        if (array == nullptr || array->cDims != 1) {
            return E_INVALIDARG;
        }
        const auto* data = static_cast<const char*>(array->pvData);
        const ULONG size = array->rgsabound[0].cElements;
        // An array over shared data lends its bytes (and keeps them alive); any other is copied, as the
        // caller may change or destroy it while the request runs.
        std::shared_ptr<const void> owner = SafeArrayDataOwner(array);
        spec.body =
            owner ? RequestBody{data, size, std::move(owner)} : RequestBody::Holding(std::string(data, size));
        return S_OK;
    }
    if ((value.vt == VT_UNKNOWN || value.vt == VT_DISPATCH) && value.punkVal != nullptr) {
        IStream* stream = nullptr;
        if (SUCCEEDED(value.punkVal->QueryInterface(&stream))) {
            std::string bytes;
            const HRESULT hr = ReadStream(stream, bytes);
            stream->Release();
            spec.body = RequestBody::Holding(std::move(bytes));
            return hr;
        }
        IXMLDOMNode* node = nullptr;
        if (SUCCEEDED(value.punkVal->QueryInterface(&node))) {
            BSTR xml = nullptr;
            const HRESULT hr = node->get_xml(&xml);
            node->Release();
            spec.body = RequestBody::Holding(BstrToUtf8(xml));
            spec.defaultContentType = "text/xml;charset=UTF-8";
            SysFreeString(xml);
            return hr;
        }
    }
    return E_INVALIDARG;
}

class XmlHttpRequest final : public ComObject<NoDispatch<IXMLHTTPRequest>, IXMLHTTPRequest, IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE open(BSTR method, BSTR url, VARIANT async, VARIANT user,
                                   VARIANT password) override {
        return Guarded([&] {
            if (BstrView(method).empty() || BstrView(url).empty()) {
                return E_INVALIDARG;
            }
            transfer_.reset();
            spec_ = RequestSpec{};
            spec_.method = BstrToUtf8(method);
            spec_.url = BstrToUtf8(url);
            const VARIANT& asyncValue = Dereferenced(async);
            async_ = asyncValue.vt != VT_BOOL || asyncValue.boolVal != VARIANT_FALSE;
            std::string userName;
            std::string secret;
            if (SUCCEEDED(VariantToUtf8(user, userName)) && !userName.empty()) {
                (void)VariantToUtf8(password, secret);
                spec_.credentials = Credentials{userName, secret};
            }
            state_ = kOpened;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE setRequestHeader(BSTR header, BSTR value) override {
        if (state_ != kOpened || transfer_) {
            return E_UNEXPECTED;
        }
        if (BstrView(header).empty() || HoldsLineBreak(header) || HoldsLineBreak(value)) {
            return E_INVALIDARG;
        }
        return Guarded([&] {
            spec_.headers.emplace_back(BstrToUtf8(header), BstrToUtf8(value));
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE send(VARIANT body) override {
        if (state_ != kOpened || transfer_) {
            return E_UNEXPECTED;
        }
        return Guarded([&] {
            RequestSpec spec = spec_;
            HRESULT hr = BodyBytes(body, spec);
            if (FAILED(hr)) {
                return hr;
            }
            auto transfer = std::make_unique<Transfer>();
            hr = transfer->Start(std::move(spec));
            if (FAILED(hr)) {
                return hr;
            }
            transfer_ = std::move(transfer);
            if (async_) {
                return S_OK;
            }
            transfer_->RunToEnd();
            return Outcome();
        });
    }

    HRESULT STDMETHODCALLTYPE abort() override {
        transfer_.reset();
        state_ = kUninitialized;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_readyState(LONG* state) override {
        if (state == nullptr) {
            return E_POINTER;
        }
        *state = Advance();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_status(LONG* status) override {
        if (status == nullptr) {
            return E_POINTER;
        }
        if (Advance() < kHeadersReceived) {
            return E_PENDING;
        }
        const LONG reported = transfer_->Failure() != 0 ? transfer_->Failure() : transfer_->Status();
        *status = reported == kNoContent ? kNoContentAsReported : reported;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_statusText(BSTR* text) override {
        if (Advance() < kHeadersReceived) {
            return E_PENDING;
        }
        return Guarded([&] {
            const std::string& failureText = transfer_->FailureText();
            return ReturnBstrFromUtf8(transfer_->Failure() == 0 ? transfer_->StatusText()
                                      : failureText.empty()     ? std::string("Unknown")
                                                                : failureText,
                                      text);
        });
    }

    HRESULT STDMETHODCALLTYPE getResponseHeader(BSTR header, BSTR* value) override {
        if (Advance() < kHeadersReceived) {
            return E_PENDING;
        }
        return Guarded([&] { return ReturnBstrFromUtf8(transfer_->Header(BstrToUtf8(header)), value); });
    }

    HRESULT STDMETHODCALLTYPE getAllResponseHeaders(BSTR* headers) override {
        if (Advance() < kHeadersReceived) {
            return E_PENDING;
        }
        return Guarded([&] {
            std::string all;
            for (const std::string& line : transfer_->HeaderLines()) {
                all += line + "\r\n";
            }
            return ReturnBstrFromUtf8(all, headers);
        });
    }

    HRESULT STDMETHODCALLTYPE get_responseText(BSTR* text) override {
        return WithBody([&](const ByteBuffer& body) {
            return ReturnBstr(DecodeText(body.Data(), body.Size(), transfer_->Header("Content-Type")), text);
        });
    }

    HRESULT STDMETHODCALLTYPE get_responseBody(VARIANT* value) override {
        if (value == nullptr) {
            return E_POINTER;
        }
        return WithBody([&](const ByteBuffer& body) {
            // The received bytes themselves: the array and the request share them (the body limit keeps
            // the size within a ULONG).
            const std::shared_ptr<ByteBuffer> shared = transfer_->SharedBody();
            SAFEARRAY* array =
                SafeArrayCreateVectorOver(VT_UI1, static_cast<ULONG>(body.Size()), shared->Data(), shared);
            if (array == nullptr) {
                return E_OUTOFMEMORY;
            }
            value->vt = VT_ARRAY | VT_UI1;
            value->parray = array;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_responseStream(VARIANT* value) override {
        if (value == nullptr) {
            return E_POINTER;
        }
        return WithBody([&](const ByteBuffer& body) {
            IStream* stream = SHCreateMemStream(body.Data(), static_cast<UINT>(body.Size()));
            if (stream == nullptr) {
                return E_OUTOFMEMORY;
            }
            value->vt = VT_UNKNOWN;
            value->punkVal = stream;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_responseXML(IDispatch** document) override {
        if (document == nullptr) {
            return E_POINTER;
        }
        *document = nullptr;
        return WithBody([&](const ByteBuffer& body) {
            IXMLDOMDocument2* parsed = nullptr;
            const bool parse = body.Size() != 0 && MayBeginDocument(body.Data()[0]);
            const HRESULT hr = Xml::CreateDocumentFromBytes(body.Data(), parse ? body.Size() : 0, &parsed);
            *document = parsed;
            return hr;
        });
    }

private:
    template <class Action> static HRESULT Guarded(Action action) {
        try {
            return action();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    // Moves the exchange on without waiting and gives the state it has reached.
    LONG Advance() {
        if (!transfer_) {
            return state_;
        }
        transfer_->Poll();
        if (transfer_->Done()) {
            state_ = kCompleted;
        } else if (transfer_->BodyStarted()) {
            state_ = kReceiving;
        } else if (transfer_->HeadersReceived()) {
            state_ = kHeadersReceived;
        }
        return state_;
    }

    HRESULT Outcome() const {
        if (transfer_->OutOfMemory()) {
            return E_OUTOFMEMORY;
        }
        return transfer_->Failure() != 0 ? HRESULT_FROM_WIN32(static_cast<DWORD>(transfer_->Failure()))
                                         : S_OK;
    }

    template <class Reader> HRESULT WithBody(Reader reader) {
        if (Advance() != kCompleted) {
            return E_PENDING;
        }
        const HRESULT outcome = Outcome();
        return FAILED(outcome) ? outcome : Guarded([&] { return reader(transfer_->Body()); });
    }

    RequestSpec spec_;
    bool async_ = true;
    LONG state_ = kUninitialized;
    std::unique_ptr<Transfer> transfer_;
};

} // namespace

HRESULT CreateXmlHttpRequest(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    auto* request = new (std::nothrow) XmlHttpRequest();
    if (request == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = request->QueryInterface(riid, ppv);
    request->Release();
    return hr;
}

} // namespace Platform::Http
