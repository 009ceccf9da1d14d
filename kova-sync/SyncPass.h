// One sync pass, driven the way the host engine drives a sync filter: the informer and profile, a
// first registration of the repository from the start point, then for every folder its listing, the
// local changes of its directory sent up (new versions, new documents, deletions, new folders, removed
// folders that did not change on the server), the listing again, the server's changes taken down
// (downloads, properties, deletions), and the end of the pass. Renames and moves between folders go
// first; documents the server moved into a folder follow when it is listed; removed directories whose
// documents moved out, and edits of documents gone from their folder, are dealt with at the end. What
// the pass learns goes into the journal, item by item, once the item's content is in place on both
// sides.
#pragma once

#include "Host/ShutdownInformer.h"
#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "Platform/Utf.h"
#include "kova-sync/Console.h"
#include "kova-sync/FileRules.h"
#include "kova-sync/HostChanges.h"
#include "kova-sync/Journal.h"
#include "kova-sync/LocalChanges.h"
#include "kova-sync/LocalNames.h"
#include "kova-sync/Messages.h"
#include "kova-sync/Mirror.h"
#include "kova-sync/PendingSends.h"

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace KovaSync {

// The user stopped the pass (Ctrl-C).
struct PassInterrupted {};

struct PassOptions {
    bool allowMassDelete = false;
    bool downloadOnly = false; // local changes stay local; a local edit is never overwritten
    // A journal made afresh from the server's listing for a mirror that holds files: each local file
    // is paired with the listed document of its content; the others are kept as conflict copies, or
    // sent as new files and folders with sendUnmatched.
    bool readopt = false;
    bool sendUnmatched = false;
};

class SyncPass {
public:
    SyncPass(ILSSyncFilter2* filter, Host::LSShutdownInformer* informer, Mirror& mirror, Journal& journal,
             Console& console, PassOptions options, FileRules rules);

    // Throws HostCallError when the pass cannot run (the registration or the main folder's listing
    // failed) and PassInterrupted when the user stopped it.
    PassSummary Run(const std::wstring& startPoint);

private:
    // A folder the pass goes through: its journal entry, its directory and its path as shown.
    struct Visit {
        JournalItem folder;
        std::filesystem::path directory;
        std::string shown;
    };
    // What the journal holds under a folder, by UniqueId; entries are taken out as the listing names
    // them, so that what is left was not listed.
    struct Stored {
        std::map<std::wstring, JournalEntry> folders;
        std::map<std::wstring, JournalEntry> documents;
    };
    // A folder or document gone from the server, removed at the end of the pass.
    struct Removal {
        JournalItem item;
        std::filesystem::path path;
        std::string shown;
        std::int64_t documents = 0;
    };
    // What the server's side of the pass does with a document whose local side was dealt with.
    struct Plan {
        enum class Kind {
            Download, // the server's version into the file's place (a conflict, or a deletion undone)
            SentUp,   // its content went up in this pass: the copy that went up is the server's
            Hold,     // left as it is in this pass
        };
        Kind kind;
        std::filesystem::path sentCopy; // SentUp
    };

    JournalItem MainFolder(const std::wstring& startPoint);
    void SyncFolder(Visit& visit, std::deque<Visit>& next);
    // complete becomes false when an item of the listing could not be read.
    void SyncSubFolder(USHORT index, const Visit& parent, Stored& stored, DirectoryNames& names,
                       std::deque<Visit>& next, bool& complete);
    void SyncDocument(USHORT index, const Visit& parent, Stored& stored, DirectoryNames& names,
                      bool& complete);
    // Downloads (or, for content that went up, takes as local) the listed document and stores it.
    void TakeDocument(USHORT index, const Visit& parent, JournalItem& document, MapRef& work, bool isNew,
                      const MapRef& listed, const Plan* plan);
    // Whether the document's change on the server is a lock that came or went and nothing else (a
    // checkout here, say); then work takes the listed lock holder and change what is left.
    bool OnlyTheLockChanged(USHORT index, MapRef& work, LONG& change);
    // What the filter writes on an item from the bound folder's listing, on a map of their own.
    MapRef ListingProperties(USHORT index);
    void PlanRemovals(const Visit& parent, Stored& stored);
    bool IsDeleted(const JournalItem& item, const std::string& shown);
    void ApplyRemovals(std::int64_t documentsBefore);
    void RemoveDocument(const JournalEntry& document, const std::filesystem::path& file,
                        const std::string& shown);
    void RemoveFolder(const JournalEntry& folder, const std::filesystem::path& directory,
                      const std::string& shown);

    // The local side (LocalSend.cpp).
    // Whether the local deletions are too many to carry out without --allow-mass-delete.
    bool HoldsLocalDeletions(std::int64_t documentsBefore);
    // True when the document was renamed or moved on the server.
    bool Relocate(const Relocation& relocation);
    // A new file of the visited folder that is a document's file moved here with a new directory:
    // true when the document moved on the server.
    bool TakePendingMove(const Visit& visit, Stored& stored, const LocalFile& file, bool oversized);
    // Removed directories whose documents moved out in this pass are deleted at its end.
    void SendHeldRemovedDirectories();
    // The synced folder whose directory was renamed here keeps its container (FolderRename.cpp).
    void RenameFolder(const FolderRename& rename);
    // The folder's path as shown, "." for the main folder.
    std::string ShownPath(const JournalItem& folder);
    // The listed documents of the bound folder by UniqueId, with their index; complete as above.
    std::map<std::wstring, USHORT> ListedDocuments(bool& complete);
    // Sends the local changes of the visited folder's directory and plans the server's side.
    void SendLocalChanges(const Visit& visit, Stored& stored, DirectoryNames& names, std::deque<Visit>& next,
                          bool complete);
    void SendChangedDocument(const Visit& visit, JournalItem& document, USHORT index, const LocalFile& file);
    void SendDeletion(const Visit& visit, Stored& stored, JournalItem& document, USHORT index);
    // A new document from the file; gives the journal entry.
    std::optional<JournalItem> SendNewFile(const Visit& visit, const Stored& stored, const LocalFile& file,
                                           const std::string& why);
    void SendNewFolder(const Visit& visit, const std::string& name, DirectoryNames& names,
                       std::deque<Visit>& next);

    // Sends a cut-short pass may have made (ResumedSends.cpp).
    // Stores the item the server made in one transaction with the end of its pending row.
    std::int64_t RecordSent(const JournalItem& item, std::optional<std::int64_t> pendingId);
    // The document a cut-short pass made from the file, found in the bound folder's listing and
    // stored in the journal; none when the listing holds none.
    // Without a pending row, a listed document of the file's name and content is taken: a download a
    // cut-short pass did not record.
    std::optional<JournalItem> AdoptSentFile(const Visit& visit, const Stored& stored, const LocalFile& file,
                                             const std::optional<PendingSend>& pending);
    // The bound folder's listed documents by their names (file name, title, local name), made once
    // per folder.
    const std::multimap<std::string, std::pair<USHORT, MapRef>>& ListedByName(const Visit& visit);
    // The new local directory a listed folder the journal does not know takes: the one a cut-short
    // pass created it from (pendingId is then its row), or one of its name; it is then no longer new.
    std::optional<std::string> LocalDirectoryOf(const Visit& parent, const MapRef& listed,
                                                std::optional<std::int64_t>& pendingId);
    // The document a cut-short pass moved into the destination folder, found there and stored; false
    // when the destination's listing does not hold it.
    bool AdoptMove(JournalItem& document, const JournalItem& destination, const Relocation& relocation,
                   std::int64_t pendingId);
    // Whether the folder's listing names the document; the folder is bound after it.
    bool Lists(const JournalItem& folder, const std::wstring& uniqueId);
    // The content hash of the listed document's current version, downloaded into copy.
    std::string ServerContent(USHORT index, const MapRef& listed, std::filesystem::path& copy);
    // Ends a move a cut-short pass took half way: the document is in the destination already and
    // still in the source, whose reference goes.
    void FinishMove(JournalItem& document, const JournalItem& source, const JournalItem& destination,
                    const Relocation& relocation, std::int64_t pendingId);
    // Whether the listed document's current version holds the content of that hash; the download it
    // takes is kept in copy when it does and copy is given.
    bool ServerHolds(USHORT index, const MapRef& listed, const std::string& hash,
                     std::filesystem::path* copy = nullptr);
    // What the server's current version of a document whose file changed here holds.
    enum class ServerSide {
        SameAsFile,   // the file's bytes: the pair is stored as synced, no conflict
        AsLastSynced, // what the last pass synced: only the file changed
        Changed,      // something else: a conflict
    };
    ServerSide CompareWithServer(const Visit& visit, const JournalItem& document, USHORT index,
                                 const LocalFile& file);

    // Re-adoption of a mirror from the server's listing (Readopt.cpp).
    // Pairs the new files of the visited folder with the unknown listed documents of their content;
    // the files and directories left over are kept under conflict names unless they are to be sent.
    void Readopt(const Visit& visit, Stored& stored, DirectoryNames& names, FolderChanges& changes);
    // Keeps the files of the directory and below under conflict names: they are not synced.
    void KeepUnmatchedBelow(const Visit& directory);

    // What the server did to documents (ServerMoves.cpp).
    // Listed documents of the visited folder that the journal holds in another folder were moved there
    // on the server: their files follow, and an edit of one goes to it.
    void TakeServerMoves(const Visit& visit, Stored& stored, DirectoryNames& names);
    // Whether the server lists the document in the folder, or cannot list it whole; binds the folder.
    bool StillListedIn(const JournalItem& folder, const std::wstring& uniqueId);
    // A synced document's file in its folder's directory.
    std::filesystem::path FileOf(const JournalItem& folder, const JournalEntry& document);
    // A title changed on the server renames the file, when it is unchanged here.
    void FollowServerRename(const Visit& visit, JournalItem& document, const MapRef& listed,
                            DirectoryNames& names);
    // Edits of documents gone from their folder's listing that no other folder's listing took: each
    // goes up as a new document of its folder.
    void SendOrphanEdits();

    // Removed directories (RemovedDirectories.cpp).
    // What becomes of a listed folder whose directory is gone here, decided before its parent's
    // sub-folders are synced.
    enum class RemovedDirectory {
        Delete,  // the server holds under it only what the journal last synced: it is deleted there
        Restore, // changed on the server since the last pass: it comes back as the server has it
        Leave,   // what it holds on the server could not be listed: neither side changes in this pass
    };
    bool DirectoryMissing(std::int64_t folderId) const;
    // Decides for each of the count listed sub-folders of the bound folder whose directory is gone;
    // true when it bound other folders to list them (the visited folder is then to be bound again).
    bool JudgeRemovedDirectories(const Visit& visit, const Stored& stored, USHORT count);
    // Whether the server lists under the folder, and the folders below it, only the documents and
    // folders the journal knows, each document at the version it last synced. Throws HostCallError
    // when a listing cannot be read whole.
    bool UnchangedOnServer(const JournalItem& folder);
    // Deletes the folder on the server as it was judged; true when it comes back instead (changed on
    // the server, or its deletion refused); false when it was deleted or is left as it is.
    bool SendRemovedDirectory(const JournalItem& folder, const std::string& shown);
    // The folder is deleted on the server; true when it is.
    bool SendFolderDeletion(const JournalItem& folder, const std::string& shown);
    // Keeps the local file under a conflict name; the server's version then takes its place.
    void KeepConflictCopy(const Visit& visit, const JournalItem& document);
    // Moves the local file aside under a free conflict name, which it gives.
    std::string MoveAside(const Visit& visit, const std::string& localName);
    // Whether a download may take the name: what stands there now is what the pass expects (the file
    // as last synced, or nothing), looked at again just before (LookAgain.cpp). A file saved there
    // meanwhile is moved aside as a conflict copy first; anything else there is left as it is.
    bool MayReplace(const Visit& visit, const std::string& localName,
                    const std::optional<ContentState>& expected);
    void Refused(JournalItem& document, const std::string& shown, const std::string& what,
                 const std::string& reason, const std::string& hash);
    // A copy of the file to send, when it still holds the content the scan saw.
    std::optional<std::filesystem::path> Snapshot(const LocalFile& file, const std::string& shown);
    FolderChanges& ChangesOf(const Visit& visit);
    void ReportLocalNotes();

    // Runs one item's calls: a failure is reported with the item's name and the filter's text and
    // counted, and the pass goes on; a stop ends the pass.
    template <class Work>
    void ForItem(const std::string& shown, const MapRef& map, const wchar_t* issue, Work work);
    void ThrowIfStopped() const;
    void NoteVisited(const MapRef& folder, const std::wstring& locationProperty);
    bool WasVisited(const MapRef& folder, const std::wstring& locationProperty) const;
    void Bind(const MapRef& folder);

    ILSSyncFilter2* filter_;
    ILSManualDeletionsSyncFilterPtr deletions_;
    Host::LSShutdownInformer* informer_;
    Mirror& mirror_;
    Journal& journal_;
    Console& console_;
    PassOptions options_;
    FileRules rules_;
    HostChanges host_;
    MapRef mainMap_;
    LocalChanges local_;
    PendingSends pending_;
    std::pair<std::int64_t, std::multimap<std::string, std::pair<USHORT, MapRef>>> listedByName_{0, {}};
    HRESULT unreadListedRow_ = S_OK;     // the failure of a row that listing could not read
    std::map<std::int64_t, Plan> plans_; // by journal id
    std::map<std::int64_t, RemovedDirectory> removedDirectories_; // by journal id
    std::wstring keyProperty_;
    std::set<std::wstring> visited_; // UniqueIds and locations of the folders entered in this pass
    std::vector<Removal> removals_;
    std::vector<std::pair<std::int64_t, std::string>> heldRemovedDirectories_; // journal id, shown
    std::vector<std::pair<std::int64_t, std::int64_t>> orphanEdits_; // journal ids: document, its folder
    PassSummary summary_;
};

template <class Work>
inline void SyncPass::ForItem(const std::string& shown, const MapRef& map, const wchar_t* issue, Work work) {
    ThrowIfStopped();
    ForgetFilterErrors(); // what the filter writes from here on is about this item
    try {
        work();
    } catch (HostCallError& error) {
        if (error.hr == E_ABORT || informer_->IsShutdownRequested()) {
            throw PassInterrupted{};
        }
        if (error.item.empty()) {
            error.item = shown;
        }
        if (error.filterText.empty()) {
            error.filterText = Platform::WideToUtf8(map.String(issue));
        }
        ++summary_.failed;
        console_.Error("  failed   " + Describe(error));
    } catch (const std::filesystem::filesystem_error& error) {
        ++summary_.failed;
        console_.Error("  failed   \"" + shown + "\": " + error.what());
    }
}

} // namespace KovaSync
