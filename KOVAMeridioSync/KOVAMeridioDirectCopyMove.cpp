// Direct copy and move of a synced document between two folders of the same server. The host first
// asks for a source-action text (empty: it copies the ordinary way, by download and upload), then for
// the copy or the move, which adds a reference to the document in the destination container, or an
// entry in the current part of a destination records-management folder; a move then removes the
// document's reference (and part entry) from the source folder that the source-action text names. A
// move whose removal fails takes the new link back, so that the document is never in both folders.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"

#include <mutex>

namespace {

constexpr const char* kCopyMove = "KOVAMeridioSyncFilterImpl::copyMoveMessageOnServer";

// Whether direct copies and moves are offered; read once per process.
bool DirectCopyMoveAllowed() {
    static const bool allowed =
        LSSetting::GetInstance()->GetUserDwordConfigDetails(L"MeridioSync.DoDirectCopyMove", 1).value != 0;
    return allowed;
}

CStdStr<wchar_t> ServerOf(const CStdStr<wchar_t>& location) {
    CStdStr<wchar_t> serverName;
    LONG objectType = MeridioObjectOther;
    LONG objectId = 0;
    ExtractUrlDetails(location, serverName, objectType, objectId);
    return serverName;
}

// The source folder's location: the third field of the source-action text's first line; empty when
// the line has fewer fields.
CStdStr<wchar_t> SourceLocationOf(const CStdStr<wchar_t>& firstLine) {
    const std::vector<CStdStr<wchar_t>> fields = SplitString(firstLine, L"\t");
    return fields.size() >= 3 ? fields[2] : CStdStr<wchar_t>();
}

// Logs a failed call of the copy or move and gives its HRESULT back.
HRESULT LogUnexpectedReturn(HRESULT hr) {
    LSDIAG_ERROR << kCopyMove << "Unexpected return: " << std::hex << static_cast<DWORD>(hr);
    return hr;
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::raw_GetSourceForCopyOrMoveMessageIfAllowed(
    VARIANT_BOOL, ILSPropertyMap* sourceFolder, ILSPropertyMap*, ILSPropertyMap*, ILSPropertyMap* destination,
    ILSPropertyMap* item, BSTR hostText, BSTR* sourceAction) {
    if (const HRESULT bad =
            LSHostArguments("KOVAMeridioSyncFilterImpl::raw_GetSourceForCopyOrMoveMessageIfAllowed")
                .Out(sourceAction)
                .Map(sourceFolder)
                .Map(destination)
                .Map(item)
                .Result();
        FAILED(bad)) {
        return bad;
    }
    try {
        LSDIAG_DIAG << "raw_GetSourceForCopyOrMoveMessageIfAllowed begin";
        CStdStr<wchar_t> result;
        if (!DirectCopyMoveAllowed()) {
            static std::once_flag logged;
            std::call_once(logged, [] { LSDIAG_DIAG << "Meridio DirectcopyMove is not supported."; });
        } else {
            const CStdStr<wchar_t> sourceLocation =
                LSPropertyHelpers::getStrProp(sourceFolder, ItemProperty::MavistoFolderLocation, L"");
            const CStdStr<wchar_t> destinationLocation =
                LSPropertyHelpers::getStrProp(destination, ItemProperty::MavistoFolderLocation, L"");
            LSDIAG_DIAG << "strSourceFolderLocation: " << sourceLocation
                        << " strDestRepositoryLocation: " << destinationLocation;
            const CStdStr<wchar_t> sourceServer = ServerOf(sourceLocation);
            const CStdStr<wchar_t> destinationServer = ServerOf(destinationLocation);
            const CStdStr<wchar_t> serverFileId =
                LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFromServerFileId, L"");
            if (!sourceServer.empty() && sourceServer.Equals(destinationServer.c_str(), false) &&
                !serverFileId.empty()) {
                result =
                    FormatString(L"DummySPListId\tSPListName\t%s\n%s\t%s\t%s\t%s", sourceLocation.c_str(),
                                 serverFileId.c_str(), GetHashForString(serverFileId).c_str(),
                                 serverFileId.c_str(), hostText == nullptr ? L"" : hostText);
            }
        }
        LSDIAG_DIAG << "raw_GetSourceForCopyOrMoveMessageIfAllowed returnValue: " << result;
        *sourceAction = result.AllocSysString();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(
            "KOVAMeridioSyncFilterImpl::raw_GetSourceForCopyOrMoveMessageIfAllowed", __FILE__, __LINE__,
            nullptr);
    }
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DoMessageCopy(ILSPropertyMap* item, ILSPropertyMap* destination,
                                                     BSTR sourceAction, ILSShutdownInformer*) {
    try {
        if (const HRESULT bad = LSHostArguments("KOVAMeridioSyncFilterImpl::raw_DoMessageCopy")
                                    .Map(item)
                                    .Map(destination)
                                    .Result();
            FAILED(bad)) {
            return bad;
        }
        return copyMoveMessageOnServer(item, destination, CStdStr<wchar_t>(sourceAction), false);
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_DoMessageCopy", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DoMessageMove(ILSPropertyMap* item, ILSPropertyMap* destination,
                                                     BSTR sourceAction, ILSShutdownInformer*) {
    try {
        if (const HRESULT bad = LSHostArguments("KOVAMeridioSyncFilterImpl::raw_DoMessageMove")
                                    .Map(item)
                                    .Map(destination)
                                    .Result();
            FAILED(bad)) {
            return bad;
        }
        return copyMoveMessageOnServer(item, destination, CStdStr<wchar_t>(sourceAction), true);
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_DoMessageMove", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT KOVAMeridioSyncFilterImpl::raw_GetDirectCopyMoveString(BSTR* text) {
    if (text == nullptr) {
        return E_POINTER;
    }
    *text = SysAllocString(L"");
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DirectCopyMoveMethod5() {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::raw_DirectCopyMoveMethod6() {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::RemoveDocumentFromFolder(LONG documentId, LONG folderId) {
    LONG partId = -1;
    LONG partCount = 0;
    const HRESULT hr = GetDocPartInfo(documentId, folderId, partId, partCount);
    if (FAILED(hr)) {
        return hr;
    }
    return DeleteDocumentFromMeridio(folderId, documentId, true, false, partId);
}

HRESULT KOVAMeridioSyncFilterImpl::copyMoveMessageOnServer(ILSPropertyMap* item, ILSPropertyMap* destination,
                                                           const CStdStr<wchar_t>& sourceAction, bool move) {
    LSDIAG_DIAG << "copyMoveMessageOnServer start strSourceForAction:" << sourceAction;
    if (item == nullptr) {
        LSDIAG_ERROR << "pPropMap cannot be NULL";
        ThrowHResult(E_INVALIDARG);
    }
    const std::vector<CStdStr<wchar_t>> lines = SplitString(sourceAction, L"\n");
    if (lines.size() != 2) {
        LSDIAG_ERROR << "Unexpected format for sourceActionId: " << sourceAction;
        ThrowHResult(E_FAIL);
    }
    const CStdStr<wchar_t>& serverFileId = lines[1];
    LONG documentKind = MeridioObjectOther;
    LONG documentId = 0;
    ExtractUrlDetails(serverFileId, m_serverName, documentKind, documentId);
    // A move takes the document from the folder the text names, not from the one this object is bound
    // to, which may be any folder or none.
    const CStdStr<wchar_t> sourceLocation = SourceLocationOf(lines[0]);
    LONG sourceKind = MeridioObjectOther;
    LONG sourceId = 0;
    if (move) {
        if (sourceLocation.empty()) {
            LSDIAG_ERROR << "Unexpected format for sourceActionId: " << sourceAction;
            ThrowHResult(E_FAIL);
        }
        CStdStr<wchar_t> sourceServer;
        ExtractUrlDetails(sourceLocation, sourceServer, sourceKind, sourceId);
        if (!sourceServer.Equals(m_serverName.c_str(), false) ||
            (sourceKind != MeridioObjectContainer && sourceKind != MeridioObjectFolder)) {
            LSDIAG_ERROR << "Unexpected source for copy move: " << sourceLocation;
            ThrowHResult(E_INVALIDARG);
        }
    }
    Login(false);

    for (const _bstr_t& name : {ItemProperty::MavistoSyncIssueType, ItemProperty::MavistoSyncIssueMessage}) {
        const HRESULT hr = item->put_ItemStr(name, nullptr);
        if (FAILED(hr)) {
            return LogUnexpectedReturn(hr);
        }
    }

    const CStdStr<wchar_t> destinationLocation =
        LSPropertyHelpers::getStrProp(destination, ItemProperty::MavistoFolderLocation, L"");
    if (destinationLocation.empty()) {
        LSDIAG_DIAG
            << "RepositoryFolderLocationPropName of folder is empty, direct copy/move cannot be performed.";
        return E_FAIL;
    }
    LSDIAG_DIAG << "doc: " << serverFileId << " from: " << sourceLocation << " to: " << destinationLocation;
    CStdStr<wchar_t> destinationServer;
    LONG destinationKind = MeridioObjectOther;
    LONG destinationId = 0;
    ExtractUrlDetails(destinationLocation, destinationServer, destinationKind, destinationId);

    const bool isRecord = documentKind == MeridioObjectRecord;
    if (move && isRecord) {
        LSDIAG_DIAG << "Cannot move Merido records";
        return E_INVALIDARG;
    }

    HRESULT hr = S_OK;
    CStdStr<wchar_t> errorText;
    if (destinationKind == MeridioObjectFolder) {
        CStdStr<wchar_t> currentPartId;
        hr = GetCurrentPart(destinationId, errorText, currentPartId);
        if (SUCCEEDED(hr)) {
            hr = AddToPart(currentPartId, FormatString(L"%ld", static_cast<long>(documentId)), isRecord,
                           errorText);
        }
        if (FAILED(hr)) {
            // Whether the destination folder holds the document already.
            LONG partId = -1;
            LONG partCount = 0;
            const HRESULT lookup = isRecord ? GetRecordPartInfo(documentId, destinationId, partId, partCount)
                                            : GetDocPartInfo(documentId, destinationId, partId, partCount);
            if (SUCCEEDED(lookup) && partId >= 0) {
                LSDIAG_DIAG << "Doc already exists in folder it is being copied/moved to.";
                hr = STG_E_FILEALREADYEXISTS;
            }
        }
    } else if (destinationKind == MeridioObjectContainer) {
        hr = AddDocToContainer(destinationId, documentId, errorText);
        if (FAILED(hr)) {
            LONG references = 0;
            const HRESULT lookup = CountDocumentReferences(
                documentId,
                FormatString(L"//CONTAINER_DOCUMENTREFS[ContainerId=%ld]", static_cast<long>(destinationId)),
                references);
            if (SUCCEEDED(lookup) && references > 0) {
                LSDIAG_DIAG << "Doc already exists in container it is being copied/moved to.";
                hr = STG_E_FILEALREADYEXISTS;
            }
        }
    } else {
        LSDIAG_ERROR << "Unexpected destination type for copy move: " << destinationKind;
        ThrowHResult(E_INVALIDARG);
    }
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to add reference to new parent hr: " << std::hex << static_cast<DWORD>(hr);
        MarkSyncIssue(item, errorText);
        return hr;
    }

    if (move) {
        hr = RemoveDocumentFromFolder(documentId, sourceId);
        if (FAILED(hr)) {
            LogUnexpectedReturn(hr);
            // The document is in both folders now: the new link is taken back, and the item tells why
            // the move did not happen.
            const HRESULT undone = destinationKind == MeridioObjectFolder
                                       ? RemoveDocumentFromFolder(documentId, destinationId)
                                       : RemoveDocumentFromContainer(destinationId, documentId, false, true);
            if (FAILED(undone)) {
                LSDIAG_ERROR << "Unable to take back the reference in the destination after a failed move, "
                                "the document is in both folders: "
                             << serverFileId;
            }
            MarkSyncIssue(item, FormatString(L"The document could not be removed from its source folder %s.",
                                             sourceLocation.c_str()));
            return hr;
        }
    }

    hr = PutStr(item, ItemProperty::UniqueId, GetHashForString(serverFileId));
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to write uniqueid" << std::hex << static_cast<DWORD>(hr);
    }
    hr = PutStr(item, ItemProperty::MavistoFromServerVersion, L"0");
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed to write server version" << std::hex << static_cast<DWORD>(hr);
    }
    LSDIAG_DIAG << "copyMoveMessageOnServer end";
    return S_OK;
}
