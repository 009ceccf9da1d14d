#pragma once
// Seeds a repository from a content directory: its manifest.xml gives what files cannot say (ids,
// versions, dates, locks, records, rights masks, categories, mail properties, records-management
// folders and parts, the system configuration); containers are directories, documents are files.

#include "tools/demo-meridio/repository/Repository.h"

#include <filesystem>

namespace DemoMeridio {

// Throws std::runtime_error naming the fault in the manifest or the missing file.
Repository LoadRepository(const std::filesystem::path& contentDir);

} // namespace DemoMeridio
