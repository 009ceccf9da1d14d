#include "Platform/ComError.h"

#include "Platform/ErrorInfo.h"
#include "Platform/SystemMessage.h"

#include <cwchar>

namespace {
constexpr DWORD kFirstDispatchCode = 0x80040200;
constexpr DWORD kLastDispatchCode = 0x8004FFFF;
constexpr std::size_t kFallbackLength = 32;
} // namespace

_com_error::_com_error(HRESULT hr, IErrorInfo* perrinfo, bool fAddRef) noexcept
    : m_hresult(hr), m_perrinfo(perrinfo) {
    if (m_perrinfo != nullptr && fAddRef) {
        m_perrinfo->AddRef();
    }
}

_com_error::_com_error(const _com_error& that) noexcept : _com_error(that.m_hresult, that.m_perrinfo, true) {}

_com_error& _com_error::operator=(const _com_error& that) noexcept {
    if (this != &that) {
        if (that.m_perrinfo != nullptr) {
            that.m_perrinfo->AddRef();
        }
        if (m_perrinfo != nullptr) {
            m_perrinfo->Release();
        }
        m_hresult = that.m_hresult;
        m_perrinfo = that.m_perrinfo;
        FreeMessage();
    }
    return *this;
}

_com_error::~_com_error() {
    if (m_perrinfo != nullptr) {
        m_perrinfo->Release();
    }
    FreeMessage();
}

void _com_error::FreeMessage() const noexcept {
    if (m_pszMsg != nullptr) {
        LocalFree(m_pszMsg);
        m_pszMsg = nullptr;
    }
}

IErrorInfo* _com_error::ErrorInfo() const noexcept {
    if (m_perrinfo != nullptr) {
        m_perrinfo->AddRef();
    }
    return m_perrinfo;
}

_bstr_t _com_error::Description() const {
    BSTR description = nullptr;
    if (m_perrinfo != nullptr && FAILED(m_perrinfo->GetDescription(&description))) {
        description = nullptr;
    }
    return _bstr_t(description, false);
}

const wchar_t* _com_error::ErrorMessage() const noexcept {
    if (m_pszMsg != nullptr) {
        return m_pszMsg;
    }
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(m_hresult), 0, reinterpret_cast<LPWSTR>(&m_pszMsg), 0, nullptr);
    if (length != 0) {
        if (length > 1 && m_pszMsg[length - 1] == L'\n') { // drop the line end
            m_pszMsg[length - 1] = L'\0';
            if (m_pszMsg[length - 2] == L'\r') {
                m_pszMsg[length - 2] = L'\0';
            }
        }
        return m_pszMsg;
    }
    m_pszMsg = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, kFallbackLength * sizeof(wchar_t)));
    if (m_pszMsg != nullptr) {
        if (const WORD code = WCode(); code != 0) {
            std::swprintf(m_pszMsg, kFallbackLength, L"IDispatch error #%d", int{code});
        } else {
            std::swprintf(m_pszMsg, kFallbackLength, L"Unknown error 0x%0X",
                          static_cast<unsigned>(m_hresult));
        }
    }
    return m_pszMsg;
}

WORD _com_error::HRESULTToWCode(HRESULT hr) noexcept {
    const auto code = static_cast<DWORD>(hr);
    return code >= kFirstDispatchCode && code <= kLastDispatchCode
               ? static_cast<WORD>(code - kFirstDispatchCode)
               : 0;
}

void _com_issue_error(HRESULT hr) {
    throw _com_error(hr);
}

void _com_issue_errorex(HRESULT hr, IUnknown* punk, REFIID riid) {
    IErrorInfo* perrinfo = nullptr;
    if (punk != nullptr) {
        ISupportErrorInfo* support = nullptr;
        if (SUCCEEDED(punk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)))) {
            if (support->InterfaceSupportsErrorInfo(riid) == S_OK && GetErrorInfo(0, &perrinfo) != S_OK) {
                perrinfo = nullptr;
            }
            support->Release();
        }
    }
    throw _com_error(hr, perrinfo);
}
