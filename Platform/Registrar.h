// The registrar: applies registry scripts to the registry store.
//
// Script syntax, as the framework's .rgs scripts:
//     HKCR
//     {
//         NoRemove CLSID
//         {
//             ForceRemove {guid} = s 'Description'
//             {
//                 InprocServer32 = s '%MODULE%'
//                 {
//                     val ThreadingModel = s 'Apartment'
//                 }
//             }
//         }
//     }
// Roots: HKCR, HKCU, HKLM (and their long names). A key may carry a default value (= s|d|b 'data');
// `val name = ...` sets a named value. Registering creates keys and values (ForceRemove first deletes
// the key with everything under it; Delete deletes the key). Unregistering deletes every key not
// marked NoRemove with everything under it, and the named values of NoRemove keys. %NAME% is replaced
// from the replacement map; %% is a percent sign.
#pragma once

#include "Platform/WinTypes.h"

#include <map>
#include <string>

namespace Platform {

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

using RegistrarReplacements = std::map<std::wstring, std::wstring, NoCaseLess>;

// Registers or unregisters the script. HKCR means the current user's Software\Classes when perUser
// is set. A syntax error gives E_INVALIDARG; a failed registry call gives its Win32 code as an HRESULT.
HRESULT ApplyRegistryScript(const std::wstring& script, const RegistrarReplacements& replacements,
                            bool registering, bool perUser);

} // namespace Platform
