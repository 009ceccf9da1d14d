// Brand placeholders ("!!IDS_BRAND...!!") in loaded texts, replaced with the brand library's names.
#pragma once

#include "VantrelCommon/StdString.h"

// Every placeholder of the brand table in the text is replaced; gives the same string.
CStdStr<wchar_t>& ReplaceBrandPlaceholders(CStdStr<wchar_t>& text);

// The user-agent text of web requests: brand string 6247 formatted with the version text, or
// empty when KOVA.UseKOVAUserAgent is 0. Computed once per process.
CStdStr<wchar_t> GetUserAgent();
