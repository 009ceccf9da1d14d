// The XMLHTTP request object ("Msxml2.XMLHTTP").
#pragma once

#include "Platform/Guid.h"
#include "Platform/WinError.h"

namespace Platform::Http {

HRESULT CreateXmlHttpRequest(REFIID riid, void** ppv);

} // namespace Platform::Http
