// The sync-filter interfaces that every file-like sync filter serves to the host, and the host
// interface through which an object offers a default start point.
#pragma once

#include "KOVASyncBasicsLib/FieldInfo.h"
#include "KOVASyncBasicsLib/PropertyMap.h"
#include "KOVASyncBasicsLib/ShutdownInformer.h"

// Item and sub-folder indexes refer to the listing of the current folder. Change codes of
// raw_HasChanges: 0 none, 1 server copy changed, 2 only the local copy changed, 4 both.
struct ILSSyncFilter : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE raw_SetSyncStartPointByString(BSTR startPoint, BSTR* errorText) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_SetSyncStartPoint(ILSPropertyMap* folder, VARIANT_BOOL setUpFolder,
                                                            VARIANT_BOOL excludeDocuments,
                                                            VARIANT_BOOL excludeSubFolders, LONG passValue,
                                                            VARIANT_BOOL passFlag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_AddNewDocument(BSTR localPath, BSTR fileName,
                                                         ILSPropertyMap* folder, ILSPropertyMap* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_UpdateDocument(BSTR localPath, BSTR fileName,
                                                         ILSPropertyMap* folder, ILSPropertyMap* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetItemCount(USHORT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetItemBasicProps(USHORT index, ILSPropertyMap* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_RetrieveItemToPath(USHORT index, BSTR localPath, BSTR* listedName,
                                                             ILSPropertyMap* item,
                                                             VARIANT_BOOL contentIsLocal, BSTR extraText) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_SetItemProperties(USHORT index, ILSPropertyMap* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_PostContentSyncFolderUpdate(ILSPropertyMap* folder,
                                                                      VARIANT_BOOL excludeDocuments,
                                                                      VARIANT_BOOL excludeSubFolders) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_PreContentSyncFolderUpdate(ILSPropertyMap* folder,
                                                                     VARIANT_BOOL excludeDocuments,
                                                                     VARIANT_BOOL excludeSubFolders) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetSubFolderCount(USHORT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetSubFolderBasicProps(USHORT index, ILSPropertyMap* subFolder) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_SetSubFolderProperties(USHORT index, ILSPropertyMap* subFolder) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetFilterNames(BSTR* first, BSTR* second) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_HasChanges(USHORT index, ILSPropertyMap* item,
                                                     LONG* changeCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_HasMoreItemsAvailable(LONG* more) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_SyncFilterMethod23() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_UpdateFolder(ILSPropertyMap* repository,
                                                       ILSPropertyMap* outlookFolder,
                                                       ILSPropertyMap* folderProperties, LONG reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_SetCurrentProfileName(BSTR profileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StoresServerFileId(VARIANT_BOOL* storesId) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_SyncFilterMethod27() = 0;

protected:
    ~ILSSyncFilter() = default;
};
KOVA_DECLARE_UUID(ILSSyncFilter, "e0d2f591-34eb-4cb7-bc16-86d3a4be3f8b");
_COM_SMARTPTR_TYPEDEF(ILSSyncFilter, __uuidof(ILSSyncFilter));

// Adds the start and end of a sync pass and the field set of a repository.
struct ILSSyncFilter2 : ILSSyncFilter {
    virtual HRESULT STDMETHODCALLTYPE raw_StartSync(LONG syncKind, ILSPropertyMap* mainFolder) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_EndSync(LONG syncKind, VARIANT_BOOL completed, LONG result) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_GetFieldSetInfo(ILSPropertyMap* repository,
                                                          ILSKOVAFieldSetInfo** fieldSetInfo) = 0;

protected:
    ~ILSSyncFilter2() = default;
};
KOVA_DECLARE_UUID(ILSSyncFilter2, "827f942f-240b-4d0d-88d8-a04a6b934ce1");
_COM_SMARTPTR_TYPEDEF(ILSSyncFilter2, __uuidof(ILSSyncFilter2));

struct ILSManualDeletionsSyncFilter : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE raw_GetKeyPropertyTag(BSTR* keyPropertyName) = 0;
    // S_OK: gone from the server; S_FALSE: still there.
    virtual HRESULT STDMETHODCALLTYPE raw_IsDeleted(BSTR itemKey, LONG isFolder) = 0;

protected:
    ~ILSManualDeletionsSyncFilter() = default;
};
KOVA_DECLARE_UUID(ILSManualDeletionsSyncFilter, "73b96c90-90c0-420b-a0ac-5e5c82d14123");
_COM_SMARTPTR_TYPEDEF(ILSManualDeletionsSyncFilter, __uuidof(ILSManualDeletionsSyncFilter));

struct ILSNeedsShutdownInfo : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_pShutdownInformer(ILSShutdownInformer** informer) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_pShutdownInformer(ILSShutdownInformer* informer) = 0;

protected:
    ~ILSNeedsShutdownInfo() = default;
};
KOVA_DECLARE_UUID(ILSNeedsShutdownInfo, "1e9c45c7-805e-4603-aca4-01224ce9df88");
_COM_SMARTPTR_TYPEDEF(ILSNeedsShutdownInfo, __uuidof(ILSNeedsShutdownInfo));

struct ILSDeleteableSyncFilter : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_DeleteFlag(VARIANT_BOOL* flag) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_DeleteMethod4() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_DeleteItem(ILSPropertyMap* item, BSTR* errorText) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ServerItemCount(ILSPropertyMap* folder, LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ServerItem(LONG index, BSTR* key) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ServerItemKey(BSTR* keyPropertyName) = 0;

protected:
    ~ILSDeleteableSyncFilter() = default;
};
KOVA_DECLARE_UUID(ILSDeleteableSyncFilter, "827f942f-255b-4d0d-88d8-a04a6b934ce1");
_COM_SMARTPTR_TYPEDEF(ILSDeleteableSyncFilter, __uuidof(ILSDeleteableSyncFilter));

struct ILSCreateableFolderSyncFilter : IDispatch {
    // The repository map is handed on to the repository's folder creation unread.
    virtual HRESULT STDMETHODCALLTYPE raw_CreateFolder(ILSPropertyMap* repository,
                                                       ILSPropertyMap* parentFolder,
                                                       ILSPropertyMap* newFolder) = 0;

protected:
    ~ILSCreateableFolderSyncFilter() = default;
};
KOVA_DECLARE_UUID(ILSCreateableFolderSyncFilter, "f22f7570-5e09-4884-95bc-bd3755aa3030");
_COM_SMARTPTR_TYPEDEF(ILSCreateableFolderSyncFilter, __uuidof(ILSCreateableFolderSyncFilter));

struct ILSHeaderOnlySync : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE raw_RetrieveIndividualItemToPath(ILSPropertyMap* item, BSTR localPath,
                                                                       BSTR* name,
                                                                       VARIANT_BOOL contentIsLocal,
                                                                       BSTR extraText) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_SetHeaderOnly() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_HeaderOnlyMethod5() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_RetrieveIndividualItemToPathProperties(ILSPropertyMap* item,
                                                                                 BSTR extraText) = 0;

protected:
    ~ILSHeaderOnlySync() = default;
};
KOVA_DECLARE_UUID(ILSHeaderOnlySync, "34d46170-215d-41d5-a5be-4a40db1bc250");
_COM_SMARTPTR_TYPEDEF(ILSHeaderOnlySync, __uuidof(ILSHeaderOnlySync));

// Queried on a filter object for the start point to use when the host names none. Derives from
// IUnknown only: its first method follows the IUnknown methods.
struct ILSDefaultStartPoint : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE raw_GetDefaultStartPoint(BSTR* startPoint) = 0;

protected:
    ~ILSDefaultStartPoint() = default;
};
KOVA_DECLARE_UUID(ILSDefaultStartPoint, "83813E65-7F95-4FB9-AB59-D53E6AE55196");
_COM_SMARTPTR_TYPEDEF(ILSDefaultStartPoint, __uuidof(ILSDefaultStartPoint));
