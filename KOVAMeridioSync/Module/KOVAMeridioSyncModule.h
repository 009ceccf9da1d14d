// The plug-in's COM server module: its type library, AppID, registry scripts and object map.
#pragma once

#include "Platform/AtlModule.h"

// {5AB2204B-293F-453B-9A95-4A46EBD82689}, version 1.0.
struct KOVAMeridioSyncLib;
KOVA_DECLARE_UUID(KOVAMeridioSyncLib, "5AB2204B-293F-453B-9A95-4A46EBD82689");
inline const GUID LIBID_KOVAMeridioSyncLib = __uuidof(KOVAMeridioSyncLib);

class CKOVAMeridioSyncModule : public CAtlDllModuleT<CKOVAMeridioSyncModule> {
public:
    CKOVAMeridioSyncModule();

    static const wchar_t* GetAppId();
    // Every script of the module gets "APPID" besides the framework's replacements.
    HRESULT AddCommonRGSReplacements(Platform::RegistrarReplacements& replacements) override;
    // The module's own script.
    HRESULT UpdateRegistryAppId(BOOL bRegister);

    static _ATL_OBJMAP_ENTRY* GetObjectMap();
    static const Platform::TypeLibDescription& GetTypeLib();
};

// The script ids of the module and its coclasses.
constexpr UINT IDR_KOVAMERIDIOSYNC = 101;
constexpr UINT IDR_KOVAMERIDIOSYNCFILTER = 106;
constexpr UINT IDR_KOVAMERIDIOFIELDINFO = 107;
constexpr UINT IDR_KOVAMERIDIOFIELDSETINFO = 108;

// The registry scripts, by id, ending with a null script.
const _ATL_REGSCRIPT_ENTRY* KOVAMeridioSyncRegistryScripts();
