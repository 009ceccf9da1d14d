#include "tests/KOVACommon/TestRepositoryFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "Platform/PathMapping.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace TestSupport {

namespace {

std::string ReadLocalFile(const CStdStr<wchar_t>& path) {
    std::ifstream in(Platform::NativePath(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace

TestRepositoryFilter* TestRepositoryFilter::Create() {
    return new TestRepositoryFilter();
}

TestRepositoryFilter::TestRepositoryFilter() {
    InitSettings(GetFilterName());
}

TestRepositoryFilter::~TestRepositoryFilter() {
    if (knobs.fieldSet != nullptr) {
        knobs.fieldSet->Release();
    }
}

size_t TestRepositoryFilter::CallCount(const std::string& operation) const {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), operation));
}

TestDocument* TestRepositoryFilter::FindDocument(const CStdStr<wchar_t>& keyOrName) {
    for (TestDocument& document : documents) {
        if (document.key == keyOrName || document.listedName == keyOrName) {
            return &document;
        }
    }
    return nullptr;
}

void TestRepositoryFilter::Enter(const std::string& operation) {
    calls.push_back(operation);
    if (hook) {
        hook(operation);
    }
}

HRESULT TestRepositoryFilter::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(ILSSyncFilter) ||
        riid == __uuidof(ILSSyncFilter2)) {
        *object = static_cast<ILSSyncFilter2*>(this);
    } else if (riid == __uuidof(ILSManualDeletionsSyncFilter)) {
        *object = static_cast<ILSManualDeletionsSyncFilter*>(this);
    } else if (riid == __uuidof(ILSNeedsShutdownInfo)) {
        *object = static_cast<ILSNeedsShutdownInfo*>(this);
    } else if (riid == __uuidof(ILSDeleteableSyncFilter)) {
        *object = static_cast<ILSDeleteableSyncFilter*>(this);
    } else if (riid == __uuidof(ILSCreateableFolderSyncFilter)) {
        *object = static_cast<ILSCreateableFolderSyncFilter*>(this);
    } else if (riid == __uuidof(ILSHeaderOnlySync)) {
        *object = static_cast<ILSHeaderOnlySync*>(this);
    } else if (riid == __uuidof(ILSDefaultStartPoint) && knobs.offersDefaultStartPoint) {
        *object = static_cast<ILSDefaultStartPoint*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG TestRepositoryFilter::AddRef() {
    return ++m_references;
}

ULONG TestRepositoryFilter::Release() {
    const ULONG remaining = --m_references;
    if (remaining == 0) {
        delete this;
    }
    return remaining;
}

HRESULT TestRepositoryFilter::raw_GetDefaultStartPoint(BSTR* startPoint) {
    *startPoint = knobs.defaultStartPoint.AllocSysString();
    return S_OK;
}

CStdStr<wchar_t> TestRepositoryFilter::GetRepositoryType() {
    Enter("GetRepositoryType");
    return L"TestRepo";
}

CStdStr<wchar_t> TestRepositoryFilter::GetFilterName() {
    return L"TestSync";
}

HRESULT TestRepositoryFilter::PrepareStartPoint(CStdStr<wchar_t>&, BSTR*) {
    Enter("PrepareStartPoint");
    return S_OK;
}

HRESULT TestRepositoryFilter::DoesFileExistRemote(const CStdStr<wchar_t>& name, bool& exists, bool) {
    Enter("DoesFileExistRemote");
    exists = FindDocument(name) != nullptr;
    return knobs.existsResult;
}

bool TestRepositoryFilter::GetRemoteLastModified(const CStdStr<wchar_t>& fileName, SYSTEMTIME* lastModified) {
    Enter("GetRemoteLastModified");
    const TestDocument* document = FindDocument(fileName);
    if (document == nullptr || !document->lastModified) {
        return false;
    }
    *lastModified = *document->lastModified;
    return true;
}

HRESULT TestRepositoryFilter::CopyFileRemote(const CStdStr<wchar_t>& localPath,
                                             const CStdStr<wchar_t>& encodedFileName, ILSPropertyMap*,
                                             bool existsOnServer, CStdStr<wchar_t>& remoteName) {
    Enter("CopyFileRemote");
    if (knobs.copyRemoteResult != S_OK) {
        return knobs.copyRemoteResult;
    }
    TestDocument* document = existsOnServer ? FindDocument(encodedFileName) : nullptr;
    if (document == nullptr) {
        documents.push_back({encodedFileName, L"docs/" + encodedFileName, 1, std::nullopt, {}, {}});
        document = &documents.back();
    } else {
        ++document->version;
    }
    document->content = ReadLocalFile(localPath);
    remoteName = document->key;
    return S_OK;
}

HRESULT TestRepositoryFilter::RenameFileRemote(const CStdStr<wchar_t>& remoteName,
                                               const CStdStr<wchar_t>& newName) {
    Enter("RenameFileRemote");
    if (FAILED(knobs.renameResult)) {
        return knobs.renameResult;
    }
    TestDocument* document = FindDocument(remoteName);
    if (document == nullptr) {
        return E_INVALIDARG;
    }
    document->listedName = newName;
    return S_OK;
}

HRESULT TestRepositoryFilter::RenameFolderRemote(const CStdStr<wchar_t>& folderLocation,
                                                 const CStdStr<wchar_t>& newName, ILSPropertyMap*) {
    Enter("RenameFolderRemote");
    for (TestSubFolder& folder : subFolders) {
        if (folder.url == folderLocation) {
            folder.name = newName;
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

bool TestRepositoryFilter::AlwaysUploadContent() {
    Enter("AlwaysUploadContent");
    return knobs.alwaysUploadContent;
}

HRESULT TestRepositoryFilter::CopyFileToLocal(const CStdStr<wchar_t>& remoteName,
                                              const CStdStr<wchar_t>& localPath, ILSPropertyMap*,
                                              const CStdStr<wchar_t>&) {
    Enter("CopyFileToLocal");
    if (knobs.copyToLocalResult != S_OK) {
        return knobs.copyToLocalResult;
    }
    const TestDocument* document = FindDocument(remoteName);
    if (document == nullptr) {
        return E_INVALIDARG;
    }
    std::ofstream(Platform::NativePath(localPath), std::ios::binary) << document->content;
    return S_OK;
}

HRESULT TestRepositoryFilter::GetContents(ILSPropertyMap*, LONG listingMode) {
    Enter("GetContents");
    if (FAILED(knobs.contentsResult)) {
        return knobs.contentsResult;
    }
    m_itemNames.clear();
    m_fileNames.clear();
    m_itemVersions.clear();
    m_itemExtraProperties.clear();
    m_subFolderNames.clear();
    m_subFolderUrls.clear();
    m_subFolderExtraProperties.clear();
    if (listingMode == 0 || listingMode == 2) {
        for (const TestSubFolder& folder : subFolders) {
            m_subFolderNames.push_back(folder.name);
            m_subFolderUrls.push_back(folder.url);
            m_subFolderExtraProperties.push_back(folder.extra);
        }
    }
    if (listingMode == 1 || listingMode == 2) {
        for (const TestDocument& document : documents) {
            m_itemNames.push_back(document.listedName);
            m_fileNames.push_back(document.key);
            m_itemVersions.push_back(document.version);
            for (const auto& [name, value] : document.extra) {
                SetItemExtraProperty(static_cast<USHORT>(m_itemNames.size() - 1), name, value);
            }
        }
    }
    return S_OK;
}

HRESULT TestRepositoryFilter::GetHashForRemoteFile(const CStdStr<wchar_t>& remoteName,
                                                   CStdStr<wchar_t>& hash) {
    Enter("GetHashForRemoteFile");
    if (FAILED(knobs.remoteHashResult)) {
        return knobs.remoteHashResult;
    }
    const TestDocument* document = FindDocument(remoteName);
    if (document == nullptr) {
        return E_INVALIDARG;
    }
    hash = CLSHash::GetHashForData(reinterpret_cast<const BYTE*>(document->content.data()),
                                   static_cast<DWORD>(document->content.size()));
    return S_OK;
}

HRESULT TestRepositoryFilter::isItemReadOnly(const CStdStr<wchar_t>&, bool* readOnly,
                                             CStdStr<wchar_t>& permission) {
    Enter("isItemReadOnly");
    *readOnly = knobs.readOnly;
    permission = knobs.permissionText;
    return knobs.readOnlyResult;
}

HRESULT TestRepositoryFilter::IsItemOnServer(const CStdStr<wchar_t>& key, bool isFolder) {
    Enter("IsItemOnServer");
    // Answered from the loaded listing, as a real filter does, not from the repository itself.
    const std::vector<CStdStr<wchar_t>>& listed = isFolder ? m_subFolderUrls : m_fileNames;
    return std::find(listed.begin(), listed.end(), key) != listed.end() ? S_FALSE : S_OK;
}

HRESULT TestRepositoryFilter::CreateDirectoryRemote(ILSPropertyMap*, const CStdStr<wchar_t>& parentLocation,
                                                    const CStdStr<wchar_t>& folderName, ILSPropertyMap*,
                                                    CStdStr<wchar_t>& newLocation) {
    Enter("CreateDirectoryRemote");
    if (FAILED(knobs.createDirectoryResult)) {
        return knobs.createDirectoryResult;
    }
    newLocation = parentLocation + L"/" + folderName;
    subFolders.push_back({folderName, newLocation, {}});
    return knobs.createDirectoryResult;
}

HRESULT TestRepositoryFilter::DeleteFileRemote(const CStdStr<wchar_t>& remoteId, CStdStr<wchar_t>& message) {
    Enter("DeleteFileRemote");
    message = knobs.deleteMessage;
    if (FAILED(knobs.deleteResult)) {
        return knobs.deleteResult;
    }
    auto found = std::find_if(documents.begin(), documents.end(),
                              [&](const TestDocument& document) { return document.key == remoteId; });
    if (found == documents.end()) {
        return E_INVALIDARG;
    }
    documents.erase(found);
    return S_OK;
}

HRESULT TestRepositoryFilter::GetStoredRemoteFileName(const CStdStr<wchar_t>& name,
                                                      CStdStr<wchar_t>& remoteId) {
    Enter("GetStoredRemoteFileName");
    if (FAILED(knobs.storedNameResult)) {
        return knobs.storedNameResult;
    }
    const TestDocument* document = FindDocument(name);
    remoteId = document == nullptr ? name : document->key;
    return knobs.storedNameResult;
}

CStdStr<wchar_t> TestRepositoryFilter::GetItemName(USHORT index) {
    Enter("GetItemName");
    return m_fileNames.at(index);
}

ULONG TestRepositoryFilter::GetItemVersion(USHORT index) {
    Enter("GetItemVersion");
    return m_itemVersions.at(index);
}

CStdStr<wchar_t> TestRepositoryFilter::GetSubFolderUrl(USHORT index) {
    Enter("GetSubFolderUrl");
    return m_subFolderUrls.at(index);
}

HRESULT TestRepositoryFilter::SetSubFolderItemProperties(USHORT index, ILSPropertyMap* subFolder) {
    Enter("SetSubFolderItemProperties");
    return subFolder->put_ItemStr(ItemProperty::MavistoFromServerShortItemId,
                                  _bstr_t(m_subFolderUrls.at(index).c_str()));
}

CStdStr<wchar_t> TestRepositoryFilter::GetUploadInfoString() {
    Enter("GetUploadInfoString");
    return knobs.uploadSeparators;
}

HRESULT TestRepositoryFilter::OnEndSync(LONG, VARIANT_BOOL, LONG) {
    Enter("OnEndSync");
    return S_OK;
}

HRESULT TestRepositoryFilter::OnStartSync() {
    Enter("OnStartSync");
    return S_OK;
}

HRESULT TestRepositoryFilter::ParseFileFilterLocation(CStdStr<wchar_t>&) {
    Enter("ParseFileFilterLocation");
    return S_OK;
}

HRESULT TestRepositoryFilter::GetFolderUrl(const CStdStr<wchar_t>& folderLocation, CStdStr<wchar_t>& url,
                                           int) {
    Enter("GetFolderUrl");
    url = L"https://test/" + folderLocation;
    return S_OK;
}

HRESULT TestRepositoryFilter::GetFileUrl(const CStdStr<wchar_t>& remoteName, CStdStr<wchar_t>& url, LONG) {
    Enter("GetFileUrl");
    url = L"https://test/" + remoteName;
    return knobs.fileUrlResult;
}

bool TestRepositoryFilter::StoresServerFileId() {
    return knobs.storesServerFileId;
}

HRESULT TestRepositoryFilter::CreateFieldSetInfo(ILSKOVAFieldSetInfo** fieldSet) {
    Enter("CreateFieldSetInfo");
    if (knobs.fieldSet == nullptr) {
        return LSBaseFileSyncFilter::CreateFieldSetInfo(fieldSet);
    }
    knobs.fieldSet->AddRef();
    *fieldSet = knobs.fieldSet;
    return S_OK;
}

bool TestRepositoryFilter::SetupFolderToSync(ILSPropertyMap*) {
    Enter("SetupFolderToSync");
    return knobs.setupFolderDone;
}

bool TestRepositoryFilter::IsItemCheckedOut(USHORT, ILSPropertyMap*) {
    Enter("IsItemCheckedOut");
    return knobs.checkedOut;
}

bool TestRepositoryFilter::SkipFromToUsers(const CStdStr<wchar_t>&, ILSPropertyMap*) {
    Enter("SkipFromToUsers");
    return knobs.skipFromToUsers;
}

bool TestRepositoryFilter::IsDownloadHashSkipped() {
    Enter("IsDownloadHashSkipped");
    return knobs.downloadHashSkipped;
}

bool TestRepositoryFilter::IsRemoteUnchanged(USHORT, ILSPropertyMap*) {
    Enter("IsRemoteUnchanged");
    return knobs.remoteUnchanged;
}

HRESULT TestRepositoryFilter::OnPostContentSyncFolderUpdate(ILSPropertyMap* folderMap,
                                                            VARIANT_BOOL excludeDocuments,
                                                            VARIANT_BOOL excludeSubFolders) {
    Enter("OnPostContentSyncFolderUpdate");
    return LSBaseFileSyncFilter::OnPostContentSyncFolderUpdate(folderMap, excludeDocuments,
                                                               excludeSubFolders);
}

bool TestRepositoryFilter::HasMoreItemsAvailable() {
    Enter("HasMoreItemsAvailable");
    return LSBaseFileSyncFilter::HasMoreItemsAvailable();
}

HRESULT TestRepositoryFilter::GetServerItemCount(LONG* count) {
    Enter("GetServerItemCount");
    return LSBaseFileSyncFilter::GetServerItemCount(count);
}

HRESULT TestRepositoryFilter::GetServerItem(LONG index, CStdStr<wchar_t>& key) {
    Enter("GetServerItem");
    return LSBaseFileSyncFilter::GetServerItem(index, key);
}

CStdStr<wchar_t> TestRepositoryFilter::GetKeyPropertyName() {
    Enter("GetKeyPropertyName");
    return LSBaseFileSyncFilter::GetKeyPropertyName();
}

} // namespace TestSupport
