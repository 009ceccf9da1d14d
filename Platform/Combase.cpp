// The table of classes this layer provides in-process, found by CLSID or by ProgID.
#include "Platform/Combase.h"

#include "Platform/ComText.h"
#include "Platform/MsXml.h"
#include "Platform/XmlDomObjects.h"
#include "Platform/XmlHttpRequest.h"

#include <string_view>

namespace {

struct ClassEntry {
    std::wstring_view progId;
    CLSID clsid;
    HRESULT (*create)(REFIID riid, void** ppv);
};

constexpr ClassEntry kClasses[] = {
    {L"Msxml2.DOMDocument", CLSID_DOMDocument, &Platform::Xml::CreateDocument},
    {L"Msxml2.XMLHTTP", CLSID_XMLHTTP, &Platform::Http::CreateXmlHttpRequest},
};

} // namespace

HRESULT CoInitialize(LPVOID) {
    return S_OK;
}

HRESULT CoInitializeEx(LPVOID, DWORD) {
    return S_OK;
}

void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD, REFIID riid, LPVOID* ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (pUnkOuter != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    for (const ClassEntry& entry : kClasses) {
        if (entry.clsid == rclsid) {
            return entry.create(riid, ppv);
        }
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
    if (lpszProgID == nullptr || lpclsid == nullptr) {
        return E_INVALIDARG;
    }
    for (const ClassEntry& entry : kClasses) {
        if (Platform::EqualNoCase(entry.progId, lpszProgID)) {
            *lpclsid = entry.clsid;
            return S_OK;
        }
    }
    *lpclsid = CLSID_NULL;
    return CO_E_CLASSSTRING;
}

HRESULT OleRun(LPUNKNOWN pUnknown) {
    return pUnknown != nullptr ? S_OK : E_INVALIDARG;
}
