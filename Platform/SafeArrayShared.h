// A byte array over data it shares rather than copies: how responseBody hands out a received body
// without holding it twice.
#pragma once

#include "Platform/OleAuto.h"

#include <memory>

namespace Platform {

// A one-dimensional array (lower bound 0) of `count` elements of type `vt`, a type that holds no
// resources (VT_UI1, VT_I4, ...), whose elements are the ones at `data`. The array keeps `owner` (what
// keeps `data` alive) for as long as it lives; SafeArrayDestroy releases it instead of freeing the
// data. Null for another type or when memory runs out.
SAFEARRAY* SafeArrayCreateVectorOver(VARTYPE vt, ULONG count, void* data, std::shared_ptr<const void> owner);

// What keeps the data of an array made by SafeArrayCreateVectorOver alive, for a user of the data that
// may outlive the array; null for any other array.
std::shared_ptr<const void> SafeArrayDataOwner(const SAFEARRAY* psa);

} // namespace Platform
