// The layer's public headers in one include. Headers for the layer's own use (path and errno
// mapping, resource images, UTF helpers) are not part of it.
#pragma once

#include "Platform/ComUtil.h"
#include "Platform/Combase.h"
#include "Platform/ErrorInfo.h"
#include "Platform/FileApi.h"
#include "Platform/FileCopy.h"
#include "Platform/Guid.h"
#include "Platform/LibLoaderApi.h"
#include "Platform/OleAuto.h"
#include "Platform/ProcessThreadsApi.h"
#include "Platform/ShlObj.h"
#include "Platform/SysInfoApi.h"
#include "Platform/SystemMessage.h"
#include "Platform/Unknwn.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinNls.h"
#include "Platform/WinTypes.h"
#include "Platform/WinUser.h"
#include "Platform/WinVer.h"
