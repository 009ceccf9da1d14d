// The host's named-property bag of one Outlook item, folder or repository.
#pragma once

#include "KOVASyncBasicsLib/ComErrorCheck.h"
#include "Platform/OleAuto.h"

// Every method returns an HRESULT; callers treat any negative value as failure. Strings handed out
// are new BSTRs that the caller frees; strings passed in stay the caller's.
struct ILSPropertyMap : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_ItemStr(BSTR name, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemStr(BSTR name, BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ItemNum(BSTR name, LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemNum(BSTR name, LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ItemDate(BSTR name, DATE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemDate(BSTR name, DATE value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ItemHasValue(BSTR name, VARIANT_BOOL* hasValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ItemExists(BSTR name, BYTE* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemBool(BSTR name, BYTE value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemDouble(BSTR name, DOUBLE value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ItemVar(BSTR name, VARIANT* value) = 0;
    // A VT_ARRAY | VT_BSTR of "name<TAB>value" elements: several string properties in one call.
    virtual HRESULT STDMETHODCALLTYPE put_ItemVariant(VARIANT* nameValuePairs) = 0;

    // Wrappers: a failed call raises _com_error.
    _bstr_t GetItemStr(_bstr_t name);
    HRESULT PutItemVariant(VARIANT* nameValuePairs);

protected:
    ~ILSPropertyMap() = default;
};
KOVA_DECLARE_UUID(ILSPropertyMap, "BF922536-4007-41B1-B315-AD82303C4511");
_COM_SMARTPTR_TYPEDEF(ILSPropertyMap, __uuidof(ILSPropertyMap));

inline _bstr_t ILSPropertyMap::GetItemStr(_bstr_t name) {
    BSTR value = nullptr;
    KOVASyncBasicsLib::CheckCall(this, get_ItemStr(name, &value));
    return _bstr_t(value, false);
}
inline HRESULT ILSPropertyMap::PutItemVariant(VARIANT* nameValuePairs) {
    return KOVASyncBasicsLib::CheckCall(this, put_ItemVariant(nameValuePairs));
}
