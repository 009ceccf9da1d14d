// What a pass that was cut short (a crash, a kill, a power cut) may have sent without the journal
// knowing: a new document, a new folder, a move. Each was recorded as pending before it went up; the
// next pass looks for it in the server's fresh listing and takes it over instead of sending it again.
// And a local edit that already holds the server's current bytes (a version that went up before the
// journal heard of it, or a copy the user took by hand) is stored as synced, never as a conflict.
#include "kova-sync/FileState.h"
#include "kova-sync/HostCalls.h"
#include "kova-sync/LocalNames.h"
#include "kova-sync/SettingsStore.h"
#include "kova-sync/SyncPass.h"

#include <algorithm>
#include <set>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

std::string Utf8(const std::wstring& text) {
    return Platform::WideToUtf8(text);
}

// Whether a deletion removes only the folder's reference while another folder holds the document
// (MeridioSync.DeleteType 2 or 3), rather than the document itself.
bool DeletionKeepsOtherReferences() {
    const std::optional<SettingValue> setting = ReadSetting(L"MeridioSync.DeleteType");
    const std::wstring type = setting && setting->type == REG_DWORD ? setting->text : L"3";
    return type == L"2" || type == L"3";
}

} // namespace

std::int64_t SyncPass::RecordSent(const JournalItem& item, std::optional<std::int64_t> pendingId) {
    Transaction transaction(journal_.database());
    const std::int64_t id = journal_.Insert(item);
    if (pendingId) {
        pending_.Forget(*pendingId);
    }
    transaction.Commit();
    return id;
}

std::string SyncPass::ServerContent(USHORT index, const MapRef& listed, fs::path& copy) {
    copy = mirror_.TemporaryFile();
    MapRef scratch = CopyWithout(listed, {kDocumentIssue});
    BSTR listedName = nullptr;
    const HRESULT hr = filter_->raw_RetrieveItemToPath(index, _bstr_t(copy.c_str()), &listedName,
                                                       scratch.get(), VARIANT_FALSE, nullptr);
    SysFreeString(listedName);
    if (FAILED(hr)) {
        std::error_code ignored;
        fs::remove(copy, ignored);
        Check(hr, "raw_RetrieveItemToPath");
    }
    return DescribeFile(copy).hash;
}

bool SyncPass::ServerHolds(USHORT index, const MapRef& listed, const std::string& hash, fs::path* copy) {
    fs::path download;
    const bool same = ServerContent(index, listed, download) == hash;
    if (same && copy != nullptr) {
        *copy = download;
    } else {
        std::error_code ignored;
        fs::remove(download, ignored);
    }
    return same;
}

const std::multimap<std::string, std::pair<USHORT, MapRef>>& SyncPass::ListedByName(const Visit& visit) {
    if (listedByName_.first != visit.folder.id) {
        listedByName_ = {visit.folder.id, {}};
        unreadListedRow_ = S_OK;
        USHORT count = 0;
        Check(filter_->raw_GetItemCount(&count), "raw_GetItemCount");
        for (USHORT index = 0; index < count; ++index) {
            MapRef listed;
            const HRESULT hr = filter_->raw_GetItemBasicProps(index, listed.get());
            if (FAILED(hr)) {
                unreadListedRow_ = hr;
            } else {
                std::set<std::string> names{Utf8(listed.String(L"FileName")),
                                            Utf8(listed.String(L"DisplayName")),
                                            CandidateName(DisplayName(listed), true)};
                for (const std::string& name : names) {
                    listedByName_.second.emplace(name, std::make_pair(index, listed));
                }
            }
        }
    }
    return listedByName_.second;
}

std::optional<JournalItem> SyncPass::AdoptSentFile(const Visit& visit, const Stored& stored,
                                                   const LocalFile& file,
                                                   const std::optional<PendingSend>& pending) {
    const std::string& hash = pending ? pending->hash : file.content.hash;
    const auto [first, last] = ListedByName(visit).equal_range(file.name);
    for (auto candidate = first; candidate != last; ++candidate) {
        const auto& [index, listed] = candidate->second;
        const std::wstring uniqueId = listed.String(kUniqueId);
        fs::path copy;
        if (stored.documents.count(uniqueId) != 0 || !ServerHolds(index, listed, hash, &copy)) {
            continue;
        }
        // The file as it went up; edited since, it goes up as a new version at the next pass.
        const ContentState content =
            file.content.hash == hash ? file.content : ContentState{pending->size, 0, pending->hash};
        JournalItem document{
            {0, visit.folder.id, false, uniqueId, file.name, content, file.local}, listed, std::nullopt};
        document.id = RecordSent(document, pending ? std::optional<std::int64_t>(pending->id) : std::nullopt);
        plans_[document.id] = {Plan::Kind::SentUp, copy};
        console_.Line("  adopted  " + JoinShown(visit.shown, file.name) +
                      (pending ? ": it went up in a pass that was cut short; not sent again"
                               : ": the server's document of its name holds its content; not sent"));
        return document;
    }
    // A row that could not be read may be the document a cut-short pass sent: nothing goes up
    // until the listing can be read whole.
    if (pending && FAILED(unreadListedRow_)) {
        throw HostCallError{"raw_GetItemBasicProps", unreadListedRow_};
    }
    return std::nullopt;
}

