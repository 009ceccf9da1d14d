// What the generic filter's sources share: the common foundation they build on and a few small
// rules of the filter itself.
#pragma once

#include "KOVACommon/LSItemVocabulary.h"
#include "KOVACommon/LSPropertyHelpers.h"
#include "KOVACommon/LSSyncHelper.h"
#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "Platform/ComUtil.h"
#include "Platform/Combase.h"
#include "Platform/FileApi.h"
#include "Platform/FileCopy.h"
#include "Platform/MsXml.h"
#include "Platform/OleAuto.h"
#include "Platform/WinBase.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/InterfaceBoundary.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSFileSystem.h"
#include "VantrelCommon/LSHash.h"
#include "VantrelCommon/LSSafeArrayVector.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/ResourceLibraries.h"
#include "VantrelCommon/StdString.h"
#include "VantrelCommon/TextUtils.h"

// Listing modes handed to GetContents.
namespace LSListingMode {
constexpr LONG SubFoldersOnly = 0;
constexpr LONG DocumentsOnly = 1;
constexpr LONG Both = 2;
constexpr LONG Nothing = 3;
} // namespace LSListingMode

// Change codes of raw_HasChanges.
namespace LSChange {
constexpr LONG None = 0;
constexpr LONG Server = 1;
constexpr LONG Local = 2;
constexpr LONG Both = 4;
} // namespace LSChange

// The DATE that stands for a remote last-modified date that is not known.
constexpr DATE LSNoRemoteDate = 3660000.0;

// The listing mode for the host's two exclude flags; only VARIANT_TRUE (-1) counts as true.
LONG ListingModeFromFlags(VARIANT_BOOL excludeDocuments, VARIANT_BOOL excludeSubFolders);

// Whether a listing made in the mode lists items of the kind (sub-folders, or documents).
bool ListingModeLists(LONG listingMode, bool folders);

// A copy of the text with every character of the set replaced by a space.
CStdStr<wchar_t> ReplaceCharsWithSpace(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& characters);

// The permission text of a folder or item: the repository's own text when it gave one, else full
// rights or read-only.
CStdStr<wchar_t> LSPermissionText(bool readOnly, const CStdStr<wchar_t>& repositoryText);

// A document form class written onto an item that holds a mail becomes the mail form class.
void GetMessageClassForFile(const CStdStr<wchar_t>& extension, ILSPropertyMap* item,
                            CStdStr<wchar_t>& formClass);

// A copy with the letters A to Z lower-cased and every other character kept.
CStdStr<wchar_t> ToLowerAZ(const CStdStr<wchar_t>& text);

// Writes a string property and returns the host's answer.
inline HRESULT PutStr(ILSPropertyMap* map, const _bstr_t& name, const CStdStr<wchar_t>& value) {
    return map->put_ItemStr(name, _bstr_t(value.c_str()));
}

// Marks the item as a sync issue of type "ERROR" with the message; refused writes are not reported.
inline void MarkSyncIssue(ILSPropertyMap* item, const CStdStr<wchar_t>& message) {
    PutStr(item, ItemProperty::MavistoSyncIssueType, L"ERROR");
    PutStr(item, ItemProperty::MavistoSyncIssueMessage, message);
}

// Logs a refused property write with the method and text given, and throws its HRESULT.
inline void ThrowIfWriteFailed(HRESULT hr, const char* method, const char* text) {
    if (FAILED(hr)) {
        LSDIAG_ERROR << method << text << std::hex << static_cast<DWORD>(hr);
        ThrowHResult(hr);
    }
}
