// The Outlook profile that the host syncs, remembered once per process.
#pragma once

#include "VantrelCommon/StdString.h"

class LSOutlookInfo {
public:
    // The first name given is cached; a later name that differs is reported, not taken.
    static void CheckCachedProfileName(const CStdStr<wchar_t>& profileName);
};
