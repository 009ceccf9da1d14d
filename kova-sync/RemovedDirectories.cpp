// A synced folder whose directory was removed here. Its container is deleted on the server only when
// the server holds under it nothing the journal has not seen as it is: every document listed there
// is one the journal knows, at the version it last synced, and every sub-container is one it knows.
// Otherwise someone else saved something there since the last pass and the folder comes back as the
// server has it; a folder whose contents cannot be listed is deleted on neither side.
#include "kova-sync/HostCalls.h"
#include "kova-sync/SyncPass.h"

namespace KovaSync {

bool SyncPass::DirectoryMissing(std::int64_t folderId) const {
    const auto found = local_.folders.find(folderId);
    return found != local_.folders.end() && found->second.directoryMissing;
}

bool SyncPass::JudgeRemovedDirectories(const Visit& visit, const Stored& stored, USHORT count) {
    if (options_.downloadOnly) {
        return false;
    }
    std::vector<JournalItem> removed;
    for (USHORT index = 0; index < count; ++index) {
        MapRef listed;
        if (FAILED(filter_->raw_GetSubFolderBasicProps(index, listed.get()))) {
            continue; // reported when the sub-folders are synced
        }
        const auto found = stored.folders.find(listed.String(kUniqueId));
        if (found != stored.folders.end() && DirectoryMissing(found->second.id)) {
            removed.push_back(journal_.Load(found->second));
        }
    }
    for (const JournalItem& folder : removed) {
        const std::string shown = JoinShown(visit.shown, folder.localName);
        RemovedDirectory& decision = removedDirectories_[folder.id];
        decision = RemovedDirectory::Leave;
        ForItem(shown, folder.map, kFolderIssue, [&] {
            decision = UnchangedOnServer(folder) ? RemovedDirectory::Delete : RemovedDirectory::Restore;
        });
        if (decision == RemovedDirectory::Leave) {
            console_.Error(
                "  kept     folder " + shown +
                ": what it holds on the server could not be listed; it is not deleted in this pass");
        } else if (decision == RemovedDirectory::Restore) {
            console_.Line(
                "  kept     folder " + shown +
                ": it changed on the server since the last pass; it comes back as the server has it");
        }
    }
    return !removed.empty();
}

bool SyncPass::UnchangedOnServer(const JournalItem& folder) {
    std::map<std::wstring, JournalEntry> known;
    for (JournalEntry& child : journal_.Entries(folder.id)) {
        known.emplace(child.uniqueId, std::move(child));
    }
    Bind(folder.map);
    USHORT count = 0;
    Check(filter_->raw_GetSubFolderCount(&count), "raw_GetSubFolderCount");
    std::vector<JournalItem> subFolders;
    for (USHORT index = 0; index < count; ++index) {
        MapRef listed;
        Check(filter_->raw_GetSubFolderBasicProps(index, listed.get()), "raw_GetSubFolderBasicProps");
        const auto found = known.find(listed.String(kUniqueId));
        if (found == known.end() || !found->second.isFolder) {
            return false; // new on the server
        }
        subFolders.push_back(journal_.Load(found->second));
    }
    bool complete = true;
    const std::map<std::wstring, USHORT> documents = ListedDocuments(complete);
    if (!complete) {
        throw HostCallError{"raw_GetItemBasicProps", E_FAIL};
    }
    for (const auto& [uniqueId, index] : documents) {
        const auto found = known.find(uniqueId);
        if (found == known.end() || found->second.isFolder) {
            return false; // new on the server
        }
        MapRef work = UnchangedCopy(journal_.Load(found->second).map);
        LONG change = kNoChange;
        Check(filter_->raw_HasChanges(index, work.get(), &change), "raw_HasChanges");
        if (ServerChanged(change)) {
            return false;
        }
    }
    for (const JournalItem& subFolder : subFolders) {
        if (!UnchangedOnServer(subFolder)) {
            return false;
        }
    }
    return true;
}

bool SyncPass::SendRemovedDirectory(const JournalItem& folder, const std::string& shown) {
    const auto judged = removedDirectories_.find(folder.id);
    const RemovedDirectory decision =
        judged == removedDirectories_.end() ? RemovedDirectory::Leave : judged->second;
    if (decision == RemovedDirectory::Leave ||
        (decision == RemovedDirectory::Delete && SendFolderDeletion(folder, shown))) {
        return false;
    }
    // Changed on the server, or its deletion refused: it comes back as the server has it.
    journal_.Remove(folder.id);
    return true;
}

void SyncPass::SendHeldRemovedDirectories() {
    for (const auto& [id, shown] : heldRemovedDirectories_) {
        const std::optional<JournalItem> folder = journal_.Find(id);
        if (!folder) {
            continue;
        }
        bool unchanged = false;
        ForItem(shown, folder->map, kFolderIssue, [&] { unchanged = UnchangedOnServer(*folder); });
        if (unchanged) {
            SendFolderDeletion(*folder, shown);
        } else {
            console_.Line("  kept     folder " + shown +
                          ": it changed on the server since the last pass; it comes back at the next pass");
        }
    }
}

bool SyncPass::SendFolderDeletion(const JournalItem& folder, const std::string& shown) {
    bool deleted = false;
    ForItem(shown, folder.map, kFolderIssue, [&] {
        const SendResult result = host_.Delete(CopyWithout(folder.map, {kFolderIssue}));
        if (!result.done()) {
            ++summary_.failed;
            console_.Error("  refused  deletion of folder \"" + shown + "\": " + result.reason +
                           "; it is downloaded again");
            return;
        }
        summary_.deletedOnServer += static_cast<unsigned>(journal_.CountDocumentsUnder(folder.id));
        journal_.Remove(folder.id);
        ++summary_.foldersDeleted;
        console_.Line("  deleted  folder " + shown + " on the server");
        deleted = true;
    });
    return deleted;
}

} // namespace KovaSync
