// Start points and the folder listing as the host reads it: counts, basic properties of listed items
// and sub-folders, filter names and the Outlook profile name.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVACommon/LSLocalFiles.h"
#include "KOVACommon/LSOutlookInfo.h"
#include "Platform/SystemMessage.h"
#include "VantrelCommon/OwnedBstr.h"

#include <limits>

namespace {

CStdStr<wchar_t> LeafOf(const CStdStr<wchar_t>& location) {
    const int slash = location.ReverseFind(L'\\');
    return slash < 0 ? location : CStdStr<wchar_t>(location.substr(static_cast<size_t>(slash) + 1));
}

// The text after the last "." of a listed name; empty without a dot or when nothing follows it.
CStdStr<wchar_t> ExtensionOf(const CStdStr<wchar_t>& name) {
    const int dot = name.ReverseFind(L'.');
    return dot < 0 ? CStdStr<wchar_t>() : CStdStr<wchar_t>(name.substr(static_cast<size_t>(dot) + 1));
}

// The system's text for the code without its line end; empty when the system has none.
CStdStr<wchar_t> SystemMessageText(HRESULT hr) {
    LPWSTR buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    CStdStr<wchar_t> text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
        text.TrimRight(L"\r\n");
    }
    LocalFree(buffer);
    return text;
}

} // namespace

LONG ListingModeFromFlags(VARIANT_BOOL excludeDocuments, VARIANT_BOOL excludeSubFolders) {
    const bool noDocuments = excludeDocuments == VARIANT_TRUE;
    const bool noSubFolders = excludeSubFolders == VARIANT_TRUE;
    if (noDocuments) {
        return noSubFolders ? LSListingMode::Nothing : LSListingMode::SubFoldersOnly;
    }
    return noSubFolders ? LSListingMode::DocumentsOnly : LSListingMode::Both;
}

bool ListingModeLists(LONG listingMode, bool folders) {
    if (listingMode == LSListingMode::Both) {
        return true;
    }
    return listingMode == (folders ? LSListingMode::SubFoldersOnly : LSListingMode::DocumentsOnly);
}

CStdStr<wchar_t> ReplaceCharsWithSpace(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& characters) {
    CStdStr<wchar_t> result = text;
    for (wchar_t& c : result) {
        if (characters.find(c) != CStdStr<wchar_t>::npos) {
            c = L' ';
        }
    }
    return result;
}

