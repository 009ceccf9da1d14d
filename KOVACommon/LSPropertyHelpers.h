// Typed access to single properties of the host's property maps. A read never fails for a
// missing or unreadable property (the caller's default comes back); a refused write is thrown.
#pragma once

#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "Platform/ComUtil.h"
#include "VantrelCommon/StdString.h"

namespace LSPropertyHelpers {

// A null map is logged and thrown as E_INVALIDARG. A null string read gives the empty string.
CStdStr<wchar_t> getStrProp(ILSPropertyMap* map, _bstr_t name, const CStdStr<wchar_t>& defaultValue);
// A refused write is logged and thrown as its HRESULT; a null map as E_INVALIDARG.
void setStrProp(ILSPropertyMap* map, _bstr_t name, const CStdStr<wchar_t>& value);
// False when the map is null or its answer fails.
bool hasProp(ILSPropertyMap* map, _bstr_t name);

} // namespace LSPropertyHelpers

// The property name of a custom field: each "-" becomes "----" and each "_" becomes "-".
void ConvertNameDashes(CStdStr<wchar_t>& name);
