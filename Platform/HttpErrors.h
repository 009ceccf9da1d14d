// The WinINet error code that stands for a libcurl transfer failure.
#pragma once

#include "Platform/WinError.h"

#include <curl/curl.h>

namespace Platform::Http {

// 0 for CURLE_OK; e.g. 12029 for a refused connection, 12007 for an unknown host, 12002 for a time-out.
LONG WinInetErrorFromCurl(CURLcode code);

} // namespace Platform::Http
