// Upload of new and changed local items: duplicate, conflict and gone-from-server decisions, the
// upload and rename through the repository, and the item's bookkeeping properties afterwards.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVACommon/LSLocalFiles.h"

namespace {

constexpr UINT IDS_UPLOAD_GONE_FROM_SERVER = 4006;
constexpr UINT IDS_CONFLICT_LOCAL_CHANGE = 4007;
constexpr UINT IDS_CONFLICT_SERVER_CHANGE = 4008;
constexpr DWORD PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
constexpr DWORD PR_LAST_MODIFICATION_TIME = 0x30080040;
constexpr LONG NoListedItem = -1;
constexpr DATE NoRememberedServerDate = -1.0;

// Present on an item that the user wants uploaded at once.
const _bstr_t UrgentUploadProperty(L"KOVA.UrgentUpload");

_bstr_t TagName(DWORD tag) {
    return _bstr_t(ToHexString(tag).c_str());
}

// The local time of a UTC SYSTEMTIME as the user's short date and time, or empty on failure.
bool LocalTimeText(const SYSTEMTIME& utc, CStdStr<wchar_t>& text) {
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return false;
    }
    text = FormatLocalDateTime(local);
    return true;
}

CStdStr<wchar_t> LocalModificationText(ILSPropertyMap* item) {
    DATE date = 0.0;
    if (FAILED(item->get_ItemDate(TagName(PR_LAST_MODIFICATION_TIME), &date)) &&
        FAILED(item->get_ItemDate(TagName(PR_MESSAGE_DELIVERY_TIME), &date))) {
        return L"Unknown";
    }
    SYSTEMTIME utc{};
    CStdStr<wchar_t> text;
    if (VariantTimeToSystemTime(date, &utc) && LocalTimeText(utc, text)) {
        return text;
    }
    return L"Unknown";
}

} // namespace

