// Upload of a local file to the server: DMWS AddObject2 receives the SOAP envelope and the file content
// as one DIME message and stores a new document (then linked to the synced folder: a container
// reference, or an entry in the current part of a records-management folder) or a new version of a
// document, which is locked for the upload and unlocked after it.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSLocalFiles.h"
#include "KOVACommon/LSPropertyHelpers.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioDimeWriter.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioNumbers.h"
#include "KOVAMeridioSync/MeridioTitles.h"
#include "Platform/FileIoApi.h"
#include "Platform/SafeArrayShared.h"
#include "Platform/Utf.h"
#include "Platform/WideStdio.h"

#include <cerrno>
#include <cstdio>
#include <functional>
#include <future>
#include <optional>

namespace {

constexpr LONG kDocumentCategory = 4;
constexpr LONG kMailCategory = 5;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// The upload message of the file's content under the envelope, the file read straight into it, and the
// file's size and time as they were before it was read, when all of those bytes were read. Open and
// read errors are thrown as plain integers (the error number, or 2 for a read error). A file that
// shrank since its size was taken gives the bytes it still has.
struct LocalFileContent {
    UploadDimeMessage message;
    std::optional<LocalFileStamp> read;
};

LocalFileContent ReadLocalFile(const CStdStr<wchar_t>& localPath, const CStdStr<wchar_t>& fileName,
                               std::string_view envelopeUtf8) {
    DWORD size = 0;
    std::optional<LocalFileStamp> stamp;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!fileName.empty() && GetFileAttributesExW(localPath.c_str(), GetFileExInfoStandard, &attributes)) {
        // DIME data lengths have 32 bits: a larger file cannot be sent whole.
        if (attributes.nFileSizeHigh != 0) {
            LSDIAG_ERROR << "File too large to upload: " << fileName;
            ThrowHResult(E_INVALIDARG);
        }
        size = attributes.nFileSizeLow;
        stamp = StampOf(attributes);
    }
    const std::unique_ptr<FILE, FileCloser> file(_wfopen(localPath.c_str(), L"rb"));
    if (!file) {
        const int error = errno;
        LSDIAG_ERROR << "Failed to open file: " << fileName << " Error: " << std::hex << error;
        throw error;
    }
    LocalFileContent content{UploadDimeMessage(envelopeUtf8, size), stamp};
    const size_t read = std::fread(content.message.Content(), 1, size, file.get());
    if (read < size) {
        if (std::ferror(file.get())) {
            LSDIAG_ERROR << "Error on reading file";
            throw 2;
        }
        LSDIAG_DIAG << "Got to end of file";
        content.message.ShortenContent(read);
        content.read.reset();
    }
    return content;
}

// The content hash of the message's content, taken on another thread; empty when the digest fails
// (then the file is hashed when the hash is wanted).
std::future<CStdStr<wchar_t>> HashOfContent(const UploadDimeMessage& message) {
    return std::async(std::launch::async, [message] {
        try {
            LSContentHasher hasher;
            hasher.Add(message.Content(), message.ContentSize());
            return hasher.Hash();
        } catch (const std::exception& error) {
            LSDIAG_ERROR << "Unable to hash the uploaded content: " << error.what();
            return CStdStr<wchar_t>();
        }
    });
}

// Runs the release when it goes out of scope still set: a lock taken for an upload is released on
// every way out but the one that releases it itself.
struct ReleaseOnFailure {
    std::function<void()> release;
    ReleaseOnFailure() = default;
    ReleaseOnFailure(const ReleaseOnFailure&) = delete;
    ReleaseOnFailure& operator=(const ReleaseOnFailure&) = delete;
    ~ReleaseOnFailure() {
        if (!release) {
            return;
        }
        try {
            release();
        } catch (...) {
            LSDIAG_ERROR << "Unable to release the lock after a failed upload";
        }
    }
};

