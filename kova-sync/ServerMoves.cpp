// What the server did to a synced document comes down: a new title renames the file, a move to
// another folder moves the file into that folder's directory, and an edit made here meanwhile goes to
// the moved document instead of becoming a new one in the old folder.
#include "kova-sync/FileState.h"
#include "kova-sync/HostCalls.h"
#include "kova-sync/SyncPass.h"

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

bool AsSynced(const PathStatus& now, const std::optional<ContentState>& content) {
    return now.type == fs::file_type::regular && content && now.content.size == content->size &&
           now.content.modifiedNs == content->modifiedNs;
}

} // namespace

void SyncPass::FollowServerRename(const Visit& visit, JournalItem& document, const MapRef& listed,
                                  DirectoryNames& names) {
    const std::wstring title = DisplayName(listed);
    if (title.empty() || title == DisplayName(document.map) ||
        NameKey(CandidateName(title, true)) == NameKey(document.localName)) {
        return;
    }
    const fs::path from = visit.directory / document.localName;
    if (!AsSynced(Look(from), document.content)) {
        return; // changed here (or gone): the local name stays
    }
    const std::string newName = names.Claim(title, true);
    const fs::path to = visit.directory / newName;
    if (Look(to).type != fs::file_type::not_found) {
        return;
    }
    fs::rename(from, to);
    const std::string oldShown = JoinShown(visit.shown, document.localName);
    document.localName = newName;
    journal_.Update(document);
    ++summary_.relocated;
    console_.Line("  renamed  " + oldShown + " -> " + JoinShown(visit.shown, newName) +
                  " (renamed on the server)");
}

bool SyncPass::StillListedIn(const JournalItem& folder, const std::wstring& uniqueId) {
    Bind(folder.map);
    bool complete = true;
    const std::map<std::wstring, USHORT> listed = ListedDocuments(complete);
    return !complete || listed.count(uniqueId) != 0;
}

void SyncPass::TakeServerMoves(const Visit& visit, Stored& stored, DirectoryNames& names) {
    bool complete = true;
    std::map<std::wstring, USHORT> listed = ListedDocuments(complete);
    // The documents listed here that the journal holds, unchanged or edited, in another folder that
    // no longer lists them. A document can be in several folders at once: one its old folder still
    // lists was added here, not moved, and comes down as a document of this folder.
    std::vector<JournalEntry> moves;
    bool rebound = false;
    for (const auto& [uniqueId, index] : listed) {
        if (stored.documents.count(uniqueId) != 0) {
            continue;
        }
        for (const JournalEntry& entry : journal_.DocumentsWithUniqueId(uniqueId)) {
            if (entry.parent == visit.folder.id || !entry.parent || plans_.count(entry.id) != 0) {
                continue;
            }
            const FolderChanges& from = local_.folders[*entry.parent];
            const auto state = from.documents.find(entry.id);
            const LocalState local = state == from.documents.end() ? LocalState::Unchanged : state->second;
            const std::optional<JournalItem> folder = journal_.Find(*entry.parent);
            if (!folder || !from.unreadable.empty() ||
                (local != LocalState::Unchanged && local != LocalState::Changed)) {
                continue;
            }
            if (Look(FileOf(*folder, entry)).type != fs::file_type::regular) {
                continue;
            }
            rebound = true;
            if (!StillListedIn(*folder, uniqueId)) {
                moves.push_back(entry);
                break;
            }
        }
    }
    if (rebound) {
        Bind(visit.folder.map);
        listed = ListedDocuments(complete);
    }
    for (const JournalEntry& entry : moves) {
        const auto index = listed.find(entry.uniqueId);
        if (index == listed.end()) {
            continue;
        }
        FolderChanges& from = local_.folders[*entry.parent];
        const auto state = from.documents.find(entry.id);
        const LocalState local = state == from.documents.end() ? LocalState::Unchanged : state->second;
        const std::optional<JournalItem> folder = journal_.Find(*entry.parent);
        const std::string folderShown = ShownPath(*folder);
        const fs::path fromFile = FileOf(*folder, entry);
        MapRef item;
        Check(filter_->raw_GetItemBasicProps(index->second, item.get()), "raw_GetItemBasicProps");
        const std::string newName = names.Claim(DisplayName(item), true);
        if (Look(visit.directory / newName).type != fs::file_type::not_found) {
            continue; // made here since the scan: it is not overwritten
        }
        fs::create_directories(visit.directory);
        fs::rename(fromFile, visit.directory / newName);
        journal_.Move(entry.id, visit.folder.id, newName);
        JournalEntry moved = entry;
        moved.parent = visit.folder.id;
        moved.localName = newName;
        FolderChanges& here = ChangesOf(visit);
        here.documents[entry.id] = local;
        if (local == LocalState::Changed) {
            LocalFile file = from.changedFiles.at(entry.id);
            file.name = newName;
            file.path = visit.directory / newName;
            here.changedFiles[entry.id] = file;
        }
        from.documents.erase(entry.id);
        from.changedFiles.erase(entry.id);
        stored.documents.emplace(entry.uniqueId, moved);
        ++summary_.relocated;
        console_.Line("  moved    " + JoinShown(folderShown, entry.localName) + " -> " +
                      JoinShown(visit.shown, newName) + " (moved on the server)");
    }
}

fs::path SyncPass::FileOf(const JournalItem& folder, const JournalEntry& document) {
    const std::string shown = ShownPath(folder);
    return (shown == "." ? mirror_.root() : mirror_.root() / shown) / document.localName;
}

void SyncPass::SendOrphanEdits() {
    for (const auto& orphan : orphanEdits_) {
        const auto id = orphan.first; // a plain name, which the item's lambda may capture
        const auto folderId = orphan.second;
        const std::optional<JournalItem> document = journal_.Find(id);
        const std::optional<JournalItem> folder = journal_.Find(folderId);
        if (!document || !folder || document->parent != folderId ||
            !local_.folders[folderId].changedFiles.count(id)) {
            continue; // moved on the server and taken by its new folder
        }
        const std::string shown = ShownPath(*folder);
        Visit visit{*folder, shown == "." ? mirror_.root() : mirror_.root() / shown, shown};
        const LocalFile file = local_.folders[folder->id].changedFiles.at(id);
        ForItem(JoinShown(shown, file.name), document->map, kDocumentIssue, [&] {
            Bind(folder->map);
            Stored known; // what a cut-short pass sent is among the others the listing names
            for (JournalEntry& child : journal_.Entries(folder->id)) {
                known.documents.emplace(child.uniqueId, std::move(child));
            }
            const std::optional<JournalItem> sent =
                SendNewFile(visit, known, file, "deleted on the server, changed here");
            if (!sent) {
                return;
            }
            journal_.Remove(id);
            // The new document's listing row completes its journal entry, as for any document sent.
            Stored stored;
            stored.documents.emplace(sent->uniqueId, *sent);
            DirectoryNames names;
            bool complete = true;
            Check(filter_->raw_PreContentSyncFolderUpdate(folder->map.get(), VARIANT_FALSE, VARIANT_FALSE),
                  "raw_PreContentSyncFolderUpdate");
            const std::map<std::wstring, USHORT> listed = ListedDocuments(complete);
            const auto index = listed.find(sent->uniqueId);
            if (index != listed.end()) {
                SyncDocument(index->second, visit, stored, names, complete);
            }
            Check(filter_->raw_PostContentSyncFolderUpdate(folder->map.get(), VARIANT_FALSE, VARIANT_FALSE),
                  "raw_PostContentSyncFolderUpdate");
        });
    }
}

} // namespace KovaSync
