#include "KOVACommon/LSOutlookInfo.h"

#include "KOVACommon/LSFilterSupport.h"

namespace {

CStdStr<wchar_t>& CachedName() {
    static CStdStr<wchar_t> name;
    return name;
}

} // namespace

void LSOutlookInfo::CheckCachedProfileName(const CStdStr<wchar_t>& profileName) {
    CStdStr<wchar_t>& cached = CachedName();
    if (cached.empty()) {
        cached = profileName;
        LSDIAG_DIAG << "Cached profile name " << cached;
    }
    if (!cached.Equals(profileName.c_str(), true)) {
        LSDIAG_ERROR << "Cached profile name is different from current" << cached << " -> cur "
                     << profileName;
    }
}
