#include "kova-sync/SyncPass.h"

#include "Platform/ComUtil.h"
#include "Platform/Utf.h"
#include "kova-sync/FileState.h"
#include "kova-sync/HostCalls.h"
#include "kova-sync/PluginHost.h"

#include <algorithm>
#include <chrono>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

std::vector<std::wstring> NamesOf(const MapRef& map) {
    std::vector<std::wstring> names;
    for (const Host::Property& property : map->Properties()) {
        names.push_back(property.name);
    }
    return names;
}

// Copies the listing onto the stored map. What the item's last listing gave and this one no longer
// gives (a lock that was removed, say) goes from the map; the item then keeps this listing's names.
void TakeListing(const MapRef& listed, std::vector<std::wstring> names, MapRef& work, JournalItem& item) {
    if (item.listedNames) {
        for (const std::wstring& name : *item.listedNames) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                work->Remove(name.c_str());
            }
        }
    }
    for (const Host::Property& property : listed->Properties()) {
        work->Set(property.name, property.value);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    item.listedNames = std::move(names);
}

std::string Join(const std::string& shown, const std::string& name) {
    return JoinShown(shown, name);
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return text;
}

} // namespace

SyncPass::SyncPass(ILSSyncFilter2* filter, Host::LSShutdownInformer* informer, Mirror& mirror,
                   Journal& journal, Console& console, PassOptions options, FileRules rules)
    : filter_(filter), deletions_(filter), informer_(informer), mirror_(mirror), journal_(journal),
      console_(console), options_(options), rules_(std::move(rules)), host_(filter, informer),
      pending_(journal.database()) {}

PassSummary SyncPass::Run(const std::wstring& startPoint) {
    ILSNeedsShutdownInfoPtr needsShutdown(filter_);
    if (needsShutdown) {
        Check(needsShutdown->putref_pShutdownInformer(informer_), "putref_pShutdownInformer");
    }
    Check(filter_->raw_SetCurrentProfileName(_bstr_t(L"kova-sync")), "raw_SetCurrentProfileName");
    if (deletions_) {
        BSTR key = nullptr;
        Check(deletions_->raw_GetKeyPropertyTag(&key), "raw_GetKeyPropertyTag");
        keyProperty_ = key == nullptr ? L"" : key;
        SysFreeString(key);
    }

    const std::int64_t documentsBefore = journal_.CountDocuments();
    local_ = ScanMirror(journal_, mirror_, rules_);
    if (HoldsLocalDeletions(documentsBefore)) {
        return summary_;
    }
    JournalItem mainFolder = MainFolder(startPoint);
    mainMap_ = mainFolder.map;
    Check(filter_->raw_StartSync(0, mainFolder.map.get()), "raw_StartSync");
    try {
        for (const FolderRename& rename : local_.folderRenames) {
            RenameFolder(rename);
        }
        if (!options_.downloadOnly) {
            for (const Relocation& relocation : local_.relocations) {
                if (!Relocate(relocation)) {
                    // A deletion and a new file, or for a file over the size limit, an excluded one.
                    local_.folders[relocation.fromFolder].documents[relocation.document] =
                        LocalState::Missing;
                    if (relocation.oversized) {
                        local_.excluded.push_back(relocation.file.excludedNote);
                    } else {
                        local_.folders[relocation.toFolder].newFiles.push_back(relocation.file);
                    }
                }
            }
        }
        NoteVisited(mainFolder.map, L"Mavisto.FolderLocation");
        std::deque<Visit> folders;
        Visit main{mainFolder, mirror_.root(), "."};
        // The main folder's listing decides whether the pass can run: its failure ends the pass.
        SyncFolder(main, folders);
        while (!folders.empty()) {
            Visit visit = std::move(folders.front());
            folders.pop_front();
            ForItem(visit.shown, visit.folder.map, kFolderIssue, [&] { SyncFolder(visit, folders); });
        }
        SendHeldRemovedDirectories();
        SendOrphanEdits();
        ApplyRemovals(documentsBefore);
        ReportLocalNotes();
    } catch (const HostCallError& error) {
        const bool stopped = error.hr == E_ABORT || informer_->IsShutdownRequested();
        filter_->raw_EndSync(0, VARIANT_FALSE, stopped ? E_ABORT : error.hr);
        if (stopped) {
            throw PassInterrupted{};
        }
        throw;
    } catch (const PassInterrupted&) {
        filter_->raw_EndSync(0, VARIANT_FALSE, E_ABORT);
        throw;
    } catch (...) {
        filter_->raw_EndSync(0, VARIANT_FALSE, E_FAIL);
        throw;
    }
    Check(filter_->raw_EndSync(0, VARIANT_TRUE, S_OK), "raw_EndSync");
    return summary_;
}

