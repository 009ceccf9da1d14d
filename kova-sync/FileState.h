// What a file on disk is now: its size, modification time and SHA-256 content hash, and which file it
// is (device and inode), without following a symbolic link.
#pragma once

#include "kova-sync/Journal.h"

#include <filesystem>

namespace KovaSync {

// Throws std::filesystem::filesystem_error when the file cannot be read.
ContentState DescribeFile(const std::filesystem::path& file);
// What stands under a path, the path itself and not what a link points to.
struct PathStatus {
    std::filesystem::file_type type = std::filesystem::file_type::none; // none: could not be read
    std::error_code error;                                              // why, when type is none
    ContentState content;                                               // size and time, no hash
    LocalIdentity local;
};
PathStatus Look(const std::filesystem::path& path);

// Size and modification time only, without reading the content.
bool SameSizeAndTime(const std::filesystem::path& file, const ContentState& state);

} // namespace KovaSync
