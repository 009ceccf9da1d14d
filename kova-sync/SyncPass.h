// One sync pass, driven the way the host engine drives a sync filter: the informer and profile, a
// first registration of the repository from the start point, then every folder's listing, changes,
// downloads, properties and deletions, and the end of the pass.
#pragma once

#include "Host/ShutdownInformer.h"
#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "kova-sync/MirrorStore.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace KovaSync {

struct PassSummary {
    unsigned folders = 0;
    unsigned added = 0;
    unsigned changed = 0;
    unsigned unchanged = 0;
    unsigned deleted = 0;
    unsigned failed = 0;
    std::uintmax_t bytes = 0;
};

class SyncPass {
public:
    using Progress = std::function<void(const std::string& line)>;

    SyncPass(ILSSyncFilter2* filter, Host::LSShutdownInformer* informer, std::filesystem::path mirror,
             Progress progress);

    // Throws HostCallError for a failed host call that ends the pass.
    PassSummary Run(const std::wstring& startPoint);

private:
    void Register(const std::wstring& startPoint, MapRef& mainFolder);
    void SyncFolder(const std::filesystem::path& directory, const MapRef& folder);
    void SyncSubFolders(const std::filesystem::path& directory,
                        std::vector<std::pair<std::filesystem::path, MapRef>>& next);
    void SyncDocuments(const std::filesystem::path& directory);
    void SyncDocument(const std::filesystem::path& directory, USHORT index,
                      std::map<std::wstring, StoredDocument>& stored);
    bool IsDeleted(const MapRef& map, bool isFolder);

    ILSSyncFilter2* filter_;
    ILSManualDeletionsSyncFilterPtr deletions_;
    Host::LSShutdownInformer* informer_;
    std::filesystem::path mirror_;
    Progress progress_;
    std::wstring keyProperty_;
    PassSummary summary_;
};

} // namespace KovaSync