// The main folder from the journal, or, on the repository's first sync, registered from the start
// point: the filter writes the folder's properties as those of the one item it then reports.
JournalItem SyncPass::MainFolder(const std::wstring& startPoint) {
    if (std::optional<JournalItem> stored = journal_.MainFolder()) {
        return *stored;
    }
    const std::string shown = Platform::WideToUtf8(startPoint);
    BSTR errorText = nullptr;
    const HRESULT hr = filter_->raw_SetSyncStartPointByString(_bstr_t(startPoint.c_str()), &errorText);
    const std::string message = TakeText(errorText);
    if (FAILED(hr)) {
        throw HostCallError{"raw_SetSyncStartPointByString", hr, shown, message};
    }
    JournalItem folder{{0, std::nullopt, true, {}, "", std::nullopt, {}}, MapRef(), std::nullopt};
    Check(filter_->raw_GetItemBasicProps(0, folder.map.get()), "raw_GetItemBasicProps");
    Check(filter_->raw_SetItemProperties(0, folder.map.get()), "raw_SetItemProperties");
    folder.uniqueId = folder.map.String(kUniqueId);
    Transaction transaction(journal_.database());
    folder.id = journal_.Insert(folder);
    journal_.SetSetting("start_point", shown);
    transaction.Commit();
    return folder;
}

void SyncPass::SyncFolder(Visit& visit, std::deque<Visit>& next) {
    ThrowIfStopped();
    console_.Line("Folder " + visit.shown);
    Bind(visit.folder.map);
    ++summary_.folders;

    Stored stored;
    DirectoryNames names;
    for (JournalEntry& child : journal_.Entries(visit.folder.id)) {
        names.Take(child.localName);
        auto& kind = child.isFolder ? stored.folders : stored.documents;
        kind.emplace(child.uniqueId, std::move(child));
    }
    if (!visit.folder.parent) {
        names.Take(Mirror::kHiddenFolder);
    }
    // Files the journal does not know are the user's: no document takes their names.
    std::error_code unreadable;
    for (fs::directory_iterator entry(visit.directory, unreadable);
         !unreadable && entry != fs::directory_iterator(); entry.increment(unreadable)) {
        names.Take(entry->path().filename().string());
    }

    bool complete = true;
    USHORT count = 0;
    Check(filter_->raw_GetSubFolderCount(&count), "raw_GetSubFolderCount");
    if (JudgeRemovedDirectories(visit, stored, count)) {
        Bind(visit.folder.map);
        Check(filter_->raw_GetSubFolderCount(&count), "raw_GetSubFolderCount");
    }
    for (USHORT index = 0; index < count; ++index) {
        SyncSubFolder(index, visit, stored, names, next, complete);
    }
    TakeServerMoves(visit, stored, names);
    SendLocalChanges(visit, stored, names, next, complete);
    listedByName_ = {0, {}};
    // The local changes that went up are in the listing from here on.
    Check(filter_->raw_PreContentSyncFolderUpdate(visit.folder.map.get(), VARIANT_FALSE, VARIANT_FALSE),
          "raw_PreContentSyncFolderUpdate");
    Check(filter_->raw_GetItemCount(&count), "raw_GetItemCount");
    for (USHORT index = 0; index < count; ++index) {
        SyncDocument(index, visit, stored, names, complete);
    }
    Check(filter_->raw_PostContentSyncFolderUpdate(visit.folder.map.get(), VARIANT_FALSE, VARIANT_FALSE),
          "raw_PostContentSyncFolderUpdate");
    // An item that could not be read from the listing may be among the unlisted ones: nothing of a
    // listing that was not read whole counts as gone.
    if (complete) {
        PlanRemovals(visit, stored);
    }
    journal_.Update(visit.folder);
}

