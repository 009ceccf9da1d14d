// A synced document whose file is gone from its place is looked for elsewhere in the mirror: first as
// the same file (inode) under another name or in another folder's directory, whatever its content or
// size; then, for a file that was copied and deleted, as the one new file with its content. Content
// alone pairs nothing ambiguous: not an empty file, not content that two documents or two new files share.
#include "kova-sync/LocalChanges.h"

#include <algorithm>

namespace KovaSync {
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

bool Edited(const JournalEntry& document, const LocalFile& file, bool oversized) {
    if (!document.content || file.content.size != document.content->size) {
        return true;
    }
    // A file over the size limit is not read: its time tells.
    return oversized ? file.content.modifiedNs != document.content->modifiedNs
                     : file.content.hash != document.content->hash;
}

void Pair(Gone& gone, std::int64_t toFolder, LocalFile file, bool oversized, LocalChanges& notes) {
    const bool edited = Edited(gone.document, file, oversized);
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

} // namespace

void PairRelocations(Journal& journal, LocalChanges& notes) {
    if (notes.missingDocuments > 0) {
        std::vector<Gone> missing = MissingDocuments(journal, notes);
        PairByInode(missing, notes);
        PairByContent(missing, notes);
    }
    // What is left over the size limit is new, and excluded.
    for (auto& [folderId, changes] : notes.folders) {
        for (const LocalFile& file : changes.oversized) {
            notes.excluded.push_back(file.excludedNote);
        }
    }
}

} // namespace KovaSync
