// _com_error: the exception the compiler's COM support raises for a failed HRESULT, with the
// optional error-info object of the failing call.
#pragma once

#include "Platform/BstrT.h"
#include "Platform/ComIssueError.h"

class _com_error {
public:
    // Takes over the caller's reference to perrinfo unless fAddRef asks for a reference of its own.
    explicit _com_error(HRESULT hr, IErrorInfo* perrinfo = nullptr, bool fAddRef = false) noexcept;
    _com_error(const _com_error& that) noexcept;
    _com_error& operator=(const _com_error& that) noexcept;
    virtual ~_com_error();

    HRESULT Error() const noexcept { return m_hresult; }
    // The IDispatch exception code: the low part of codes 0x80040200..0x8004FFFF, else 0.
    WORD WCode() const noexcept { return HRESULTToWCode(m_hresult); }
    // A new reference to the error-info object, or null.
    IErrorInfo* ErrorInfo() const noexcept;
    // The error-info object's description; a holder without a string when there is none.
    _bstr_t Description() const;
    // The system's text for the code without its line end, or "IDispatch error #n" / "Unknown error
    // 0xXXXXXXXX" when the system has none. Owned by this object.
    const wchar_t* ErrorMessage() const noexcept;

    static WORD HRESULTToWCode(HRESULT hr) noexcept;

private:
    void FreeMessage() const noexcept;

    HRESULT m_hresult;
    IErrorInfo* m_perrinfo;
    mutable wchar_t* m_pszMsg = nullptr;
};
