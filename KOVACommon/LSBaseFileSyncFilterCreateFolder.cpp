// Folder creation: a folder that the user made in Outlook below a synced folder is created in the
// repository and its Outlook folder becomes a synced folder of it.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"

HRESULT LSBaseFileSyncFilter::raw_CreateFolder(ILSPropertyMap* hostArgument, ILSPropertyMap* parentFolder,
                                               ILSPropertyMap* newFolder) {
    // Whatever the outcome, the next content update lists again.
    m_relistNeeded = true;
    if (const HRESULT bad = LSHostArguments("LSBaseFileSyncFilter::raw_CreateFolder")
                                .Map(parentFolder)
                                .Map(newFolder)
                                .Result();
        FAILED(bad)) {
        return bad;
    }
    CStdStr<wchar_t> errorText;
    HRESULT hr = S_OK;
    try {
        BSTR value = nullptr;
        hr = parentFolder->get_ItemStr(ItemProperty::MavistoFolderLocation, &value);
        if (FAILED(hr)) {
            ThrowHResult(hr);
        }
        const CStdStr<wchar_t> parentLocation(static_cast<const wchar_t*>(value));
        SysFreeString(value);

        value = nullptr;
        hr = newFolder->get_ItemStr(ItemProperty::DisplayName, &value);
        if (FAILED(hr)) {
            _com_issue_errorex(hr, newFolder, __uuidof(ILSPropertyMap));
        }
        CStdStr<wchar_t> folderName(static_cast<const wchar_t*>(value));
        SysFreeString(value);
        folderName = EncodeFileName(folderName);

        CStdStr<wchar_t> newLocation;
        hr = CreateDirectoryRemote(hostArgument, parentLocation, folderName, newFolder, newLocation);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_CreateFolder"
                         << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
            return hr;
        }
        // A folder without its repository type is no synced folder: the host must hear of it.
        hr = PutStr(newFolder, ItemProperty::MavistoRepositoryType, GetRepositoryType());
        if (FAILED(hr)) {
            LSDIAG_ERROR << "LSBaseFileSyncFilter::raw_CreateFolder"
                         << ": Failed to set the repository type on the new folder " << std::hex
                         << static_cast<DWORD>(hr);
            return hr;
        }
        PutStr(newFolder, ItemProperty::MavistoRepositoryLocation, newLocation);
        PutStr(newFolder, ItemProperty::MavistoFolderLocation, newLocation);
        SetupFolderUrl(newLocation, -1, newFolder);
        PutStr(newFolder, ItemProperty::UniqueId, GetHashForString(newLocation));
        newFolder->put_ItemNum(ItemProperty::VersionId, 1);
        PutStr(newFolder, ItemProperty::DisplayName, folderName);
        return S_OK;
    } catch (...) {
        hr = HResultFromCurrentException("LSBaseFileSyncFilter::raw_CreateFolder", __FILE__, __LINE__,
                                         &errorText);
    }
    if (!errorText.empty()) {
        PutStr(newFolder, ItemProperty::MavistoSyncIssueFolderMessage, errorText);
    }
    return hr;
}
