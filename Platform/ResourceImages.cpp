#include "Platform/ResourceImages.h"

#include "Platform/EmbeddedResources.h"
#include "Platform/LibLoaderApi.h"
#include "Platform/WinError.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace Platform {
namespace {

using ResourceFormat::DirectoryEntry;
using ResourceFormat::Header;

constexpr ULONG_PTR kDataFileTag = 1;

struct DataFileModule {
    std::vector<unsigned char> image;
};

struct EmbeddedImage {
    HMODULE module;
    std::size_t size;
};

// The tables are never destroyed: code modules withdraw their images from their own destructors,
// which can run after this library's statics are gone.
std::mutex& TableLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

// Registered code-module images by their address.
std::map<const void*, EmbeddedImage>& EmbeddedImages() {
    static auto* images = new std::map<const void*, EmbeddedImage>;
    return *images;
}

std::set<const DataFileModule*>& OpenDataFiles() {
    static auto* modules = new std::set<const DataFileModule*>;
    return *modules;
}

const DirectoryEntry* Directory(ResourceImage image) {
    return reinterpret_cast<const DirectoryEntry*>(image.data() + sizeof(Header));
}

std::uint32_t EntryCount(ResourceImage image) {
    return reinterpret_cast<const Header*>(image.data())->count;
}

bool SameFile(const char* a, const struct stat& b) {
    struct stat status {};
    return a != nullptr && stat(a, &status) == 0 && status.st_dev == b.st_dev && status.st_ino == b.st_ino;
}

// The image registered by the loaded code module stored at the path, copied.
std::optional<std::vector<unsigned char>> EmbeddedImageOfFile(const std::string& nativePath) {
    struct stat file {};
    if (stat(nativePath.c_str(), &file) != 0) {
        return std::nullopt;
    }
    std::lock_guard guard(TableLock());
    for (const auto& [address, embedded] : EmbeddedImages()) {
        Dl_info info{};
        if (dladdr(address, &info) != 0 && SameFile(info.dli_fname, file)) {
            const auto* bytes = static_cast<const unsigned char*>(address);
            return std::vector<unsigned char>(bytes, bytes + embedded.size);
        }
    }
    return std::nullopt;
}

} // namespace

bool IsResourceImage(ResourceImage bytes) {
    if (bytes.size() < sizeof(Header) || std::memcmp(bytes.data(), ResourceFormat::kMagic, 8) != 0) {
        return false;
    }
    const std::uint64_t count = EntryCount(bytes);
    if (sizeof(Header) + count * sizeof(DirectoryEntry) > bytes.size()) {
        return false;
    }
    return std::all_of(Directory(bytes), Directory(bytes) + count, [&](const DirectoryEntry& entry) {
        return entry.offset % 4 == 0 && std::uint64_t{entry.offset} + entry.size <= bytes.size();
    });
}

std::optional<std::vector<unsigned char>> ReadResourceImage(const std::string& nativePath, DWORD& error) {
    std::ifstream file(nativePath, std::ios::binary);
    if (!file) {
        error = ERROR_MOD_NOT_FOUND;
        return std::nullopt;
    }
    char magic[sizeof ResourceFormat::kMagic] = {};
    file.read(magic, sizeof magic);
    if (file.gcount() == sizeof magic && std::memcmp(magic, ResourceFormat::kMagic, sizeof magic) == 0) {
        file.seekg(0);
        std::vector<unsigned char> image{std::istreambuf_iterator<char>(file),
                                         std::istreambuf_iterator<char>()};
        if (IsResourceImage(image)) {
            return image;
        }
    } else if (auto embedded = EmbeddedImageOfFile(nativePath)) {
        return embedded;
    }
    error = ERROR_BAD_EXE_FORMAT;
    return std::nullopt;
}

HMODULE OpenDataFileModule(std::vector<unsigned char> image) {
    auto module = std::make_unique<DataFileModule>(DataFileModule{std::move(image)});
    std::lock_guard guard(TableLock());
    OpenDataFiles().insert(module.get());
    return reinterpret_cast<HMODULE>(reinterpret_cast<ULONG_PTR>(module.release()) | kDataFileTag);
}

bool CloseDataFileModule(HMODULE module) {
    const auto* dataFile =
        reinterpret_cast<const DataFileModule*>(reinterpret_cast<ULONG_PTR>(module) & ~kDataFileTag);
    {
        std::lock_guard guard(TableLock());
        if ((reinterpret_cast<ULONG_PTR>(module) & kDataFileTag) == 0 ||
            OpenDataFiles().erase(dataFile) == 0) {
            return false;
        }
    }
    delete dataFile;
    return true;
}

ResourceImage ResourceImageOf(HMODULE module) {
    if (module == nullptr) {
        module = GetModuleHandleW(nullptr);
    }
    std::lock_guard guard(TableLock());
    if ((reinterpret_cast<ULONG_PTR>(module) & kDataFileTag) != 0) {
        const auto* dataFile =
            reinterpret_cast<const DataFileModule*>(reinterpret_cast<ULONG_PTR>(module) & ~kDataFileTag);
        return OpenDataFiles().count(dataFile) != 0 ? ResourceImage(dataFile->image) : ResourceImage();
    }
    for (const auto& [address, embedded] : EmbeddedImages()) {
        if (embedded.module == module) {
            return ResourceImage(static_cast<const unsigned char*>(address), embedded.size);
        }
    }
    return {};
}

const DirectoryEntry* FindResourceEntry(ResourceImage image, std::uint32_t type, std::uint32_t name) {
    if (image.empty()) {
        return nullptr;
    }
    const DirectoryEntry* begin = Directory(image);
    const DirectoryEntry* end = begin + EntryCount(image);
    const DirectoryEntry* found = std::find_if(
        begin, end, [&](const DirectoryEntry& entry) { return entry.type == type && entry.name == name; });
    return found != end ? found : nullptr;
}

void RegisterEmbeddedResources(const void* image, std::size_t size) {
    Dl_info info{};
    if (!IsResourceImage(ResourceImage(static_cast<const unsigned char*>(image), size)) ||
        dladdr(image, &info) == 0) {
        return;
    }
    std::lock_guard guard(TableLock());
    EmbeddedImages()[image] = EmbeddedImage{static_cast<HMODULE>(info.dli_fbase), size};
}

void UnregisterEmbeddedResources(const void* image) {
    std::lock_guard guard(TableLock());
    EmbeddedImages().erase(image);
}

} // namespace Platform
