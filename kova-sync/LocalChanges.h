// What changed in the mirror directory since the last pass, found by comparing it with the journal:
// per folder the state of each synced document's file, the new files and directories; across the
// mirror the documents and folders whose file or directory turned up under another name (renamed in
// its directory, or moved to another folder's directory), the conflict copies, the excluded files and
// the symbolic links, which are never followed. A file or directory that cannot be read is reported,
// never taken as unchanged or gone.
#pragma once

#include "kova-sync/FileRules.h"
#include "kova-sync/Journal.h"
#include "kova-sync/Mirror.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace KovaSync {

// Unreadable: it cannot be read (or a link or a directory stands under its name where that is not
// taken as a deletion); it is kept as it is on both sides and reported.
enum class LocalState { Unchanged, Changed, Missing, Excluded, Unreadable };

struct LocalFile {
    std::string name;
    std::filesystem::path path;
    ContentState content; // a directory, or a file over the size limit: size and time only, no hash
    LocalIdentity local;
    std::string
        excludedNote; // the excluded note of a new file over the size limit that pairs with no document
};

struct FolderChanges {
    bool directoryMissing = false;
    // Gone from its place while files of its documents turned up in a new directory elsewhere: its
    // container is deleted only at the end of the pass, once those documents moved out of it.
    bool holdsMovedFiles = false;
    // Why the directory cannot be read (a symbolic link stands there, permission denied): the folder
    // is left as it is on both sides in this pass.
    std::string unreadable;
    std::map<std::int64_t, LocalState> documents;   // by journal id
    std::map<std::int64_t, LocalFile> changedFiles; // the files of changed documents as they are now
    std::vector<LocalFile> newFiles;
    std::vector<LocalFile> oversized; // new files over the size limit, not hashed
    std::vector<LocalFile> newDirectories;
    std::vector<JournalEntry> subFolders; // the synced folders under it
};

// A synced document whose file is gone from its place while a file elsewhere in the mirror is the
// same file (its inode), or, for a file that lost its inode, the one file that holds its content.
struct Relocation {
    std::int64_t document = 0;
    std::int64_t fromFolder = 0;
    std::int64_t toFolder = 0;
    LocalFile file;
    bool edited = false;    // its content changed too: a new version follows
    bool oversized = false; // the content is over the size limit: the edit is not sent
};

// A synced folder whose directory is gone from its place while a directory in the same parent is the
// same directory under another name.
struct FolderRename {
    std::int64_t folder = 0;
    std::string newName;
};

// A synced document whose file turned up in a new directory: it moves into the new directory's
// folder once the pass made that folder.
struct PendingMove {
    LocalIdentity local;
    std::int64_t document = 0;
    std::int64_t fromFolder = 0;
};

struct LocalChanges {
    std::map<std::int64_t, FolderChanges> folders; // by journal id of the folder
    std::vector<Relocation> relocations;
    std::vector<PendingMove> pendingMoves;
    std::vector<FolderRename> folderRenames;
    std::vector<std::string> conflictCopies; // shown paths
    std::vector<std::string> excluded;       // shown paths with the reason
    std::vector<std::string> links;          // shown paths of symbolic links, never followed
    std::vector<std::string> unreadable;     // files and directories that could not be read, with the reason
    std::int64_t missingDocuments = 0;       // gone locally and not relocated, directories included
};

// Scans the directory of one folder against the folder's journal children. Unchanged files whose
// modification time moved get their new time in the journal.
FolderChanges ScanFolder(Journal& journal, std::int64_t folderId, const std::filesystem::path& directory,
                         const std::string& shown, bool isMainFolder, const FileRules& rules,
                         LocalChanges& notes);

// Scans the whole mirror and pairs the documents gone from their place with the files they became.
LocalChanges ScanMirror(Journal& journal, const Mirror& mirror, const FileRules& rules);

// Pairs each document gone from its place with the new file of its inode; then a document whose
// inode is nowhere with the one new file of its content, when that content is not empty and no
// other document or file shares it (LocalPairing.cpp).
void PairRelocations(Journal& journal, LocalChanges& notes);

// Whether the file's content is not the one last synced.
bool EditedSince(const ContentState& synced, const LocalFile& file, bool oversized);

// "a/b" below the main folder's "."
std::string JoinShown(const std::string& shown, const std::string& name);

// The reason of a failure as people read it: "permission denied".
std::string ReasonText(const std::error_code& error);

} // namespace KovaSync