void SyncPass::Bind(const MapRef& folder) {
    listedByName_ = {0, {}}; // a listing's indexes hold until the next one
    Check(filter_->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE, 0,
                                         VARIANT_FALSE),
          "raw_SetSyncStartPoint");
}

void SyncPass::SyncSubFolder(USHORT index, const Visit& parent, Stored& stored, DirectoryNames& names,
                             std::deque<Visit>& next, bool& complete) {
    MapRef listed;
    const HRESULT hr = filter_->raw_GetSubFolderBasicProps(index, listed.get());
    if (FAILED(hr)) {
        complete = false;
        ForItem(Join(parent.shown, "sub-folder " + std::to_string(index + 1)), listed, kFolderIssue,
                [&] { Check(hr, "raw_GetSubFolderBasicProps"); });
        return;
    }
    const std::wstring uniqueId = listed.String(kUniqueId);
    const auto found = stored.folders.find(uniqueId);
    if (WasVisited(listed, L"Mavisto.RepositoryLocation")) {
        if (found != stored.folders.end()) {
            stored.folders.erase(found);
        }
        console_.Line("  skipped  folder \"" + Join(parent.shown, Platform::WideToUtf8(DisplayName(listed))) +
                      "\": it is synced already on the path from the main folder");
        return;
    }
    NoteVisited(listed, L"Mavisto.RepositoryLocation");
    bool isNew = found == stored.folders.end();
    if (!isNew) {
        const auto changes = local_.folders.find(found->second.id);
        if (changes != local_.folders.end() && !changes->second.unreadable.empty()) {
            stored.folders.erase(found); // reported by the scan; left as it is on both sides
            return;
        }
    }
    std::string localName = isNew ? std::string() : found->second.localName;
    std::optional<std::int64_t> createdFrom; // the pending row of a folder a cut-short pass created
    if (!isNew && !options_.downloadOnly && local_.folders[found->second.id].holdsMovedFiles) {
        heldRemovedDirectories_.emplace_back(found->second.id, Join(parent.shown, localName));
        stored.folders.erase(found);
        return;
    }
    if (!isNew && !options_.downloadOnly && DirectoryMissing(found->second.id)) {
        const bool comesBack =
            SendRemovedDirectory(journal_.Load(found->second), Join(parent.shown, localName));
        stored.folders.erase(found);
        if (!comesBack) {
            return;
        }
        isNew = true; // under its name, as it is on the server
    } else if (isNew) {
        const std::optional<std::string> local = LocalDirectoryOf(parent, listed, createdFrom);
        localName = local ? *local : names.Claim(DisplayName(listed), false);
    }
    JournalItem folder = isNew
                             ? JournalItem{{0, parent.folder.id, true, uniqueId, localName, std::nullopt, {}},
                                           listed,
                                           std::nullopt}
                             : journal_.Load(found->second);
    MapRef work = isNew ? listed : CopyWithout(folder.map, {kFolderIssue});
    TakeListing(listed, NamesOf(listed), work, folder);
    if (!isNew) {
        stored.folders.erase(found);
    }
    const std::string shown = Join(parent.shown, folder.localName);
    ForItem(shown, work, kFolderIssue, [&] {
        Check(filter_->raw_SetSubFolderProperties(index, work.get()), "raw_SetSubFolderProperties");
        const fs::path directory = parent.directory / folder.localName;
        fs::create_directories(directory);
        folder.local = Look(directory).local;
        folder.map = work;
        if (isNew) {
            folder.id = RecordSent(folder, createdFrom);
        } else {
            journal_.Update(folder);
        }
        next.push_back({folder, directory, shown});
    });
}

