// Which VARTYPEs the layer's VARIANTs and SAFEARRAYs accept (internal to Platform/).
#pragma once

#include "Platform/OleAuto.h"

namespace Platform {

// A type that a SAFEARRAY may hold.
bool IsArrayElementType(VARTYPE vt);

// A type a VARIANT may carry: a plain type, VT_ARRAY of an element type, or VT_BYREF of either.
bool IsValidVariantType(VARTYPE vt);

} // namespace Platform
