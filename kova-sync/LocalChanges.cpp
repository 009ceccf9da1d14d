#include "kova-sync/LocalChanges.h"

#include "kova-sync/ConflictCopies.h"
#include "kova-sync/FileState.h"

#include <algorithm>
#include <set>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

LocalState StateOf(Journal& journal, const JournalEntry& document, const fs::path& file, LocalFile& now) {
    std::error_code error;
    const fs::file_type type = fs::symlink_status(file, error).type();
    if (type == fs::file_type::not_found) {
        return LocalState::Missing;
    }
    if (type != fs::file_type::regular) {
        // Unreadable, or something else now stands under the name (a directory, a link): the file is
        // not gone, so its document is not deleted; it is not unchanged either.
        return LocalState::Changed;
    }
    if (document.content && SameSizeAndTime(file, *document.content)) {
        return LocalState::Unchanged;
    }
    now.name = document.localName;
    now.path = file;
    try {
        now.content = DescribeFile(file);
    } catch (const fs::filesystem_error&) {
        now.content = {};
        return LocalState::Changed;
    }
    if (document.content && now.content.hash == document.content->hash) {
        journal.SetContent(document.id, now.content); // touched, not changed
        return LocalState::Unchanged;
    }
    return LocalState::Changed;
}

void CountMissingBelow(Journal& journal, std::int64_t folderId, LocalChanges& notes) {
    notes.missingDocuments += journal.CountDocumentsUnder(folderId);
}

void ScanTree(Journal& journal, std::int64_t folderId, const fs::path& directory, const std::string& shown,
              bool isMain, const FileRules& rules, LocalChanges& notes) {
    FolderChanges changes = ScanFolder(journal, folderId, directory, shown, isMain, rules, notes);
    for (const JournalEntry& child : changes.subFolders) {
        const fs::path childDirectory = directory / child.localName;
        std::error_code error;
        const fs::file_type type = fs::symlink_status(childDirectory, error).type();
        // A directory that cannot be read is not gone.
        if (type != fs::file_type::directory && type != fs::file_type::none) {
            notes.folders[child.id].directoryMissing = true;
            CountMissingBelow(journal, child.id, notes);
        } else {
            ScanTree(journal, child.id, childDirectory, JoinShown(shown, child.localName), false, rules,
                     notes);
        }
    }
    for (const auto& [id, state] : changes.documents) {
        if (state == LocalState::Missing) {
            ++notes.missingDocuments;
        }
    }
    notes.folders[folderId] = std::move(changes);
}

// Pairs each document gone from its place with one new file of its content, in its own folder first.
void PairRelocations(Journal& journal, LocalChanges& notes) {
    const auto hasNewFiles = [](const auto& folder) { return !folder.second.newFiles.empty(); };
    if (notes.missingDocuments == 0 ||
        std::none_of(notes.folders.begin(), notes.folders.end(), hasNewFiles)) {
        return;
    }
    for (bool sameFolder : {true, false}) {
        for (auto& [folderId, changes] : notes.folders) {
            const auto isMissing = [](const auto& document) {
                return document.second == LocalState::Missing;
            };
            if (std::none_of(changes.documents.begin(), changes.documents.end(), isMissing)) {
                continue;
            }
            for (const JournalEntry& document : journal.Entries(folderId)) {
                const auto state = changes.documents.find(document.id);
                if (document.isFolder || !document.content || state == changes.documents.end() ||
                    state->second != LocalState::Missing) {
                    continue;
                }
                bool paired = false;
                for (auto& [targetId, target] : notes.folders) {
                    if (paired || (targetId == folderId) != sameFolder) {
                        continue;
                    }
                    for (auto file = target.newFiles.begin(); file != target.newFiles.end(); ++file) {
                        if (file->content.hash == document.content->hash) {
                            notes.relocations.push_back({document.id, folderId, targetId, *file});
                            target.newFiles.erase(file);
                            paired = true;
                            break;
                        }
                    }
                }
                if (paired) {
                    --notes.missingDocuments;
                    state->second = LocalState::Unchanged; // handled by the relocation
                }
            }
        }
    }
}

} // namespace

std::string JoinShown(const std::string& shown, const std::string& name) {
    return shown == "." ? name : shown + "/" + name;
}

FolderChanges ScanFolder(Journal& journal, std::int64_t folderId, const fs::path& directory,
                         const std::string& shown, bool isMainFolder, const FileRules& rules,
                         LocalChanges& notes) {
    FolderChanges changes;
    std::set<std::string> synced;
    std::set<std::string> syncedFolders;
    for (JournalEntry& child : journal.Entries(folderId)) {
        if (child.isFolder) {
            syncedFolders.insert(child.localName);
            changes.subFolders.push_back(std::move(child));
            continue;
        }
        synced.insert(child.localName);
        LocalFile now;
        const fs::path file = directory / child.localName;
        LocalState state = StateOf(journal, child, file, now);
        if (state == LocalState::Changed && !now.content.hash.empty()) {
            if (const auto reason =
                    rules.Excludes(child.localName, static_cast<std::uint64_t>(now.content.size))) {
                notes.excluded.push_back(JoinShown(shown, child.localName) + " (" + *reason + ")");
                state = LocalState::Excluded;
            }
        }
        if (state == LocalState::Changed) {
            changes.changedFiles[child.id] = now;
        }
        changes.documents[child.id] = state;
    }
    std::error_code error;
    if (!fs::is_directory(directory, error)) {
        return changes;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (isMainFolder && name == Mirror::kHiddenFolder) {
            continue;
        }
        if (entry.is_directory()) {
            if (!syncedFolders.count(name)) {
                changes.newDirectories.push_back(name);
            }
            continue;
        }
        if (!entry.is_regular_file() || synced.count(name)) {
            continue;
        }
        if (IsConflictName(name)) {
            notes.conflictCopies.push_back(JoinShown(shown, name));
            continue;
        }
        LocalFile file{name, entry.path(), {}};
        const std::uint64_t size = entry.file_size();
        if (const auto reason = rules.Excludes(name, size)) {
            notes.excluded.push_back(JoinShown(shown, name) + " (" + *reason + ")");
            continue;
        }
        try {
            file.content = DescribeFile(entry.path());
        } catch (const fs::filesystem_error& failure) {
            notes.unreadable.push_back(JoinShown(shown, name) + ": " + failure.what());
            continue;
        }
        changes.newFiles.push_back(std::move(file));
    }
    return changes;
}

LocalChanges ScanMirror(Journal& journal, const Mirror& mirror, const FileRules& rules) {
    LocalChanges notes;
    const std::optional<JournalItem> main = journal.MainFolder();
    if (!main) {
        return notes;
    }
    ScanTree(journal, main->id, mirror.root(), ".", true, rules, notes);
    PairRelocations(journal, notes);
    return notes;
}

} // namespace KovaSync
