// The link text a mail carries in place of a synced document, and the document's ids for the
// host's property editing.
#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHostArguments.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"

namespace {

constexpr wchar_t kLinkMarker[] = L"VANTREL_TEXTLINK_URL:";

// Whether a link opens the document through the host (1, the default) or names its location (0).
bool SendsOpenLink() {
    static const bool openLink =
        LSSetting::GetInstance()->GetUserDwordConfigDetails(L"MeridioSync.SendVantrelDocLink", 1).value != 0;
    return openLink;
}

// The item's string property (empty when it has none) as a new BSTR, at the host boundary.
HRESULT AnswerItemProperty(ILSPropertyMap* item, const wchar_t* name, BSTR* value, const char* method) {
    try {
        if (const HRESULT bad = LSHostArguments(method).Map(item).Out(value).Result(); FAILED(bad)) {
            return bad;
        }
        *value = LSPropertyHelpers::getStrProp(item, name, L"").AllocSysString();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException(method, __FILE__, __LINE__, nullptr);
    }
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::raw_CreateSendLinkFiletext(ILSPropertyMap*, ILSPropertyMap*,
                                                              ILSPropertyMap* item, BSTR* linkText,
                                                              BSTR* fileName) {
    try {
        if (const HRESULT bad = LSHostArguments("KOVAMeridioSyncFilterImpl::raw_CreateSendLinkFiletext")
                                    .Map(item)
                                    .Out(linkText)
                                    .Out(fileName)
                                    .Result();
            FAILED(bad)) {
            return bad;
        }
        const CStdStr<wchar_t> serverFileId =
            LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFromServerFileId, L"");
        const CStdStr<wchar_t> serverFileName =
            LSPropertyHelpers::getStrProp(item, ItemProperty::MavistoFromServerFileName, L"");
        CStdStr<wchar_t> link = serverFileId;
        if (SendsOpenLink()) {
            const CStdStr<wchar_t> documentId =
                LSPropertyHelpers::getStrProp(item, GetDocIdProperty().c_str(), L"");
            if (serverFileId.empty() || documentId.empty()) {
                LSDIAG_DIAG << "could not find item info";
                return E_FAIL;
            }
            link = FormatString(L"stssync://kova/OpenLink=%s#%s#%s", GetRepositoryType().c_str(),
                                serverFileId.c_str(), documentId.c_str());
            LSDIAG_DIAG << "Generated KOVA document link for Meridio item: " << link;
        }
        const CStdStr<wchar_t> text = kLinkMarker + link;
        *linkText = text.AllocSysString();
        *fileName = serverFileName.AllocSysString();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("KOVAMeridioSyncFilterImpl::raw_CreateSendLinkFiletext", __FILE__,
                                           __LINE__, nullptr);
    }
}

HRESULT KOVAMeridioSyncFilterImpl::raw_GetDocumentId(ILSPropertyMap* item, BSTR* documentId) {
    return AnswerItemProperty(item, L"Meridio-DOCID", documentId,
                              "KOVAMeridioSyncFilterImpl::raw_GetDocumentId");
}

HRESULT KOVAMeridioSyncFilterImpl::raw_GetVersionId(ILSPropertyMap* item, BSTR* versionId) {
    return AnswerItemProperty(item, L"Meridio-VERSIONID", versionId,
                              "KOVAMeridioSyncFilterImpl::raw_GetVersionId");
}