// Downloads a document that is new or changed on the server and stores its properties; a document
// whose local side this pass dealt with follows its plan.
void SyncPass::SyncDocument(USHORT index, const Visit& parent, Stored& stored, DirectoryNames& names,
                            bool& complete) {
    MapRef listed;
    const HRESULT hr = filter_->raw_GetItemBasicProps(index, listed.get());
    if (FAILED(hr)) {
        complete = false;
        ForItem(Join(parent.shown, "document " + std::to_string(index + 1)), listed, kDocumentIssue,
                [&] { Check(hr, "raw_GetItemBasicProps"); });
        return;
    }
    ++summary_.listedDocuments;
    const std::wstring uniqueId = listed.String(kUniqueId);
    const auto found = stored.documents.find(uniqueId);
    const bool isNew = found == stored.documents.end();
    const std::int64_t storedId = isNew ? 0 : found->second.id;
    const auto planned = isNew ? plans_.end() : plans_.find(storedId);
    const Plan* plan = planned == plans_.end() ? nullptr : &planned->second;
    const FolderChanges& changes = ChangesOf(parent);
    const auto state = changes.documents.find(storedId);
    const bool keptLocal = !plan && state != changes.documents.end() &&
                           state->second != LocalState::Unchanged && state->second != LocalState::Missing;
    if ((plan && plan->kind == Plan::Kind::Hold) || keptLocal) {
        // Held in this pass; or an edit here, or an excluded file, which is never overwritten.
        if (!isNew) {
            stored.documents.erase(found);
        }
        return;
    }
    // The stored map as the local side of this pass left it.
    JournalItem document = isNew ? JournalItem{{0,
                                                parent.folder.id,
                                                false,
                                                uniqueId,
                                                names.Claim(DisplayName(listed), true),
                                                std::nullopt,
                                                {}},
                                               listed,
                                               std::nullopt}
                                 : journal_.Load(found->second);
    if (!isNew) {
        stored.documents.erase(found);
    }
    if (!isNew && !plan && (state == changes.documents.end() || state->second == LocalState::Unchanged)) {
        ForItem(Join(parent.shown, document.localName), document.map, kDocumentIssue,
                [&] { FollowServerRename(parent, document, listed, names); });
    }
    MapRef work = isNew ? listed : CopyWithout(document.map, {kDocumentIssue, kUnchangedMarker});
    if (!isNew) {
        work->Set(kUnchangedMarker, LONG{1});
    }
    ForItem(Join(parent.shown, document.localName), work, kDocumentIssue,
            [&] { TakeDocument(index, parent, document, work, isNew, listed, plan); });
}

void SyncPass::TakeDocument(USHORT index, const Visit& parent, JournalItem& document, MapRef& work,
                            bool isNew, const MapRef& listed, const Plan* plan) {
    const std::string shown = Join(parent.shown, document.localName);
    const fs::path file = parent.directory / document.localName;
    // The file as the last pass left it, when it is to be there: a document this pass did not plan.
    const std::optional<ContentState> expected = isNew || plan ? std::nullopt : document.content;
    LONG change = kNoChange;
    if (!isNew && !plan) {
        Check(filter_->raw_HasChanges(index, work.get(), &change), "raw_HasChanges");
        if (ServerChanged(change)) {
            OnlyTheLockChanged(index, work, change); // then the new lock state is all that is taken
        }
    }
    const bool sentUp = plan && plan->kind == Plan::Kind::SentUp;
    const bool download = !sentUp && (isNew || plan || ServerChanged(change));
    fs::path partial;
    std::chrono::steady_clock::time_point started;
    if (download || sentUp) {
        // What the filter writes from the listing counts as listed too (the lock holder, say).
        std::vector<std::wstring> names = NamesOf(listed);
        const std::vector<std::wstring> written = NamesOf(ListingProperties(index));
        names.insert(names.end(), written.begin(), written.end());
        TakeListing(listed, std::move(names), work, document);
        if (download) {
            partial = mirror_.TemporaryFile();
            console_.Status("  downloading " + shown);
        }
        started = std::chrono::steady_clock::now();
        const fs::path& target = download ? partial : plan->sentCopy;
        BSTR listedName = nullptr;
        const HRESULT retrieved =
            filter_->raw_RetrieveItemToPath(index, _bstr_t(target.c_str()), &listedName, work.get(),
                                            sentUp ? VARIANT_TRUE : VARIANT_FALSE, nullptr);
        SysFreeString(listedName);
        if (FAILED(retrieved)) {
            std::error_code ignored;
            fs::remove(partial, ignored); // a failed download leaves nothing half-written behind
            Check(retrieved, "raw_RetrieveItemToPath");
        }
        if (download) {
            document.content = DescribeFile(partial);
        }
    }
    const HRESULT written = filter_->raw_SetItemProperties(index, work.get());
    if (FAILED(written)) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        Check(written, "raw_SetItemProperties");
    }
    if (download) {
        fs::create_directories(parent.directory);
        if (!MayReplace(parent, document.localName, expected)) {
            std::error_code ignored;
            fs::remove(partial, ignored);
            return;
        }
        fs::rename(partial, file); // keeps the modification time the content state holds
        document.local = Look(file).local;
    }
    // Most documents of a pass changed on neither side: their row stays as it is.
    const bool sameState = !isNew && !download && !sentUp && document.map->HasSameProperties(*work.get());
    document.map = work;
    if (isNew) {
        document.id = journal_.Insert(document);
    } else if (!sameState) {
        journal_.Update(document);
    }
    if (download) {
        ++summary_.downloaded;
        summary_.bytes += static_cast<std::uintmax_t>(document.content->size);
        const char* what = isNew ? "  new      " : plan ? "  restored " : "  changed  ";
        console_.Line(std::string(what) + shown + " (" +
                      DownloadText(static_cast<std::uintmax_t>(document.content->size),
                                   std::chrono::steady_clock::now() - started) +
                      ")");
    } else if (!sentUp) {
        ++summary_.unchanged;
    }
}

