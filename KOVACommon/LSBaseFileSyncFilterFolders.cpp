// Folder properties: the main folder, listed sub-folders, folder and file URLs, the content-type
// information carried by the main folder, remote folder renames and the re-listing before content
// sync.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"

namespace {

constexpr wchar_t FullRightsPermission[] = L"0x7FFFFFFFFFFFFFFF";
constexpr wchar_t ReadOnlyPermission[] = L"0x0000000000000001";
constexpr UINT IDS_ENCODED_NAME_PREFIX = 4005;
constexpr DWORD PR_DISPLAY_NAME_W = 0x3001001F;

// Writes a string property; a refused write is logged with the method and text and thrown.
void PutStrOrThrow(ILSPropertyMap* map, const _bstr_t& name, const CStdStr<wchar_t>& value,
                   const char* method, const char* text) {
    ThrowIfWriteFailed(PutStr(map, name, value), method, text);
}

bool IsListFolderName(const CStdStr<wchar_t>& name) {
    return name.Equals(L"IsListFolder", false);
}

} // namespace

CStdStr<wchar_t> LSPermissionText(bool readOnly, const CStdStr<wchar_t>& repositoryText) {
    if (!repositoryText.empty()) {
        return repositoryText;
    }
    return readOnly ? CStdStr<wchar_t>(ReadOnlyPermission) : CStdStr<wchar_t>(FullRightsPermission);
}

void LSBaseFileSyncFilter::WriteFolderPermission(ILSPropertyMap* map, bool readOnly,
                                                 CStdStr<wchar_t> permission, const char* method) {
    if (readOnly && permission.empty()) {
        LSDIAG_DIAG << method << " : folder is readonly";
    }
    PutStrOrThrow(map, ItemProperty::KOVAPermMask2, LSPermissionText(readOnly, permission), method,
                  ": put_ItemStr for permissions failed ");
}

void LSBaseFileSyncFilter::WriteRootFolderPairs(ILSPropertyMap* map) {
    for (const auto& [name, value] : _nameValuePairsForRootFolder) {
        PutStrOrThrow(map, _bstr_t(name.c_str()), value, "LSBaseFileSyncFilter::raw_SetMainFolderProperties",
                      "_nameValuePairsForRootFolder put_ItemStr failed ");
        if (IsListFolderName(name)) {
            map->put_ItemBool(_bstr_t(L"SPIsList"), 1);
        }
    }
}

HRESULT LSBaseFileSyncFilter::raw_SetMainFolderProperties(ILSPropertyMap* mainFolderMap) {
    static const char method[] = "LSBaseFileSyncFilter::raw_SetMainFolderProperties";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(mainFolderMap).Result(); FAILED(bad)) {
            return bad;
        }
        m_mainFolderMap = mainFolderMap;
        m_contentTypeDocument = nullptr;
        ILSPropertyMap* map = mainFolderMap;

        // Everything that can fail is learnt before the first write.
        const CStdStr<wchar_t> type = GetRepositoryType();
        const CStdStr<wchar_t> folderUrl = FolderUrlOf(m_folderLocation, -1);
        bool readOnly = false;
        CStdStr<wchar_t> permission;
        HRESULT hr = isItemReadOnly(m_folderLocation, &readOnly, permission);
        if (FAILED(hr)) {
            return hr;
        }

        PutStrOrThrow(map, ItemProperty::MavistoRepositoryType, type, method, ": put_ItemStr failed ");
        PutStrOrThrow(map, ItemProperty::MavistoRepositoryTypeDisplayName, type, method,
                      ": put_ItemStr failed ");
        PutStrOrThrow(map, ItemProperty::MavistoRepositoryLocation, m_folderLocation, method,
                      ": put_ItemStr failed ");
        PutStrOrThrow(map, ItemProperty::KOVARepositoryOriginalLocation, m_givenStartPoint, method,
                      ": put_ItemStr failed ");
        PutStrOrThrow(map, ItemProperty::MavistoFolderLocation, m_folderLocation, method,
                      ": put_ItemStr failed ");
        WriteFolderUrl(map, folderUrl);
        ThrowIfWriteFailed(map->put_ItemNum(ItemProperty::MavistoSyncDisabled, 0), method,
                           ": put_ItemNum failed ");
        ThrowIfWriteFailed(map->put_ItemNum(ItemProperty::MavistoMainFolder, 1), method,
                           ": put_ItemNum failed ");
        WriteFolderPermission(map, readOnly, permission, method);

        if (!CanAddFolders()) {
            ThrowIfWriteFailed(map->put_ItemBool(ItemProperty::KOVADisableFolderCreation, 1), method,
                               "Failed to set foldercreation property on repository");
        }
        if (!m_contentTypeText.empty()) {
            PutStrOrThrow(map, _bstr_t(L"CTInfo"), m_contentTypeText, method, ": put_ItemStr failed ");
        }
        WriteRootFolderPairs(map);

        if (!CanAddDocumentsToMainFolder()) {
            hr = map->put_ItemBool(ItemProperty::MavistoNoDocsAllowed, 1);
            if (FAILED(hr)) {
                LSDIAG_ERROR << method << "Failed to set MavistoNoDocsAllowed property on folder" << std::hex
                             << static_cast<DWORD>(hr);
                return hr;
            }
        }
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

