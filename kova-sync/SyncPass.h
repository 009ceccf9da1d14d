// One sync pass, driven the way the host engine drives a sync filter: the informer and profile, a
// first registration of the repository from the start point, then every folder's listing, changes,
// downloads, properties and deletions, and the end of the pass. What the pass learns goes into the
// journal, item by item, once the item's content is in place.
#pragma once

#include "Host/ShutdownInformer.h"
#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "kova-sync/Console.h"
#include "kova-sync/Journal.h"
#include "kova-sync/LocalNames.h"
#include "kova-sync/Messages.h"
#include "kova-sync/Mirror.h"

#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace KovaSync {

// The user stopped the pass (Ctrl-C).
struct PassInterrupted {};

struct PassOptions {
    bool allowMassDelete = false;
};

class SyncPass {
public:
    SyncPass(ILSSyncFilter2* filter, Host::LSShutdownInformer* informer, Mirror& mirror, Journal& journal,
             Console& console, PassOptions options);

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
        std::map<std::wstring, JournalItem> folders;
        std::map<std::wstring, JournalItem> documents;
    };
    // A folder or document gone from the server, removed at the end of the pass.
    struct Removal {
        JournalItem item;
        std::filesystem::path path;
        std::string shown;
        std::int64_t documents = 0;
    };

    JournalItem MainFolder(const std::wstring& startPoint);
    void SyncFolder(Visit& visit, std::deque<Visit>& next);
    // complete becomes false when an item of the listing could not be read.
    void SyncSubFolder(USHORT index, const Visit& parent, Stored& stored, DirectoryNames& names,
                       std::deque<Visit>& next, bool& complete);
    void SyncDocument(USHORT index, const Visit& parent, Stored& stored, DirectoryNames& names,
                      bool& complete);
    void PlanRemovals(const Visit& parent, Stored& stored);
    bool IsDeleted(const JournalItem& item, const std::string& shown);
    void ApplyRemovals(std::int64_t documentsBefore);
    void RemoveDocument(const JournalItem& document, const std::filesystem::path& file,
                        const std::string& shown);
    void RemoveFolder(const JournalItem& folder, const std::filesystem::path& directory,
                      const std::string& shown);

    // Runs one item's calls: a failure is reported with the item's name and the filter's text and
    // counted, and the pass goes on; a stop ends the pass.
    template <class Work>
    void ForItem(const std::string& shown, const MapRef& map, const wchar_t* issue, Work work);
    void ThrowIfStopped() const;
    void NoteVisited(const MapRef& folder, const std::wstring& locationProperty);
    bool WasVisited(const MapRef& folder, const std::wstring& locationProperty) const;

    ILSSyncFilter2* filter_;
    ILSManualDeletionsSyncFilterPtr deletions_;
    Host::LSShutdownInformer* informer_;
    Mirror& mirror_;
    Journal& journal_;
    Console& console_;
    PassOptions options_;
    std::wstring keyProperty_;
    std::set<std::wstring> visited_; // UniqueIds and locations of the folders entered in this pass
    std::vector<Removal> removals_;
    PassSummary summary_;
};

} // namespace KovaSync
