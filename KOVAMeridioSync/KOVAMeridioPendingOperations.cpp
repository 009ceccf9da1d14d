// Operations of the filter that this build does not offer yet: server-side copies. Each
// answers E_NOTIMPL.
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"

HRESULT KOVAMeridioSyncFilterImpl::LockingMethod2(ILSPropertyMap*) {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_QueryRepositoryMethod6() {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_OnlineCheckMethod2() {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_GetSourceForCopyOrMoveMessageIfAllowed(VARIANT_BOOL, ILSPropertyMap*,
                                                                              ILSPropertyMap*,
                                                                              ILSPropertyMap*,
                                                                              ILSPropertyMap*,
                                                                              ILSPropertyMap*, BSTR, BSTR*) {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DoMessageCopy(ILSPropertyMap*, ILSPropertyMap*, BSTR,
                                                     ILSShutdownInformer*) {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DoMessageMove(ILSPropertyMap*, ILSPropertyMap*, BSTR,
                                                     ILSShutdownInformer*) {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_GetDirectCopyMoveString(BSTR*) {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DirectCopyMoveMethod5() {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DirectCopyMoveMethod6() {
    return E_NOTIMPL;
}
