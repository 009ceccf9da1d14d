// The local side of a pass: what changed in the mirror directory goes up through the host calls,
// and what the server's side then does with each document is planned. Nothing local is lost: a
// conflict keeps the local file under a conflict name, an edit beats a deletion, a refused change
// leaves the file as it is.
#include "kova-sync/ConflictCopies.h"
#include "kova-sync/FileState.h"
#include "kova-sync/HostCalls.h"
#include "kova-sync/SyncPass.h"

#include <algorithm>
#include <ctime>
#include <set>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

// Properties the driver keeps on a document whose local change was refused: the content refused and
// why. The change is sent again only when the file changes again.
const wchar_t* const kRefusedHash = L"KovaSync.RefusedContentHash";
const wchar_t* const kRefusedReason = L"KovaSync.RefusedReason";
const std::wstring kReadOnly = L"0x0000000000000001";

bool IsReadOnlyDocument(const MapRef& document) {
    return document.String(L"ows-PermMask") == kReadOnly;
}

bool IsReadOnlyFolder(const MapRef& folder) {
    return folder.String(L"KOVA.PermMask2") == kReadOnly;
}

std::string Bytes(std::int64_t size) {
    return std::to_string(size) + " bytes";
}

} // namespace

bool SyncPass::HoldsLocalDeletions(std::int64_t documentsBefore) {
    const std::int64_t documents = local_.missingDocuments;
    if (options_.downloadOnly || options_.allowMassDelete || documents * 2 <= documentsBefore) {
        return false;
    }
    summary_.heldRemovals = documents;
    console_.Error("kova-sync: not deleting " + std::to_string(documents) + " of the mirror's " +
                   std::to_string(documentsBefore) + " documents on the server: their files are gone from " +
                   mirror_.root().string() +
                   ". Nothing was changed on either side. If that is right, run the pass again with "
                   "--allow-mass-delete.");
    return true;
}

FolderChanges& SyncPass::ChangesOf(const Visit& visit) {
    auto found = local_.folders.find(visit.folder.id);
    if (found == local_.folders.end()) {
        // A folder made in this pass: whatever its directory holds is new.
        found = local_.folders
                    .emplace(visit.folder.id, ScanFolder(journal_, visit.folder.id, visit.directory,
                                                         visit.shown, !visit.folder.parent, rules_, local_))
                    .first;
    }
    return found->second;
}

std::map<std::wstring, USHORT> SyncPass::ListedDocuments(bool& complete) {
    std::map<std::wstring, USHORT> listed;
    USHORT count = 0;
    Check(filter_->raw_GetItemCount(&count), "raw_GetItemCount");
    for (USHORT index = 0; index < count; ++index) {
        MapRef item;
        if (FAILED(filter_->raw_GetItemBasicProps(index, item.get()))) {
            complete = false; // reported when the content is synced
            continue;
        }
        listed.emplace(item.String(kUniqueId), index);
    }
    return listed;
}

std::optional<fs::path> SyncPass::Snapshot(const LocalFile& file, const std::string& shown) {
    const fs::path copy = mirror_.TemporaryFile(fs::path(file.name).extension().string());
    fs::copy_file(file.path, copy);
    if (DescribeFile(copy).hash != file.content.hash) {
        console_.Line("  skipped  " + shown + ": it changed while it was read; it goes up at the next pass");
        return std::nullopt;
    }
    return copy;
}

void SyncPass::Refused(JournalItem& document, const std::string& shown, const std::string& what,
                       const std::string& reason, const std::string& hash) {
    document.map->Set(kRefusedHash, Platform::Utf8ToWide(hash));
    document.map->Set(kRefusedReason, Platform::Utf8ToWide(reason));
    journal_.Update(document);
    ++summary_.failed;
    console_.Error("  refused  " + what + " of \"" + shown + "\": " + reason +
                   "; the local file is kept as it is");
}

std::string SyncPass::MoveAside(const Visit& visit, const std::string& localName) {
    const std::time_t now = std::time(nullptr);
    std::string name = ConflictName(localName, now);
    for (unsigned number = 2; Look(visit.directory / name).type != fs::file_type::not_found; ++number) {
        name = ConflictName(localName, now, number);
    }
    fs::rename(visit.directory / localName, visit.directory / name);
    return name;
}

