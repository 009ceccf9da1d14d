// Download of listed items and of single items in header-only sync, with the content hash that
// later change tests compare against.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"

namespace {

void StoreDownloadHash(ILSPropertyMap* item, const CStdStr<wchar_t>& hash) {
    if (hash.empty()) {
        return;
    }
    const HRESULT hr = item->put_ItemStr(ItemProperty::MavistoFromServerETag, _bstr_t(hash.c_str()));
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Error setting hash" << std::hex << static_cast<DWORD>(hr);
    }
}

} // namespace

HRESULT LSBaseFileSyncFilter::raw_RetrieveItemToPath(USHORT index, BSTR localPath, BSTR* listedName,
                                                     ILSPropertyMap* item, VARIANT_BOOL contentAlreadyLocal,
                                                     BSTR extraText) {
    static const char method[] = "LSBaseFileSyncFilter::raw_RetrieveItemToPath";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(item).Listed(index, m_itemNames, "item").Result();
            FAILED(bad)) {
            return bad;
        }
        // Whatever was remembered serves this retrieve at most; a download remembers its own.
        std::optional<RememberedContentHash> remembered = TakeRememberedContentHash();
        if (CacheLastModified(index) == LSNoRemoteDate) {
            return E_FAIL;
        }
        const CStdStr<wchar_t> remoteName = GetItemName(index);
        if (listedName != nullptr) {
            *listedName = m_itemNames[index].AllocSysString();
        }
        const CStdStr<wchar_t> path(static_cast<const wchar_t*>(localPath));
        if (contentAlreadyLocal == VARIANT_FALSE) {
            const HRESULT hr = CopyFileToLocal(remoteName, path, item,
                                               CStdStr<wchar_t>(static_cast<const wchar_t*>(extraText)));
            if (hr == S_FALSE) {
                LSDIAG_DIAG << "Failed to download local content - suppressing error";
                return S_FALSE;
            }
            if (FAILED(hr)) {
                LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_RetrieveItemToPath"
                             << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
                return hr;
            }
            remembered = TakeRememberedContentHash();
        }
        if (IsDownloadHashSkipped()) {
            return S_OK;
        }
        const CStdStr<wchar_t> hash =
            HashOfRetrievedFile(path, remembered, contentAlreadyLocal != VARIANT_FALSE);
        if (hash.empty()) {
            // No hash, no ETag: the download counts as failed, so the item is fetched again.
            m_localHashes.erase(index);
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_RetrieveItemToPath"
                         << ": Unable to hash the local copy " << path;
            return MissingLocalHashResult();
        }
        m_localHashes[index] = hash;
        StoreDownloadHash(item, hash);
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_RetrieveIndividualItemToPath(ILSPropertyMap* item, BSTR localPath,
                                                               BSTR* name, VARIANT_BOOL contentAlreadyLocal,
                                                               BSTR extraText) {
    static const char method[] = "LSBaseFileSyncFilter::raw_RetrieveIndividualItemToPath";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(item).Result(); FAILED(bad)) {
            return bad;
        }
        return RetrieveIndividualItemToPathInternal(item, localPath, name, contentAlreadyLocal, extraText);
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::RetrieveIndividualItemToPathInternal(ILSPropertyMap* item, BSTR localPath,
                                                                   BSTR* name,
                                                                   VARIANT_BOOL contentAlreadyLocal,
                                                                   BSTR extraText) {
    if (item == nullptr) {
        LSDIAG_ERROR << "pPropMap cannot be NULL";
        return E_INVALIDARG;
    }
    CStdStr<wchar_t> fileName =
        LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFromServerFileName, L"");
    if (name != nullptr) {
        *name = fileName.AllocSysString();
    }
    TakeRememberedContentHash(); // what an upload remembered serves no retrieve of this kind
    const CStdStr<wchar_t> path(static_cast<const wchar_t*>(localPath));
    CStdStr<wchar_t> serverHash;
    if (contentAlreadyLocal == VARIANT_FALSE) {
        CStdStr<wchar_t> remoteId;
        HRESULT hr = GetRemoteFileName(fileName, item, remoteId);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::RetrieveIndividualItemToPathInternal"
                         << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
            return hr;
        }
        if (IsDownloadHashSkipped()) {
            hr = GetHashForRemoteFile(remoteId, serverHash);
            if (FAILED(hr)) {
                LSDIAG_ERROR << "LSBaseFileSyncFilter::RetrieveIndividualItemToPathInternal"
                             << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
                return hr;
            }
        }
        hr = CopyFileToLocal(remoteId, path, item, CStdStr<wchar_t>(static_cast<const wchar_t*>(extraText)));
        if (hr == S_FALSE) {
            LSDIAG_DIAG << "Failed to download local content - suppressing error";
            return S_FALSE;
        }
        if (FAILED(hr)) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::RetrieveIndividualItemToPathInternal"
                         << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
            return hr;
        }
    }
    if (IsDownloadHashSkipped()) {
        StoreDownloadHash(item, serverHash);
        return S_OK;
    }
    const CStdStr<wchar_t> hash = HashOfRetrievedFile(path, TakeRememberedContentHash(), false);
    if (hash.empty()) {
        LSDIAG_ERROR << "LSBaseFileSyncFilter::RetrieveIndividualItemToPathInternal"
                     << ": Unable to hash the local copy " << path;
        return MissingLocalHashResult();
    }
    StoreDownloadHash(item, hash);
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_SetHeaderOnly() {
    m_headerOnly = true;
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_HeaderOnlyMethod5() {
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_RetrieveIndividualItemToPathProperties(ILSPropertyMap* item,
                                                                         BSTR extraText) {
    static const char method[] = "LSBaseFileSyncFilter::raw_RetrieveIndividualItemToPathProperties";
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(item).Result(); FAILED(bad)) {
            return bad;
        }
        LSDIAG_DIAG << "raw_RetrieveIndividualItemToPathProperties ";
        CStdStr<wchar_t> name;
        CStdStr<wchar_t> remoteId;
        const HRESULT hr = GetRemoteFileName(name, item, remoteId);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Unable to locate document id hr:" << std::hex << static_cast<DWORD>(hr);
            return hr;
        }
        return RetrieveIndividualItemToPathProperties(item, remoteId, extraText);
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::RetrieveIndividualItemToPathProperties(ILSPropertyMap*, const CStdStr<wchar_t>&,
                                                                     BSTR) {
    LSDIAG_DIAG
        << "Base function RetrieveIndividualItemToPathProperties, doesn't do anything, need to override in "
           "each filter";
    return S_OK;
}
