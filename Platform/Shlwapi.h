// Shell helpers: the memory stream.
#pragma once

#include "Platform/ObjIdl.h"

// A new read/write stream holding a copy of the cbInit bytes at pInit (none when pInit is null),
// positioned at its start; null when memory runs out. The caller owns the one reference.
extern "C" IStream* SHCreateMemStream(const BYTE* pInit, UINT cbInit);