std::optional<std::string> SyncPass::LocalDirectoryOf(const Visit& parent, const MapRef& listed,
                                                      std::optional<std::int64_t>& pendingId) {
    std::vector<LocalFile>& directories = ChangesOf(parent).newDirectories;
    const auto take = [&](const std::string& name) -> bool {
        const auto found =
            std::find_if(directories.begin(), directories.end(),
                         [&name](const LocalFile& directory) { return directory.name == name; });
        if (found == directories.end()) {
            return false;
        }
        directories.erase(found);
        return true;
    };
    const std::string title = Utf8(DisplayName(listed));
    const std::optional<PendingSend> pending =
        options_.downloadOnly ? std::nullopt
                              : pending_.Find(PendingSend::Kind::Folder, parent.folder.id, title);
    if (pending && take(pending->localName)) {
        pendingId = pending->id;
        console_.Line("  adopted  folder " + JoinShown(parent.shown, pending->localName) +
                      ": it was created in a pass that was cut short; not created again");
        return pending->localName;
    }
    // A directory of the folder's name is its directory: made by a pass cut short before it was
    // recorded, or by the user.
    const std::string name = CandidateName(DisplayName(listed), false);
    if (take(name)) {
        console_.Line("  paired   folder " + JoinShown(parent.shown, name) +
                      " with the server's folder of its name");
        return name;
    }
    return std::nullopt;
}

bool SyncPass::Lists(const JournalItem& folder, const std::wstring& uniqueId) {
    Bind(folder.map);
    bool complete = true;
    return ListedDocuments(complete).count(uniqueId) != 0;
}

bool SyncPass::AdoptMove(JournalItem& document, const JournalItem& destination, const Relocation& relocation,
                         std::int64_t pendingId) {
    Bind(destination.map);
    USHORT count = 0;
    Check(filter_->raw_GetItemCount(&count), "raw_GetItemCount");
    for (USHORT index = 0; index < count; ++index) {
        MapRef listed;
        if (FAILED(filter_->raw_GetItemBasicProps(index, listed.get())) ||
            listed.String(kUniqueId) != document.uniqueId) {
            continue;
        }
        const std::optional<fs::path> copy = Snapshot(relocation.file, relocation.file.name);
        if (!copy) {
            return false;
        }
        document.map = listed;
        document.localName = relocation.file.name;
        document.content = relocation.file.content;
        document.local = relocation.file.local;
        Transaction transaction(journal_.database());
        journal_.Move(document.id, destination.id, relocation.file.name);
        journal_.Update(document);
        pending_.Forget(pendingId);
        transaction.Commit();
        plans_[document.id] = {Plan::Kind::SentUp, *copy};
        return true;
    }
    return false;
}

void SyncPass::FinishMove(JournalItem& document, const JournalItem& source, const JournalItem& destination,
                          const Relocation& relocation, std::int64_t pendingId) {
    const std::string shown = JoinShown(ShownPath(source), document.localName);
    if (!DeletionKeepsOtherReferences()) {
        ++summary_.failed;
        console_.Error("  failed   move of \"" + shown +
                       "\": a pass that was cut short left the document in both " + ShownPath(source) +
                       " and " + ShownPath(destination) +
                       " on the server, and MeridioSync.DeleteType deletes documents rather than references; "
                       "remove it from " +
                       ShownPath(source) + " on the server, then run the pass again");
        return;
    }
    Bind(source.map);
    const SendResult removed = host_.Delete(UnchangedCopy(document.map));
    if (!removed.done()) {
        ++summary_.failed;
        console_.Error("  refused  move of \"" + shown + "\": " + removed.reason +
                       "; the document stays in both folders on the server");
        return;
    }
    if (AdoptMove(document, destination, relocation, pendingId)) {
        ++summary_.relocated;
        console_.Line("  moved    " + shown + " -> " +
                      JoinShown(ShownPath(destination), relocation.file.name) +
                      " (finished the move a pass that was cut short began)");
    }
}

SyncPass::ServerSide SyncPass::CompareWithServer(const Visit& visit, const JournalItem& document,
                                                 USHORT index, const LocalFile& file) {
    fs::path copy;
    const std::string server = ServerContent(index, document.map, copy);
    if (server == file.content.hash) {
        journal_.SetContent(document.id, file.content);
        plans_[document.id] = {Plan::Kind::SentUp, copy};
        console_.Line("  same     " + JoinShown(visit.shown, document.localName) +
                      ": changed here and on the server to the same content; nothing to send");
        return ServerSide::SameAsFile;
    }
    std::error_code ignored;
    fs::remove(copy, ignored);
    return document.content && server == document.content->hash ? ServerSide::AsLastSynced
                                                                : ServerSide::Changed;
}

} // namespace KovaSync
