#include "KOVACommon/LSLocalFiles.h"

#include "KOVACommon/LSBaseFileSyncFilter.h"
#include "KOVACommon/LSFilterSupport.h"
#include "Platform/FileApi.h"
#include "Platform/FileIoApi.h"

#include <array>

const wchar_t EmptyContentHash[] = L"{D98C1DD4-008F-04B2-E980-0998ECF8427E}";

namespace {

constexpr UINT IDS_COPY_ACCESS_DENIED = 4075;

bool IsFileOfNoBytes(const CStdStr<wchar_t>& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && data.nFileSizeHigh == 0 &&
           data.nFileSizeLow == 0;
}

} // namespace

LocalFileStamp StampOf(const WIN32_FILE_ATTRIBUTE_DATA& attributes) {
    return {(static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow,
            (static_cast<ULONGLONG>(attributes.ftLastWriteTime.dwHighDateTime) << 32) |
                attributes.ftLastWriteTime.dwLowDateTime};
}

std::optional<LocalFileStamp> LocalFileStampOf(const CStdStr<wchar_t>& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
        return std::nullopt;
    }
    return StampOf(attributes);
}

CStdStr<wchar_t> ToLowerAZ(const CStdStr<wchar_t>& text) {
    CStdStr<wchar_t> lower = text;
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return lower;
}

CStdStr<wchar_t> GetFileExtension(const CStdStr<wchar_t>& name) {
    const int dot = name.ReverseFind(L'.');
    return dot < 0 ? CStdStr<wchar_t>() : CStdStr<wchar_t>(name.substr(static_cast<size_t>(dot)));
}

bool IsMailFile(const CStdStr<wchar_t>& fileName) {
    static const std::array<const wchar_t*, 4> mailExtensions = {L".msg", L".eml", L".mim", L".mme"};
    const CStdStr<wchar_t> extension = ToLowerAZ(GetFileExtension(fileName));
    for (const wchar_t* mailExtension : mailExtensions) {
        if (extension == mailExtension) {
            return true;
        }
    }
    return false;
}

CStdStr<wchar_t> MakeTempFilePath() {
    wchar_t directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    return LSFileSystem::GetTempFilePathWithExt(L"LS", L".tmp", directory);
}

HRESULT CopyLocalFile(const CStdStr<wchar_t>& sourcePath, const CStdStr<wchar_t>& destinationPath,
                      ILSPropertyMap* item, ILSShutdownInformer* informer) {
    ILSShutdownInformerPtr heldInformer(informer);
    LSDIAG_DIAG << "About to copy: " << sourcePath << " to " << destinationPath;
    BOOL cancel = FALSE;
    if (CopyFileExW(sourcePath.c_str(), destinationPath.c_str(), QueryShutdown,
                    heldInformer.GetInterfacePtr(), &cancel, 0)) {
        LSDIAG_DIAG << "Copy succeeded";
        return S_OK;
    }
    const DWORD code = GetLastError();
    if (code == static_cast<DWORD>(ERROR_REQUEST_ABORTED)) {
        LSDIAG_ERROR << "Error copy cancelled - probably Outlook shutdown : " << destinationPath << std::dec
                     << code;
    } else {
        LSDIAG_ERROR << "Error adding new file :" << destinationPath << ":" << std::hex << code;
    }
    if (item != nullptr && HRESULT_FROM_WIN32(code) == E_ACCESSDENIED) {
        PutStr(item, ItemProperty::MavistoSyncIssueMessage, CStdStr<wchar_t>(IDS_COPY_ACCESS_DENIED));
    }
    return E_FAIL;
}

bool IsExternalAttachmentsEnabled() {
    static const bool enabled =
        LSSetting::GetInstance()->GetUserDwordConfigDetails(L"KOVA.ExternalAttachments", 0).value != 0;
    return enabled;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::GetHashForLocalFile(const CStdStr<wchar_t>& localPath) {
    const auto shutdownRequested = [this]() {
        if (m_shutdownInformer == nullptr) {
            LSDIAG_ERROR
                << "Filter not configured to handle shutdown, add COM_INTERFACE_ENTRY(ILSNeedsShutdownInfo) "
                   "to COM_MAP for filter";
            return false;
        }
        VARIANT_BOOL requested = VARIANT_FALSE;
        return SUCCEEDED(m_shutdownInformer->get_ShutdownRequested(&requested)) && requested != VARIANT_FALSE;
    };
    const CStdStr<wchar_t> hash = CLSHash::GetHashForLocalFile(localPath, shutdownRequested);
    // The hasher gives no text for a file of no bytes as for one it could not read or stopped on.
    if (hash.empty() && IsFileOfNoBytes(localPath)) {
        return EmptyContentHash;
    }
    return hash;
}

void LSBaseFileSyncFilter::RememberWrittenContentHash(const CStdStr<wchar_t>& localPath,
                                                      const CStdStr<wchar_t>& hash) {
    m_rememberedContentHash = RememberedContentHash{localPath, hash, std::nullopt};
}

void LSBaseFileSyncFilter::RememberSentContentHash(const CStdStr<wchar_t>& localPath,
                                                   const CStdStr<wchar_t>& hash, const LocalFileStamp& read) {
    m_rememberedContentHash = RememberedContentHash{localPath, hash, read};
}

std::optional<LSBaseFileSyncFilter::RememberedContentHash> LSBaseFileSyncFilter::TakeRememberedContentHash() {
    return std::exchange(m_rememberedContentHash, std::nullopt);
}

CStdStr<wchar_t>
LSBaseFileSyncFilter::HashOfRetrievedFile(const CStdStr<wchar_t>& localPath,
                                          const std::optional<RememberedContentHash>& remembered,
                                          bool contentAlreadyLocal) {
    // A download's hash serves its own file; an upload's serves content already local while the file
    // keeps the size and time it had when it was read for the upload.
    const bool fits = remembered && remembered->path == localPath &&
                      remembered->sentFile.has_value() == contentAlreadyLocal &&
                      (!remembered->sentFile || LocalFileStampOf(localPath) == remembered->sentFile);
    return fits ? remembered->hash : GetHashForLocalFile(localPath);
}

HRESULT LSBaseFileSyncFilter::MissingLocalHashResult() {
    VARIANT_BOOL requested = VARIANT_FALSE;
    const bool shutdown = m_shutdownInformer != nullptr &&
                          SUCCEEDED(m_shutdownInformer->get_ShutdownRequested(&requested)) &&
                          requested != VARIANT_FALSE;
    return shutdown ? E_ABORT : E_FAIL;
}