void SyncPass::KeepConflictCopy(const Visit& visit, const JournalItem& document) {
    const std::string name = MoveAside(visit, document.localName);
    ++summary_.conflicts;
    plans_[document.id] = {Plan::Kind::Download, {}};
    console_.Line(
        "  conflict " + JoinShown(visit.shown, document.localName) +
        ": changed here and on the server; the server's version takes its name, yours is kept as \"" + name +
        "\"");
}

std::string SyncPass::ShownPath(const JournalItem& folder) {
    std::string shown = ".";
    for (std::optional<JournalItem> at = folder; at && at->parent; at = journal_.Find(*at->parent)) {
        shown = shown == "." ? at->localName : at->localName + "/" + shown;
    }
    return shown;
}

bool SyncPass::Relocate(const Relocation& relocation) {
    std::optional<JournalItem> document = journal_.Find(relocation.document);
    const std::optional<JournalItem> from = journal_.Find(relocation.fromFolder);
    const std::optional<JournalItem> to = journal_.Find(relocation.toFolder);
    if (!document || !from || !to) {
        return false;
    }
    const bool moved = relocation.fromFolder != relocation.toFolder;
    const bool renamed = document->localName != relocation.file.name;
    const std::string oldName = JoinShown(ShownPath(*from), document->localName);
    const std::string newName = JoinShown(ShownPath(*to), relocation.file.name);
    bool done = false;
    ForItem(oldName, document->map, kDocumentIssue, [&] {
        Bind(from->map);
        bool complete = true;
        const auto listed = ListedDocuments(complete);
        const auto found = listed.find(document->uniqueId);
        const std::optional<PendingSend> leftMove = moved ? pending_.FindMove(document->id) : std::nullopt;
        if (found == listed.end()) {
            // Moved by a pass that was cut short; else gone from the server: a deletion and a new file.
            if (leftMove && leftMove->folder == to->id &&
                AdoptMove(*document, *to, relocation, leftMove->id)) {
                ++summary_.relocated;
                console_.Line("  moved    " + oldName + " -> " + newName +
                              " (moved on the server by a pass that was cut short)");
                done = true;
            }
            return;
        }
        MapRef work = UnchangedCopy(document->map);
        LONG change = kNoChange;
        Check(filter_->raw_HasChanges(found->second, work.get(), &change), "raw_HasChanges");
        // Changed on the server: the old file comes back, the new one goes up; unless the server
        // holds the file's content still (a rename that went up before the journal heard of it).
        if (ServerChanged(change) && !ServerHolds(found->second, work, relocation.file.content.hash)) {
            return;
        }
        if (leftMove && leftMove->folder == to->id) {
            if (Lists(*to, document->uniqueId)) {
                // Never a deletion and a new file: the document is in both folders already.
                FinishMove(*document, *from, *to, relocation, leftMove->id);
                done = true;
                return;
            }
            Bind(from->map);
        }
        // An edit over the size limit is not sent: only the rename goes up, and no copy is made.
        const bool sendsContent = relocation.edited && !relocation.oversized;
        std::optional<fs::path> copy;
        if (!(relocation.edited && relocation.oversized)) {
            copy = Snapshot(relocation.file, relocation.file.name);
            if (!copy) {
                return;
            }
        }
        if (renamed || sendsContent) {
            // A new version and a new name go up in one update: the document keeps its history.
            const SendResult result =
                sendsContent ? host_.Update(from->map, *copy, relocation.file.name, work, renamed)
                             : host_.Rename(from->map, copy.value_or(relocation.file.path),
                                            relocation.file.name, work);
            if (!result.done()) {
                ++summary_.failed;
                console_.Error("  refused  " + std::string(sendsContent ? "new version" : "rename") +
                               " of \"" + oldName + "\": " + result.reason +
                               "; it is sent as a deletion and a new file");
                return;
            }
        }
        // 0: no move, and a rename the next pass may send again as it is.
        std::int64_t pendingId = 0;
        if (moved) {
            bool offered = true;
            pendingId = pending_.Record(PendingSend::Kind::Move, to->id, document->id, relocation.file.name,
                                        std::nullopt);
            const SendResult result = host_.Move(from->map, to->map, work, offered);
            if (!offered || !result.done()) {
                if (offered) {
                    ++summary_.failed;
                    console_.Error("  refused  move of \"" + oldName + "\": " + result.reason +
                                   "; it is sent as a deletion and a new file");
                }
                if (renamed || sendsContent) {
                    // What went up stands on the server: the document stays in its folder.
                    document->map = work;
                    journal_.Update(*document);
                }
                return;
            }
            // A moved item is the server's new copy in its new folder, which has no server version yet.
            work = CopyWithout(work, {L"Mavisto.FromServerVersion"});
        }
        document->map = work;
        document->localName = relocation.file.name;
        document->local = relocation.file.local;
        if (copy) {
            document->content = relocation.file.content;
        }
        Transaction transaction(journal_.database());
        journal_.Move(document->id, to->id, relocation.file.name);
        journal_.Update(*document);
        pending_.Forget(pendingId);
        transaction.Commit();
        if (copy) {
            plans_[document->id] = {Plan::Kind::SentUp, *copy};
        } else {
            // Kept here as it is, never overwritten, while it is over the size limit.
            local_.folders[relocation.toFolder].documents[document->id] = LocalState::Excluded;
            local_.excluded.push_back(relocation.file.excludedNote);
        }
        ++summary_.relocated;
        const std::string version = "with a new version of " + Bytes(relocation.file.content.size);
        console_.Line(std::string(moved ? "  moved    " : "  renamed  ") + oldName + " -> " + newName +
                      (moved ? " (moved on the server, " + (sendsContent ? version : "nothing uploaded") + ")"
                       : sendsContent ? " (" + version + ")"
                                      : ""));
        if (sendsContent) {
            ++summary_.uploaded;
            summary_.bytesUp += static_cast<std::uintmax_t>(relocation.file.content.size);
        }
        done = true;
    });
    return done;
}

