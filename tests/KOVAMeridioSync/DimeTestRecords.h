// DIME records made by hand, for replies the server's own writer never makes (chunks, bad lengths).
#pragma once

#include "Platform/WinTypes.h"

#include <cstdint>
#include <string>

namespace DimeTest {

inline constexpr BYTE kMessageBegin = 0x04;
inline constexpr BYTE kMessageEnd = 0x02;
inline constexpr BYTE kChunk = 0x01;

inline void PutBigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

inline void PutPadded(std::string& out, const std::string& field) {
    out += field;
    out.append((4 - field.size() % 4) % 4, '\0');
}

// One DIME record; `dataLength` may claim more than `data` holds.
inline std::string Record(BYTE flags, const std::string& options, const std::string& id,
                          const std::string& type, const std::string& data, std::uint32_t dataLength) {
    std::string out;
    out.push_back(static_cast<char>(0x08 | flags)); // version 1
    out.push_back(static_cast<char>(0x10));         // media type
    PutBigEndian(out, static_cast<std::uint32_t>(options.size()), 2);
    PutBigEndian(out, static_cast<std::uint32_t>(id.size()), 2);
    PutBigEndian(out, static_cast<std::uint32_t>(type.size()), 2);
    PutBigEndian(out, dataLength, 4);
    PutPadded(out, options);
    PutPadded(out, id);
    PutPadded(out, type);
    PutPadded(out, data);
    return out;
}

inline std::string Record(BYTE flags, const std::string& data, const std::string& options = "") {
    return Record(flags, options, "uuid:1", "text/plain", data, static_cast<std::uint32_t>(data.size()));
}

} // namespace DimeTest
