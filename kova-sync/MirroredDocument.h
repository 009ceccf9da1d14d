// A file of a mirror as the journal knows it: the mirror it is in, its document and the folders it
// sits in, found by walking the local names from the main folder.
#pragma once

#include "kova-sync/Journal.h"

#include <filesystem>

namespace KovaSync {

struct MirroredDocument {
    std::filesystem::path root; // the mirror's directory
    std::filesystem::path file;
    JournalItem mainFolder;
    JournalItem folder; // the document's folder; the main folder for a file at the mirror's root
    JournalItem document;
};

// Throws std::runtime_error naming the file when it is not a synced document of a mirror.
MirroredDocument FindMirroredDocument(const std::filesystem::path& file);

} // namespace KovaSync
