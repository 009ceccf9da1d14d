// A concrete filter over an in-memory repository, for exercising the generic filter through the
// host's interfaces. Every repository operation records its name and first runs the test's hook,
// which may throw to show how the host methods handle exceptions.
#pragma once

#include "KOVACommon/LSBaseFileSyncFilter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace TestSupport {

struct TestDocument {
    CStdStr<wchar_t> listedName; // the name the listing shows, with its extension
    CStdStr<wchar_t> key;        // the remote name by which the repository knows it
    ULONG version = 1;
    std::optional<SYSTEMTIME> lastModified;
    std::string content;
    LSExtraProperties extra;
};

struct TestSubFolder {
    CStdStr<wchar_t> name;
    CStdStr<wchar_t> url;
    LSExtraProperties extra;
};

// The answers of the repository operations that tests change.
struct TestRepositoryKnobs {
    bool storesServerFileId = false;
    bool downloadHashSkipped = false;
    bool checkedOut = false;
    bool remoteUnchanged = false;
    bool alwaysUploadContent = false;
    bool skipFromToUsers = false;
    bool readOnly = false;
    bool setupFolderDone = false;
    bool offersDefaultStartPoint = false;
    CStdStr<wchar_t> defaultStartPoint = L"test://default";
    CStdStr<wchar_t> permissionText;
    CStdStr<wchar_t> uploadSeparators = L"/";
    CStdStr<wchar_t> deleteMessage;
    HRESULT contentsResult = S_OK;
    HRESULT copyToLocalResult = S_OK;
    HRESULT copyRemoteResult = S_OK;
    HRESULT renameResult = S_OK;
    HRESULT readOnlyResult = S_OK;
    HRESULT createDirectoryResult = S_OK;
    HRESULT deleteResult = S_OK;
    HRESULT fileUrlResult = S_OK;
    HRESULT existsResult = S_OK;
    HRESULT remoteHashResult = S_OK;
    HRESULT storedNameResult = S_OK;
    // When set, CreateFieldSetInfo hands out this object (a reference added) and returns S_OK.
    ILSKOVAFieldSetInfo* fieldSet = nullptr;
};

class TestRepositoryFilter final : public LSBaseFileSyncFilter, public ILSDefaultStartPoint {
public:
    // A new filter holding one reference, which the caller releases.
    static TestRepositoryFilter* Create();

    std::vector<TestDocument> documents;
    std::vector<TestSubFolder> subFolders;
    TestRepositoryKnobs knobs;
    // Names of the repository operations called, in order.
    std::vector<std::string> calls;
    // Run at the start of every repository operation with its name; may throw.
    std::function<void(const std::string& operation)> hook;

    size_t CallCount(const std::string& operation) const;
    TestDocument* FindDocument(const CStdStr<wchar_t>& keyOrName);
    // Listed names and the pass state, read back by tests.
    const std::vector<CStdStr<wchar_t>>& ListedItemNames() const { return m_itemNames; }
    LONG ListingMode() const { return m_listingMode; }
    void SetContentTypeText(const CStdStr<wchar_t>& text) { m_contentTypeText = text; }
    void AddRootFolderPair(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& value) {
        _nameValuePairsForRootFolder[name] = value;
    }
    ULONG References() const { return m_references; }
    const std::vector<std::wregex>& ExcludePatterns() const { return m_excludePatterns; }
    DWORD MaxFileSize() const { return m_maxFileSize; }

    // IUnknown and IDispatch, as the COM object wrapper of a real filter provides them.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // ILSDefaultStartPoint (served only when knobs.offersDefaultStartPoint is set)
    HRESULT STDMETHODCALLTYPE raw_GetDefaultStartPoint(BSTR* startPoint) override;

