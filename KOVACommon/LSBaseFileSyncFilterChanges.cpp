// Change detection: compares the listed item's remote date and version with what the local item
// remembers from its last sync.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"

DATE LSBaseFileSyncFilter::CacheLastModified(USHORT index) {
    auto cached = m_lastModifiedCache.find(index);
    if (cached != m_lastModifiedCache.end()) {
        return cached->second;
    }
    const CStdStr<wchar_t> name = GetItemName(index);
    DATE date = LSNoRemoteDate;
    SYSTEMTIME remoteTime{};
    if (GetRemoteLastModified(name, &remoteTime)) {
        DATE converted = 0.0;
        if (SystemTimeToVariantTime(&remoteTime, &converted)) {
            date = converted;
        }
    } else {
        LSDIAG_ERROR << "LSBaseFileSyncFilter::CacheLastModified"
                     << ": Unable to get Last Modified Date for Remote File: " << name;
    }
    m_lastModifiedCache[index] = date;
    return date;
}

HRESULT LSBaseFileSyncFilter::raw_HasChanges(USHORT index, ILSPropertyMap* item, LONG* changeCode) {
    static const char method[] = "LSBaseFileSyncFilter::raw_HasChanges";
    try {
        if (const HRESULT bad =
                LSHostArguments(method).Out(changeCode).Map(item).Listed(index, m_itemNames, "item").Result();
            FAILED(bad)) {
            return bad;
        }
        const DATE remoteDate = CacheLastModified(index);
        if (remoteDate == LSNoRemoteDate) {
            return E_FAIL;
        }
        const CStdStr<wchar_t> name = m_itemNames[index];
        LSDIAG_DIAG << "HasChanges for item: " << index << " => " << name;

        // A present marker means that the local item is unchanged. When the query fails nobody can
        // tell, and no change code is given: the server copy must never be taken over a local edit.
        BYTE unchangedMarker = 0;
        const HRESULT markHr =
            item->get_ItemExists(ItemProperty::MavistoMessageIsUnchanged, &unchangedMarker);
        if (FAILED(markHr)) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_HasChanges"
                         << ": Unable to tell whether the local item changed: " << std::hex
                         << static_cast<DWORD>(markHr) << " for file:" << name;
            return markHr;
        }
        const bool clientChanged = unchangedMarker == 0;

        DATE localDate = 0.0;
        if (FAILED(item->get_ItemDate(ItemProperty::RemoteFileLastModified, &localDate))) {
            LSDIAG_DIAG << "No Local date (probably just uploaded file?) isClientChanged? : " << clientChanged
                        << " for file:" << GetItemVersion(index);
            *changeCode = clientChanged ? LSChange::Both : LSChange::Server;
            return S_OK;
        }
        LSDIAG_DIAG << "HasChanges for " << name << " LocalMod:" << VariantTimeToDateString(localDate, L" ")
                    << " RemoteMod: " << VariantTimeToDateString(remoteDate, L" ");

        const bool remoteChanged =
            localDate == remoteDate ? IsItemCheckedOut(index, item) : !IsRemoteUnchanged(index, item);
        if (remoteChanged) {
            LSDIAG_DIAG << "Remote Version changed:" << GetItemVersion(index);
            const CStdStr<wchar_t> issue =
                LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoSyncIssueType, L"");
            if (clientChanged || issue.Equals(L"CONFLICT", true)) {
                LSDIAG_DIAG << ": Both changed: ";
                *changeCode = LSChange::Both;
            } else {
                LSDIAG_DIAG << ": Server version changed: ";
                *changeCode = LSChange::Server;
            }
            return S_OK;
        }

        LSDIAG_DIAG << "Dates seem the same";
        VARIANT_BOOL hasVersion = VARIANT_FALSE;
        const HRESULT hr = item->get_ItemHasValue(ItemProperty::MavistoFromServerVersion, &hasVersion);
        if (FAILED(hr)) {
            _com_issue_errorex(hr, item, __uuidof(ILSPropertyMap));
        }
        if (hasVersion == VARIANT_TRUE) {
            BSTR value = nullptr;
            const HRESULT readHr = item->get_ItemStr(ItemProperty::MavistoFromServerVersion, &value);
            if (FAILED(readHr)) {
                LSDIAG_ERROR << ":Failed to get MavistoFromServerVersion Property" << std::hex
                             << static_cast<DWORD>(readHr);
                return E_FAIL;
            }
            const CStdStr<wchar_t> localVersion(static_cast<const wchar_t*>(value));
            SysFreeString(value);
            const CStdStr<wchar_t> remoteVersion = ToString(GetItemVersion(index));
            if (!localVersion.Equals(remoteVersion.c_str(), false)) {
                LSDIAG_DIAG << "No changes, but local/remote version strings differ:" << localVersion << "/"
                            << remoteVersion;
                *changeCode = clientChanged ? LSChange::Both : LSChange::Server;
                return S_OK;
            }
        }
        LSDIAG_DIAG << "No server changes: client changes? " << clientChanged;
        *changeCode = clientChanged ? LSChange::Local : LSChange::None;
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}
