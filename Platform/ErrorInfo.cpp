#include "Platform/ErrorInfo.h"

#include "Platform/OleAuto.h"

#include <atomic>
#include <new>
#include <string>

namespace {

class ErrorInfoObject final : public ICreateErrorInfo, public IErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
        if (ppvObject == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
            *ppvObject = static_cast<IErrorInfo*>(this);
        } else if (riid == IID_ICreateErrorInfo) {
            *ppvObject = static_cast<ICreateErrorInfo*>(this);
        } else {
            *ppvObject = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) override {
        guid_ = rguid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR szSource) override { return Store(source_, szSource); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR szDescription) override {
        return Store(description_, szDescription);
    }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR szHelpFile) override {
        return Store(helpFile_, szHelpFile);
    }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) override {
        helpContext_ = dwHelpContext;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) override {
        if (pGUID == nullptr) {
            return E_INVALIDARG;
        }
        *pGUID = guid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) override { return Hand(source_, pBstrSource); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) override {
        return Hand(description_, pBstrDescription);
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) override {
        return Hand(helpFile_, pBstrHelpFile);
    }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) override {
        if (pdwHelpContext == nullptr) {
            return E_INVALIDARG;
        }
        *pdwHelpContext = helpContext_;
        return S_OK;
    }

private:
    ~ErrorInfoObject() = default;

    static HRESULT Store(std::wstring& field, const wchar_t* text) {
        field = text == nullptr ? L"" : text;
        return S_OK;
    }
    // An unset text is handed out as a null BSTR.
    static HRESULT Hand(const std::wstring& field, BSTR* out) {
        if (out == nullptr) {
            return E_INVALIDARG;
        }
        *out = nullptr;
        if (field.empty()) {
            return S_OK;
        }
        *out = SysAllocStringLen(field.data(), static_cast<UINT>(field.size()));
        return *out == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    std::atomic<ULONG> references_{1};
    GUID guid_ = GUID_NULL;
    std::wstring source_;
    std::wstring description_;
    std::wstring helpFile_;
    DWORD helpContext_ = 0;
};

// Releases the thread's error object when the thread ends.
struct ThreadErrorInfo {
    IErrorInfo* current = nullptr;
    ~ThreadErrorInfo() {
        if (current != nullptr) {
            current->Release();
        }
    }
};
thread_local ThreadErrorInfo threadErrorInfo;

} // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
    if (pperrinfo == nullptr) {
        return E_INVALIDARG;
    }
    *pperrinfo = new (std::nothrow) ErrorInfoObject;
    return *pperrinfo == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT SetErrorInfo(ULONG, IErrorInfo* perrinfo) {
    if (perrinfo != nullptr) {
        perrinfo->AddRef();
    }
    IErrorInfo* previous = threadErrorInfo.current;
    threadErrorInfo.current = perrinfo;
    if (previous != nullptr) {
        previous->Release();
    }
    return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** pperrinfo) {
    if (pperrinfo == nullptr) {
        return E_INVALIDARG;
    }
    *pperrinfo = threadErrorInfo.current;
    threadErrorInfo.current = nullptr;
    return *pperrinfo == nullptr ? S_FALSE : S_OK;
}