bool SyncPass::TakePendingMove(const Visit& visit, Stored& stored, const LocalFile& file, bool oversized) {
    const auto pending =
        std::find_if(local_.pendingMoves.begin(), local_.pendingMoves.end(),
                     [&](const PendingMove& move) { return move.local.IsSameFile(file.local); });
    if (pending == local_.pendingMoves.end()) {
        return false;
    }
    const PendingMove move = *pending;
    local_.pendingMoves.erase(pending);
    const std::optional<JournalItem> document = journal_.Find(move.document);
    if (!document || !document->content) {
        return false;
    }
    Relocation relocation{move.document, move.fromFolder, visit.folder.id, file, false, oversized};
    relocation.edited = EditedSince(*document->content, file, oversized);
    if (!relocation.edited) {
        relocation.file.content = *document->content;
    }
    if (!Relocate(relocation)) {
        return false;
    }
    if (const std::optional<JournalItem> moved = journal_.Find(move.document)) {
        stored.documents.emplace(moved->uniqueId, *moved); // the listing names it here from now on
    }
    return true;
}

void SyncPass::SendLocalChanges(const Visit& visit, Stored& stored, DirectoryNames& names,
                                std::deque<Visit>& next, bool complete) {
    FolderChanges& changes = ChangesOf(visit);
    if (!options_.downloadOnly) {
        std::set<std::string> waiting;
        for (const LocalFile& directory : changes.newDirectories) {
            waiting.insert(directory.name);
        }
        for (const LocalFile& file : changes.newFiles) {
            waiting.insert(file.name);
        }
        for (const auto& [id, file] : changes.changedFiles) {
            waiting.insert(file.name);
        }
        pending_.ForgetNewExcept(visit.folder.id, waiting);
    }
    std::vector<JournalItem> documents;
    for (const auto& [uniqueId, entry] : stored.documents) {
        const auto state = changes.documents.find(entry.id);
        if (state != changes.documents.end() &&
            (state->second == LocalState::Changed || state->second == LocalState::Missing)) {
            documents.push_back(journal_.Load(entry));
        }
    }
    bool listingComplete = true;
    const std::map<std::wstring, USHORT> listed =
        documents.empty() ? std::map<std::wstring, USHORT>() : ListedDocuments(listingComplete);
    for (JournalItem& document : documents) {
        const auto state = changes.documents.find(document.id);
        const std::string shown = JoinShown(visit.shown, document.localName);
        const auto index = listed.find(document.uniqueId);
        ForItem(shown, document.map, kDocumentIssue, [&] {
            if (index != listed.end()) {
                if (state->second == LocalState::Changed) {
                    SendChangedDocument(visit, document, index->second, changes.changedFiles.at(document.id));
                } else if (state->second == LocalState::Missing && !options_.downloadOnly) {
                    SendDeletion(visit, stored, document, index->second);
                }
            } else if (state->second == LocalState::Changed && !options_.downloadOnly && complete &&
                       listingComplete && IsDeleted(document, shown)) {
                // Gone from here on the server, edited here: when no other folder lists it (moved
                // there), the edit goes up as a new document at the end of the pass.
                orphanEdits_.emplace_back(document.id, visit.folder.id);
                stored.documents.erase(document.uniqueId);
            }
        });
    }
    for (const LocalFile& file : std::vector<LocalFile>(changes.oversized)) {
        if (options_.downloadOnly || !TakePendingMove(visit, stored, file, true)) {
            local_.excluded.push_back(file.excludedNote);
        }
    }
    if (options_.downloadOnly) {
        return;
    }
    if (options_.readopt) {
        Readopt(visit, stored, names, changes);
    }
    for (const LocalFile& file : std::vector<LocalFile>(changes.newFiles)) {
        if (TakePendingMove(visit, stored, file, false)) {
            continue;
        }
        ForItem(JoinShown(visit.shown, file.name), MapRef(), kDocumentIssue, [&] {
            if (const std::optional<JournalItem> sent = SendNewFile(visit, stored, file, "")) {
                names.Take(file.name);
                stored.documents.emplace(sent->uniqueId, *sent);
            }
        });
    }
    for (const LocalFile& directory : changes.newDirectories) {
        ForItem(JoinShown(visit.shown, directory.name), MapRef(), kFolderIssue,
                [&] { SendNewFolder(visit, directory.name, names, next); });
    }
}

