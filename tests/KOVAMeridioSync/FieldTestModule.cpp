// The module object of this test executable. The objects the library creates for the host (the
// field set, its fields) keep the module locked while they live, as they do inside the plug-in; a
// program that links the library without the plug-in declares the module itself.
#include "Platform/AtlModule.h"

namespace {

CAtlModule testModule;

} // namespace
