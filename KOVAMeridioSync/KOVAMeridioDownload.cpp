// Downloading the latest version of a Meridio document into a local file: as the second payload of
// a DIME reply (the default), or by copying the file whose UNC path the server hands out. Either way
// the content goes to a new file beside the local one, which takes its place only once it is whole:
// a short or malformed reply, or a failed copy, leaves the user's copy as it was.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSLocalFiles.h"
#include "KOVACommon/LSReplacementFile.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioDime.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "Platform/SafeArrayData.h"

#include <cerrno>
#include <cstring>
#include <future>
#include <vector>

namespace {

// Runs the action on the bytes of a DIME reply held in a byte array and the pieces of its content.
template <class Action> void WithDimeContent(const _variant_t& replyBody, Action action) {
    if (replyBody.vt != (VT_ARRAY | VT_UI1)) {
        LSDIAG_ERROR << "Unable to retrieve file from Meridio, varResponseBody.vt wrong type, type is: "
                     << std::dec << replyBody.vt;
        ThrowHResult(E_INVALIDARG);
    }
    SAFEARRAY* array = replyBody.parray;
    const ULONG elementCount = array->rgsabound[0].cElements;
    LSDIAG_DIAG << "Download file, SafeArray dimension ->" << array->cDims << ", size of each element -> "
                << array->cbElements;
    LSDIAG_DIAG << "lBound = " << array->rgsabound[0].lLbound << ", elementCount = " << elementCount;
    if (array->cDims != 1) {
        LSDIAG_ERROR << "pSA->cDims not equal to 1, pSA->cDims:" << array->cDims;
        ThrowHResult(E_INVALIDARG);
    }

    Platform::SafeArrayData data(array);
    if (FAILED(data.Result())) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::CopyFileToLocal"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(data.Result());
        ThrowHResult(data.Result());
    }
    action(data.Data(), FindDimeContent(data.Data(), elementCount));
    const HRESULT released = data.Release();
    if (FAILED(released)) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::CopyFileToLocal::<lambda_5>::operator ()"
                     << "Unexpected return: " << std::hex << static_cast<DWORD>(released);
        ThrowHResult(released);
    }
}

CStdStr<wchar_t> ContentHash(const BYTE* reply, const std::vector<DimeSpan>& content) {
    LSContentHasher hasher;
    for (const DimeSpan& span : content) {
        hasher.Add(reply + span.offset, span.length);
    }
    return hasher.Hash();
}

// Writes the content of a DIME reply to the file and gives its content hash, taken from the same
// bytes on another thread meanwhile (so the file is not read again to hash it).
CStdStr<wchar_t> WriteDimeContent(const _variant_t& replyBody, LSReplacementFile& file,
                                  const CStdStr<wchar_t>& localPath) {
    CStdStr<wchar_t> hash;
    WithDimeContent(replyBody, [&](const BYTE* reply, const std::vector<DimeSpan>& content) {
        std::future<CStdStr<wchar_t>> hashing =
            std::async(std::launch::async, [reply, &content] { return ContentHash(reply, content); });
        std::size_t expected = 0;
        std::size_t written = 0; // up to the first piece that could not be written
        bool complete = true;
        for (const DimeSpan& span : content) {
            expected += span.length;
            complete = complete && file.Write(reply + span.offset, span.length);
            written = complete ? expected : written;
        }
        const int writeError = errno;
        hash = hashing.get();
        if (!complete) {
            LSDIAG_ERROR << "Trying to write file >" << localPath << "< from downloaded document only wrote "
                         << written << "< not >" << expected << ": " << std::strerror(writeError);
            ThrowHResult(E_FAIL);
        }
    });
    return hash;
}

bool UsesByReferenceTransfer() {
    return LSSetting::GetInstance()->GetUserDwordConfigDetails(L"MeridioSync.UseUNCFiletransfer", 0).value !=
           0;
}

[[noreturn]] void RefuseFileLocation(const CStdStr<wchar_t>& path) {
    LSDIAG_ERROR << "Refusing file location outside the file shares: " << path;
    ThrowHResult(E_ACCESSDENIED);
}