// Items of the folder that the listing no longer names and that the filter reports deleted on the
// server; they are removed once the whole tree was listed.
bool SyncPass::OnlyTheLockChanged(USHORT index, MapRef& work, LONG& change) {
    const wchar_t* const checkoutUser = L"ows-CheckoutUser";
    MapRef relocked = CopyWithout(work, {checkoutUser});
    const std::wstring holder = ListingProperties(index).String(checkoutUser);
    if (!holder.empty()) {
        relocked->Set(checkoutUser, holder);
    }
    LONG withListedLock = change;
    Check(filter_->raw_HasChanges(index, relocked.get(), &withListedLock), "raw_HasChanges");
    if (ServerChanged(withListedLock)) {
        return false;
    }
    work = relocked;
    change = withListedLock;
    return true;
}

MapRef SyncPass::ListingProperties(USHORT index) {
    MapRef written;
    Check(filter_->raw_SetItemProperties(index, written.get()), "raw_SetItemProperties");
    return written;
}

void SyncPass::PlanRemovals(const Visit& parent, Stored& stored) {
    for (auto* kind : {&stored.folders, &stored.documents}) {
        for (auto& [uniqueId, entry] : *kind) {
            const JournalItem item = journal_.Load(entry);
            const std::string shown = Join(parent.shown, item.localName);
            ForItem(shown, item.map, item.isFolder ? kFolderIssue : kDocumentIssue, [&] {
                if (IsDeleted(item, shown)) {
                    const std::int64_t documents = item.isFolder ? journal_.CountDocumentsUnder(item.id) : 1;
                    removals_.push_back({item, parent.directory / item.localName, shown, documents});
                }
            });
        }
    }
}

bool SyncPass::IsDeleted(const JournalItem& item, const std::string& shown) {
    if (!deletions_ || keyProperty_.empty()) {
        return false;
    }
    const std::wstring key = item.map.String(keyProperty_);
    if (key.empty()) {
        // A folder made here has no key until a listing names it: a whole listing that does not name
        // it tells that it is gone.
        return item.isFolder && item.parent;
    }
    const HRESULT hr = deletions_->raw_IsDeleted(_bstr_t(key.c_str()), item.isFolder ? 1 : 0);
    if (FAILED(hr)) {
        throw HostCallError{"raw_IsDeleted", hr, shown};
    }
    return hr == S_OK;
}

