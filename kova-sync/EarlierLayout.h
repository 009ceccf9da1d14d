// A mirror written by the earlier layout of the driver: a ".kova-folder.json" with the folder's
// property map in every folder and a "NAME.kova.json" beside every document, temporary downloads as
// ".NAME.partial" beside their documents. Adopting it moves the maps into the journal and removes
// those files; the documents stay where they are and are not downloaded again.
#pragma once

#include "kova-sync/Journal.h"

#include <filesystem>

namespace KovaSync {

struct Adopted {
    unsigned folders = 0;
    unsigned documents = 0;
};

bool IsEarlierLayout(const std::filesystem::path& root);
// One transaction for the whole tree; the earlier files are removed once it is committed.
Adopted AdoptEarlierLayout(const std::filesystem::path& root, Journal& journal);

} // namespace KovaSync