// The body of an upload as a byte-array VARIANT over the message's bytes, which the request then sends
// without a copy of its own.
_variant_t ByteArrayBody(const UploadDimeMessage& message) {
    SAFEARRAY* array = Platform::SafeArrayCreateVectorOver(VT_UI1, static_cast<ULONG>(message.Size()),
                                                           message.Bytes().get(), message.Bytes());
    if (array == nullptr) {
        ThrowHResult(E_OUTOFMEMORY);
    }
    VARIANT body;
    VariantInit(&body);
    body.vt = VT_ARRAY | VT_UI1;
    body.parray = array;
    return _variant_t(body, false);
}

CStdStr<wchar_t> NewVersionBody(LONG documentId, const CStdStr<wchar_t>& fileName) {
    const CStdStr<wchar_t> rows = FormatString(
        L"<VERSIONS diffgr:id=\"VERSIONS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
        L"<PROP_W_reclaimPending>false</PROP_W_reclaimPending><PROP_W_keepOnline>false</PROP_W_keepOnline>"
        L"<docId>%ld</docId><newVersionFileName>%s</newVersionFileName><PROP_A_fingerprint />"
        L"</VERSIONS>",
        static_cast<long>(documentId), XmlEscape(fileName, "the file name").c_str());
    return FormatString(
        L"<AddObject2 xmlns=\"%s\"><additionInfo>%s</additionInfo><uploadInfo />"
        L"<major>false</major></AddObject2>",
        kMeridioDmwsNamespace,
        MeridioDiffgram(L"DMDataSet", kMeridioDmDataSetNamespace, rows, CStdStr<wchar_t>()).c_str());
}

CStdStr<wchar_t> NewDocumentBody(const CStdStr<wchar_t>& fileName, LONG categoryId,
                                 const CStdStr<wchar_t>& accessRows,
                                 const CStdStr<wchar_t>& customPropertyRows, bool major) {
    const CStdStr<wchar_t> rows = FormatString(
        L"%s<DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
        L"<PROP_documentId>0</PROP_documentId><PROP_W_title>%s</PROP_W_title>"
        L"<PROP_originalFileName>%s</PROP_originalFileName>"
        L"<PROP_W_defaultLockFileName>%s</PROP_W_defaultLockFileName>"
        L"<PROP_W_indexingType>1</PROP_W_indexingType><PROP_categoryId>%ld</PROP_categoryId>"
        L"<PROP_documentPolicyId>1</PROP_documentPolicyId><newDocCategoryId>%ld</newDocCategoryId>"
        L"</DOCUMENTS>%s"
        L"<DOCUMENT_POLICIES diffgr:id=\"DOCUMENT_POLICIES1\" msdata:rowOrder=\"0\" "
        L"diffgr:hasChanges=\"inserted\"><policyId>1</policyId></DOCUMENT_POLICIES>"
        L"<VERSIONS diffgr:id=\"VERSIONS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
        L"<PROP_W_reclaimPending>false</PROP_W_reclaimPending><PROP_W_keepOnline>false</PROP_W_keepOnline>"
        L"<docId>0</docId><newVersionFileName>%s</newVersionFileName></VERSIONS>",
        accessRows.c_str(), XmlEscape(TitleOfFileName(fileName), "the title").c_str(),
        XmlEscape(fileName, "the file name").c_str(),
        XmlEscape(RemoveInvalidTitleChars(fileName), "the file name").c_str(), static_cast<long>(categoryId),
        static_cast<long>(categoryId), customPropertyRows.c_str(),
        XmlEscape(fileName, "the file name").c_str());
    return FormatString(
        L"<AddObject2 xmlns=\"%s\"><additionInfo>%s</additionInfo><uploadInfo />"
        L"<major>%s</major></AddObject2>",
        kMeridioDmwsNamespace,
        MeridioDiffgram(L"DMDataSet", kMeridioDmDataSetNamespace, rows, CStdStr<wchar_t>()).c_str(),
        major ? L"true" : L"false");
}

} // namespace

void KOVAMeridioSyncFilterImpl::GetSyncedFolderDetails(LONG& objectType, LONG& objectId) {
    CStdStr<wchar_t> location = m_folderLocation;
    location.Trim(L"/");
    ExtractUrlDetails(location, m_serverName, objectType, objectId);
}