// A listing that would empty much of the mirror at once is not believed: nothing is removed, and
// the user confirms with --allow-mass-delete.
void SyncPass::ApplyRemovals(std::int64_t documentsBefore) {
    std::int64_t documents = 0;
    for (const Removal& removal : removals_) {
        documents += removal.documents;
    }
    if (documents * 2 > documentsBefore && !options_.allowMassDelete) {
        summary_.heldRemovals = documents;
        console_.Error("kova-sync: not removing " + std::to_string(documents) + " of the mirror's " +
                       std::to_string(documentsBefore) + " documents: the server listed " +
                       std::to_string(summary_.listedDocuments) + " documents in " +
                       std::to_string(summary_.folders) +
                       " folders. If that is right, run the pass again with --allow-mass-delete.");
        return;
    }
    for (const Removal& removal : removals_) {
        const std::optional<JournalItem> now = journal_.Find(removal.item.id);
        if (!now || now->parent != removal.item.parent) {
            continue; // moved on the server into a folder listed later in the pass
        }
        ForItem(removal.shown, removal.item.map, removal.item.isFolder ? kFolderIssue : kDocumentIssue, [&] {
            if (removal.item.isFolder) {
                RemoveFolder(removal.item, removal.path, removal.shown);
            } else {
                RemoveDocument(removal.item, removal.path, removal.shown);
            }
        });
    }
}

// A file changed here since its last sync is kept rather than lost; the next pass sends it as a new
// file.
void SyncPass::RemoveDocument(const JournalEntry& document, const fs::path& file, const std::string& shown) {
    const PathStatus now = Look(file);
    if (now.type == fs::file_type::regular && document.content &&
        (now.content.size != document.content->size ||
         now.content.modifiedNs != document.content->modifiedNs)) {
        ++summary_.failed;
        console_.Error("  kept     " + shown +
                       ": deleted on the server, but changed here since the last sync; it goes up as a new "
                       "document at the next pass");
    } else {
        if (now.type == fs::file_type::regular) {
            fs::remove(file); // a link or a directory under its name is left alone
        }
        console_.Line("  removed  " + shown);
    }
    journal_.Remove(document.id);
    ++summary_.removed;
}

// The folder's synced documents and folders go; the directory stays while it holds other files. A
// link that stands in its place is not removed through.
void SyncPass::RemoveFolder(const JournalEntry& folder, const fs::path& directory, const std::string& shown) {
    if (Look(directory).type == fs::file_type::symlink) {
        console_.Line("  kept     " + shown + ": a symbolic link stands in its place; it is not followed");
        journal_.Remove(folder.id);
        return;
    }
    for (const JournalEntry& child : journal_.Entries(folder.id)) {
        const fs::path path = directory / child.localName;
        const std::string childShown = Join(shown, child.localName);
        if (child.isFolder) {
            RemoveFolder(child, path, childShown);
        } else {
            RemoveDocument(child, path, childShown);
        }
    }
    std::error_code notEmpty;
    fs::remove(directory, notEmpty);
    if (notEmpty && fs::exists(directory)) {
        ++summary_.failed;
        console_.Error("  kept     folder " + shown +
                       ": deleted on the server, but it holds files changed or made here; it goes up again "
                       "with them at the next pass");
    } else {
        console_.Line("  removed  folder " + shown);
    }
    journal_.Remove(folder.id);
}

void SyncPass::ThrowIfStopped() const {
    if (informer_->IsShutdownRequested()) {
        throw PassInterrupted{};
    }
}

void SyncPass::NoteVisited(const MapRef& folder, const std::wstring& locationProperty) {
    visited_.insert(L"id:" + folder.String(kUniqueId));
    const std::wstring location = folder.String(locationProperty);
    if (!location.empty()) {
        visited_.insert(L"at:" + Lower(location));
    }
}

bool SyncPass::WasVisited(const MapRef& folder, const std::wstring& locationProperty) const {
    const std::wstring location = folder.String(locationProperty);
    return visited_.count(L"id:" + folder.String(kUniqueId)) != 0 ||
           (!location.empty() && visited_.count(L"at:" + Lower(location)) != 0);
}

} // namespace KovaSync