void SyncPass::SendChangedDocument(const Visit& visit, JournalItem& document, USHORT index,
                                   const LocalFile& file) {
    const std::string shown = JoinShown(visit.shown, document.localName);
    // Without the unchanged marker the filter weighs the local change against the server's.
    MapRef work = CopyWithout(document.map, {kDocumentIssue, kUnchangedMarker});
    LONG change = kLocalChangeOnly;
    Check(filter_->raw_HasChanges(index, work.get(), &change), "raw_HasChanges");
    // The listing's dates and locks alone make no conflict: the contents decide.
    if ((change == kBothChanged || change == kServerChange) && !OnlyTheLockChanged(index, work, change)) {
        const ServerSide server = CompareWithServer(visit, document, index, file);
        if (server == ServerSide::Changed) {
            KeepConflictCopy(visit, document);
        }
        if (server != ServerSide::AsLastSynced) {
            return;
        }
    }
    plans_[document.id] = {Plan::Kind::Hold, {}};
    if (options_.downloadOnly) {
        ++summary_.keptLocal;
        console_.Line("  kept     " + shown + ": changed here; not sent (--download-only)");
        return;
    }
    if (Platform::WideToUtf8(document.map.String(kRefusedHash)) == file.content.hash) {
        ++summary_.failed;
        console_.Error("  refused  \"" + shown +
                       "\" before: " + Platform::WideToUtf8(document.map.String(kRefusedReason)) +
                       "; it is sent again when it changes");
        return;
    }
    if (IsReadOnlyDocument(document.map)) {
        Refused(document, shown, "the new version", "the document is read-only on the server",
                file.content.hash);
        return;
    }
    const std::optional<fs::path> copy = Snapshot(file, shown);
    if (!copy) {
        return;
    }
    const SendResult result = host_.Update(visit.folder.map, *copy, document.localName, work);
    if (result.kind == SendResult::Kind::Conflict) {
        if (CompareWithServer(visit, document, index, file) != ServerSide::SameAsFile) {
            KeepConflictCopy(visit, document);
        }
        return;
    }
    if (!result.done()) {
        Refused(document, shown, "the new version", result.reason, file.content.hash);
        return;
    }
    document.map = CopyWithout(work, {kRefusedHash, kRefusedReason});
    document.content = file.content;
    journal_.Update(document);
    plans_[document.id] = {Plan::Kind::SentUp, *copy};
    ++summary_.uploaded;
    summary_.bytesUp += static_cast<std::uintmax_t>(file.content.size);
    console_.Line("  sent     " + shown + " (new version, " + Bytes(file.content.size) + ")");
}

void SyncPass::SendDeletion(const Visit& visit, Stored& stored, JournalItem& document, USHORT index) {
    const std::string shown = JoinShown(visit.shown, document.localName);
    MapRef work = UnchangedCopy(document.map);
    LONG change = kNoChange;
    Check(filter_->raw_HasChanges(index, work.get(), &change), "raw_HasChanges");
    if (ServerChanged(change)) {
        // The server's change wins over the deletion.
        plans_[document.id] = {Plan::Kind::Download, {}};
        console_.Line("  restoring " + shown + ": deleted here, but changed on the server");
        return;
    }
    const SendResult result = host_.Delete(work);
    if (!result.done()) {
        plans_[document.id] = {Plan::Kind::Download, {}};
        ++summary_.failed;
        console_.Error("  refused  deletion of \"" + shown + "\": " + result.reason +
                       "; it is downloaded again");
        return;
    }
    journal_.Remove(document.id);
    stored.documents.erase(document.uniqueId);
    ++summary_.deletedOnServer;
    console_.Line("  deleted  " + shown + " on the server");
}