    // Repository operations.
    CStdStr<wchar_t> GetRepositoryType() override;
    CStdStr<wchar_t> GetFilterName() override;
    HRESULT PrepareStartPoint(CStdStr<wchar_t>& startPoint, BSTR* errorText) override;
    HRESULT DoesFileExistRemote(const CStdStr<wchar_t>& name, bool& exists, bool nameIsFileName) override;
    bool GetRemoteLastModified(const CStdStr<wchar_t>& fileName, SYSTEMTIME* lastModified) override;
    HRESULT CopyFileRemote(const CStdStr<wchar_t>& localPath, const CStdStr<wchar_t>& encodedFileName,
                           ILSPropertyMap* item, bool existsOnServer, CStdStr<wchar_t>& remoteName) override;
    HRESULT RenameFileRemote(const CStdStr<wchar_t>& remoteName, const CStdStr<wchar_t>& newName) override;
    HRESULT RenameFolderRemote(const CStdStr<wchar_t>& folderLocation, const CStdStr<wchar_t>& newName,
                               ILSPropertyMap* folderProperties) override;
    bool AlwaysUploadContent() override;
    HRESULT CopyFileToLocal(const CStdStr<wchar_t>& remoteName, const CStdStr<wchar_t>& localPath,
                            ILSPropertyMap* item, const CStdStr<wchar_t>& extraText) override;
    HRESULT GetContents(ILSPropertyMap* folderMap, LONG listingMode) override;
    HRESULT GetHashForRemoteFile(const CStdStr<wchar_t>& remoteName, CStdStr<wchar_t>& hash) override;
    HRESULT isItemReadOnly(const CStdStr<wchar_t>& location, bool* readOnly,
                           CStdStr<wchar_t>& permission) override;
    HRESULT IsItemOnServer(const CStdStr<wchar_t>& key, bool isFolder) override;
    HRESULT CreateDirectoryRemote(ILSPropertyMap* hostArgument, const CStdStr<wchar_t>& parentLocation,
                                  const CStdStr<wchar_t>& folderName, ILSPropertyMap* newFolder,
                                  CStdStr<wchar_t>& newLocation) override;
    HRESULT DeleteFileRemote(const CStdStr<wchar_t>& remoteId, CStdStr<wchar_t>& message) override;
    HRESULT GetStoredRemoteFileName(const CStdStr<wchar_t>& name, CStdStr<wchar_t>& remoteId) override;
    CStdStr<wchar_t> GetItemName(USHORT index) override;
    ULONG GetItemVersion(USHORT index) override;
    CStdStr<wchar_t> GetSubFolderUrl(USHORT index) override;
    HRESULT SetSubFolderItemProperties(USHORT index, ILSPropertyMap* subFolder) override;
    CStdStr<wchar_t> GetUploadInfoString() override;
    HRESULT OnEndSync(LONG syncKind, VARIANT_BOOL completed, LONG result) override;
    HRESULT OnStartSync() override;
    HRESULT ParseFileFilterLocation(CStdStr<wchar_t>& startPoint) override;
    HRESULT GetFolderUrl(const CStdStr<wchar_t>& folderLocation, CStdStr<wchar_t>& url, int index) override;
    HRESULT GetFileUrl(const CStdStr<wchar_t>& remoteName, CStdStr<wchar_t>& url, LONG index) override;
    bool StoresServerFileId() override;
    HRESULT CreateFieldSetInfo(ILSKOVAFieldSetInfo** fieldSet) override;
    bool SetupFolderToSync(ILSPropertyMap* folderMap) override;
    bool IsItemCheckedOut(USHORT index, ILSPropertyMap* item) override;
    bool SkipFromToUsers(const CStdStr<wchar_t>& name, ILSPropertyMap* item) override;
    bool IsDownloadHashSkipped() override;
    bool IsRemoteUnchanged(USHORT index, ILSPropertyMap* item) override;
    // Base behaviour, recorded.
    HRESULT OnPostContentSyncFolderUpdate(ILSPropertyMap* folderMap, VARIANT_BOOL excludeDocuments,
                                          VARIANT_BOOL excludeSubFolders) override;
    bool HasMoreItemsAvailable() override;
    HRESULT GetServerItemCount(LONG* count) override;
    HRESULT GetServerItem(LONG index, CStdStr<wchar_t>& key) override;
    CStdStr<wchar_t> GetKeyPropertyName() override;

private:
    TestRepositoryFilter();
    ~TestRepositoryFilter() override;
    void Enter(const std::string& operation);

    ULONG m_references = 1;
    std::vector<CStdStr<wchar_t>> m_subFolderUrls;
    std::vector<ULONG> m_itemVersions;
};

} // namespace TestSupport
