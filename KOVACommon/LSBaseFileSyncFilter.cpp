// The generic filter object: construction, settings, the start and end of a pass, the shutdown
// informer, the extra-value store and the defaults of the repository operations.
#include "KOVACommon/LSBaseFileSyncFilter.h"

#include "KOVACommon/LSExcludePatterns.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"

LSBaseFileSyncFilter::LSBaseFileSyncFilter() = default;

LSBaseFileSyncFilter::~LSBaseFileSyncFilter() {
    m_contentTypeDocument = nullptr;
    m_currentFolderMap = nullptr;
    m_mainFolderMap = nullptr;
    m_shutdownInformer = nullptr;
}

void LSBaseFileSyncFilter::InitSettings(const CStdStr<wchar_t>& filterName) {
    try {
        LSSetting* settings = LSSetting::GetInstance();
        m_maxFileSize = settings->GetUserDwordConfigDetails(filterName + L".MaxFileSizeInKB", 51200).value
                        << 10;
        if (m_excludeText.empty()) {
            m_excludeText = settings->GetUserString(filterName + L".ExcludeFileRegEx", L"");
        }
        // The setting is written on one line: a backslash followed by "n" separates the patterns.
        ReplaceAll(m_excludeText, L"\\n", L"\n");
        AppendExcludePatterns(m_excludeText, m_excludePatterns);
    } catch (...) {
        HResultFromCurrentException("LSBaseFileSyncFilter::InitSettings", __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_StartSync(LONG /*ignored*/, ILSPropertyMap* mainFolderMap) {
    try {
        if (const HRESULT bad =
                LSHostArguments("LSBaseFileSyncFilter::raw_StartSync").Map(mainFolderMap).Result();
            FAILED(bad)) {
            return bad;
        }
        m_mainFolderMap = mainFolderMap;
        m_contentTypeDocument = nullptr;
        m_headerOnly = false;
        return OnStartSync();
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_StartSync", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_EndSync(LONG syncKind, VARIANT_BOOL completed, LONG result) {
    try {
        OnEndSync(syncKind, completed, result);
        m_mainFolderMap = nullptr;
        m_contentTypeDocument = nullptr;
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_EndSync", __FILE__, __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_GetFieldSetInfo(ILSPropertyMap* /*ignored*/,
                                                  ILSKOVAFieldSetInfo** fieldSet) {
    if (fieldSet == nullptr) {
        return E_POINTER;
    }
    try {
        return CreateFieldSetInfo(fieldSet);
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_GetFieldSetInfo", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::raw_SyncFilterMethod23() {
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_SyncFilterMethod27() {
    return E_NOTIMPL;
}

HRESULT LSBaseFileSyncFilter::get_StoresServerFileId(VARIANT_BOOL* stores) {
    if (stores == nullptr) {
        return E_POINTER;
    }
    *stores = StoresServerFileId() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::raw_HasMoreItemsAvailable(LONG* more) {
    if (more == nullptr) {
        return E_POINTER;
    }
    try {
        *more = HasMoreItemsAvailable() ? 1 : 0;
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::raw_HasMoreItemsAvailable", __FILE__,
                                           __LINE__, nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::get_pShutdownInformer(ILSShutdownInformer** informer) {
    try {
        if (informer == nullptr) {
            return S_OK;
        }
        *informer = m_shutdownInformer;
        if (*informer != nullptr) {
            (*informer)->AddRef();
        }
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("LSBaseFileSyncFilter::get_pShutdownInformer", __FILE__, __LINE__,
                                           nullptr);
    }
}

HRESULT LSBaseFileSyncFilter::putref_pShutdownInformer(ILSShutdownInformer* informer) {
    m_shutdownInformer = informer;
    return S_OK;
}

HRESULT LSBaseFileSyncFilter::GetDefaultStartPoint(CStdStr<wchar_t>& startPoint) {
    if (!startPoint.empty()) {
        return S_OK;
    }
    ILSDefaultStartPoint* source = nullptr;
    HRESULT hr = static_cast<ILSSyncFilter2*>(this)->QueryInterface(__uuidof(ILSDefaultStartPoint),
                                                                    reinterpret_cast<void**>(&source));
    if (hr == E_NOINTERFACE) {
        return E_INVALIDARG;
    }
    if (FAILED(hr)) {
        _com_issue_error(hr);
    }
    BSTR text = nullptr;
    hr = source->raw_GetDefaultStartPoint(&text);
    if (SUCCEEDED(hr)) {
        startPoint = text;
        SysFreeString(text);
        hr = S_OK;
    }
    source->Release();
    return hr;
}

DWORD CALLBACK QueryShutdown(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                             HANDLE, LPVOID data) {
    auto* informer = static_cast<ILSShutdownInformer*>(data);
    if (informer == nullptr) {
        return PROGRESS_CONTINUE;
    }
    try {
        VARIANT_BOOL requested = VARIANT_FALSE;
        if (SUCCEEDED(informer->get_ShutdownRequested(&requested)) && requested != VARIANT_FALSE) {
            return PROGRESS_CANCEL;
        }
    } catch (...) {
        LSDIAG_ERROR << "Failed querying shutdown in FileShareSync";
    }
    return PROGRESS_CONTINUE;
}

const CStdStr<wchar_t>& GetEmailFileIdProperty() {
    static const CStdStr<wchar_t> name =
        LSSetting::GetInstance()->GetUserString(L"SharePointSync.EmailFileIdProperty", L"ows-EmailFileId");
    return name;
}

const CStdStr<wchar_t>& GetDocIdProperty() {
    static const CStdStr<wchar_t> name =
        LSSetting::GetInstance()->GetUserString(L"DocIdProperty", L"Document ID Value");
    return name;
}

namespace {

CStdStr<wchar_t> ExtraProperty(const std::vector<LSExtraProperties>& table, USHORT index,
                               const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& defaultValue) {
    if (index >= table.size()) {
        return defaultValue;
    }
    auto found = table[index].find(name);
    return found == table[index].end() ? defaultValue : found->second;
}

} // namespace

CStdStr<wchar_t> LSBaseFileSyncFilter::GetItemExtraProperty(USHORT index, const CStdStr<wchar_t>& name,
                                                            const CStdStr<wchar_t>& defaultValue) const {
    return ExtraProperty(m_itemExtraProperties, index, name, defaultValue);
}

bool LSBaseFileSyncFilter::ListedItemProperties(USHORT index, LSExtraProperties& extra) {
    const bool stored = index < m_itemExtraProperties.size();
    if (stored) {
        extra = m_itemExtraProperties[index];
    }
    return AddListedItemProperties(index, extra) || stored;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::GetSubFolderExtraProperty(USHORT index, const CStdStr<wchar_t>& name,
                                                                 const CStdStr<wchar_t>& defaultValue) const {
    return ExtraProperty(m_subFolderExtraProperties, index, name, defaultValue);
}

bool LSBaseFileSyncFilter::AddListedItemProperties(USHORT /*index*/, LSExtraProperties& /*extra*/) {
    return false;
}

void LSBaseFileSyncFilter::ForgetStartPoint() {}

void LSBaseFileSyncFilter::SetItemExtraProperty(USHORT index, const CStdStr<wchar_t>& name,
                                                const CStdStr<wchar_t>& value) {
    if (m_itemExtraProperties.size() < static_cast<size_t>(index) + 1) {
        m_itemExtraProperties.resize(static_cast<size_t>(index) + 1);
    }
    m_itemExtraProperties[index][name] = value;
}

// Defaults of the repository operations that a concrete filter may keep.

HRESULT LSBaseFileSyncFilter::DoesItemExistRemote(const CStdStr<wchar_t>& name, bool& exists,
                                                  bool nameIsFileName) {
    return DoesFileExistRemote(name, exists, nameIsFileName);
}

bool LSBaseFileSyncFilter::AlwaysUploadContent() {
    return false;
}

bool LSBaseFileSyncFilter::StoresServerFileId() {
    return false;
}

bool LSBaseFileSyncFilter::ShouldStoreServerFileId(const CStdStr<wchar_t>&, ILSPropertyMap*, bool) {
    return StoresServerFileId();
}

bool LSBaseFileSyncFilter::CanAddDocumentsToMainFolder() {
    return true;
}

bool LSBaseFileSyncFilter::CanAddDocumentsToSubFolder() {
    return true;
}

HRESULT LSBaseFileSyncFilter::CreateFieldSetInfo(ILSKOVAFieldSetInfo** fieldSet) {
    if (fieldSet != nullptr) {
        *fieldSet = nullptr;
    }
    return E_INVALIDARG;
}

void LSBaseFileSyncFilter::InitializeRepository() {}

bool LSBaseFileSyncFilter::SetupFolderToSync(ILSPropertyMap*) {
    return false;
}

bool LSBaseFileSyncFilter::IsItemCheckedOut(USHORT, ILSPropertyMap*) {
    return false;
}

bool LSBaseFileSyncFilter::SkipFromToUsers(const CStdStr<wchar_t>&, ILSPropertyMap*) {
    return false;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::GetServerFileId(ILSPropertyMap*, const CStdStr<wchar_t>&) {
    return CStdStr<wchar_t>();
}

bool LSBaseFileSyncFilter::IsDownloadHashSkipped() {
    return false;
}

bool LSBaseFileSyncFilter::IsRemoteUnchanged(USHORT, ILSPropertyMap*) {
    return false;
}

bool LSBaseFileSyncFilter::CanAddFolders() {
    return true;
}

HRESULT LSBaseFileSyncFilter::OnPostContentSyncFolderUpdate(ILSPropertyMap*, VARIANT_BOOL, VARIANT_BOOL) {
    return S_OK;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::GetItemDisplayName(USHORT, const CStdStr<wchar_t>& name) {
    return name;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::GetSubFolderDisplayName(USHORT, const CStdStr<wchar_t>& name) {
    return name;
}

HRESULT LSBaseFileSyncFilter::OnRemoteFileRenamed(ILSPropertyMap*) {
    return S_OK;
}

bool LSBaseFileSyncFilter::HasMoreItemsAvailable() {
    return false;
}

HRESULT LSBaseFileSyncFilter::GetServerItemCount(LONG* count) {
    *count = 0;
    return E_NOTIMPL;
}

HRESULT LSBaseFileSyncFilter::GetServerItem(LONG, CStdStr<wchar_t>&) {
    return E_NOTIMPL;
}

CStdStr<wchar_t> LSBaseFileSyncFilter::GetKeyPropertyName() {
    return CStdStr<wchar_t>(ItemProperty::MavistoFromServerFileName);
}
