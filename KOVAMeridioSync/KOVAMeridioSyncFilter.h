// The COM class of the Meridio sync filter: KOVAMeridioSyncFilterImpl behind the host's interfaces.
#pragma once

#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "Platform/AtlCom.h"

// The library's own dual interface of the filter; it adds no methods.
struct IKOVAMeridioSyncFilter : IDispatch {
protected:
    ~IKOVAMeridioSyncFilter() = default;
};
KOVA_DECLARE_UUID(IKOVAMeridioSyncFilter, "ad155c80-6f42-48ea-a84a-31d295cabba8");

struct KOVAMeridioSyncFilterClass;
KOVA_DECLARE_UUID(KOVAMeridioSyncFilterClass, "1F70C760-CD0B-461A-87E0-7CB06119C11D");
inline const CLSID CLSID_KOVAMeridioSyncFilter = __uuidof(KOVAMeridioSyncFilterClass);

class CKOVAMeridioSyncFilter : public CComObjectRootEx<CComSingleThreadModel>,
                               public CComCoClass<CKOVAMeridioSyncFilter, &CLSID_KOVAMeridioSyncFilter>,
                               public ISupportErrorInfo,
                               public IDispatchImpl<IKOVAMeridioSyncFilter>,
                               public IDispatchImpl<KOVAMeridioSyncFilterImpl>,
                               public IDispatchImpl<ILSLockingSyncFilter> {
public:
    DECLARE_REGISTRY_RESOURCEID(106)

    BEGIN_COM_MAP(CKOVAMeridioSyncFilter)
    COM_INTERFACE_ENTRY(IKOVAMeridioSyncFilter)
    COM_INTERFACE_ENTRY2(IDispatch, ILSSyncFilter2)
    COM_INTERFACE_ENTRY(ILSSyncFilter2)
    COM_INTERFACE_ENTRY2(ILSSyncFilter, ILSSyncFilter2)
    COM_INTERFACE_ENTRY(ISupportErrorInfo)
    COM_INTERFACE_ENTRY(ILSNeedsShutdownInfo)
    COM_INTERFACE_ENTRY(ILSLockingSyncFilter)
    COM_INTERFACE_ENTRY(ILSManualDeletionsSyncFilter)
    COM_INTERFACE_ENTRY(ILSQueryRepository)
    COM_INTERFACE_ENTRY(ILSHeaderOnlySync)
    COM_INTERFACE_ENTRY(ILSOnlineCheck)
    COM_INTERFACE_ENTRY(ILSDeleteableSyncFilter)
    COM_INTERFACE_ENTRY(ILSCreateableFolderSyncFilter)
    COM_INTERFACE_ENTRY(ILSDirectCopyMove)
    COM_INTERFACE_ENTRY(ILSCreateSendLink)
    COM_INTERFACE_ENTRY(ILSEditDocPropsSyncFilter)
    END_COM_MAP()

    // ISupportErrorInfo: only the library's own interface reports error info.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    // ILSLockingSyncFilter, forwarded to the filter's locking operations.
    HRESULT STDMETHODCALLTYPE raw_Checkout(ILSPropertyMap* item) override;
    HRESULT STDMETHODCALLTYPE raw_LockingMethod2(ILSPropertyMap* item) override;
    HRESULT STDMETHODCALLTYPE raw_GetCheckedOutState(ILSPropertyMap* item, BYTE* checkedOut) override;
    HRESULT STDMETHODCALLTYPE raw_CancelCheckout(ILSPropertyMap* item) override;
};