HRESULT KOVAMeridioSyncFilterImpl::CopyFileRemote(const CStdStr<wchar_t>& localPath,
                                                  const CStdStr<wchar_t>& encodedFileName,
                                                  ILSPropertyMap* item, bool existsOnServer,
                                                  CStdStr<wchar_t>& remoteName) {
    LSDIAG_DIAG << "CopyFileRemote start";
    Login(false);
    const bool isMail = IsMailFile(encodedFileName);
    const LONG categoryId = isMail ? kMailCategory : kDocumentCategory;

    CStdStr<wchar_t> body;
    CStdStr<wchar_t> existingId;
    LONG documentId = 0;
    bool declareAsRecords = false;
    CStdStr<wchar_t> currentPartId;
    if (existsOnServer) {
        existingId = LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFromServerFileId, L"");
        if (existingId.empty()) {
            LSDIAG_ERROR << "unable to locate MavistoFromServerFileId property for document to checkout";
            return E_FAIL;
        }
        LSDIAG_DIAG << "Adding new verson to existing document: " << existingId;
        CStdStr<wchar_t> serverName;
        LONG objectType = MeridioObjectOther;
        ExtractUrlDetails(existingId, serverName, objectType, documentId);
        body = NewVersionBody(documentId, encodedFileName);
    } else {
        CStdStr<wchar_t> customPropertyRows;
        if (isMail) {
            SetMailCustomProperties(customPropertyRows, kMailCategory, item);
        }
        LONG folderType = MeridioObjectOther;
        LONG folderId = 0;
        GetSyncedFolderDetails(folderType, folderId);
        IXMLDOMNodeListPtr inheritedProperties;
        CStdStr<wchar_t> accessRows;
        CStdStr<wchar_t> errorText;
        HRESULT hr =
            GetInheritedACLForObject(folderId, m_dmwsUrl, SessionToken(), m_shutdownInformer,
                                     MeridioObjectDocument, inheritedProperties, accessRows, errorText);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "Failed to get inherited ACL hr: " << std::hex << static_cast<DWORD>(hr)
                         << " ErrorMessage: " << errorText;
            if (item == nullptr) {
                return hr;
            }
            MarkSyncIssue(item, errorText);
            return S_FALSE;
        }
        if (folderType == MeridioObjectFolder) {
            // Without the current part the new document could not be entered anywhere.
            hr = GetCurrentPart(folderId, errorText, currentPartId);
            if (FAILED(hr)) {
                LSDIAG_ERROR << "GetCurrentPart failed hr: " << std::hex << static_cast<DWORD>(hr)
                             << " errMessage: " << errorText;
                if (item == nullptr) {
                    return hr;
                }
                MarkSyncIssue(item, errorText);
                return S_FALSE;
            }
            declareAsRecords = GetDeclareAsRecords(folderId);
        }
        body = NewDocumentBody(encodedFileName, categoryId, accessRows, customPropertyRows,
                               isMail || declareAsRecords);
    }

    const auto envelopeFor = [&body](const CStdStr<wchar_t>& token) {
        return Platform::WideToUtf8(
            MeridioSoapEnvelope(MeridioCredentialHeader(kMeridioDmws.headerTemplate, token), body));
    };
    // The file is read before a lock is taken, so that an unreadable file leaves no lock behind.
    std::string envelope = envelopeFor(SessionToken());
    LocalFileContent content = ReadLocalFile(localPath, encodedFileName, envelope);
    UploadDimeMessage& upload = content.message;
    // Hashed while it is sent, so that the retrieve of the sent file after the upload need not read it.
    std::future<CStdStr<wchar_t>> contentHash =
        content.read ? HashOfContent(upload) : std::future<CStdStr<wchar_t>>();
    ReleaseOnFailure releaseLock;
    if (existsOnServer && !IsCheckoutInternal(existingId)) {
        CheckoutInternal(documentId);
        releaseLock.release = [this, documentId] { CancelCheckoutInternal(documentId); };
    }
    // A new session token (a renewed login) needs the content under a new envelope.
    const MessageForToken message = [&](const CStdStr<wchar_t>& token) {
        std::string wanted = envelopeFor(token);
        if (wanted != envelope) {
            upload = upload.WithEnvelope(wanted);
            envelope = std::move(wanted);
        }
        return ByteArrayBody(upload);
    };
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = SendDMWSUpload(message, L"AddObject2", reply, errorText);
    if (FAILED(hr)) {
        if (item == nullptr) {
            ThrowHResult(hr);
        }
        MarkSyncIssue(item, errorText);
        remoteName = existingId;
        return S_FALSE;
    }

    const IXMLDOMNodePtr idNode =
        reply->selectSingleNode(existsOnServer ? L"//VERSIONS/docId" : L"//DOCUMENTS/PROP_documentId");
    const CStdStr<wchar_t> newId = idNode ? CStdStr<wchar_t>(idNode->Gettext()) : CStdStr<wchar_t>();
    if (newId.empty()) {
        LSDIAG_ERROR << "Unable to retrieve document id";
        ThrowHResult(E_INVALIDARG);
    }
    if (existsOnServer) {
        releaseLock.release = nullptr;
        CancelCheckoutInternal(ParseDecimal(newId));
        remoteName = existingId;
    } else {
        const IXMLDOMNodePtr recordType = reply->selectSingleNode(L"//DOCUMENTS/PROP_recordType");
        const bool isRecord = recordType && !CStdStr<wchar_t>(recordType->Gettext()).empty();
        remoteName = BuildDocumentUrl(isRecord, newId);
        AddDocToParent(newId, remoteName, item, declareAsRecords, currentPartId);
    }
    if (contentHash.valid()) {
        const CStdStr<wchar_t> hash = contentHash.get();
        if (!hash.empty()) {
            RememberSentContentHash(localPath, hash, *content.read);
        }
    }
    LSDIAG_DIAG << "CopyFileRemote end";
    return S_OK;
}

