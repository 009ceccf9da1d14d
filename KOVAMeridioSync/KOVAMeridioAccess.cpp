// Whether an item may be changed: the rights mask of its row in the last listing, and its kind
// (records and record classes are always read-only).
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilterImpl.h"
#include "KOVAMeridioSync/MeridioLocations.h"
#include "KOVAMeridioSync/MeridioNumbers.h"

namespace {

bool IsReadOnlyKind(LONG objectType) {
    return objectType == MeridioObjectRecord || objectType == MeridioObjectClass;
}

// A mask grants changes when its low 16 bits are all set, when it holds every bit of 0xBFB3, or
// when bit 16 is set.
bool MaskGrantsChanges(LONG mask) {
    const auto bits = static_cast<DWORD>(mask);
    return (bits & 0xFFFF) == 0xFFFF || (bits & 0xBFB3) == 0xBFB3 || (bits & 0x10000) != 0;
}

} // namespace

HRESULT KOVAMeridioSyncFilterImpl::isItemReadOnly(const CStdStr<wchar_t>& location, bool* readOnly,
                                                  CStdStr<wchar_t>&) {
    LSDIAG_DIAG << "isItemReadOnly start path: " << location;
    LONG objectType = MeridioObjectOther;
    LONG objectId = 0;
    ExtractUrlDetails(location, m_serverName, objectType, objectId);
    // A single-document sync has no contents rows to look in: its listing is the document's preview.
    // The folder pass knows it by the filter value of the folder map, the registration by the
    // location it parsed.
    if (!m_fileFilterLocation.empty() || !m_filterPropertyValue.empty()) {
        *readOnly = IsReadOnlyKind(objectType);
        return S_OK;
    }
    CStdStr<wchar_t> mask;
    GetAttribValueForObjectFromContentsXml(objectType, objectId, mask, L"canDo");
    *readOnly = !MaskGrantsChanges(ParseDecimal(mask)) || IsReadOnlyKind(objectType);
    LSDIAG_DIAG << "isItemReadOnly start isReadOnly: " << *readOnly;
    return S_OK;
}
