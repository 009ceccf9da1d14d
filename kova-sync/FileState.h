// What a file on disk is now: its size, modification time and SHA-256 content hash.
#pragma once

#include "kova-sync/Journal.h"

#include <filesystem>

namespace KovaSync {

// Throws std::filesystem::filesystem_error when the file cannot be read.
ContentState DescribeFile(const std::filesystem::path& file);
// Size and modification time only, without reading the content.
bool SameSizeAndTime(const std::filesystem::path& file, const ContentState& state);

} // namespace KovaSync
