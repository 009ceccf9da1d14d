// Layout of a resource module: the file written by tools/rescompile and read by the layer's
// resource calls, also embedded in code modules. Little-endian, every part 4-byte aligned.
//
//   header      magic "KOVARES1", resource count, reserved 0
//   directory   count entries {type, name, offset from the start, size in bytes}, ordered by
//               type then name
//   data        the resources
//
// RT_STRING resources hold one block of 16 strings (block n holds the ids 16*(n-1) to 16*n-1):
// for each string its length and then that many 32-bit characters, no terminator, so a string
// is handed out in place as wchar_t text. RT_VERSION resource 1 is a VS_FIXEDFILEINFO.
#pragma once

#include <cstdint>

namespace Platform::ResourceFormat {

inline constexpr char kMagic[8] = {'K', 'O', 'V', 'A', 'R', 'E', 'S', '1'};
inline constexpr std::uint32_t kStringsPerBlock = 16;

struct Header {
    char magic[8];
    std::uint32_t count;
    std::uint32_t reserved;
};

struct DirectoryEntry {
    std::uint32_t type;
    std::uint32_t name;
    std::uint32_t offset;
    std::uint32_t size;
};

static_assert(sizeof(Header) == 16 && sizeof(DirectoryEntry) == 16);
static_assert(sizeof(wchar_t) == sizeof(std::uint32_t), "string blocks hold 32-bit characters");

} // namespace Platform::ResourceFormat
