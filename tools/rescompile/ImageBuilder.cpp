#include "tools/rescompile/ImageBuilder.h"

#include "Platform/ResourceFormat.h"
#include "Platform/WinVer.h"

#include <cstring>
#include <sstream>
#include <stdexcept>

namespace rescompile {
namespace {

using Platform::ResourceFormat::DirectoryEntry;
using Platform::ResourceFormat::Header;
using Platform::ResourceFormat::kStringsPerBlock;

constexpr std::uint32_t kStringType = 6;
constexpr std::uint32_t kVersionType = 16;

struct Resource {
    std::uint32_t type;
    std::uint32_t name;
    std::vector<std::uint32_t> words;
};

void Append(std::vector<unsigned char>& out, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

std::vector<std::uint32_t> FixedFileInfo(const Version& version) {
    VS_FIXEDFILEINFO info{};
    info.dwSignature = VS_FFI_SIGNATURE;
    info.dwStrucVersion = VS_FFI_STRUCVERSION;
    info.dwFileVersionMS = (std::uint32_t{version[0]} << 16) | version[1];
    info.dwFileVersionLS = (std::uint32_t{version[2]} << 16) | version[3];
    info.dwProductVersionMS = info.dwFileVersionMS;
    info.dwProductVersionLS = info.dwFileVersionLS;
    info.dwFileOS = VOS_NT_WINDOWS32;
    info.dwFileType = VFT_DLL;
    std::vector<std::uint32_t> words(sizeof info / sizeof(std::uint32_t));
    std::memcpy(words.data(), &info, sizeof info);
    return words;
}

// One block per 16 ids that hold at least one string; absent strings have length 0.
std::vector<Resource> StringBlocks(const std::map<unsigned, std::wstring>& strings) {
    std::map<std::uint32_t, std::array<const std::wstring*, kStringsPerBlock>> blocks;
    for (const auto& [id, text] : strings) {
        blocks[id / kStringsPerBlock + 1][id % kStringsPerBlock] = &text;
    }
    std::vector<Resource> resources;
    for (const auto& [block, texts] : blocks) {
        Resource resource{kStringType, block, {}};
        for (const std::wstring* text : texts) {
            resource.words.push_back(text != nullptr ? static_cast<std::uint32_t>(text->size()) : 0);
            if (text != nullptr) {
                resource.words.insert(resource.words.end(), text->begin(), text->end());
            }
        }
        resources.push_back(std::move(resource));
    }
    return resources;
}

} // namespace

Version ParseVersion(const std::string& text) {
    Version version{};
    std::istringstream in(text);
    for (std::size_t i = 0; i < version.size(); ++i) {
        unsigned long part = 0;
        char dot = '.';
        if ((i > 0 && !(in >> dot)) || dot != '.' || !(in >> part) || part > 0xFFFF) {
            throw std::invalid_argument("version must be four numbers of 0-65535 separated by dots: " + text);
        }
        version[i] = static_cast<std::uint16_t>(part);
    }
    if (in >> std::ws; !in.eof()) {
        throw std::invalid_argument("unexpected text after the version: " + text);
    }
    return version;
}

std::vector<unsigned char> BuildImage(const std::map<unsigned, std::wstring>& strings,
                                      const Version& version) {
    std::vector<Resource> resources = StringBlocks(strings);
    resources.push_back(Resource{kVersionType, 1, FixedFileInfo(version)});

    std::vector<unsigned char> image;
    Header header{};
    std::memcpy(header.magic, Platform::ResourceFormat::kMagic, sizeof header.magic);
    header.count = static_cast<std::uint32_t>(resources.size());
    Append(image, &header, sizeof header);

    auto offset = static_cast<std::uint32_t>(sizeof(Header) + resources.size() * sizeof(DirectoryEntry));
    for (const Resource& resource : resources) {
        const auto size = static_cast<std::uint32_t>(resource.words.size() * sizeof(std::uint32_t));
        const DirectoryEntry entry{resource.type, resource.name, offset, size};
        Append(image, &entry, sizeof entry);
        offset += size;
    }
    for (const Resource& resource : resources) {
        Append(image, resource.words.data(), resource.words.size() * sizeof(std::uint32_t));
    }
    return image;
}

} // namespace rescompile
