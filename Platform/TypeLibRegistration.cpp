#include "Platform/TypeLibRegistration.h"

#include "Platform/Combase.h"
#include "Platform/Registrar.h"

namespace Platform {
namespace {

// The standard proxy of dual interfaces.
constexpr const wchar_t* kDispatchProxy = L"{00020424-0000-0000-C000-000000000046}";

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// A text as a quoted script value: quotes doubled, percent signs escaped.
std::wstring Quote(const std::wstring& text) {
    std::wstring out = L"'";
    for (const wchar_t c : text) {
        if (c == L'\'') {
            out += L"''";
        } else if (c == L'%') {
            out += L"%%";
        } else {
            out += c;
        }
    }
    return out + L"'";
}

std::wstring ScriptFor(const TypeLibDescription& library, const std::wstring& modulePath) {
    const std::wstring libid = GuidText(*library.libid);
    const std::wstring version =
        std::to_wstring(library.majorVersion) + L"." + std::to_wstring(library.minorVersion);
    const std::size_t slash = modulePath.find_last_of(L"/\\");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : modulePath.substr(0, slash);

    std::wstring script = L"HKCR {\n NoRemove TypeLib {\n  ForceRemove " + libid + L" {\n   " + version +
                          L" = s " + Quote(library.name) + L" {\n    0 { win64 = s " + Quote(modulePath) +
                          L" }\n    FLAGS = s '0'\n    HELPDIR = s " + Quote(folder) + L"\n   }\n  }\n }\n";
    script += L" NoRemove Interface {\n";
    for (std::size_t i = 0; i < library.interfaceCount; ++i) {
        const TypeLibInterface& entry = library.interfaces[i];
        script += L"  ForceRemove " + GuidText(*entry.iid) + L" = s " + Quote(entry.name) + L" {\n" +
                  L"   ProxyStubClsid = s '" + kDispatchProxy + L"'\n   ProxyStubClsid32 = s '" +
                  kDispatchProxy + L"'\n   TypeLib = s '" + libid + L"' { val Version = s '" + version +
                  L"' }\n  }\n";
    }
    return script + L" }\n}\n";
}

} // namespace

HRESULT RegisterTypeLibrary(const TypeLibDescription& library, const std::wstring& modulePath, bool perUser) {
    return ApplyRegistryScript(ScriptFor(library, modulePath), {}, true, perUser);
}

HRESULT UnRegisterTypeLibrary(const TypeLibDescription& library, bool perUser) {
    return ApplyRegistryScript(ScriptFor(library, L""), {}, false, perUser);
}

} // namespace Platform
