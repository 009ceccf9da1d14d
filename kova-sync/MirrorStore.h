// The driver's store: the mirror directory. One directory per folder, each document's content under
// its file name, and beside each document (and inside each folder) a JSON file with every property
// of its property map. Everything is written to a temporary name and renamed into place.
#pragma once

#include "Host/PropertyMap.h"

#include <filesystem>
#include <map>
#include <string>

namespace KovaSync {

// Holds one reference to a property map of the test host.
class MapRef {
public:
    MapRef() : map_(Host::LSMemoryPropertyMap::Create()) {}
    ~MapRef() { map_->Release(); }
    MapRef(const MapRef& other) : map_(other.map_) { map_->AddRef(); }
    MapRef& operator=(MapRef other) {
        std::swap(map_, other.map_);
        return *this;
    }
    Host::LSMemoryPropertyMap* operator->() const { return map_; }
    Host::LSMemoryPropertyMap* get() const { return map_; }

    // The string property, or empty when it is missing or not a string.
    std::wstring String(const std::wstring& name) const;

private:
    Host::LSMemoryPropertyMap* map_;
};

struct StoredDocument {
    std::filesystem::path file;
    MapRef map;
};

struct StoredFolder {
    std::filesystem::path directory;
    MapRef map;
};

class MirrorStore {
public:
    static constexpr const char* kFolderFile = ".kova-folder.json";
    static constexpr const char* kDocumentSuffix = ".kova.json";

    // The folder's own map, when the mirror has one.
    static bool LoadFolderMap(const std::filesystem::path& directory, MapRef& map);
    static void SaveFolderMap(const std::filesystem::path& directory, const MapRef& map);

    // Stored documents and sub-folders of a folder, by their UniqueId.
    static std::map<std::wstring, StoredDocument> LoadDocuments(const std::filesystem::path& directory);
    static std::map<std::wstring, StoredFolder> LoadSubFolders(const std::filesystem::path& directory);

    static void SaveDocumentMap(const std::filesystem::path& file, const MapRef& map);
    // Moves downloaded content into place.
    static void CommitContent(const std::filesystem::path& downloaded, const std::filesystem::path& file);
    static void RemoveDocument(const std::filesystem::path& file);
    static void RemoveFolder(const std::filesystem::path& directory);

    // A temporary name beside the file, hidden from the mirror's listing.
    static std::filesystem::path PartialName(const std::filesystem::path& file);
    // A name that is safe as one path element.
    static std::string SafeName(const std::wstring& name);
};

} // namespace KovaSync
