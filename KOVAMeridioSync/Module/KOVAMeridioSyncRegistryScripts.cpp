// The registry scripts of the module and its three coclasses. %MODULE% is the plug-in's path.
#include "KOVAMeridioSync/Module/KOVAMeridioSyncModule.h"

namespace {

constexpr wchar_t kModuleScript[] = LR"(
HKCR
{
}
)";

constexpr wchar_t kSyncFilterScript[] = LR"(
HKCR
{
    Vantrel.SyncFilterMeridio.1 = s 'KOVAMeridioSyncFilter Class'
    {
        CLSID = s '{1F70C760-CD0B-461A-87E0-7CB06119C11D}'
    }
    Vantrel.SyncFilterMeridio = s 'KOVAMeridioSyncFilter Class'
    {
        CurVer = s 'Vantrel.SyncFilterMeridio.1'
    }
    NoRemove CLSID
    {
        ForceRemove {1F70C760-CD0B-461A-87E0-7CB06119C11D} = s 'KOVAMeridioSyncFilter Class'
        {
            ProgID = s 'Vantrel.SyncFilterMeridio.1'
            VersionIndependentProgID = s 'Vantrel.SyncFilterMeridio'
            ForceRemove Programmable
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            TypeLib = s '{5AB2204B-293F-453B-9A95-4A46EBD82689}'
            Version = s '1.0'
        }
    }
}
)";

constexpr wchar_t kFieldInfoScript[] = LR"(
HKCR
{
    NoRemove CLSID
    {
        ForceRemove {B0A0ED7B-0D57-4ED6-A87C-9123D7A0C637} = s 'KOVAMeridioFieldInfo Class'
        {
            ForceRemove Programmable
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            TypeLib = s '{5AB2204B-293F-453B-9A95-4A46EBD82689}'
            Version = s '1.0'
        }
    }
}
)";

constexpr wchar_t kFieldSetInfoScript[] = LR"(
HKCR
{
    NoRemove CLSID
    {
        ForceRemove {258D6F32-63C9-4ADE-A803-A851708824FE} = s 'KOVAMeridioFieldSetInfo Class'
        {
            ForceRemove Programmable
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            TypeLib = s '{5AB2204B-293F-453B-9A95-4A46EBD82689}'
            Version = s '1.0'
        }
    }
}
)";

constexpr _ATL_REGSCRIPT_ENTRY kScripts[] = {{IDR_KOVAMERIDIOSYNC, kModuleScript},
                                             {IDR_KOVAMERIDIOSYNCFILTER, kSyncFilterScript},
                                             {IDR_KOVAMERIDIOFIELDINFO, kFieldInfoScript},
                                             {IDR_KOVAMERIDIOFIELDSETINFO, kFieldSetInfoScript},
                                             {0, nullptr}};

} // namespace

const _ATL_REGSCRIPT_ENTRY* KOVAMeridioSyncRegistryScripts() {
    return kScripts;
}