IXMLDOMDocument2Ptr LSBaseFileSyncFilter::GetContentTypeInfo() {
    if (m_contentTypeDocument != nullptr) {
        return m_contentTypeDocument;
    }
    if (m_mainFolderMap == nullptr) {
        _com_issue_error(E_POINTER);
    }
    CStdStr<wchar_t> text = LSPropertyHelpers::getStrProp(m_mainFolderMap, _bstr_t(L"CTInfo"), L"");
    if (text.empty()) {
        text = m_contentTypeText;
    }
    if (text.empty()) {
        LSDIAG_ERROR << "No content type information found";
        ThrowHResult(E_INVALIDARG);
    }
    IXMLDOMDocument2Ptr document;
    CreateDOMDocument(document, text);
    if (document == nullptr) {
        LSDIAG_ERROR << "failed to create IXMLDOMDocument2Ptr";
        ThrowHResult(E_POINTER);
    }
    m_contentTypeDocument = document;
    return m_contentTypeDocument;
}

void LSBaseFileSyncFilter::WriteSubFolderExtraProperties(USHORT index, ILSPropertyMap* map) {
    if (index >= m_subFolderExtraProperties.size()) {
        return;
    }
    const LSExtraProperties& extra = m_subFolderExtraProperties[index];
    const CStdStr<wchar_t> iconIndex(ItemProperty::KOVACustomDirectoryIconIndex);
    const CStdStr<wchar_t> backgroundSyncDisabled(ItemProperty::MavistoBackgroundSyncDisabled);
    const CStdStr<wchar_t> recordType(ItemProperty::KOVARecordType);
    const CStdStr<wchar_t> addFolderRecordType(ItemProperty::KOVAAddFolderRecordType);

    if (auto found = extra.find(iconIndex); found != extra.end()) {
        const HRESULT hr = PutStr(map, ItemProperty::KOVACustomDirectoryIconIndex, found->second);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Failed to set KOVACustomDirectoryIconIndexPropName property on property map"
                         << std::hex << static_cast<DWORD>(hr);
        }
    }
    if (auto found = extra.find(backgroundSyncDisabled); found != extra.end()) {
        const HRESULT hr = PutStr(map, ItemProperty::MavistoBackgroundSyncDisabled, found->second);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Failed to set RepositoryBackgroundSyncDisabledPropName property on property map"
                         << std::hex << static_cast<DWORD>(hr);
        }
    }
    for (const auto& [name, value] : extra) {
        if (name == iconIndex || name == backgroundSyncDisabled || name == recordType ||
            name == addFolderRecordType) {
            continue;
        }
        PutStrOrThrow(map, _bstr_t(name.c_str()), value, "LSBaseFileSyncFilter::raw_SetSubFolderProperties",
                      ": put_ItemStr failed ");
        if (IsListFolderName(name)) {
            map->put_ItemBool(_bstr_t(L"SPIsList"), 1);
        }
    }
}

