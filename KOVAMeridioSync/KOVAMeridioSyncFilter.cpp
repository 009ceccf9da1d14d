#include "KOVAMeridioSync/KOVAMeridioSyncFilter.h"

HRESULT CKOVAMeridioSyncFilter::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == __uuidof(IKOVAMeridioSyncFilter) ? S_OK : S_FALSE;
}

HRESULT CKOVAMeridioSyncFilter::raw_Checkout(ILSPropertyMap* item) {
    return KOVAMeridioSyncFilterImpl::raw_Checkout(item);
}

HRESULT CKOVAMeridioSyncFilter::raw_LockingMethod2(ILSPropertyMap* item) {
    return KOVAMeridioSyncFilterImpl::LockingMethod2(item);
}

HRESULT CKOVAMeridioSyncFilter::raw_GetCheckedOutState(ILSPropertyMap* item, BYTE* checkedOut) {
    return KOVAMeridioSyncFilterImpl::GetCheckedOutFlag(item, checkedOut);
}

HRESULT CKOVAMeridioSyncFilter::raw_CancelCheckout(ILSPropertyMap* item) {
    return KOVAMeridioSyncFilterImpl::raw_CancelCheckout(item);
}
