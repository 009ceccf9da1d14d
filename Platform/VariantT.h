// _variant_t: a VARIANT that frees what it holds, with constructors from the common types and
// extraction operators that convert through VariantChangeType. Failures raise _com_error.
// Everything is inline, as it calls the OLE Automation functions of Platform/OleAuto.h.
#pragma once

#include "Platform/BstrT.h"

#include <cstring>
#include <limits>
#include <utility>

class _variant_t : public VARIANT {
public:
    _variant_t() noexcept { VariantInit(this); }
    _variant_t(const VARIANT& varSrc) : _variant_t() { _com_util::CheckError(VariantCopy(this, &varSrc)); }
    _variant_t(const VARIANT* pSrc) : _variant_t() {
        if (pSrc == nullptr) {
            _com_issue_error(E_POINTER);
        }
        _com_util::CheckError(VariantCopy(this, pSrc));
    }
    _variant_t(const _variant_t& varSrc) : _variant_t(static_cast<const VARIANT&>(varSrc)) {}
    _variant_t(_variant_t&& varSrc) noexcept : _variant_t() { Swap(varSrc); }
    // fCopy false: takes over varSrc's value and leaves varSrc empty.
    _variant_t(VARIANT& varSrc, bool fCopy) : _variant_t() {
        if (fCopy) {
            _com_util::CheckError(VariantCopy(this, &varSrc));
        } else {
            std::memcpy(static_cast<VARIANT*>(this), &varSrc, sizeof(VARIANT));
            varSrc.vt = VT_EMPTY;
        }
    }
    // VT_I2 or VT_BOOL.
    _variant_t(short sSrc, VARTYPE vtSrc = VT_I2) : _variant_t() {
        if (vtSrc == VT_BOOL) {
            vt = VT_BOOL;
            boolVal = sSrc != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        } else if (vtSrc == VT_I2) {
            vt = VT_I2;
            iVal = sSrc;
        } else {
            _com_issue_error(E_INVALIDARG);
        }
    }
    // VT_I4, VT_ERROR or VT_BOOL.
    _variant_t(LONG lSrc, VARTYPE vtSrc = VT_I4) : _variant_t() { SetLong(lSrc, vtSrc); }
    // `long` is 64 bits here; Windows code means a 32-bit value by it. A value beyond 32 bits overflows.
    _variant_t(long lSrc, VARTYPE vtSrc = VT_I4) : _variant_t() {
        if (lSrc < std::numeric_limits<LONG>::min() || lSrc > std::numeric_limits<LONG>::max()) {
            _com_issue_error(DISP_E_OVERFLOW);
        }
        SetLong(static_cast<LONG>(lSrc), vtSrc);
    }
    _variant_t(ULONG ulSrc) noexcept : _variant_t() {
        vt = VT_UI4;
        ulVal = ulSrc;
    }
    // VT_R8 or VT_DATE.
    _variant_t(double dblSrc, VARTYPE vtSrc = VT_R8) : _variant_t() {
        if (vtSrc != VT_R8 && vtSrc != VT_DATE) {
            _com_issue_error(E_INVALIDARG);
        }
        vt = vtSrc;
        dblVal = dblSrc;
    }
    _variant_t(const CY& cySrc) noexcept : _variant_t() {
        vt = VT_CY;
        cyVal = cySrc;
    }
    _variant_t(bool boolSrc) noexcept : _variant_t() {
        vt = VT_BOOL;
        boolVal = boolSrc ? VARIANT_TRUE : VARIANT_FALSE;
    }
    _variant_t(const _bstr_t& bstrSrc) : _variant_t() { SetBstr(bstrSrc.copy()); }
    _variant_t(const wchar_t* pSrc) : _variant_t() { SetBstr(_bstr_t(pSrc).Detach()); }
    _variant_t(const char* pSrc) : _variant_t() { SetBstr(_com_util::ConvertStringToBSTR(pSrc)); }
    _variant_t(IDispatch* pSrc, bool fAddRef = true) noexcept : _variant_t() {
        vt = VT_DISPATCH;
        pdispVal = pSrc;
        if (pSrc != nullptr && fAddRef) {
            pSrc->AddRef();
        }
    }
    _variant_t(IUnknown* pSrc, bool fAddRef = true) noexcept : _variant_t() {
        vt = VT_UNKNOWN;
        punkVal = pSrc;
        if (pSrc != nullptr && fAddRef) {
            pSrc->AddRef();
        }
    }