HRESULT LSBaseFileSyncFilter::raw_SetSubFolderProperties(USHORT index, ILSPropertyMap* subFolder) {
    static const char method[] = "LSBaseFileSyncFilter::raw_SetSubFolderProperties";
    try {
        if (const HRESULT bad =
                LSHostArguments(method).Map(subFolder).Listed(index, m_subFolderNames, "sub-folder").Result();
            FAILED(bad)) {
            return bad;
        }
        // Everything that can fail is learnt before the first write.
        const CStdStr<wchar_t> url = GetSubFolderUrl(index);
        const CStdStr<wchar_t> type = GetRepositoryType();
        const CStdStr<wchar_t> folderUrl = FolderUrlOf(url, index);
        bool readOnly = GetSubFolderExtraProperty(index, L"forceReadOnly", L"0") == L"1";
        CStdStr<wchar_t> permission;
        if (!readOnly) {
            const HRESULT hr = isItemReadOnly(url, &readOnly, permission);
            if (FAILED(hr)) {
                LSDIAG_ERROR << method << ": isItemReadOnly failed " << std::hex << static_cast<DWORD>(hr);
                return hr;
            }
        }

        PutStrOrThrow(subFolder, ItemProperty::MavistoRepositoryType, type, method, ": put_ItemStr failed ");
        PutStrOrThrow(subFolder, ItemProperty::MavistoRepositoryLocation, url, method,
                      ": put_ItemStr failed ");
        PutStrOrThrow(subFolder, ItemProperty::MavistoFolderLocation, url, method, ": put_ItemStr failed ");
        WriteFolderUrl(subFolder, folderUrl);
        PutStrOrThrow(subFolder, ItemProperty::MavistoFromServerFileName, m_subFolderNames[index], method,
                      ": put_ItemStr failed ");
        SetServerFileIdProperty(url, subFolder, false);
        WriteFolderPermission(subFolder, readOnly, permission, method);
        LSDIAG_DIAG << method << ": Set Sub Folder props: ";

        HRESULT hr = SetSubFolderItemProperties(index, subFolder);
        if (FAILED(hr)) {
            LSDIAG_ERROR << method << ": put_ItemStr for SetFilterSubFolderProperties failed " << std::hex
                         << static_cast<DWORD>(hr);
        }
        WriteSubFolderExtraProperties(index, subFolder);

        if (!CanAddDocumentsToSubFolder()) {
            hr = subFolder->put_ItemBool(ItemProperty::MavistoNoDocsAllowed, 1);
            if (FAILED(hr)) {
                LSDIAG_ERROR << method << "Failed to set MavistoNoDocsAllowed property on folder" << std::hex
                             << static_cast<DWORD>(hr);
            }
        }
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::SetupFolderUrl(const CStdStr<wchar_t>& location, int index,
                                             ILSPropertyMap* map) {
    WriteFolderUrl(map, FolderUrlOf(location, index));
    return S_OK;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::FolderUrlOf(const CStdStr<wchar_t>& location, int index) {
    CStdStr<wchar_t> url;
    const HRESULT hr = GetFolderUrl(location, url, index);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "LSBaseFileSyncFilter::SetupFolderUrl"
                     << ": GetFolderUrl failed " << std::hex << static_cast<DWORD>(hr);
        ThrowHResult(hr);
    }
    return url;
}

void LSBaseFileSyncFilter::WriteFolderUrl(ILSPropertyMap* map, const CStdStr<wchar_t>& url) {
    ThrowIfWriteFailed(PutStr(map, ItemProperty::MavistoFolderLocationUrl, url),
                       "LSBaseFileSyncFilter::SetupFolderUrl", ": put_ItemStr failed ");
}

HRESULT LSBaseFileSyncFilter::SetupFileUrl(const CStdStr<wchar_t>& remoteName, LONG index,
                                           ILSPropertyMap* map) {
    WriteFileUrl(map, FileUrlOf(remoteName, index));
    return S_OK;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::FileUrlOf(const CStdStr<wchar_t>& remoteName, LONG index) {
    CStdStr<wchar_t> url;
    const HRESULT hr = GetFileUrl(remoteName, url, index);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "LSBaseFileSyncFilter::SetupFileUrl"
                     << ": GetFileUrl failed " << std::hex << static_cast<DWORD>(hr);
        ThrowHResult(hr);
    }
    return url;
}

void LSBaseFileSyncFilter::WriteFileUrl(ILSPropertyMap* map, const CStdStr<wchar_t>& url) {
    ThrowIfWriteFailed(PutStr(map, ItemProperty::MavistoFromServerFileUrl, url),
                       "LSBaseFileSyncFilter::SetupFileUrl", ": put_ItemStr failed ");
}

CStdStr<wchar_t> LSBaseFileSyncFilter::EncodeFileName(const CStdStr<wchar_t>& name) {
    static const CStdStr<wchar_t> unsafe = L"\"*/:<>?\\|";
    CStdStr<wchar_t> encoded = name;
    for (wchar_t& c : encoded) {
        if (c < 32 || unsafe.find(c) != CStdStr<wchar_t>::npos) {
            c = L' ';
        }
    }
    encoded.Trim();
    if (encoded.empty() || encoded[0] == L'.') {
        encoded.insert(0, CStdStr<wchar_t>(IDS_ENCODED_NAME_PREFIX));
    }
    return encoded;
}

HRESULT LSBaseFileSyncFilter::raw_UpdateFolder(ILSPropertyMap* /*ignored*/, ILSPropertyMap* outlookFolder,
                                               ILSPropertyMap* folderProperties, LONG /*ignoredLast*/) {
    static const char method[] = "LSBaseFileSyncFilter::raw_UpdateFolder";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(outlookFolder).Map(folderProperties).Result();
            FAILED(bad)) {
            return bad;
        }
        BSTR value = nullptr;
        if (FAILED(outlookFolder->get_ItemStr(_bstr_t(ToHexString(PR_DISPLAY_NAME_W).c_str()), &value))) {
            LSDIAG_ERROR << "Failed to get PR_DISPLAY_NAME_W";
            return E_FAIL;
        }
        const CStdStr<wchar_t> displayName(static_cast<const wchar_t*>(value));
        SysFreeString(value);
        value = nullptr;
        if (FAILED(folderProperties->get_ItemStr(ItemProperty::MavistoFromServerFileName, &value))) {
            LSDIAG_ERROR << "Failed to get ows-FileLeafRef";
            return E_FAIL;
        }
        const CStdStr<wchar_t> serverName(static_cast<const wchar_t*>(value));
        SysFreeString(value);
        if (displayName.Equals(serverName.c_str(), true)) {
            return S_OK;
        }
        const CStdStr<wchar_t> location = GetFolderLocation(folderProperties);
        LSDIAG_DIAG << "raw_UpdateFolder folder location: " << location;
        return RenameFolderRemote(location, displayName, folderProperties);
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_PreContentSyncFolderUpdate(ILSPropertyMap* folderMap,
                                                             VARIANT_BOOL excludeDocuments,
                                                             VARIANT_BOOL excludeSubFolders) {
    static const char method[] = "LSBaseFileSyncFilter::raw_PreContentSyncFolderUpdate";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(folderMap).Result(); FAILED(bad)) {
            return bad;
        }
        m_listingMode = ListingModeFromFlags(excludeDocuments, excludeSubFolders);
        // A listing of fewer kinds than now asked for cannot tell which of the others were deleted.
        const bool covered =
            (!ListingModeLists(m_listingMode, true) || ListingModeLists(m_listedMode, true)) &&
            (!ListingModeLists(m_listingMode, false) || ListingModeLists(m_listedMode, false));
        if (!m_relistNeeded && m_listingLoaded && covered) {
            return S_OK;
        }
        // Until the new listing is read whole, no listing stands that could decide a deletion.
        m_listingLoaded = false;
        ClearListing();
        const HRESULT hr = GetContents(folderMap, m_listingMode);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Error getting contents";
            return hr;
        }
        m_listingLoaded = true;
        m_listedMode = m_listingMode;
        return hr;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_PostContentSyncFolderUpdate(ILSPropertyMap* folderMap,
                                                              VARIANT_BOOL excludeDocuments,
                                                              VARIANT_BOOL excludeSubFolders) {
    static const char method[] = "LSBaseFileSyncFilter::raw_PostContentSyncFolderUpdate";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(folderMap).Result(); FAILED(bad)) {
            return bad;
        }
        return OnPostContentSyncFolderUpdate(folderMap, excludeDocuments, excludeSubFolders);
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}