HRESULT LSBaseFileSyncFilter::raw_SetSyncStartPointByString(BSTR startPoint, BSTR* errorText) {
    try {
        LSDIAG_DIAG << "LSBaseFileSyncFilter::raw_SetSyncStartPointByString";
        ResetStartPointState();
        m_startPointByString = true;
        m_headerOnly = false;
        CStdStr<wchar_t> workingText(static_cast<const wchar_t*>(startPoint));
        m_givenStartPoint = workingText;

        HRESULT hr = ParseFileFilterLocation(workingText);
        if (FAILED(hr)) {
            return hr;
        }
        hr = GetDefaultStartPoint(workingText);
        if (FAILED(hr)) {
            return hr;
        }
        hr = PrepareStartPoint(workingText, errorText);
        if (FAILED(hr)) {
            return hr;
        }
        m_folderLocation = workingText;
        m_folderLeaf = LeafOf(m_folderLocation);

        hr = GetContents(nullptr, LSListingMode::Nothing);
        if (SUCCEEDED(hr)) {
            m_listingLoaded = true;
            m_listedMode = LSListingMode::Nothing;
            InitializeRepository();
            return S_OK;
        }
        CStdStr<wchar_t> text = SystemMessageText(hr);
        if (text.empty()) {
            text.Format(L"Error: %08x", static_cast<unsigned>(hr));
        }
        if (errorText != nullptr) {
            *errorText = text.AllocSysString();
        }
        LSDIAG_ERROR << "Error getting contents: " << std::hex << static_cast<DWORD>(hr);
        return E_FAIL;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_SetSyncStartPointByString", __FILE__,
                                           __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_SetSyncStartPoint(ILSPropertyMap* folderMap, VARIANT_BOOL setupFolder,
                                                    VARIANT_BOOL excludeDocuments,
                                                    VARIANT_BOOL excludeSubFolders, LONG passValue,
                                                    VARIANT_BOOL passFlag) {
    static const char method[] = "LSBaseFileSyncFilter::raw_SetSyncStartPoint";
    try {
        // The former folder's listing must not show through, also when this folder needs none or
        // the call is refused.
        ResetStartPointState();
        if (const HRESULT bad = LSHostArguments(method).Map(folderMap).Result(); FAILED(bad)) {
            return bad;
        }
        m_listingMode = ListingModeFromFlags(excludeDocuments, excludeSubFolders);
        m_startPointByString = false;
        m_relistNeeded = false;
        m_headerOnly = false;
        m_passFlag = passFlag != VARIANT_FALSE;
        m_passValue = passValue;
        m_folderLocation = GetFolderLocation(folderMap);
        m_currentFolderMap = folderMap;
        m_repositoryLocation =
            LSPropertyHelpers::getStrProp(folderMap, ItemProperty::MavistoRepositoryLocation, L"");
        m_filterPropertyName =
            LSPropertyHelpers::getStrProp(folderMap, ItemProperty::FilterPropertyName, L"");
        m_filterPropertyValue =
            LSPropertyHelpers::getStrProp(folderMap, ItemProperty::FilterPropertyValue, L"");

        if (setupFolder != VARIANT_FALSE && SetupFolderToSync(folderMap)) {
            return S_OK;
        }
        const HRESULT hr = GetContents(folderMap, m_listingMode);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Error getting contents: " << std::hex << static_cast<DWORD>(hr);
            return hr;
        }
        m_listingLoaded = true;
        m_listedMode = m_listingMode;
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

USHORT LSBaseFileSyncFilter::NextListingIndex(std::size_t listed) {
    if (listed >= std::numeric_limits<USHORT>::max()) {
        LSDIAG_ERROR << "The folder lists more than " << std::numeric_limits<USHORT>::max()
                     << " entries of one kind, more than the host can address";
        ThrowHResult(E_FAIL);
    }
    return static_cast<USHORT>(listed);
}

void LSBaseFileSyncFilter::ClearListing() {
    m_itemNames.clear();
    m_fileNames.clear();
    m_subFolderNames.clear();
    m_lastModifiedCache.clear();
    m_localHashes.clear();
}

void LSBaseFileSyncFilter::ResetStartPointState() {
    m_listingLoaded = false;
    m_filterPropertyName.clear();
    m_filterPropertyValue.clear();
    ClearListing();
    m_itemExtraProperties.clear();
    m_subFolderExtraProperties.clear();
    ForgetStartPoint();
}

HRESULT LSBaseFileSyncFilter::CheckListedItemArguments(const char* method, USHORT index,
                                                       ILSPropertyMap* item) const {
    LSHostArguments arguments(method);
    arguments.Map(item);
    if (!m_startPointByString) {
        arguments.Listed(index, m_itemNames, "item");
    }
    return arguments.Result();
}

CStdStr<wchar_t> LSBaseFileSyncFilter::GetFolderLocation(ILSPropertyMap* folderMap) {
    BSTR value = nullptr;
    HRESULT hr = folderMap->get_ItemStr(ItemProperty::MavistoFromServerShortItemId, &value);
    if (FAILED(hr)) {
        hr = folderMap->get_ItemStr(ItemProperty::MavistoFolderLocation, &value);
    }
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to get folder location";
        ThrowHResult(HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    }
    CStdStr<wchar_t> location(static_cast<const wchar_t*>(value));
    SysFreeString(value);
    return location;
}

HRESULT LSBaseFileSyncFilter::raw_GetItemCount(USHORT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = static_cast<USHORT>(m_itemNames.size());
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_GetSubFolderCount(USHORT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = static_cast<USHORT>(m_subFolderNames.size());
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_GetItemBasicProps(USHORT index, ILSPropertyMap* item) {
    static const char method[] = "LSBaseFileSyncFilter::raw_GetItemBasicProps";
    try {
        LSDIAG_DIAG << method;
        if (const HRESULT bad = CheckListedItemArguments(method, index, item); FAILED(bad)) {
            return bad;
        }
        if (m_startPointByString) {
            // A folder registered by text is itself the one item the host reads.
            LSDIAG_DIAG << "About to get new registration for folder:" << m_folderLeaf;
            item->put_ItemStr(ItemProperty::UniqueId, _bstr_t(GetHashForString(m_folderLocation).c_str()));
            item->put_ItemNum(ItemProperty::VersionId, 1);
            item->put_ItemStr(ItemProperty::DisplayName, _bstr_t(m_folderLeaf.c_str()));
            LSDIAG_DIAG << "Stored new registration for folder:" << m_folderLeaf;
            return S_OK;
        }

        LSDIAG_DIAG << "Starting regular raw_GetItemBasicProps " << index;
        const CStdStr<wchar_t> listedName = m_itemNames.at(index);
        const CStdStr<wchar_t> remoteName = GetItemName(index);
        const ULONG version = GetItemVersion(index);
        LSDIAG_DIAG << "LSBaseFileSyncFilter::raw_GetItemBasicProps"
                    << ": Getting properties for : " << m_folderLocation + L"\\" + listedName;

        const CStdStr<wchar_t> extension = ExtensionOf(listedName);
        const CStdStr<wchar_t> uniqueId = GetHashForString(remoteName);
        const CStdStr<wchar_t> url = FileUrlOf(remoteName, index);
        item->put_ItemStr(ItemProperty::UniqueId, CopyToBstr(uniqueId.c_str()).get());
        item->put_ItemNum(ItemProperty::VersionId, static_cast<LONG>(version));
        item->put_ItemStr(ItemProperty::DisplayName,
                          CopyToBstr(GetItemDisplayName(index, listedName).c_str()).get());
        item->put_ItemStr(ItemProperty::FileName, CopyToBstr(listedName.c_str()).get());
        item->put_ItemStr(ItemProperty::Extension, CopyToBstr(extension.c_str()).get());
        if (IsExternalAttachmentsEnabled()) {
            DATE lastModified = CacheLastModified(index);
            item->put_ItemStr(
                ItemProperty::ExternalAttachmentFilename,
                CopyToBstr(MakeSafeFileName(remoteName, static_cast<int>(version), &lastModified).c_str())
                    .get());
        }
        item->put_ItemStr(ItemProperty::MavistoFromServerFileName, CopyToBstr(listedName.c_str()).get());
        SetServerFileIdProperty(remoteName, item, false);
        WriteFileUrl(item, url);
        LSDIAG_DIAG << "LSBaseFileSyncFilter::raw_GetItemBasicProps"
                    << ": Properties are: " << listedName << ", " << extension << ", " << uniqueId;
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_GetSubFolderBasicProps(USHORT index, ILSPropertyMap* subFolder) {
    static const char method[] = "LSBaseFileSyncFilter::raw_GetSubFolderBasicProps";
    try {
        if (const HRESULT bad =
                LSHostArguments(method).Map(subFolder).Listed(index, m_subFolderNames, "sub-folder").Result();
            FAILED(bad)) {
            return bad;
        }
        const CStdStr<wchar_t> name = m_subFolderNames[index];
        const CStdStr<wchar_t> url = GetSubFolderUrl(index);
        subFolder->put_ItemStr(ItemProperty::UniqueId, _bstr_t(GetHashForString(url).c_str()));
        subFolder->put_ItemNum(ItemProperty::VersionId, 1);
        subFolder->put_ItemStr(ItemProperty::DisplayName,
                               _bstr_t(GetSubFolderDisplayName(index, name).c_str()));
        subFolder->put_ItemStr(ItemProperty::MavistoRepositoryLocation, _bstr_t(url.c_str()));
        LSDIAG_DIAG << "LSBaseFileSyncFilter::raw_GetSubFolderBasicProps"
                    << ": Sub Folder props: " << name << ", " << url;
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_GetFilterNames(BSTR* first, BSTR* second) {
    if (first == nullptr || second == nullptr) {
        return E_POINTER;
    }
    try {
        const CStdStr<wchar_t> type = GetRepositoryType();
        *first = type.AllocSysString();
        *second = type.AllocSysString();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_GetFilterNames", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_SetCurrentProfileName(BSTR profileName) {
    try {
        m_profileName = static_cast<const wchar_t*>(profileName);
        LSOutlookInfo::CheckCachedProfileName(m_profileName);
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_SetCurrentProfileName", __FILE__,
                                           __LINE__, nullptr);
    }
}

CStdStr<wchar_t> LSBaseFileSyncFilter::MakeSafeFileName(const CStdStr<wchar_t>& name, int number,
                                                        const DATE* /*lastModified*/) {
    static const CStdStr<wchar_t> unsafe = L"\\/:?\"<>|";
    CStdStr<wchar_t> path;
    path.Format(L"%s_%s\\%s_%d", ReplaceCharsWithSpace(m_repositoryLocation, unsafe).c_str(),
                ReplaceCharsWithSpace(m_folderLocation, unsafe).c_str(),
                ReplaceCharsWithSpace(name, unsafe).c_str(), number);
    return path;
}
