// Deletions: which synced items vanished from the server, deleting items on the server, the server
// item enumeration and the remote-name lookup of stored items.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVACommon/LSHttpError.h"

HRESULT LSBaseFileSyncFilter::raw_GetKeyPropertyTag(BSTR* name) {
    if (name == nullptr) {
        return E_POINTER;
    }
    try {
        *name = GetKeyPropertyName().AllocSysString();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_GetKeyPropertyTag", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_IsDeleted(BSTR key, LONG isFolder) {
    try {
        // No key names no item: it must never read as gone from the server.
        if (SysStringLen(key) == 0) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_IsDeleted: the item's key is empty";
            return E_INVALIDARG;
        }
        // Items of a kind that the last listing did not cover are never reported deleted.
        if (m_listingMode == LSListingMode::Nothing) {
            return S_FALSE;
        }
        if (m_listingMode == LSListingMode::SubFoldersOnly && isFolder == 0) {
            return S_FALSE;
        }
        if (m_listingMode == LSListingMode::DocumentsOnly && isFolder != 0) {
            return S_FALSE;
        }
        // Only a listing that was read whole can tell that an item is gone.
        if (!m_listingLoaded) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_IsDeleted"
                         << ": No complete listing of the folder, deletion of " << CStdStr<wchar_t>(key)
                         << " is unknown";
            return E_FAIL;
        }
        // The host asks for a kind that the listing was not made for (a start point given as text
        // lists nothing): that listing cannot tell whether the item is gone.
        if (!ListingModeLists(m_listedMode, isFolder != 0)) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_IsDeleted"
                         << ": The last listing did not list "
                         << (isFolder != 0 ? "sub-folders" : "documents") << ", deletion of "
                         << CStdStr<wchar_t>(key) << " is unknown";
            return E_FAIL;
        }
        return IsItemOnServer(CStdStr<wchar_t>(static_cast<const wchar_t*>(key)), isFolder != 0);
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_IsDeleted", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::get_DeleteFlag(VARIANT_BOOL* flag) {
    if (flag != nullptr) {
        *flag = VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_DeleteMethod4() {
    return E_FAIL;
}

HRESULT LSBaseFileSyncFilter::raw_DeleteItem(ILSPropertyMap* item, BSTR* errorText) {
    // Whatever the outcome, the next content update lists again.
    m_relistNeeded = true;
    if (const HRESULT bad = LSHostArguments("LSBaseFileSyncFilter::raw_DeleteItem").Map(item).Result();
        FAILED(bad)) {
        return bad;
    }
    const auto handBack = [errorText](const CStdStr<wchar_t>& message) {
        if (!message.empty() && errorText != nullptr) {
            *errorText = message.AllocSysString();
        }
    };
    try {
        const CStdStr<wchar_t> folderLocation =
            LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFolderLocation, L"");
        CStdStr<wchar_t> message;
        HRESULT hr;
        if (folderLocation.empty()) {
            CStdStr<wchar_t> name;
            CStdStr<wchar_t> remoteId;
            hr = GetRemoteFileName(name, item, remoteId);
            if (SUCCEEDED(hr)) {
                hr = DeleteFileRemote(remoteId, message);
            }
        } else {
            hr = DeleteFolderRemote(item, message);
        }
        handBack(message);
        return hr;
    } catch (const CStdStr<wchar_t>& message) {
        LSDIAG_ERROR << "Error is :" << message;
        handBack(message);
        return S_FALSE;
    } catch (const _com_error& error) {
        LSDIAG_ERROR << "Error - " << error.ErrorMessage() << " msg=" << error.Description();
        return E_FAIL;
    } catch (const LSHttpError& error) {
        LSDIAG_ERROR << "Http Error is :" << error.message;
        return E_FAIL;
    } catch (long hr) {
        return static_cast<HRESULT>(hr);
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT LSBaseFileSyncFilter::get_ServerItemCount(ILSPropertyMap* /*ignored*/, LONG* count) {
    try {
        if (count == nullptr) {
            return E_INVALIDARG;
        }
        return GetServerItemCount(count);
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::get_ServerItemCount", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::get_ServerItem(LONG index, BSTR* key) {
    if (key == nullptr) {
        return E_POINTER;
    }
    try {
        CStdStr<wchar_t> text;
        const HRESULT hr = GetServerItem(index, text);
        if (SUCCEEDED(hr)) {
            *key = text.AllocSysString();
        }
        return hr;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::get_ServerItem", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::get_ServerItemKey(BSTR* name) {
    if (name == nullptr) {
        return E_POINTER;
    }
    try {
        *name = CStdStr<wchar_t>(ItemProperty::MavistoFromServerFileId).AllocSysString();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::get_ServerItemKey", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::GetRemoteFileName(CStdStr<wchar_t>& name, ILSPropertyMap* item,
                                                CStdStr<wchar_t>& remoteId) {
    BSTR value = nullptr;
    if (FAILED(item->get_ItemStr(ItemProperty::MavistoFromServerFileName, &value))) {
        LSDIAG_ERROR << "Error getting stored remote filename";
        remoteId.clear();
    } else if (value == nullptr) {
        remoteId.clear();
    } else {
        name = value;
        remoteId = name;
    }
    SysFreeString(value);

    VARIANT_BOOL hasId = VARIANT_FALSE;
    if (FAILED(item->get_ItemHasValue(ItemProperty::MavistoFromServerFileId, &hasId)) ||
        hasId == VARIANT_FALSE) {
        const HRESULT hr = GetStoredRemoteFileName(name, remoteId);
        return FAILED(hr) ? hr : S_OK;
    }
    value = nullptr;
    const HRESULT hr = item->get_ItemStr(ItemProperty::MavistoFromServerFileId, &value);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Error getting stored remote filename";
        return hr;
    }
    remoteId = static_cast<const wchar_t*>(value);
    SysFreeString(value);
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::DeleteFolderRemote(ILSPropertyMap*, CStdStr<wchar_t>&) {
    LSDIAG_ERROR << "DeleteFolderRemote not implemented";
    return E_NOTIMPL;
}
