// The host's type library KOVASyncBasicsLib as the sync filter sees it: the interfaces the filter
// serves to the host and the host components it calls.
#pragma once

#include "KOVASyncBasicsLib/FieldInfo.h"
#include "KOVASyncBasicsLib/MessageItem.h"
#include "KOVASyncBasicsLib/PropertyMap.h"
#include "KOVASyncBasicsLib/RepositoryExtensions.h"
#include "KOVASyncBasicsLib/ShutdownInformer.h"
#include "KOVASyncBasicsLib/SyncFilter.h"
