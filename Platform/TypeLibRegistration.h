// Registration of a type library: the TypeLib and Interface keys that registering a type library
// writes, made from a description of the library (no binary type library exists on this platform).
#pragma once

#include "Platform/Guid.h"

#include <string>

namespace Platform {

struct TypeLibInterface {
    const IID* iid;
    const wchar_t* name;
};

struct TypeLibDescription {
    const GUID* libid;
    const wchar_t* name;
    WORD majorVersion;
    WORD minorVersion;
    const TypeLibInterface* interfaces;
    std::size_t interfaceCount;
};

HRESULT RegisterTypeLibrary(const TypeLibDescription& library, const std::wstring& modulePath, bool perUser);
HRESULT UnRegisterTypeLibrary(const TypeLibDescription& library, bool perUser);

} // namespace Platform
