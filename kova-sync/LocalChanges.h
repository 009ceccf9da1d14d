// What changed in the mirror directory since the last pass, found by comparing it with the journal:
// per folder the state of each synced document's file, the new files and directories; across the
// mirror the documents whose file turned up under another name (renamed in its directory, or moved to
// another folder's directory), the conflict copies and the excluded files. A file that cannot be read
// counts as changed, never as unchanged or gone.
#pragma once

#include "kova-sync/FileRules.h"
#include "kova-sync/Journal.h"
#include "kova-sync/Mirror.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace KovaSync {

enum class LocalState { Unchanged, Changed, Missing, Excluded };

struct LocalFile {
    std::string name;
    std::filesystem::path path;
    ContentState content;
};

struct FolderChanges {
    bool directoryMissing = false;
    std::map<std::int64_t, LocalState> documents;   // by journal id
    std::map<std::int64_t, LocalFile> changedFiles; // the files of changed documents as they are now
    std::vector<LocalFile> newFiles;
    std::vector<std::string> newDirectories;
    std::vector<JournalEntry> subFolders; // the synced folders under it
};

// A synced document whose file is gone from its place while a new file elsewhere in the mirror holds
// the same content.
struct Relocation {
    std::int64_t document = 0;
    std::int64_t fromFolder = 0;
    std::int64_t toFolder = 0;
    LocalFile file;
};

struct LocalChanges {
    std::map<std::int64_t, FolderChanges> folders; // by journal id of the folder
    std::vector<Relocation> relocations;
    std::vector<std::string> conflictCopies; // shown paths
    std::vector<std::string> excluded;       // shown paths with the reason
    std::vector<std::string> unreadable;     // new files that could not be read, with the reason
    std::int64_t missingDocuments = 0;       // gone locally and not relocated, directories included
};

// Scans the directory of one folder against the folder's journal children. Unchanged files whose
// modification time moved get their new time in the journal.
FolderChanges ScanFolder(Journal& journal, std::int64_t folderId, const std::filesystem::path& directory,
                         const std::string& shown, bool isMainFolder, const FileRules& rules,
                         LocalChanges& notes);

// Scans the whole mirror and pairs the documents gone from their place with new files of the same
// content (the same folder first).
LocalChanges ScanMirror(Journal& journal, const Mirror& mirror, const FileRules& rules);

// "a/b" below the main folder's "."
std::string JoinShown(const std::string& shown, const std::string& name);

} // namespace KovaSync
