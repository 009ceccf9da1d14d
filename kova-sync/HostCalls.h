// What the driver's host calls share: the check of a call's HRESULT, the error text a call hands
// back, the change codes of raw_HasChanges and the item properties the driver reads and writes.
#pragma once

#include "Platform/ComUtil.h"
#include "Platform/Utf.h"
#include "kova-sync/FilterRecords.h"
#include "kova-sync/MapRef.h"
#include "kova-sync/PluginHost.h"

#include <string>

namespace KovaSync {

// raw_HasChanges: no change, the server's copy changed, only the local copy changed, both changed.
constexpr LONG kNoChange = 0;
constexpr LONG kServerChange = 1;
constexpr LONG kLocalChangeOnly = 2;
constexpr LONG kBothChanged = 4;

inline const std::wstring kUniqueId = L"UniqueId";
inline const wchar_t* const kDocumentIssue = L"Mavisto.SyncIssueMessage";
inline const wchar_t* const kFolderIssue = L"Mavisto.SyncIssueFolderMessage";
// Present on an item whose local copy did not change since the last pass.
inline const wchar_t* const kUnchangedMarker = L"Mavisto.MessageIsUnchanged";

// The stored document as the filter weighs it against the listing when its file did not change here.
inline MapRef UnchangedCopy(const MapRef& document) {
    MapRef work = CopyWithout(document, {kDocumentIssue, kUnchangedMarker});
    work->Set(kUnchangedMarker, LONG{1});
    return work;
}

// A change code of raw_HasChanges that says the server's copy changed since the last pass.
inline bool ServerChanged(LONG change) {
    return change != kNoChange && change != kLocalChangeOnly;
}

inline void Check(HRESULT hr, const char* call) {
    if (FAILED(hr)) {
        throw HostCallError{call, hr};
    }
    ForgetFilterErrors();
}

// The error text a call handed back, freed.
inline std::string TakeText(BSTR text) {
    std::string narrow = text == nullptr ? std::string() : Platform::WideToUtf8(text);
    SysFreeString(text);
    return narrow;
}

} // namespace KovaSync
