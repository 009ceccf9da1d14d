// The Meridio filter object: construction, the fixed repository operations, the start-point parser,
// and the host methods whose operations this filter does not offer.
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVAMeridioSync/MeridioLocations.h"

namespace {

// Marks a start point that names one document: folder location, marker, document id "/" ...
constexpr wchar_t kFileFilterMarker[] = L"#filter:file|";

} // namespace

KOVAMeridioSyncFilterImpl::KOVAMeridioSyncFilterImpl() {
    InitSettings(L"MeridioSync");
}

KOVAMeridioSyncFilterImpl::~KOVAMeridioSyncFilterImpl() = default;

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::GetRepositoryType() {
    return CStdStr<wchar_t>(RepositoryType::Meridio);
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::GetFilterName() {
    return L"MeridioSync";
}

HRESULT KOVAMeridioSyncFilterImpl::PrepareStartPoint(CStdStr<wchar_t>&, BSTR*) {
    return S_OK;
}

bool KOVAMeridioSyncFilterImpl::GetRemoteLastModified(const CStdStr<wchar_t>&, SYSTEMTIME*) {
    return false;
}

HRESULT KOVAMeridioSyncFilterImpl::RenameFolderRemote(const CStdStr<wchar_t>&, const CStdStr<wchar_t>&,
                                                      ILSPropertyMap*) {
    return E_NOTIMPL;
}

HRESULT KOVAMeridioSyncFilterImpl::GetStoredRemoteFileName(const CStdStr<wchar_t>&, CStdStr<wchar_t>&) {
    return MAPI_E_NOT_FOUND;
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::GetItemName(USHORT index) {
    return ListedEntry(m_fileNames, index, "document locations");
}

ULONG KOVAMeridioSyncFilterImpl::GetItemVersion(USHORT index) {
    return ListedEntry(m_itemVersions, index, "document versions");
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::GetSubFolderUrl(USHORT index) {
    return ListedEntry(m_subFolderUrls, index, "sub-folder locations");
}

HRESULT KOVAMeridioSyncFilterImpl::SetSubFolderItemProperties(USHORT index, ILSPropertyMap* subFolder) {
    const HRESULT hr = PutStr(subFolder, ItemProperty::MavistoFromServerShortItemId, GetSubFolderUrl(index));
    ThrowIfWriteFailed(hr, "KOVAMeridioSyncFilterImpl::SetSubFolderItemProperties",
                       ": put_ItemStr for MavistoFromServerShortItemId failed ");
    return hr;
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::GetUploadInfoString() {
    return CStdStr<wchar_t>();
}

HRESULT KOVAMeridioSyncFilterImpl::OnEndSync(LONG, VARIANT_BOOL, LONG) {
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::OnStartSync() {
    return S_OK;
}

void KOVAMeridioSyncFilterImpl::ForgetStartPoint() {
    m_fileFilterLocation.clear();
    m_subFolderUrls.clear();
    m_fileNames.clear();
    m_itemVersions.clear();
    m_itemUrls.clear();
    m_itemRows.clear();
    _nameValuePairsForRootFolder.clear();
    m_contentsDocument.Clear();
}

// A start point without the marker names no document: the state it starts from has no filter.
HRESULT KOVAMeridioSyncFilterImpl::ParseFileFilterLocation(CStdStr<wchar_t>& startPoint) {
    const CStdStr<wchar_t> wholeStartPoint = startPoint;
    const size_t marker = startPoint.find(kFileFilterMarker);
    if (marker == CStdStr<wchar_t>::npos) {
        return S_OK;
    }
    const CStdStr<wchar_t> filterText = startPoint.substr(marker + std::size(kFileFilterMarker) - 1);
    startPoint = startPoint.substr(0, marker);
    const std::vector<CStdStr<wchar_t>> pieces = SplitString(filterText, L"/");
    m_filterPropertyName = L"FileId";
    m_filterPropertyValue = pieces.empty() ? CStdStr<wchar_t>() : pieces[0];
    m_fileFilterLocation = wholeStartPoint;
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::GetFolderUrl(const CStdStr<wchar_t>&, CStdStr<wchar_t>& url, int) {
    url.clear();
    return S_OK;
}

HRESULT KOVAMeridioSyncFilterImpl::GetFileUrl(const CStdStr<wchar_t>&, CStdStr<wchar_t>& url, LONG index) {
    url.clear();
    if (index < 0) {
        return S_OK;
    }
    if (static_cast<size_t>(index) >= m_itemUrls.size()) {
        LSDIAG_ERROR << "KOVAMeridioSyncFilterImpl::GetFileUrl"
                     << ": Invalid ItemIndex: " << index;
        return E_INVALIDARG;
    }
    url = m_itemUrls[static_cast<size_t>(index)];
    return S_OK;
}

bool KOVAMeridioSyncFilterImpl::StoresServerFileId() {
    return true;
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::GetKeyPropertyName() {
    return CStdStr<wchar_t>(ItemProperty::MavistoFromServerFileId);
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::BuildDocumentUrl(bool isRecord,
                                                             const CStdStr<wchar_t>& documentId) const {
    return m_documentUrls.Make(m_serverName, isRecord, documentId);
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::BuildContainerUrl(const CStdStr<wchar_t>& objectTypeText,
                                                              LONG objectId) const {
    return MakeContainerUrl(m_serverName, objectTypeText, objectId);
}
