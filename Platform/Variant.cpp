// VARIANT lifetime: init, clear (frees what the variant owns) and deep copy.
#include "Platform/OleAuto.h"

#include "Platform/VariantTypes.h"

void VariantInit(VARIANT* pvarg) {
    if (pvarg != nullptr) {
        pvarg->vt = VT_EMPTY;
        pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
        pvarg->llVal = 0;
    }
}

HRESULT VariantClear(VARIANT* pvarg) {
    if (pvarg == nullptr) {
        return E_INVALIDARG;
    }
    if (!Platform::IsValidVariantType(pvarg->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if ((pvarg->vt & VT_BYREF) == 0) {
        if ((pvarg->vt & VT_ARRAY) != 0) {
            const HRESULT hr = SafeArrayDestroy(pvarg->parray);
            if (FAILED(hr)) {
                return hr;
            }
        } else if (pvarg->vt == VT_BSTR) {
            SysFreeString(pvarg->bstrVal);
        } else if ((pvarg->vt == VT_UNKNOWN || pvarg->vt == VT_DISPATCH) && pvarg->punkVal != nullptr) {
            pvarg->punkVal->Release();
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc) {
    if (pvargDest == nullptr || pvargSrc == nullptr) {
        return E_INVALIDARG;
    }
    if (pvargDest == pvargSrc) {
        return S_OK;
    }
    if (!Platform::IsValidVariantType(pvargSrc->vt)) {
        return DISP_E_BADVARTYPE;
    }
    // The copy is made before the destination is cleared, in case the source lives inside it.
    VARIANT copy = *pvargSrc;
    if ((copy.vt & VT_BYREF) == 0) {
        if ((copy.vt & VT_ARRAY) != 0) {
            const HRESULT hr = SafeArrayCopy(pvargSrc->parray, &copy.parray);
            if (FAILED(hr)) {
                return hr;
            }
        } else if (copy.vt == VT_BSTR && copy.bstrVal != nullptr) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(pvargSrc->bstrVal),
                                                 SysStringByteLen(pvargSrc->bstrVal));
            if (copy.bstrVal == nullptr) {
                return E_OUTOFMEMORY;
            }
        } else if ((copy.vt == VT_UNKNOWN || copy.vt == VT_DISPATCH) && copy.punkVal != nullptr) {
            copy.punkVal->AddRef();
        }
    }
    const HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}
