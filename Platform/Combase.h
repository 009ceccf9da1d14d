// COM library calls: activation of the in-process classes this layer provides (by CLSID or ProgID),
// GUID generation and GUID text, task memory.
#pragma once

#include "Platform/Unknwn.h"

enum CLSCTX : DWORD {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
    CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
    CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
    CLSCTX_ALL = CLSCTX_INPROC | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
};

enum COINIT : DWORD {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
    COINIT_DISABLE_OLE1DDE = 0x4,
    COINIT_SPEED_OVER_MEMORY = 0x8,
};

// Apartments do not exist here: every object is free-threaded in-process, so these succeed and do nothing.
STDAPI CoInitialize(LPVOID pvReserved);
STDAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
STDAPI_(void) CoUninitialize();

// Known classes only; any other CLSID gives REGDB_E_CLASSNOTREG, any other ProgID CO_E_CLASSSTRING.
STDAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);
STDAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);

// Every object of this layer is running once created.
STDAPI OleRun(LPUNKNOWN pUnknown);

LPVOID CoTaskMemAlloc(SIZE_T cb);
void CoTaskMemFree(LPVOID pv);

// A random (version 4) GUID.
HRESULT CoCreateGuid(GUID* pguid);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case. Returns the characters written including the
// NUL (39), or 0 when cchMax is too small.
int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
// The same text in a CoTaskMemAlloc'd string the caller frees with CoTaskMemFree.
HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz);
// Parse the braced form (hex digits in either case). CLSIDFromString answers CO_E_CLASSSTRING for any
// other text and gives CLSID_NULL for a null text; IIDFromString answers E_INVALIDARG for bad text.
HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid);
