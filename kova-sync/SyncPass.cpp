#include "kova-sync/SyncPass.h"

#include "Platform/ComUtil.h"
#include "Platform/Utf.h"
#include "kova-sync/PluginHost.h"

#include <deque>
#include <set>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

constexpr LONG kNoChange = 0;
constexpr LONG kLocalChangeOnly = 2;

void Check(HRESULT hr, const char* call) {
    if (FAILED(hr)) {
        throw HostCallError{call, hr};
    }
}

// The error text a call handed back, freed.
std::string TakeText(BSTR text) {
    std::string narrow = text == nullptr ? std::string() : Platform::WideToUtf8(text);
    SysFreeString(text);
    return narrow;
}

// Copies what the filter wrote on a fresh map onto the stored one.
void CopyProperties(const MapRef& from, const MapRef& to) {
    for (const Host::Property& property : from->Properties()) {
        to->Set(property.name, property.value);
    }
}

} // namespace

SyncPass::SyncPass(ILSSyncFilter2* filter, Host::LSShutdownInformer* informer, fs::path mirror,
                   Progress progress)
    : filter_(filter), deletions_(filter), informer_(informer), mirror_(std::move(mirror)),
      progress_(std::move(progress)) {}

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

    MapRef mainFolder;
    if (!MirrorStore::LoadFolderMap(mirror_, mainFolder)) {
        Register(startPoint, mainFolder);
    }
    Check(filter_->raw_StartSync(0, mainFolder.get()), "raw_StartSync");
    HRESULT result = S_OK;
    try {
        std::deque<std::pair<fs::path, MapRef>> folders{{mirror_, mainFolder}};
        while (!folders.empty()) {
            auto [directory, folder] = folders.front();
            folders.pop_front();
            std::vector<std::pair<fs::path, MapRef>> next;
            progress_("Folder " + fs::relative(directory, mirror_.parent_path()).string());
            Check(filter_->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE, 0,
                                                 VARIANT_FALSE),
                  "raw_SetSyncStartPoint");
            ++summary_.folders;
            SyncSubFolders(directory, next);
            SyncDocuments(directory);
            MirrorStore::SaveFolderMap(directory, folder);
            folders.insert(folders.end(), next.begin(), next.end());
        }
    } catch (const HostCallError& error) {
        // Once the user asked to stop, the call that gave up ends the pass as stopped, whatever
        // failure the filter reported for the abandoned request.
        result = informer_->IsShutdownRequested() ? E_ABORT : error.hr;
        filter_->raw_EndSync(0, VARIANT_FALSE, result);
        throw HostCallError{error.call, result};
    }
    Check(filter_->raw_EndSync(0, VARIANT_TRUE, result), "raw_EndSync");
    return summary_;
}

// The repository's first sync: the start point names the main folder, whose properties the filter
// writes as the properties of the one item it then reports.
void SyncPass::Register(const std::wstring& startPoint, MapRef& mainFolder) {
    progress_("Registering " + Platform::WideToUtf8(startPoint));
    BSTR errorText = nullptr;
    const HRESULT hr = filter_->raw_SetSyncStartPointByString(_bstr_t(startPoint.c_str()), &errorText);
    const std::string message = TakeText(errorText);
    if (FAILED(hr)) {
        throw HostCallError{"raw_SetSyncStartPointByString" + (message.empty() ? "" : ": " + message), hr};
    }
    Check(filter_->raw_GetItemBasicProps(0, mainFolder.get()), "raw_GetItemBasicProps");
    Check(filter_->raw_SetItemProperties(0, mainFolder.get()), "raw_SetItemProperties");
    MirrorStore::SaveFolderMap(mirror_, mainFolder);
}

