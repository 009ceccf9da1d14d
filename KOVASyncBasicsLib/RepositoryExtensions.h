// Host interfaces that a sync filter may add for repositories that support locks, queries,
// online change checks, server-side copy and move, links to documents and property editing.
#pragma once

#include "KOVASyncBasicsLib/PropertyMap.h"
#include "KOVASyncBasicsLib/ShutdownInformer.h"

struct ILSLockingSyncFilter : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE raw_Checkout(ILSPropertyMap* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_LockingMethod2(ILSPropertyMap* item) = 0;
    // 0xFF when the item is checked out, 0 when not.
    virtual HRESULT STDMETHODCALLTYPE raw_GetCheckedOutState(ILSPropertyMap* item, BYTE* checkedOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_CancelCheckout(ILSPropertyMap* item) = 0;

protected:
    ~ILSLockingSyncFilter() = default;
};
KOVA_DECLARE_UUID(ILSLockingSyncFilter, "6f674b23-556d-461a-965b-e49c5cb3f54c");
_COM_SMARTPTR_TYPEDEF(ILSLockingSyncFilter, __uuidof(ILSLockingSyncFilter));

struct ILSQueryRepository : IDispatch {
    // Whether queries are available at all.
    virtual HRESULT STDMETHODCALLTYPE raw_QueryRepositoryMethod1(VARIANT_BOOL* available) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetScopeParameterPrompt(BSTR* prompt) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ValidateScopeParameter(BSTR scope, BSTR* validatedScope) = 0;
    // One result per line, fields separated by TAB.
    virtual HRESULT STDMETHODCALLTYPE raw_RunQuery(LONG maximumHits, BSTR scope, BSTR searchText,
                                                   BSTR sortField, LONG options, BSTR* results) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_FormatScopeParameter(BSTR scope, BSTR* formattedScope) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_QueryRepositoryMethod6() = 0;

protected:
    ~ILSQueryRepository() = default;
};
KOVA_DECLARE_UUID(ILSQueryRepository, "6d657259-3d8e-49c7-aca2-db0ded1bed11");
_COM_SMARTPTR_TYPEDEF(ILSQueryRepository, __uuidof(ILSQueryRepository));

struct ILSOnlineCheck : IDispatch {
    // Result: 0 no change found, 1 the server copy changed, 2 the stored copy is the newer one.
    virtual HRESULT STDMETHODCALLTYPE raw_HasChangesOnline(ILSPropertyMap* repository, ILSPropertyMap* item,
                                                           LONG* result, ILSShutdownInformer* informer) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_OnlineCheckMethod2() = 0;

protected:
    ~ILSOnlineCheck() = default;
};
KOVA_DECLARE_UUID(ILSOnlineCheck, "c69b8095-a282-4e72-bf81-db66e9190c35");
_COM_SMARTPTR_TYPEDEF(ILSOnlineCheck, __uuidof(ILSOnlineCheck));

struct ILSDirectCopyMove : IDispatch {
    // An empty source-action text means that the item cannot be copied or moved on the server.
    virtual HRESULT STDMETHODCALLTYPE raw_GetSourceForCopyOrMoveMessageIfAllowed(
        VARIANT_BOOL isMove, ILSPropertyMap* sourceFolder, ILSPropertyMap* sourceRepository,
        ILSPropertyMap* destinationRepository, ILSPropertyMap* destination, ILSPropertyMap* item,
        BSTR hostText, BSTR* sourceAction) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_DoMessageCopy(ILSPropertyMap* item, ILSPropertyMap* destination,
                                                        BSTR sourceAction, ILSShutdownInformer* informer) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_DoMessageMove(ILSPropertyMap* item, ILSPropertyMap* destination,
                                                        BSTR sourceAction, ILSShutdownInformer* informer) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetDirectCopyMoveString(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_DirectCopyMoveMethod5() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_DirectCopyMoveMethod6() = 0;

protected:
    ~ILSDirectCopyMove() = default;
};
KOVA_DECLARE_UUID(ILSDirectCopyMove, "3ef91295-fc6f-475f-91f7-38ee14b19265");
_COM_SMARTPTR_TYPEDEF(ILSDirectCopyMove, __uuidof(ILSDirectCopyMove));

struct ILSCreateSendLink : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE raw_CreateSendLinkFiletext(ILSPropertyMap* repository,
                                                                 ILSPropertyMap* folder, ILSPropertyMap* item,
                                                                 BSTR* linkText, BSTR* fileName) = 0;

protected:
    ~ILSCreateSendLink() = default;
};
KOVA_DECLARE_UUID(ILSCreateSendLink, "efecbcad-ffad-41b2-aba9-3c6c496bff3f");
_COM_SMARTPTR_TYPEDEF(ILSCreateSendLink, __uuidof(ILSCreateSendLink));

struct ILSEditDocPropsSyncFilter : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE raw_GetDocumentId(ILSPropertyMap* item, BSTR* documentId) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetVersionId(ILSPropertyMap* item, BSTR* versionId) = 0;

protected:
    ~ILSEditDocPropsSyncFilter() = default;
};
KOVA_DECLARE_UUID(ILSEditDocPropsSyncFilter, "7b5a320f-3d2c-4373-91cf-c0a1ed5f299c");
_COM_SMARTPTR_TYPEDEF(ILSEditDocPropsSyncFilter, __uuidof(ILSEditDocPropsSyncFilter));
