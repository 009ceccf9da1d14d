// The layer's view of resource images: data-file modules opened by LoadLibraryExW and the
// images that code modules carry. Used by the resource, string and version calls.
#pragma once

#include "Platform/ResourceFormat.h"
#include "Platform/WinTypes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Platform {

using ResourceImage = std::span<const unsigned char>;

// True when the bytes are a well-formed image: magic, and every directory entry inside it.
bool IsResourceImage(ResourceImage bytes);

// The image of the file at a native path: a resource module file, or the image a loaded code
// module registered when the path names that module. Sets `error` (a Win32 code) on failure.
std::optional<std::vector<unsigned char>> ReadResourceImage(const std::string& nativePath, DWORD& error);

// A data-file module owning a copy of an image; the handle carries a low tag bit.
HMODULE OpenDataFileModule(std::vector<unsigned char> image);
bool CloseDataFileModule(HMODULE module);

// The image a module handle names: a data-file module's, or a code module's registered image
// (null: the executable's). Empty when the module has none.
ResourceImage ResourceImageOf(HMODULE module);

// The directory entry of resource (type, name) in a well-formed image, or null.
const ResourceFormat::DirectoryEntry* FindResourceEntry(ResourceImage image, std::uint32_t type,
                                                        std::uint32_t name);

} // namespace Platform