HRESULT LSBaseFileSyncFilter::raw_AddNewDocument(BSTR localPath, BSTR fileName, ILSPropertyMap* /*unused*/,
                                                 ILSPropertyMap* item) {
    static const char method[] = "LSBaseFileSyncFilter::raw_AddNewDocument";
    m_relistNeeded = true; // whatever the outcome, as every upload
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(item).Result(); FAILED(bad)) {
            return bad;
        }
        return UploadFile(true, localPath, fileName, item);
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_UpdateDocument(BSTR localPath, BSTR fileName, ILSPropertyMap* /*unused*/,
                                                 ILSPropertyMap* item) {
    static const char method[] = "LSBaseFileSyncFilter::raw_UpdateDocument";
    m_relistNeeded = true; // whatever the outcome, as every upload
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(item).Result(); FAILED(bad)) {
            return bad;
        }
        const HRESULT hr = UploadFile(false, localPath, fileName, item);
        if (hr != S_OK) {
            return hr;
        }
        LONG version = 0;
        if (FAILED(item->get_ItemNum(ItemProperty::VersionId, &version))) {
            version = 0;
        }
        item->put_ItemNum(ItemProperty::VersionId, version + 1);
        return hr;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::UploadFile(bool isNew, const wchar_t* localPath, const wchar_t* fileName,
                                         ILSPropertyMap* item) {
    m_relistNeeded = true;
    // Only an upload that succeeds leaves the hash of what it sent remembered.
    TakeRememberedContentHash();
    CStdStr<wchar_t> remoteName;
    const HRESULT hr =
        AddFile(isNew, CStdStr<wchar_t>(fileName), CStdStr<wchar_t>(localPath), &remoteName, item);
    // S_FALSE is a failure the repository recorded on the item: the server stored nothing that the
    // bookkeeping below could describe.
    if (hr != S_OK) {
        TakeRememberedContentHash();
        LSDIAG_ERROR << "Failed to upload file";
        return hr;
    }
    const CStdStr<wchar_t> givenName(fileName);
    PutStr(item, ItemProperty::UniqueId, GetHashForString(remoteName));
    item->put_ItemNum(ItemProperty::VersionId, 1);
    PutStr(item, ItemProperty::DisplayName, givenName);

    // The server's leaf name follows the last separator of the remote name, when there is one.
    CStdStr<wchar_t> leaf;
    const CStdStr<wchar_t> separators = GetUploadInfoString();
    if (!separators.empty() && !remoteName.empty()) {
        const size_t last = remoteName.find_last_of(separators);
        if (last != CStdStr<wchar_t>::npos && last + 1 < remoteName.size()) {
            leaf = remoteName.substr(last + 1);
        }
    }
    if (leaf.empty()) {
        leaf = givenName;
    }
    PutStr(item, ItemProperty::MavistoFromServerFileName, leaf);
    SetServerFileIdProperty(remoteName, item, isNew);
    SetupFileUrl(remoteName, NoListedItem, item);

    const bool urgent = LSPropertyHelpers::hasProp(item, UrgentUploadProperty);
    const bool interim = HasInterimVersionData(item);
    const bool mail = IsMailFile(givenName);
    if (!mail && (interim || urgent)) {
        DATE remembered = 0.0;
        if (SUCCEEDED(item->get_ItemDate(ItemProperty::RemoteFileLastModified, &remembered)) &&
            remembered != 0.0) {
            item->put_ItemDate(TagName(PR_MESSAGE_DELIVERY_TIME), remembered);
        }
    }
    if (isNew && !urgent) {
        item->put_ItemDate(ItemProperty::RemoteFileLastModified, NoRememberedServerDate);
    }
    if (LSSetting::GetInstance()->GetUserDwordConfigDetails(L"KOVA.RemoveLocalDateOnUpload", 1).value != 0 &&
        !interim && !urgent) {
        item->put_ItemDate(ItemProperty::RemoteFileLastModified, NoRememberedServerDate);
    }
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::AddFile(bool isNew, CStdStr<wchar_t> fileName, CStdStr<wchar_t> localPath,
                                      CStdStr<wchar_t>* remoteName, ILSPropertyMap* item) {
    try {
        fileName = EncodeFileName(fileName);
        bool exists = false;
        if (isNew) {
            if (!StoresServerFileId()) {
                const HRESULT hr = DoesItemExistRemote(fileName, exists, true);
                if (FAILED(hr)) {
                    LSDIAG_ERROR << "Failed determining if file exists already " << std::hex
                                 << static_cast<DWORD>(hr);
                    ThrowHResult(hr);
                }
                if (exists) {
                    if (FAILED(PutStr(item, ItemProperty::MavistoSyncIssueType, L"DUPLICATE"))) {
                        LSDIAG_ERROR
                            << "Failed to set property on IPropertyMap: MavistoSyncIssueType to DUPLICATE";
                    }
                    return E_FAIL;
                }
            }
        } else {
            const HRESULT hr = CheckExistingFile(fileName, item, exists);
            if (FAILED(hr)) {
                return hr;
            }
        }

        item->put_ItemStr(ItemProperty::MavistoSyncIssueType, nullptr);
        const bool contentChanged = LSPropertyHelpers::hasProp(item, ItemProperty::MavistoIsContentChanged);
        if (isNew || contentChanged || AlwaysUploadContent()) {
            const HRESULT hr = CopyFileRemote(localPath, fileName, item, exists, *remoteName);
            if (hr != S_OK) {
                return hr;
            }
            if (isNew) {
                return S_OK;
            }
        }

        // Without an upload the remote name is the one the item already has; the bookkeeping after
        // the update writes it back, so a rename or property change keeps the item's server identity.
        if (remoteName->empty()) {
            const HRESULT hr = LSBaseFileSyncFilter::GetRemoteFileName(fileName, item, *remoteName);
            if (FAILED(hr)) {
                return hr;
            }
        }
        const CStdStr<wchar_t> newName =
            LSPropertyHelpers::getStrProp(item, ItemProperty::KOVARenamedFilename, L"");
        if (!newName.empty()) {
            const HRESULT hr = RenameFileRemote(*remoteName, newName);
            if (FAILED(hr)) {
                return hr;
            }
        }
        OnRemoteFileRenamed(item);
        return S_OK;
    } catch (const _com_error& error) {
        const CStdStr<wchar_t> description(static_cast<const wchar_t*>(error.Description()));
        PutStr(item, ItemProperty::MavistoSyncIssueType, L"ERROR");
        PutStr(item, ItemProperty::MavistoSyncIssueMessage, description);
        LSDIAG_ERROR << "LSBaseFileSyncFilter::AddFile"
                     << ": Caught _com_error at interface when adding file - " << std::hex
                     << static_cast<DWORD>(error.Error()) << ", desc=" << description
                     << " msg=" << error.ErrorMessage();
        return error.Error();
    } catch (const hresult_exception& error) {
        CStdStr<wchar_t> text;
        text = error.what();
        if (!text.empty()) {
            PutStr(item, ItemProperty::MavistoSyncIssueType, L"ERROR");
            PutStr(item, ItemProperty::MavistoSyncIssueMessage, text);
        }
        LSDIAG_ERROR << "LSBaseFileSyncFilter::AddFile"
                     << ": Caught hresult_exception at interface when adding file - " << std::hex
                     << static_cast<DWORD>(error.hresult()) << ", desc=" << text;
        return error.hresult();
    }
}

HRESULT LSBaseFileSyncFilter::CheckExistingFile(CStdStr<wchar_t>& encodedName, ILSPropertyMap* item,
                                                bool& exists) {
    CStdStr<wchar_t> remote = encodedName;
    bool nameIsFileName = true;
    if (ShouldStoreServerFileId(encodedName, item, false)) {
        CStdStr<wchar_t> remoteId;
        const HRESULT hr = GetRemoteFileName(encodedName, item, remoteId);
        if (FAILED(hr)) {
            return hr;
        }
        remote = remoteId;
        nameIsFileName = false;
    }
    HRESULT hr = DoesItemExistRemote(remote, exists, nameIsFileName);
    if (FAILED(hr)) {
        return hr;
    }
    if (!exists) {
        PutStr(item, ItemProperty::MavistoSyncIssueType, L"ERROR");
        PutStr(item, ItemProperty::MavistoSyncIssueMessage, CStdStr<wchar_t>(IDS_UPLOAD_GONE_FROM_SERVER));
        return E_FAIL;
    }

    // The server copy must still be the one the item came from, or the one the user agreed to
    // overwrite. Only a hash the user agreed to counts as consent: an empty one does not.
    BSTR value = nullptr;
    if (FAILED(item->get_ItemStr(ItemProperty::MavistoFromServerETag, &value))) {
        return S_OK;
    }
    CStdStr<wchar_t> etag(static_cast<const wchar_t*>(value));
    SysFreeString(value);
    const CStdStr<wchar_t> agreedHash =
        LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoUserRequestedOverwriteServerETag, L"");
    if (!agreedHash.empty()) {
        etag = agreedHash;
    }
    if (etag.empty()) {
        return S_OK;
    }
    CStdStr<wchar_t> remoteId;
    hr = GetRemoteFileName(encodedName, item, remoteId);
    if (FAILED(hr)) {
        return hr;
    }
    CStdStr<wchar_t> serverHash;
    hr = GetHashForRemoteFile(remoteId, serverHash);
    if (FAILED(hr)) {
        return hr;
    }
    if (etag == serverHash) {
        return S_OK;
    }
    return MarkConflict(item, remoteId, serverHash);
}

