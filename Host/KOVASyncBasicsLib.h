// The host's type library KOVASyncBasicsLib as the sync filter sees it: the interfaces the filter
// serves to the host and the host components it calls.
#pragma once

#include "Host/KOVASyncBasicsLib/FieldInfo.h"
#include "Host/KOVASyncBasicsLib/PropertyMap.h"
#include "Host/KOVASyncBasicsLib/RepositoryExtensions.h"
#include "Host/KOVASyncBasicsLib/ShutdownInformer.h"
#include "Host/KOVASyncBasicsLib/SyncFilter.h"