void SyncPass::SyncSubFolders(const fs::path& directory, std::vector<std::pair<fs::path, MapRef>>& next) {
    USHORT count = 0;
    Check(filter_->raw_GetSubFolderCount(&count), "raw_GetSubFolderCount");
    std::map<std::wstring, StoredFolder> stored = MirrorStore::LoadSubFolders(directory);
    for (USHORT index = 0; index < count; ++index) {
        MapRef listed;
        Check(filter_->raw_GetSubFolderBasicProps(index, listed.get()), "raw_GetSubFolderBasicProps");
        const auto found = stored.find(listed.String(L"UniqueId"));
        MapRef folder = found == stored.end() ? listed : found->second.map;
        const fs::path subDirectory = found == stored.end()
                                          ? directory / MirrorStore::SafeName(listed.String(L"DisplayName"))
                                          : found->second.directory;
        if (found != stored.end()) {
            CopyProperties(listed, folder);
            stored.erase(found);
        }
        Check(filter_->raw_SetSubFolderProperties(index, folder.get()), "raw_SetSubFolderProperties");
        MirrorStore::SaveFolderMap(subDirectory, folder);
        next.emplace_back(subDirectory, folder);
    }
    for (auto& [uniqueId, folder] : stored) {
        if (IsDeleted(folder.map, true)) {
            progress_("  removed folder " + folder.directory.filename().string());
            MirrorStore::RemoveFolder(folder.directory);
        }
    }
}

void SyncPass::SyncDocuments(const fs::path& directory) {
    USHORT count = 0;
    Check(filter_->raw_GetItemCount(&count), "raw_GetItemCount");
    std::map<std::wstring, StoredDocument> stored = MirrorStore::LoadDocuments(directory);
    for (USHORT index = 0; index < count; ++index) {
        SyncDocument(directory, index, stored);
    }
    for (auto& [uniqueId, document] : stored) {
        if (IsDeleted(document.map, false)) {
            progress_("  deleted  " + document.file.filename().string());
            MirrorStore::RemoveDocument(document.file);
            ++summary_.deleted;
        }
    }
}

// Downloads a document that is new or changed on the server and stores its properties. Documents
// that fail are counted and the pass goes on; an abort ends it.
void SyncPass::SyncDocument(const fs::path& directory, USHORT index,
                            std::map<std::wstring, StoredDocument>& stored) {
    MapRef listed;
    Check(filter_->raw_GetItemBasicProps(index, listed.get()), "raw_GetItemBasicProps");
    const auto found = stored.find(listed.String(L"UniqueId"));
    const bool isNew = found == stored.end();
    MapRef item = isNew ? listed : found->second.map;
    const fs::path file =
        isNew ? directory / MirrorStore::SafeName(listed.String(L"FileName")) : found->second.file;
    if (!isNew) {
        stored.erase(found);
    }
    try {
        LONG change = kNoChange;
        if (!isNew) {
            Check(filter_->raw_HasChanges(index, item.get(), &change), "raw_HasChanges");
        }
        const bool download = isNew || (change != kNoChange && change != kLocalChangeOnly);
        if (download) {
            if (!isNew) {
                CopyProperties(listed, item);
            }
            const fs::path partial = MirrorStore::PartialName(file);
            BSTR listedName = nullptr;
            const HRESULT hr = filter_->raw_RetrieveItemToPath(index, _bstr_t(partial.c_str()), &listedName,
                                                               item.get(), VARIANT_FALSE, nullptr);
            SysFreeString(listedName);
            if (FAILED(hr)) {
                std::error_code ignored;
                fs::remove(partial, ignored); // a failed download leaves nothing half-written behind
            }
            Check(hr, "raw_RetrieveItemToPath");
            std::error_code sizeError;
            const std::uintmax_t size = fs::file_size(partial, sizeError);
            summary_.bytes += sizeError ? 0 : size;
            MirrorStore::CommitContent(partial, file);
        }
        Check(filter_->raw_SetItemProperties(index, item.get()), "raw_SetItemProperties");
        MirrorStore::SaveDocumentMap(file, item);
        if (download) {
            ++(isNew ? summary_.added : summary_.changed);
            progress_(std::string(isNew ? "  new      " : "  changed  ") + file.filename().string() + " (" +
                      std::to_string(summary_.bytes) + " bytes so far)");
        } else {
            ++summary_.unchanged;
        }
    } catch (const HostCallError& error) {
        if (error.hr == E_ABORT || informer_->IsShutdownRequested()) {
            throw;
        }
        ++summary_.failed;
        progress_("  failed   " + file.filename().string() + ": " + error.call);
    }
}

bool SyncPass::IsDeleted(const MapRef& map, bool isFolder) {
    if (!deletions_ || keyProperty_.empty()) {
        return false;
    }
    const std::wstring key = map.String(keyProperty_);
    if (key.empty()) {
        return false;
    }
    const HRESULT hr = deletions_->raw_IsDeleted(_bstr_t(key.c_str()), isFolder ? 1 : 0);
    Check(hr, "raw_IsDeleted");
    return hr == S_OK;
}

} // namespace KovaSync