    ~_variant_t() { VariantClear(this); }

    _variant_t& operator=(const _variant_t& varSrc) {
        if (this != &varSrc) {
            _com_util::CheckError(VariantCopy(this, &varSrc));
        }
        return *this;
    }
    _variant_t& operator=(_variant_t&& varSrc) noexcept {
        Swap(varSrc);
        return *this;
    }
    // Any other value: the variant takes the value and the type the matching constructor gives.
    template <class T> _variant_t& operator=(T&& value) {
        _variant_t fresh(std::forward<T>(value));
        Swap(fresh);
        return *this;
    }

    // Extraction: the value when the type matches, else the value converted by VariantChangeType.
    operator short() const { return Converted(VT_I2).iVal; }
    operator LONG() const { return Converted(VT_I4).lVal; }
    operator long() const { return Converted(VT_I4).lVal; }
    operator ULONG() const { return Converted(VT_UI4).ulVal; }
    operator double() const { return Converted(VT_R8).dblVal; }
    operator bool() const { return Converted(VT_BOOL).boolVal != VARIANT_FALSE; }
    operator CY() const { return Converted(VT_CY).cyVal; }
    operator _bstr_t() const {
        const _variant_t text = Converted(VT_BSTR);
        return _bstr_t(text.bstrVal, true);
    }
    // A new reference (null for a null pointer).
    operator IDispatch*() const {
        IDispatch* p = Converted(VT_DISPATCH).pdispVal;
        if (p != nullptr) {
            p->AddRef();
        }
        return p;
    }
    operator IUnknown*() const {
        IUnknown* p = Converted(VT_UNKNOWN).punkVal;
        if (p != nullptr) {
            p->AddRef();
        }
        return p;
    }

    // Converts in place (from pSrc when given); nothing happens when the type already matches.
    void ChangeType(VARTYPE vartype, const _variant_t* pSrc = nullptr) {
        if (pSrc == nullptr) {
            pSrc = this;
        }
        if (pSrc != this || vartype != vt) {
            _com_util::CheckError(VariantChangeType(this, pSrc, 0, vartype));
        }
    }
    void Clear() { _com_util::CheckError(VariantClear(this)); }
    // Takes over varSrc's value and leaves varSrc empty.
    void Attach(VARIANT& varSrc) {
        Clear();
        std::memcpy(static_cast<VARIANT*>(this), &varSrc, sizeof(VARIANT));
        varSrc.vt = VT_EMPTY;
    }
    // Hands the value to the caller and leaves this variant empty.
    VARIANT Detach() noexcept {
        VARIANT out;
        std::memcpy(&out, static_cast<VARIANT*>(this), sizeof(VARIANT));
        vt = VT_EMPTY;
        return out;
    }
    VARIANT& GetVARIANT() noexcept { return *this; }
    VARIANT* GetAddress() {
        Clear();
        return this;
    }

private:
    void Swap(_variant_t& other) noexcept {
        VARIANT held;
        std::memcpy(&held, static_cast<VARIANT*>(this), sizeof(VARIANT));
        std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&other), sizeof(VARIANT));
        std::memcpy(static_cast<VARIANT*>(&other), &held, sizeof(VARIANT));
    }
    void SetLong(LONG lSrc, VARTYPE vtSrc) {
        if (vtSrc == VT_I4) {
            lVal = lSrc;
        } else if (vtSrc == VT_ERROR) {
            scode = lSrc;
        } else if (vtSrc == VT_BOOL) {
            boolVal = lSrc != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            _com_issue_error(E_INVALIDARG);
        }
        vt = vtSrc;
    }
    // Takes ownership of an allocated BSTR; a null one stays a null VT_BSTR, as on Windows.
    void SetBstr(BSTR owned) noexcept {
        vt = VT_BSTR;
        bstrVal = owned;
    }
    _variant_t Converted(VARTYPE vartype) const {
        if (vt == vartype) {
            return *this;
        }
        _variant_t result;
        _com_util::CheckError(VariantChangeType(&result, this, 0, vartype));
        return result;
    }
};

// The "missing" argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
inline const _variant_t vtMissing(DISP_E_PARAMNOTFOUND, VT_ERROR);

inline _bstr_t::_bstr_t(const _variant_t& var) : _bstr_t(var.operator _bstr_t()) {}

inline _bstr_t& _bstr_t::operator=(const _variant_t& var) {
    return *this = var.operator _bstr_t();
}
