// The module's AppID, type library description and object map.
#include "KOVAMeridioSync/Module/KOVAMeridioSyncModule.h"

#include "KOVAMeridioSync/KOVAMeridioFieldInfo.h"
#include "KOVAMeridioSync/KOVAMeridioFieldSetInfo.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilter.h"
#include "Platform/AtlCom.h"

namespace {

BEGIN_OBJECT_MAP(kObjectMap)
OBJECT_ENTRY(CLSID_KOVAMeridioFieldInfo, CKOVAMeridioFieldInfo)
OBJECT_ENTRY(CLSID_KOVAMeridioFieldSetInfo, CKOVAMeridioFieldSetInfo)
OBJECT_ENTRY(CLSID_KOVAMeridioSyncFilter, CKOVAMeridioSyncFilter)
END_OBJECT_MAP()

const Platform::TypeLibInterface kInterfaces[] = {
    {&__uuidof(IKOVAMeridioSyncFilter), L"IKOVAMeridioSyncFilter"},
    {&__uuidof(IKOVAMeridioFieldInfo), L"IKOVAMeridioFieldInfo"},
    {&__uuidof(IKOVAMeridioFieldSetInfo), L"IKOVAMeridioFieldSetInfo"}};

} // namespace

CKOVAMeridioSyncModule::CKOVAMeridioSyncModule() {
    SetRegistryScripts(KOVAMeridioSyncRegistryScripts());
}

const wchar_t* CKOVAMeridioSyncModule::GetAppId() {
    static const std::wstring appId = L"{297AF115-42CF-4DD5-A740-13B9B524AF53}";
    return appId.c_str();
}

HRESULT CKOVAMeridioSyncModule::AddCommonRGSReplacements(Platform::RegistrarReplacements& replacements) {
    replacements[L"APPID"] = GetAppId();
    return CAtlDllModuleT::AddCommonRGSReplacements(replacements);
}

HRESULT CKOVAMeridioSyncModule::UpdateRegistryAppId(BOOL bRegister) {
    return UpdateRegistryFromResource(IDR_KOVAMERIDIOSYNC, bRegister);
}

_ATL_OBJMAP_ENTRY* CKOVAMeridioSyncModule::GetObjectMap() {
    return kObjectMap;
}

const Platform::TypeLibDescription& CKOVAMeridioSyncModule::GetTypeLib() {
    static const Platform::TypeLibDescription library{
        &LIBID_KOVAMeridioSyncLib, L"KOVAMeridioSyncLib", 1, 0, kInterfaces, std::size(kInterfaces)};
    return library;
}
