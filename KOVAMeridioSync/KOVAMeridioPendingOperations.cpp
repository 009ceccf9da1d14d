// Slots of the host's locking, query and online-check interfaces that no host call of this filter
// needs: each answers E_NOTIMPL.
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