std::optional<JournalItem> SyncPass::SendNewFile(const Visit& visit, const Stored& stored,
                                                 const LocalFile& file, const std::string& why) {
    const std::string shown = JoinShown(visit.shown, file.name);
    if (IsReadOnlyFolder(visit.folder.map)) {
        ++summary_.failed;
        console_.Error("  refused  upload of \"" + shown +
                       "\": the folder is read-only on the server; the local file is kept as it is");
        return std::nullopt;
    }
    if (std::optional<JournalItem> adopted = AdoptSentFile(
            visit, stored, file, pending_.Find(PendingSend::Kind::Document, visit.folder.id, file.name))) {
        return adopted;
    }
    const std::optional<fs::path> copy = Snapshot(file, shown);
    if (!copy) {
        return std::nullopt;
    }
    // Kept when the send fails: the server may have stored it all the same.
    const std::int64_t pendingId =
        pending_.Record(PendingSend::Kind::Document, visit.folder.id, std::nullopt, file.name, file.content);
    MapRef item;
    const SendResult result = host_.AddNew(visit.folder.map, *copy, file.name, item);
    if (!result.done()) {
        ++summary_.failed;
        console_.Error("  refused  upload of \"" + shown + "\": " + result.reason +
                       "; the local file is kept as it is");
        return std::nullopt;
    }
    JournalItem document{
        {0, visit.folder.id, false, item.String(kUniqueId), file.name, file.content, file.local},
        item,
        std::nullopt};
    document.id = RecordSent(document, pendingId);
    plans_[document.id] = {Plan::Kind::SentUp, *copy};
    ++summary_.uploaded;
    summary_.bytesUp += static_cast<std::uintmax_t>(file.content.size);
    console_.Line("  sent     " + shown + " (new document" + (why.empty() ? "" : ": " + why) + ", " +
                  Bytes(file.content.size) + ")");
    if (!result.note.empty()) {
        console_.Line("           " + result.note);
    }
    return document;
}

void SyncPass::SendNewFolder(const Visit& visit, const std::string& name, DirectoryNames& names,
                             std::deque<Visit>& next) {
    const std::string shown = JoinShown(visit.shown, name);
    const std::int64_t pendingId =
        pending_.Record(PendingSend::Kind::Folder, visit.folder.id, std::nullopt, name, std::nullopt);
    MapRef folder;
    const SendResult result = host_.CreateFolder(mainMap_, visit.folder.map, name, folder);
    if (!result.done()) {
        ++summary_.failed;
        console_.Error("  refused  new folder \"" + shown + "\": " + result.reason +
                       "; the local directory is kept as it is");
        return;
    }
    JournalItem item{{0, visit.folder.id, true, folder.String(kUniqueId), name, std::nullopt,
                      Look(visit.directory / name).local},
                     folder,
                     std::nullopt};
    item.id = RecordSent(item, pendingId);
    names.Take(name);
    NoteVisited(folder, L"Mavisto.FolderLocation");
    next.push_back({item, visit.directory / name, shown});
    ++summary_.foldersCreated;
    console_.Line("  created  folder " + shown + " on the server");
}

void SyncPass::ReportLocalNotes() {
    for (const std::string& copy : local_.conflictCopies) {
        console_.Line(
            "  conflict copy " + copy +
            ": not synced; delete it when you are done with it, or rename it to send it as a new file");
    }
    summary_.conflictCopies = static_cast<unsigned>(local_.conflictCopies.size());
    for (const std::string& excluded : local_.excluded) {
        console_.Line("  excluded " + excluded);
    }
    summary_.excluded = static_cast<unsigned>(local_.excluded.size());
    for (const std::string& link : local_.links) {
        console_.Line("  link     " + link + ": a symbolic link; not synced and not followed");
    }
    for (const std::string& unreadable : local_.unreadable) {
        ++summary_.failed;
        console_.Error("  failed   " + unreadable);
    }
}

} // namespace KovaSync
