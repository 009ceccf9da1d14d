// The generic sync filter for file-like repositories.
//
// LSBaseFileSyncFilter implements the host's sync-filter interfaces and keeps the state of one sync
// pass; each host call becomes calls of the virtual repository operations below, which a concrete
// filter supplies. The IUnknown and IDispatch members of the bases stay pure: the COM object wrapper
// of the concrete class provides them.
//
// The order of the virtual operations is the filter's binary contract with concrete filters: new
// operations go after the last one, never between them.
#pragma once

#include "KOVACommon/LSLocalFiles.h"
#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "Platform/ComUtil.h"
#include "Platform/MsXml.h"
#include "VantrelCommon/StdString.h"

#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <utility>
#include <vector>

// Name/value pairs that a listing attaches to one listed item or sub-folder; looked up by any text
// without making a name string.
using LSExtraProperties = std::map<CStdStr<wchar_t>, CStdStr<wchar_t>, std::less<>>;

// The field-set object made for one pair of folder maps; the maps are kept only for comparison.
struct LSFieldSetInfoCache {
    ILSKOVAFieldSetInfoPtr fieldSet;
    ILSPropertyMap* mainFolderMap = nullptr;
    ILSPropertyMap* currentFolderMap = nullptr;
};

class LSBaseFileSyncFilter : public ILSSyncFilter2,
                             public ILSManualDeletionsSyncFilter,
                             public ILSNeedsShutdownInfo,
                             public ILSDeleteableSyncFilter,
                             public ILSCreateableFolderSyncFilter,
                             public ILSHeaderOnlySync {
public:
    LSBaseFileSyncFilter();
    LSBaseFileSyncFilter(const LSBaseFileSyncFilter&) = delete;
    LSBaseFileSyncFilter& operator=(const LSBaseFileSyncFilter&) = delete;

    // ILSSyncFilter / ILSSyncFilter2
    HRESULT STDMETHODCALLTYPE raw_SetSyncStartPointByString(BSTR startPoint, BSTR* errorText) override;
    HRESULT STDMETHODCALLTYPE raw_SetSyncStartPoint(ILSPropertyMap* folderMap, VARIANT_BOOL setupFolder,
                                                    VARIANT_BOOL excludeDocuments,
                                                    VARIANT_BOOL excludeSubFolders, LONG passValue,
                                                    VARIANT_BOOL passFlag) override;
    HRESULT STDMETHODCALLTYPE raw_AddNewDocument(BSTR localPath, BSTR fileName, ILSPropertyMap* unused,
                                                 ILSPropertyMap* item) override;
    HRESULT STDMETHODCALLTYPE raw_UpdateDocument(BSTR localPath, BSTR fileName, ILSPropertyMap* unused,
                                                 ILSPropertyMap* item) override;
    HRESULT STDMETHODCALLTYPE raw_GetItemCount(USHORT* count) override;
    HRESULT STDMETHODCALLTYPE raw_GetItemBasicProps(USHORT index, ILSPropertyMap* item) override;
    HRESULT STDMETHODCALLTYPE raw_RetrieveItemToPath(USHORT index, BSTR localPath, BSTR* listedName,
                                                     ILSPropertyMap* item, VARIANT_BOOL contentAlreadyLocal,
                                                     BSTR extraText) override;
    HRESULT STDMETHODCALLTYPE raw_SetItemProperties(USHORT index, ILSPropertyMap* item) override;
    HRESULT STDMETHODCALLTYPE raw_PostContentSyncFolderUpdate(ILSPropertyMap* folderMap,
                                                              VARIANT_BOOL excludeDocuments,
                                                              VARIANT_BOOL excludeSubFolders) override;
    HRESULT STDMETHODCALLTYPE raw_PreContentSyncFolderUpdate(ILSPropertyMap* folderMap,
                                                             VARIANT_BOOL excludeDocuments,
                                                             VARIANT_BOOL excludeSubFolders) override;
    HRESULT STDMETHODCALLTYPE raw_GetSubFolderCount(USHORT* count) override;
    HRESULT STDMETHODCALLTYPE raw_GetSubFolderBasicProps(USHORT index, ILSPropertyMap* subFolder) override;
    HRESULT STDMETHODCALLTYPE raw_SetSubFolderProperties(USHORT index, ILSPropertyMap* subFolder) override;
    HRESULT STDMETHODCALLTYPE raw_GetFilterNames(BSTR* first, BSTR* second) override;
    HRESULT STDMETHODCALLTYPE raw_HasChanges(USHORT index, ILSPropertyMap* item, LONG* changeCode) override;
    HRESULT STDMETHODCALLTYPE raw_HasMoreItemsAvailable(LONG* more) override;
    HRESULT STDMETHODCALLTYPE raw_SyncFilterMethod23() override;
    HRESULT STDMETHODCALLTYPE raw_UpdateFolder(ILSPropertyMap* ignored, ILSPropertyMap* outlookFolder,
                                               ILSPropertyMap* folderProperties, LONG ignoredLast) override;
    HRESULT STDMETHODCALLTYPE raw_SetCurrentProfileName(BSTR profileName) override;
    HRESULT STDMETHODCALLTYPE get_StoresServerFileId(VARIANT_BOOL* stores) override;
    HRESULT STDMETHODCALLTYPE raw_SyncFilterMethod27() override;
    HRESULT STDMETHODCALLTYPE raw_StartSync(LONG ignored, ILSPropertyMap* mainFolderMap) override;
    HRESULT STDMETHODCALLTYPE raw_EndSync(LONG syncKind, VARIANT_BOOL completed, LONG result) override;
    HRESULT STDMETHODCALLTYPE raw_GetFieldSetInfo(ILSPropertyMap* ignored,
                                                  ILSKOVAFieldSetInfo** fieldSet) override;

    // ILSManualDeletionsSyncFilter
    HRESULT STDMETHODCALLTYPE raw_GetKeyPropertyTag(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE raw_IsDeleted(BSTR key, LONG isFolder) override;

    // ILSNeedsShutdownInfo
    HRESULT STDMETHODCALLTYPE get_pShutdownInformer(ILSShutdownInformer** informer) override;
    HRESULT STDMETHODCALLTYPE putref_pShutdownInformer(ILSShutdownInformer* informer) override;

    // ILSDeleteableSyncFilter
    HRESULT STDMETHODCALLTYPE get_DeleteFlag(VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE raw_DeleteMethod4() override;
    HRESULT STDMETHODCALLTYPE raw_DeleteItem(ILSPropertyMap* item, BSTR* errorText) override;
    HRESULT STDMETHODCALLTYPE get_ServerItemCount(ILSPropertyMap* ignored, LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_ServerItem(LONG index, BSTR* key) override;
    HRESULT STDMETHODCALLTYPE get_ServerItemKey(BSTR* name) override;

    // ILSCreateableFolderSyncFilter
    HRESULT STDMETHODCALLTYPE raw_CreateFolder(ILSPropertyMap* hostArgument, ILSPropertyMap* parentFolder,
                                               ILSPropertyMap* newFolder) override;

    // ILSHeaderOnlySync
    HRESULT STDMETHODCALLTYPE raw_RetrieveIndividualItemToPath(ILSPropertyMap* item, BSTR localPath,
                                                               BSTR* name, VARIANT_BOOL contentAlreadyLocal,
                                                               BSTR extraText) override;
    HRESULT STDMETHODCALLTYPE raw_SetHeaderOnly() override;
    HRESULT STDMETHODCALLTYPE raw_HeaderOnlyMethod5() override;
    HRESULT STDMETHODCALLTYPE raw_RetrieveIndividualItemToPathProperties(ILSPropertyMap* item,
                                                                         BSTR extraText) override;

    // Repository operations, in their fixed order.
    virtual ~LSBaseFileSyncFilter();
    virtual HRESULT raw_SetMainFolderProperties(ILSPropertyMap* mainFolderMap);
    virtual CStdStr<wchar_t> GetRepositoryType() = 0;
    virtual CStdStr<wchar_t> GetFilterName() = 0;
    virtual HRESULT PrepareStartPoint(CStdStr<wchar_t>& startPoint, BSTR* errorText) = 0;
    virtual HRESULT DoesItemExistRemote(const CStdStr<wchar_t>& name, bool& exists, bool nameIsFileName);
    virtual HRESULT DoesFileExistRemote(const CStdStr<wchar_t>& name, bool& exists, bool nameIsFileName) = 0;
    virtual bool GetRemoteLastModified(const CStdStr<wchar_t>& fileName, SYSTEMTIME* lastModified) = 0;
    virtual HRESULT CopyFileRemote(const CStdStr<wchar_t>& localPath, const CStdStr<wchar_t>& encodedFileName,
                                   ILSPropertyMap* item, bool existsOnServer,
                                   CStdStr<wchar_t>& remoteName) = 0;
    virtual HRESULT RenameFileRemote(const CStdStr<wchar_t>& remoteName, const CStdStr<wchar_t>& newName) = 0;
    virtual HRESULT RenameFolderRemote(const CStdStr<wchar_t>& folderLocation,
                                       const CStdStr<wchar_t>& newName, ILSPropertyMap* folderProperties) = 0;
    virtual bool AlwaysUploadContent();
    virtual HRESULT CopyFileToLocal(const CStdStr<wchar_t>& remoteName, const CStdStr<wchar_t>& localPath,
                                    ILSPropertyMap* item, const CStdStr<wchar_t>& extraText) = 0;
    virtual HRESULT GetContents(ILSPropertyMap* folderMap, LONG listingMode) = 0;
    virtual HRESULT GetHashForRemoteFile(const CStdStr<wchar_t>& remoteName, CStdStr<wchar_t>& hash) = 0;
    virtual HRESULT isItemReadOnly(const CStdStr<wchar_t>& location, bool* readOnly,
                                   CStdStr<wchar_t>& permission) = 0;
    virtual HRESULT IsItemOnServer(const CStdStr<wchar_t>& key, bool isFolder) = 0;
    virtual HRESULT CreateDirectoryRemote(ILSPropertyMap* hostArgument,
                                          const CStdStr<wchar_t>& parentLocation,
                                          const CStdStr<wchar_t>& folderName, ILSPropertyMap* newFolder,
                                          CStdStr<wchar_t>& newLocation) = 0;
    virtual HRESULT DeleteFileRemote(const CStdStr<wchar_t>& remoteId, CStdStr<wchar_t>& message) = 0;
    virtual HRESULT GetRemoteFileName(CStdStr<wchar_t>& name, ILSPropertyMap* item,
                                      CStdStr<wchar_t>& remoteId);
    virtual HRESULT GetStoredRemoteFileName(const CStdStr<wchar_t>& name, CStdStr<wchar_t>& remoteId) = 0;
    virtual CStdStr<wchar_t> GetItemName(USHORT index) = 0;
    virtual ULONG GetItemVersion(USHORT index) = 0;
    virtual CStdStr<wchar_t> GetSubFolderUrl(USHORT index) = 0;
    virtual HRESULT SetSubFolderItemProperties(USHORT index, ILSPropertyMap* subFolder) = 0;
    virtual CStdStr<wchar_t> GetUploadInfoString() = 0;
    virtual HRESULT OnEndSync(LONG syncKind, VARIANT_BOOL completed, LONG result) = 0;
    virtual HRESULT OnStartSync() = 0;
    virtual HRESULT ParseFileFilterLocation(CStdStr<wchar_t>& startPoint) = 0;
    virtual HRESULT GetFolderUrl(const CStdStr<wchar_t>& folderLocation, CStdStr<wchar_t>& url,
                                 int index) = 0;
    virtual HRESULT GetFileUrl(const CStdStr<wchar_t>& remoteName, CStdStr<wchar_t>& url, LONG index) = 0;
    virtual bool StoresServerFileId();
    virtual bool ShouldStoreServerFileId(const CStdStr<wchar_t>& name, ILSPropertyMap* item,
                                         bool useServerId);
    virtual bool CanAddDocumentsToMainFolder();
    virtual bool CanAddDocumentsToSubFolder();
    virtual HRESULT CreateFieldSetInfo(ILSKOVAFieldSetInfo** fieldSet);
    virtual void InitializeRepository();
    virtual HRESULT DeleteFolderRemote(ILSPropertyMap* item, CStdStr<wchar_t>& message);
    virtual bool SetupFolderToSync(ILSPropertyMap* folderMap);
    virtual HRESULT RetrieveIndividualItemToPathInternal(ILSPropertyMap* item, BSTR localPath, BSTR* name,
                                                         VARIANT_BOOL contentAlreadyLocal, BSTR extraText);
    virtual bool IsItemCheckedOut(USHORT index, ILSPropertyMap* item);
    virtual CStdStr<wchar_t> MakeSafeFileName(const CStdStr<wchar_t>& name, int number,
                                              const DATE* lastModified);
    virtual bool SkipFromToUsers(const CStdStr<wchar_t>& name, ILSPropertyMap* item);
    virtual CStdStr<wchar_t> GetServerFileId(ILSPropertyMap* item, const CStdStr<wchar_t>& name);
    virtual HRESULT RetrieveIndividualItemToPathProperties(ILSPropertyMap* item,
                                                           const CStdStr<wchar_t>& remoteId, BSTR extraText);
    virtual bool IsDownloadHashSkipped();
    virtual bool IsRemoteUnchanged(USHORT index, ILSPropertyMap* item);
    virtual bool CanAddFolders();
    virtual CStdStr<wchar_t> EncodeFileName(const CStdStr<wchar_t>& name);
    virtual HRESULT OnPostContentSyncFolderUpdate(ILSPropertyMap* folderMap, VARIANT_BOOL excludeDocuments,
                                                  VARIANT_BOOL excludeSubFolders);
    virtual CStdStr<wchar_t> GetItemDisplayName(USHORT index, const CStdStr<wchar_t>& name);
    virtual CStdStr<wchar_t> GetSubFolderDisplayName(USHORT index, const CStdStr<wchar_t>& name);
    virtual HRESULT OnRemoteFileRenamed(ILSPropertyMap* item);
    virtual bool HasMoreItemsAvailable();
    virtual HRESULT GetServerItemCount(LONG* count);
    virtual HRESULT GetServerItem(LONG index, CStdStr<wchar_t>& key);
    virtual HRESULT UploadFile(bool isNew, const wchar_t* localPath, const wchar_t* fileName,
                               ILSPropertyMap* item);
    virtual HRESULT GetDefaultStartPoint(CStdStr<wchar_t>& startPoint);
    virtual CStdStr<wchar_t> GetKeyPropertyName();
    // Adds the item's extra values that the concrete filter reads from its listing when they are
    // written rather than keeping them for every listed item; true when the listing has such values
    // for the item (none by default).
    virtual bool AddListedItemProperties(USHORT index, LSExtraProperties& extra);
    // Drops what the concrete filter keeps of the former start point and its listing, so that each
    // start point begins from a clean object (nothing by default).
    virtual void ForgetStartPoint();

    // Extra values of the listing, written by the concrete filter's listing (those read on demand are
    // not among them: see AddListedItemProperties).
    CStdStr<wchar_t> GetItemExtraProperty(USHORT index, const CStdStr<wchar_t>& name,
                                          const CStdStr<wchar_t>& defaultValue) const;
    // All of the item's extra values into `extra`; false when the listing has none for the item.
    bool ListedItemProperties(USHORT index, LSExtraProperties& extra);
    CStdStr<wchar_t> GetSubFolderExtraProperty(USHORT index, const CStdStr<wchar_t>& name,
                                               const CStdStr<wchar_t>& defaultValue) const;
    void SetItemExtraProperty(USHORT index, const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& value);

    // The content-type XML as a document, parsed on first use (a reference is added for the caller).
    IXMLDOMDocument2Ptr GetContentTypeInfo();

    // Content hash of a local file (EmptyContentHash for a file of no bytes). Empty when the file
    // cannot be read or the host shuts down while it is hashed: then there is no hash to keep.
    CStdStr<wchar_t> GetHashForLocalFile(const CStdStr<wchar_t>& localPath);
    // What an operation that got no local hash answers: E_ABORT while the host shuts down, else E_FAIL.
    HRESULT MissingLocalHashResult();
    // Told by CopyFileToLocal: the content hash of the bytes it wrote to the path, all written and the
    // file closed, so that the download takes it instead of reading the file again.
    void RememberWrittenContentHash(const CStdStr<wchar_t>& localPath, const CStdStr<wchar_t>& hash);
    // Told by CopyFileRemote after an upload: the content hash of the bytes it sent from the path, read
    // while the file had the given size and time, for the retrieve of that path as content already local.
    void RememberSentContentHash(const CStdStr<wchar_t>& localPath, const CStdStr<wchar_t>& hash,
                                 const LocalFileStamp& read);

protected:
    // Reads the filter's own settings; the concrete constructor calls it with its filter name.
    void InitSettings(const CStdStr<wchar_t>& filterName);

    CStdStr<wchar_t> GetFolderLocation(ILSPropertyMap* folderMap);
    // Empties the listing tables and the remote dates and download hashes kept for them before a new
    // listing.
    void ClearListing();
    // A start point begins here: no filter, no listing and no listed values of the former one.
    void ResetStartPointState();
    // The argument checks of a host call on a listed item: the item's map, and its index unless the
    // start point was given as text (then the one item is the registered folder itself).
    HRESULT CheckListedItemArguments(const char* method, USHORT index, ILSPropertyMap* item) const;
    // A content hash remembered for one retrieve of the path, so that it need not read the file again.
    struct RememberedContentHash {
        CStdStr<wchar_t> path;
        CStdStr<wchar_t> hash;
        std::optional<LocalFileStamp> sentFile; // set for content sent up: the file as it was read
    };
    // The remembered hash, no longer remembered: it serves one retrieve at most.
    std::optional<RememberedContentHash> TakeRememberedContentHash();
    // The content hash of a file just retrieved: the remembered one when it is for this file and
    // retrieve, else the file's.
    CStdStr<wchar_t> HashOfRetrievedFile(const CStdStr<wchar_t>& localPath,
                                         const std::optional<RememberedContentHash>& remembered,
                                         bool contentAlreadyLocal);
    // The index the next listed item or sub-folder gets, given how many are listed already. The host
    // addresses them by a 16-bit index, so a listing of more than 65535 fails here (logged, E_FAIL)
    // rather than give two entries one index.
    static USHORT NextListingIndex(std::size_t listed);
    HRESULT SetupFolderUrl(const CStdStr<wchar_t>& location, int index, ILSPropertyMap* map);
    HRESULT SetupFileUrl(const CStdStr<wchar_t>& remoteName, LONG index, ILSPropertyMap* map);
    // The two halves of SetupFolderUrl and SetupFileUrl, for a call that learns everything it writes
    // before it writes: the URL (a failure is logged and thrown), and its write (a refused one thrown).
    CStdStr<wchar_t> FolderUrlOf(const CStdStr<wchar_t>& location, int index);
    void WriteFolderUrl(ILSPropertyMap* map, const CStdStr<wchar_t>& url);
    CStdStr<wchar_t> FileUrlOf(const CStdStr<wchar_t>& remoteName, LONG index);
    void WriteFileUrl(ILSPropertyMap* map, const CStdStr<wchar_t>& url);
    HRESULT SetServerFileIdProperty(const CStdStr<wchar_t>& remoteName, ILSPropertyMap* item,
                                    bool useServerId);
    HRESULT AddFile(bool isNew, CStdStr<wchar_t> fileName, CStdStr<wchar_t> localPath,
                    CStdStr<wchar_t>* remoteName, ILSPropertyMap* item);
    bool HasInterimVersionData(ILSPropertyMap* item);
    DATE CacheLastModified(USHORT index);
    HRESULT SetMapiProperties(ILSPropertyMap* item, DATE lastModified, const CStdStr<wchar_t>& hash,
                              const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& fileName,
                              const CStdStr<wchar_t>& url, const CStdStr<wchar_t>& fromUser,
                              const CStdStr<wchar_t>& toUser, const CStdStr<wchar_t>& permission,
                              const LSExtraProperties* extra, bool skipUsers);
    // The repository's field set for typing the item's field values; null when there is no main
    // folder or the field set cannot be had (e.g. no content-type information).
    ILSKOVAFieldSetInfoPtr FieldSetForItemProperties();
    ILSKOVAFieldSetInfoPtr
    GetFieldSetInfoInternal(LSFieldSetInfoCache& cache, ILSPropertyMap* mainFolderMap,
                            ILSPropertyMap* currentFolderMap,
                            const std::function<HRESULT(ILSKOVAFieldSetInfo**)>& creator);

    // Kept first so that it is released last.
    LSFieldSetInfoCache m_fieldSetCache;

    bool m_headerOnly = false;
    CStdStr<wchar_t> m_profileName;
    LONG m_passValue = -1;
    CStdStr<wchar_t> m_folderLocation;
    CStdStr<wchar_t> m_givenStartPoint;
    CStdStr<wchar_t> m_repositoryLocation;
    std::vector<CStdStr<wchar_t>> m_subFolderNames;
    std::vector<CStdStr<wchar_t>> m_itemNames;
    std::vector<CStdStr<wchar_t>> m_fileNames;
    CStdStr<wchar_t> m_filterPropertyName;
    CStdStr<wchar_t> m_filterPropertyValue;
    bool m_startPointByString = false;
    bool m_listingLoaded = false;
    bool m_relistNeeded = false;
    bool m_passFlag = false;
    CStdStr<wchar_t> m_folderLeaf;
    std::map<USHORT, DATE> m_lastModifiedCache;
    std::map<USHORT, CStdStr<wchar_t>> m_localHashes;
    // What RememberWrittenContentHash or RememberSentContentHash was told last.
    std::optional<RememberedContentHash> m_rememberedContentHash;
    std::vector<std::wregex> m_excludePatterns;
    DWORD m_maxFileSize = 0;
    CStdStr<wchar_t> m_excludeText;
    ILSShutdownInformerPtr m_shutdownInformer;
    ILSPropertyMapPtr m_mainFolderMap;
    ILSPropertyMapPtr m_currentFolderMap;
    std::vector<LSExtraProperties> m_itemExtraProperties;
    std::vector<LSExtraProperties> m_subFolderExtraProperties;
    std::map<CStdStr<wchar_t>, CStdStr<wchar_t>> _nameValuePairsForRootFolder;
    CStdStr<wchar_t> m_contentTypeText;
    IXMLDOMDocument2Ptr m_contentTypeDocument;
    LONG m_listingMode = 2;
    // The mode of the last listing that was read whole (3: nothing listed): the kinds that listing can
    // answer for, which may be fewer than the host has asked for since.
    LONG m_listedMode = 3;

private:
    HRESULT CheckExistingFile(CStdStr<wchar_t>& encodedName, ILSPropertyMap* item, bool& exists);
    HRESULT MarkConflict(ILSPropertyMap* item, const CStdStr<wchar_t>& remoteId,
                         const CStdStr<wchar_t>& serverHash);
    void WriteFolderPermission(ILSPropertyMap* map, bool readOnly, CStdStr<wchar_t> permission,
                               const char* method);
    void WriteRootFolderPairs(ILSPropertyMap* map);
    void WriteSubFolderExtraProperties(USHORT index, ILSPropertyMap* map);
};

// Progress routine of the local file copy: cancels the copy when the informer (the routine's data)
// reports that the host is shutting down.
DWORD CALLBACK QueryShutdown(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                             LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred,
                             DWORD streamNumber, DWORD callbackReason, HANDLE sourceFile,
                             HANDLE destinationFile, LPVOID data);

// The name of the item property that carries a mail's file id (setting, read once per process).
const CStdStr<wchar_t>& GetEmailFileIdProperty();
// The name of the item property that carries a document's id (setting, read once per process).
const CStdStr<wchar_t>& GetDocIdProperty();
