// A synced document whose file is gone from its place is looked for elsewhere in the mirror: first as
// the same file (inode) under another name or in another folder's directory, whatever its content or
// size; then, for a file that was copied and deleted, as the one new file with its content. Content
// alone pairs nothing ambiguous: not an empty file, not content that two documents or two new files share.
#include "kova-sync/LocalChanges.h"

#include "kova-sync/FileState.h"

#include <algorithm>

namespace KovaSync {
namespace fs = std::filesystem;
namespace {

struct Gone {
    std::int64_t folder = 0;
    JournalEntry document;
    bool paired = false;
};

std::vector<Gone> MissingDocuments(Journal& journal, const LocalChanges& notes) {
    std::vector<Gone> missing;
    for (const auto& [folderId, changes] : notes.folders) {
        const auto isMissing = [](const auto& document) { return document.second == LocalState::Missing; };
        if (std::none_of(changes.documents.begin(), changes.documents.end(), isMissing)) {
            continue;
        }
        for (JournalEntry& document : journal.Entries(folderId)) {
            const auto state = changes.documents.find(document.id);
            if (!document.isFolder && state != changes.documents.end() &&
                state->second == LocalState::Missing) {
                missing.push_back({folderId, std::move(document)});
            }
        }
    }
    return missing;
}

void Pair(Gone& gone, std::int64_t toFolder, LocalFile file, bool oversized, LocalChanges& notes) {
    const bool edited = !gone.document.content || EditedSince(*gone.document.content, file, oversized);
    if (!edited) {
        file.content = *gone.document.content; // with its hash, also when it was not read
    }
    notes.relocations.push_back(
        {gone.document.id, gone.folder, toFolder, std::move(file), edited, oversized});
    notes.folders[gone.folder].documents[gone.document.id] = LocalState::Unchanged; // the relocation's
    gone.paired = true;
    --notes.missingDocuments;
}

void PairByInode(std::vector<Gone>& missing, LocalChanges& notes) {
    for (auto& [folderId, changes] : notes.folders) {
        for (bool oversized : {false, true}) {
            std::vector<LocalFile>& files = oversized ? changes.oversized : changes.newFiles;
            for (auto file = files.begin(); file != files.end();) {
                const auto gone = std::find_if(missing.begin(), missing.end(), [&](const Gone& candidate) {
                    return !candidate.paired && candidate.document.local.IsSameFile(file->local);
                });
                if (gone == missing.end()) {
                    ++file;
                    continue;
                }
                Pair(*gone, folderId, std::move(*file), oversized, notes);
                file = files.erase(file);
            }
        }
    }
}

void PairByContent(std::vector<Gone>& missing, LocalChanges& notes) {
    std::map<std::string, int> documents;
    std::map<std::string, int> files;
    const auto pairable = [](const Gone& gone) {
        return !gone.paired && gone.document.content && gone.document.content->size > 0;
    };
    for (const Gone& gone : missing) {
        if (pairable(gone)) {
            ++documents[gone.document.content->hash];
        }
    }
    for (const auto& [folderId, changes] : notes.folders) {
        for (const LocalFile& file : changes.newFiles) {
            ++files[file.content.hash];
        }
    }
    for (Gone& gone : missing) {
        if (!pairable(gone) || documents[gone.document.content->hash] != 1 ||
            files[gone.document.content->hash] != 1) {
            continue;
        }
        for (auto& [folderId, changes] : notes.folders) {
            const auto file =
                std::find_if(changes.newFiles.begin(), changes.newFiles.end(), [&](const LocalFile& f) {
                    return f.content.hash == gone.document.content->hash;
                });
            if (file != changes.newFiles.end()) {
                Pair(gone, folderId, std::move(*file), false, notes);
                changes.newFiles.erase(file);
                break;
            }
        }
    }
}

// Files below the new directories, by inode: a document's file among them moved there with its
// directory (or into it), and moves once the pass made the directory's folder.
void PairIntoNewDirectories(Journal& journal, std::vector<Gone>& missing, LocalChanges& notes) {
    std::vector<LocalIdentity> files;
    for (const auto& [folderId, changes] : notes.folders) {
        for (const LocalFile& directory : changes.newDirectories) {
            std::error_code error;
            for (fs::recursive_directory_iterator entry(directory.path,
                                                        fs::directory_options::skip_permission_denied, error);
                 !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
                const PathStatus status = Look(entry->path());
                if (status.type == fs::file_type::regular) {
                    files.push_back(status.local);
                }
            }
        }
    }
    for (Gone& gone : missing) {
        if (gone.paired || std::none_of(files.begin(), files.end(), [&](const LocalIdentity& file) {
                return gone.document.local.IsSameFile(file);
            })) {
            continue;
        }
        notes.pendingMoves.push_back({gone.document.local, gone.document.id, gone.folder});
        notes.folders[gone.folder].documents[gone.document.id] = LocalState::Unchanged; // the move's
        gone.paired = true;
        --notes.missingDocuments;
        // The removed directories above it wait for the move.
        for (std::optional<std::int64_t> at = gone.folder; at;) {
            FolderChanges& folder = notes.folders[*at];
            if (folder.directoryMissing) {
                folder.holdsMovedFiles = true;
            }
            const std::optional<JournalItem> item = journal.Find(*at);
            at = item ? item->parent : std::nullopt;
        }
    }
}

} // namespace

bool EditedSince(const ContentState& synced, const LocalFile& file, bool oversized) {
    if (file.content.size != synced.size) {
        return true;
    }
    // A file over the size limit is not read: its time tells.
    return oversized ? file.content.modifiedNs != synced.modifiedNs : file.content.hash != synced.hash;
}

void PairRelocations(Journal& journal, LocalChanges& notes) {
    if (notes.missingDocuments > 0) {
        std::vector<Gone> missing = MissingDocuments(journal, notes);
        PairByInode(missing, notes);
        PairIntoNewDirectories(journal, missing, notes);
        PairByContent(missing, notes);
    }
}

} // namespace KovaSync