// The file a server's by-reference path names, links resolved, when it lies on a file share. Anything
// else (a local path, a climb out of the share, a link leaving the shares) would let the server have
// any local file copied into the mirror, and is refused with E_ACCESSDENIED. Empty, the last error
// set, when the file cannot be opened.
CStdStr<wchar_t> FileOnShare(const CStdStr<wchar_t>& uncPath) {
    if (!IsUncPath(uncPath)) {
        RefuseFileLocation(uncPath);
    }
    const CStdStr<wchar_t> finalPath = GetFinalPath(MakeLongPath(uncPath));
    if (!finalPath.empty() && !IsUncPath(finalPath)) {
        RefuseFileLocation(uncPath + L" (" + finalPath + L")");
    }
    return finalPath;
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::RequestLatestVersion(const CStdStr<wchar_t>& remoteName,
                                                        ILSPropertyMap* item, bool byReference,
                                                        IXMLDOMDocument2Ptr& reply,
                                                        std::unique_ptr<ILSHttpRequest>& request) {
    LSDIAG_DIAG << "retrieving from Meridio  file: " << remoteName;
    LONG objectType = MeridioObjectOther;
    LONG objectId = 0;
    ExtractUrlDetails(remoteName, m_serverName, objectType, objectId);

    const wchar_t* action = byReference ? L"GetLatestVersionFileByRef" : L"GetLatestVersionFile";
    const CStdStr<wchar_t> body =
        byReference
            ? FormatString(L"<GetLatestVersionFileByRef xmlns=\"%s\"><docId>%d</docId>"
                           L"<lifetime>0</lifetime></GetLatestVersionFileByRef>",
                           kMeridioDmwsNamespace, static_cast<int>(objectId))
            : FormatString(L"<GetLatestVersionFile xmlns=\"%s\"><docId>%d</docId></GetLatestVersionFile>",
                           kMeridioDmwsNamespace, static_cast<int>(objectId));
    CStdStr<wchar_t> errorText;
    const HRESULT hr =
        ExecuteDMWSRequest(_variant_t(body.c_str()), reply, request, action, CStdStr<wchar_t>(), m_dmwsUrl,
                           SessionToken(), m_shutdownInformer, errorText, true);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "CopyFileToLocal failed for " << remoteName; // the request's record tells why
        if (item != nullptr) {
            MarkSyncIssue(item, errorText);
        }
    }
    return hr;
}

HRESULT KOVAMeridioSyncFilterImpl::CopyFileToLocal(const CStdStr<wchar_t>& remoteName,
                                                   const CStdStr<wchar_t>& localPath, ILSPropertyMap* item,
                                                   const CStdStr<wchar_t>&) {
    const bool byReference = UsesByReferenceTransfer();
    IXMLDOMDocument2Ptr reply;
    std::unique_ptr<ILSHttpRequest> request;
    const HRESULT hr = RequestLatestVersion(remoteName, item, byReference, reply, request);
    if (FAILED(hr)) {
        return hr;
    }

    if (byReference) {
        const IXMLDOMNodePtr result = reply->selectSingleNode(L"//GetLatestVersionFileByRefResult");
        const CStdStr<wchar_t> uncPath = result ? CStdStr<wchar_t>(result->Gettext()) : CStdStr<wchar_t>();
        if (uncPath.empty()) {
            LSDIAG_ERROR << "Unable to retrieve file location, is UNC transfer configured in SOAP?";
            ThrowHResult(E_INVALIDARG);
        }
        LSDIAG_DIAG << "Unc path: " << uncPath;
        const CStdStr<wchar_t> source = FileOnShare(uncPath);
        if (source.empty()) {
            LSDIAG_ERROR << "Unable to open file location " << uncPath << ": " << std::hex << GetLastError();
            return E_FAIL;
        }
        LSReplacementFile copy(localPath);
        const HRESULT copied = CopyLocalFile(source, copy.Path(), item, m_shutdownInformer);
        if (FAILED(copied)) {
            return copied;
        }
        return copy.Commit() ? S_OK : E_FAIL;
    }

    LSReplacementFile file(localPath);
    const CStdStr<wchar_t> hash = WriteDimeContent(request->GetResponseBody(), file, localPath);
    // Only a file whose bytes all reached it may take the hash of the bytes written.
    if (!file.Commit()) {
        ThrowHResult(E_FAIL);
    }
    RememberWrittenContentHash(localPath, hash);
    LSDIAG_DIAG << "CopyFileToLocal end";
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::GetHashForRemoteFile(const CStdStr<wchar_t>& remoteName,
                                                        CStdStr<wchar_t>& hash) {
    // The content of a DIME reply is hashed where it was received, without a file.
    if (!UsesByReferenceTransfer()) {
        IXMLDOMDocument2Ptr reply;
        std::unique_ptr<ILSHttpRequest> request;
        const HRESULT hr = RequestLatestVersion(remoteName, nullptr, false, reply, request);
        if (FAILED(hr)) {
            return hr;
        }
        WithDimeContent(request->GetResponseBody(),
                        [&](const BYTE* bytes, const std::vector<DimeSpan>& content) {
                            hash = ContentHash(bytes, content);
                        });
        return S_OK;
    }
    const CStdStr<wchar_t> tempPath = MakeTempFilePath();
    HRESULT hr = E_FAIL;
    try {
        hr = CopyFileToLocal(remoteName, tempPath, nullptr, CStdStr<wchar_t>());
    } catch (...) {
        DeleteFileW(tempPath.c_str());
        throw;
    }
    if (FAILED(hr)) {
        DeleteFileW(tempPath.c_str()); // a failed download leaves no temporary file behind
        return hr;
    }
    hash = GetHashForLocalFile(tempPath);
    if (!DeleteFileW(tempPath.c_str())) {
        LSDIAG_ERROR << "Error deleting temp file :" << tempPath << ":" << std::hex << GetLastError();
        return E_FAIL;
    }
    if (hash.empty()) {
        LSDIAG_ERROR << "Unable to hash the server copy of " << remoteName;
        return MissingLocalHashResult();
    }
    return S_OK;
}
