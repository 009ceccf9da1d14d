// Resources carried inside a code module. The source that tools/rescompile generates for a code
// module registers its image here when the module is loaded and withdraws it when unloaded; the
// image belongs to the module that holds `image` (found with dladdr).
#pragma once

#include <cstddef>

namespace Platform {

void RegisterEmbeddedResources(const void* image, std::size_t size);
void UnregisterEmbeddedResources(const void* image);

} // namespace Platform
