// Preparing a sync: binding the object to the folder the host names, fetching the server's system
// configuration, the main folder's single-document properties, the field-set object and the
// folder-creation switch.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioFieldSetInfo.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"

bool KOVAMeridioSyncFilterImpl::SetupFolderToSync(ILSPropertyMap*) {
    LSDIAG_DIAG << "SetupFolderToSync start";
    m_folderLocation.Trim(L"/");
    const CStdStr<wchar_t> location = m_folderLocation;
    LSDIAG_DIAG << "DirPath" << location;
    LONG objectType = MeridioObjectOther;
    ExtractUrlDetails(location, m_serverName, objectType, m_folderObjectId);
    Login(false);
    LSDIAG_DIAG << "SetupFolderToSync end";
    return true;
}

void KOVAMeridioSyncFilterImpl::InitializeRepository() {
    LSDIAG_DIAG << "InitializeRepository start";
    const ILSShutdownInformerPtr informer = m_shutdownInformer;
    IXMLDOMDocument2Ptr reply;
    CStdStr<wchar_t> errorText;
    const HRESULT hr = ExecuteSCWSRequest(
        _variant_t(FormatString(L"<OutlookGetSystemConfigurationData xmlns=\"%s\" />", kMeridioScwsNamespace)
                       .c_str()),
        reply, L"OutlookGetSystemConfigurationData", errorText, informer);
    if (FAILED(hr)) {
        LSDIAG_ERROR << "InitializeRepository failed hr: " << std::hex << static_cast<DWORD>(hr)
                     << " errorMessage : " << errorText;
        ThrowHResult(hr);
    }
    const IXMLDOMNodePtr result = reply->selectSingleNode(L"//OutlookGetSystemConfigurationDataResult");
    if (!result) {
        LSDIAG_ERROR << "Unable to get OutlookGetSystemConfigurationDataResult node";
        ThrowHResult(E_INVALIDARG);
    }
    m_contentTypeText = CStdStr<wchar_t>(result->Gettext());
    m_contentTypeDocument = nullptr;
    LSDIAG_DIAG << "InitializeRepository end";
}

HRESULT KOVAMeridioSyncFilterImpl::raw_SetMainFolderProperties(ILSPropertyMap* mainFolderMap) {
    try {
        const HRESULT hr = LSBaseFileSyncFilter::raw_SetMainFolderProperties(mainFolderMap);
        if (FAILED(hr) || m_filterPropertyName.empty() || m_filterPropertyValue.empty()) {
            return hr;
        }
        constexpr const char* method = "KOVAMeridioSyncFilterImpl::raw_SetMainFolderProperties";
        ThrowIfWriteFailed(PutStr(mainFolderMap, ItemProperty::FilterPropertyName, m_filterPropertyName),
                           method, ": put_ItemStr failed ");
        ThrowIfWriteFailed(PutStr(mainFolderMap, ItemProperty::FilterPropertyValue, m_filterPropertyValue),
                           method, ": put_ItemStr failed ");
        if (!m_fileFilterLocation.empty()) {
            ThrowIfWriteFailed(
                PutStr(mainFolderMap, ItemProperty::MavistoRepositoryLocation, m_fileFilterLocation), method,
                ": put_ItemStr failed ");
        }
        return hr;
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_SetMainFolderProperties", __FILE__,
                                           __LINE__, nullptr);
    }
}

// The object is not initialised here: its user initialises it from the repository's map.
HRESULT KOVAMeridioSyncFilterImpl::CreateFieldSetInfo(ILSKOVAFieldSetInfo** fieldSet) {
    if (fieldSet == nullptr) {
        ThrowHResult(E_POINTER);
    }
    *fieldSet = NewComObject<CKOVAMeridioFieldSetInfo, ILSKOVAFieldSetInfo>().Detach();
    return S_OK;
}

bool KOVAMeridioSyncFilterImpl::CanAddFolders() {
    static const bool canAddFolders = [] {
        const bool value =
            LSSetting::GetInstance()->GetUserDwordConfigDetails(L"MeridioSync.CanAddFolders", 1).value != 0;
        LSDIAG_DIAG << "Meridio CanAddFolders: " << value;
        return value;
    }();
    return canAddFolders;
}

CStdStr<wchar_t> KOVAMeridioSyncFilterImpl::EncodeFileName(const CStdStr<wchar_t>& name) {
    return name;
}