bool KOVAMeridioSyncFilterImpl::GetDeclareAsRecords(LONG folderId) {
    CStdStr<wchar_t> errorText;
    IXMLDOMDocument2Ptr reply;
    const HRESULT hr = ExecuteSCWSRequest(
        _variant_t(FormatString(L"<OutlookGetDocAdditionInfo xmlns=\"%s\"><containerId>%ld</containerId>"
                                L"<isMapiClient>1</isMapiClient><categoryName /><getKeyWordFullPath>0"
                                L"</getKeyWordFullPath></OutlookGetDocAdditionInfo>",
                                kMeridioScwsNamespace, static_cast<long>(folderId))
                       .c_str()),
        reply, L"OutlookGetDocAdditionInfo", errorText, m_shutdownInformer);
    if (FAILED(hr)) {
        return false;
    }
    const IXMLDOMNodePtr result = reply->selectSingleNode(L"//OutlookGetDocAdditionInfoResult");
    if (!result) {
        LSDIAG_ERROR << "Unable to get OutlookGetDocAdditionInfo node for container: " << folderId;
        ThrowHResult(E_INVALIDARG);
    }
    IXMLDOMDocument2Ptr info;
    CreateDOMDocument(info, CStdStr<wchar_t>(result->Gettext()));
    const IXMLDOMElementPtr settings = info->selectSingleNode(L"//T8");
    bool declareAsRecords = false;
    if (!settings) {
        LSDIAG_DIAG
            << "No T8 element in OutlookGetDocAdditionInfo result so assuming declareAsRecords isFalse ";
    } else {
        const _variant_t value = settings->getAttribute(_bstr_t(L"DeclareAsRecords"));
        declareAsRecords = value.vt == VT_BSTR && CStdStr<wchar_t>(value.bstrVal) == L"1";
    }
    LSDIAG_DIAG << "Declare as record setting for folder: " << declareAsRecords;
    return declareAsRecords;
}

