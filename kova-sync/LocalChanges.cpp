#include "kova-sync/LocalChanges.h"

#include "kova-sync/ConflictCopies.h"
#include "kova-sync/FileState.h"

#include <cctype>
#include <set>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

const char* const kLinkNote = "a symbolic link; links are neither synced nor followed";

LocalState StateOf(Journal& journal, const JournalEntry& document, const fs::path& file,
                   const std::string& shown, LocalFile& now, LocalChanges& notes) {
    const PathStatus status = Look(file);
    switch (status.type) {
    case fs::file_type::not_found:
    case fs::file_type::directory: // a directory took its name: it is a new one, the file is gone
        return LocalState::Missing;
    case fs::file_type::regular:
        break;
    case fs::file_type::none:
        notes.unreadable.push_back(shown + ": " + ReasonText(status.error));
        return LocalState::Unreadable;
    default:
        // A link (or a device, a pipe) stands in its place: the document is not deleted through it.
        notes.unreadable.push_back(shown + ": " + kLinkNote + "; the document stays on the server");
        return LocalState::Unreadable;
    }
    if (!status.local.IsSameFile(document.local)) {
        journal.SetLocal(document.id, status.local);
    }
    now.name = document.localName;
    now.path = file;
    now.local = status.local;
    if (document.content && status.content.size == document.content->size &&
        status.content.modifiedNs == document.content->modifiedNs) {
        return LocalState::Unchanged;
    }
    try {
        now.content = DescribeFile(file);
    } catch (const fs::filesystem_error& failure) {
        notes.unreadable.push_back(shown + ": " + ReasonText(failure.code()));
        return LocalState::Unreadable;
    }
    if (document.content && now.content.hash == document.content->hash) {
        journal.SetContent(document.id, now.content); // touched, not changed
        return LocalState::Unchanged;
    }
    return LocalState::Changed;
}

// The documents of a folder whose directory is gone, and of the folders below it, count as missing
// one by one, so that those that turn up elsewhere are moves.
void MarkMissingBelow(Journal& journal, std::int64_t folderId, LocalChanges& notes) {
    FolderChanges& changes = notes.folders[folderId];
    for (JournalEntry& child : journal.Entries(folderId)) {
        if (child.isFolder) {
            MarkMissingBelow(journal, child.id, notes);
            changes.subFolders.push_back(std::move(child));
        } else {
            changes.documents[child.id] = LocalState::Missing;
            ++notes.missingDocuments;
        }
    }
}

void ScanTree(Journal& journal, std::int64_t folderId, const fs::path& directory, const std::string& shown,
              bool isMain, const FileRules& rules, LocalChanges& notes) {
    FolderChanges changes = ScanFolder(journal, folderId, directory, shown, isMain, rules, notes);
    for (const JournalEntry& child : changes.subFolders) {
        std::string name = child.localName;
        const PathStatus status = Look(directory / name);
        if (status.type == fs::file_type::not_found || status.type == fs::file_type::regular) {
            // Gone from its place: renamed in this directory when a new directory here is the same one.
            for (auto renamed = changes.newDirectories.begin(); renamed != changes.newDirectories.end();
                 ++renamed) {
                if (renamed->local.IsSameFile(child.local)) {
                    name = renamed->name;
                    notes.folderRenames.push_back({child.id, name});
                    changes.newDirectories.erase(renamed);
                    break;
                }
            }
            if (name == child.localName) {
                notes.folders[child.id].directoryMissing = true;
                MarkMissingBelow(journal, child.id, notes);
                continue;
            }
        } else if (status.type == fs::file_type::symlink) {
            // Moved elsewhere and linked back, say: not followed, and not a deletion either.
            notes.folders[child.id].unreadable = kLinkNote;
            notes.unreadable.push_back("folder " + JoinShown(shown, name) + ": " + kLinkNote +
                                       "; the folder is left as it is on both sides");
            continue;
        } else if (status.type != fs::file_type::directory) {
            notes.folders[child.id].unreadable = ReasonText(status.error);
            notes.unreadable.push_back("folder " + JoinShown(shown, name) + ": " + ReasonText(status.error));
            continue;
        }
        const fs::path childDirectory = directory / name;
        const PathStatus now = Look(childDirectory);
        if (!now.local.IsSameFile(child.local)) {
            journal.SetLocal(child.id, now.local);
        }
        ScanTree(journal, child.id, childDirectory, JoinShown(shown, name), false, rules, notes);
    }
    for (const auto& [id, state] : changes.documents) {
        if (state == LocalState::Missing) {
            ++notes.missingDocuments;
        }
    }
    notes.folders[folderId] = std::move(changes);
}

} // namespace

std::string JoinShown(const std::string& shown, const std::string& name) {
    return shown == "." ? name : shown + "/" + name;
}

std::string ReasonText(const std::error_code& error) {
    std::string text = error.message();
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

FolderChanges ScanFolder(Journal& journal, std::int64_t folderId, const fs::path& directory,
                         const std::string& shown, bool isMainFolder, const FileRules& rules,
                         LocalChanges& notes) {
    FolderChanges changes;
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    if (error) {
        changes.unreadable = ReasonText(error);
        notes.unreadable.push_back("folder " + shown + ": " + changes.unreadable +
                                   "; the folder is left as it is on both sides");
        return changes;
    }
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
        LocalState state = StateOf(journal, child, directory / child.localName,
                                   JoinShown(shown, child.localName), now, notes);
        if (state == LocalState::Changed) {
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
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (isMainFolder && name == Mirror::kHiddenFolder) {
            continue;
        }
        const PathStatus status = Look(entries->path());
        LocalFile file{name, entries->path(), status.content, status.local, ""};
        if (status.type == fs::file_type::symlink) {
            notes.links.push_back(JoinShown(shown, name));
            continue;
        }
        if (status.type == fs::file_type::directory) {
            if (!syncedFolders.count(name)) {
                changes.newDirectories.push_back(std::move(file));
            }
            continue;
        }
        if (status.type != fs::file_type::regular || synced.count(name)) {
            continue;
        }
        if (IsConflictName(name)) {
            notes.conflictCopies.push_back(JoinShown(shown, name));
            continue;
        }
        const std::uint64_t size = static_cast<std::uint64_t>(status.content.size);
        if (const auto reason = rules.Excludes(name, size)) {
            file.excludedNote = JoinShown(shown, name) + " (" + *reason + ")";
            if (!rules.Excludes(name, 0)) {
                // Over the size limit only: it may still be a synced document under a new name.
                changes.oversized.push_back(std::move(file));
            } else {
                notes.excluded.push_back(JoinShown(shown, name) + " (" + *reason + ")");
            }
            continue;
        }
        try {
            file.content = DescribeFile(entries->path());
        } catch (const fs::filesystem_error& failure) {
            notes.unreadable.push_back(JoinShown(shown, name) + ": " + ReasonText(failure.code()));
            continue;
        }
        changes.newFiles.push_back(std::move(file));
    }
    if (error) {
        notes.unreadable.push_back("folder " + shown + ": " + ReasonText(error));
    }
    return changes;
}

LocalChanges ScanMirror(Journal& journal, const Mirror& mirror, const FileRules& rules) {
    LocalChanges notes;
    const std::optional<JournalItem> main = journal.MainFolder();
    if (!main) {
        return notes;
    }
    // What the scan stores (new identities, touched files) commits at once, not row by row.
    Transaction transaction(journal.database());
    ScanTree(journal, main->id, mirror.root(), ".", true, rules, notes);
    PairRelocations(journal, notes);
    transaction.Commit();
    return notes;
}

} // namespace KovaSync