HRESULT LSBaseFileSyncFilter::MarkConflict(ILSPropertyMap* item, const CStdStr<wchar_t>& remoteId,
                                           const CStdStr<wchar_t>& serverHash) {
    PutStr(item, ItemProperty::MavistoSyncIssueType, L"CONFLICT");
    PutStr(item, ItemProperty::MavistoRemoteChangeETag, serverHash);

    CStdStr<wchar_t> text = CStdStr<wchar_t>(IDS_CONFLICT_LOCAL_CHANGE) + LocalModificationText(item) + L".";
    SYSTEMTIME serverTime{};
    if (GetRemoteLastModified(remoteId, &serverTime)) {
        CStdStr<wchar_t> serverText;
        LocalTimeText(serverTime, serverText);
        text += CStdStr<wchar_t>(IDS_CONFLICT_SERVER_CHANGE) + serverText + L".";
    }
    const HRESULT hr = PutStr(item, ItemProperty::MavistoLocalChangeInfo, text);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to set local change info at conflict:" << remoteId;
        return hr;
    }
    return E_FAIL;
}

HRESULT LSBaseFileSyncFilter::SetServerFileIdProperty(const CStdStr<wchar_t>& remoteName,
                                                      ILSPropertyMap* item, bool useServerId) {
    if (!ShouldStoreServerFileId(remoteName, item, useServerId)) {
        return S_OK;
    }
    CStdStr<wchar_t> id = useServerId ? GetServerFileId(item, remoteName) : remoteName;
    if (id.empty()) {
        id = remoteName;
    }
    return PutStr(item, ItemProperty::MavistoFromServerFileId, id);
}

bool LSBaseFileSyncFilter::HasInterimVersionData(ILSPropertyMap* item) {
    if (item == nullptr) {
        LSDIAG_ERROR << "pPropMap cannot be NULL";
        ThrowHResult(E_INVALIDARG);
    }
    return !LSPropertyHelpers::getStrProp(item, ItemProperty::KOVAInterimVersionData, L"").empty();
}