void KOVAMeridioSyncFilterImpl::AddDocToParent(const CStdStr<wchar_t>& documentId,
                                               CStdStr<wchar_t>& serverFileId, ILSPropertyMap* item,
                                               bool declareAsRecord, const CStdStr<wchar_t>& currentPartId) {
    LSDIAG_DIAG << "AddDocToParent start docId: " << documentId;
    LONG folderType = MeridioObjectOther;
    LONG folderId = 0;
    GetSyncedFolderDetails(folderType, folderId);
    HRESULT hr = S_OK;
    CStdStr<wchar_t> errorText;
    if (folderType == MeridioObjectContainer) {
        hr = AddDocToContainer(folderId, ParseDecimal(documentId), errorText);
    } else if (folderType == MeridioObjectFolder) {
        hr = AddToPart(currentPartId, documentId, declareAsRecord, errorText);
        if (declareAsRecord) {
            serverFileId = BuildDocumentUrl(true, documentId);
        }
    } else {
        LSDIAG_ERROR
            << "Unable to add document to container/folder as unexpected typeof container to add to: "
            << folderType;
        if (item != nullptr) {
            MarkSyncIssue(item, L"Unexpected container type");
        }
        ThrowHResult(S_FALSE);
    }
    if (FAILED(hr)) {
        LSDIAG_ERROR << "AddDocToParent failed hr: " << std::hex << static_cast<DWORD>(hr) << " errorMessage"
                     << errorText;
        if (item == nullptr) {
            ThrowHResult(hr);
        }
        MarkSyncIssue(item, errorText);
        ThrowHResult(S_FALSE);
    }
    LSDIAG_DIAG << "AddDocToParent end";
}

HRESULT KOVAMeridioSyncFilterImpl::AddDocToContainer(LONG containerId, LONG documentId,
                                                     CStdStr<wchar_t>& errorText) {
    LSDIAG_DIAG << "AddDocToContainer start docId: " << documentId << " containerId: " << containerId;
    const CStdStr<wchar_t> row = FormatString(
        L"<CONTAINER_DOCUMENTREFS diffgr:id=\"CONTAINER_DOCUMENTREFS1\" msdata:rowOrder=\"0\" "
        L"diffgr:hasChanges=\"inserted\"><ContainerId>%ld</ContainerId><DocumentRefId>%ld</DocumentRefId>"
        L"</CONTAINER_DOCUMENTREFS>",
        static_cast<long>(containerId), static_cast<long>(documentId));
    IXMLDOMDocument2Ptr reply;
    const HRESULT hr = SendDMWSRequest(MeridioDmApplyChangesBody(row, CStdStr<wchar_t>()), L"ApplyChanges",
                                       reply, errorText);
    LSDIAG_DIAG << "AddDocToContainer end";
    return hr;
}

HRESULT KOVAMeridioSyncFilterImpl::GetCurrentPart(LONG folderId, CStdStr<wchar_t>& errorText,
                                                  CStdStr<wchar_t>& currentPartId) {
    LSDIAG_DIAG << "GetCurrentPart start folderId: " << folderId;
    const CStdStr<wchar_t> body = FormatString(
        L"<GetFolder2 xmlns=\"%s\"><id>%ld</id><getPropDefs>false</getPropDefs><getActivities>true"
        L"</getActivities><getParts>false</getParts><getRecords>false</getRecords><getCustomProperties>true"
        L"</getCustomProperties></GetFolder2>",
        kMeridioRmwsNamespace, static_cast<long>(folderId));
    IXMLDOMDocument2Ptr reply;
    const HRESULT hr = SendRMWSRequest(body, L"GetFolder2", reply, errorText);
    if (FAILED(hr)) {
        return hr;
    }
    const IXMLDOMNodePtr part = reply->selectSingleNode(L"//RMDataSet/rm2vFolder/currentPartId");
    if (!part || CStdStr<wchar_t>(part->Gettext()).empty()) {
        LSDIAG_ERROR << "Unable to get current partId for folder: " << folderId;
        ThrowHResult(E_FAIL);
    }
    currentPartId = CStdStr<wchar_t>(part->Gettext());
    LSDIAG_DIAG << "GetCurrentPart end currentPartId: " << currentPartId;
    return S_OK;
}
