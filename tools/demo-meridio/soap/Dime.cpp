#include "tools/demo-meridio/soap/Dime.h"

#include <stdexcept>

namespace DemoMeridio {
namespace {

constexpr std::uint8_t kVersion1 = 0x08;
constexpr std::uint8_t kMessageBegin = 0x04;
constexpr std::uint8_t kMessageEnd = 0x02;
constexpr std::uint8_t kChunk = 0x01;
constexpr std::size_t kHeaderSize = 12;

void AppendBigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void AppendPadded(std::string& out, std::string_view field) {
    out.append(field);
    out.append((4 - field.size() % 4) % 4, '\0');
}

std::uint32_t ReadBigEndian(std::string_view bytes, std::size_t offset, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return value;
}

// The field of that length at offset, and the offset after its padding.
std::string_view TakePadded(std::string_view message, std::size_t& offset, std::size_t length) {
    const std::size_t padded = length + (4 - length % 4) % 4;
    if (message.size() - offset < padded) {
        throw std::invalid_argument("DIME field runs past the end of the message");
    }
    const std::string_view field = message.substr(offset, length);
    offset += padded;
    return field;
}

} // namespace

std::vector<DimeRecord> DecodeDimeMessage(std::string_view message) {
    std::vector<DimeRecord> records;
    std::size_t offset = 0;
    bool ended = false;
    while (offset < message.size()) {
        if (ended) {
            throw std::invalid_argument("DIME record after the record with ME");
        }
        if (message.size() - offset < kHeaderSize) {
            throw std::invalid_argument("DIME record header runs past the end of the message");
        }
        const auto flags = static_cast<std::uint8_t>(message[offset]);
        if ((flags & 0xF8) != kVersion1) {
            throw std::invalid_argument("DIME record is not of version 1");
        }
        if ((flags & kChunk) != 0) {
            throw std::invalid_argument("chunked DIME records are not supported");
        }
        if (((flags & kMessageBegin) != 0) != records.empty()) {
            throw std::invalid_argument("only the first DIME record carries MB");
        }
        ended = (flags & kMessageEnd) != 0;
        const auto typeFormat = static_cast<std::uint8_t>(message[offset + 1]) >> 4;
        const std::size_t optionsLength = ReadBigEndian(message, offset + 2, 2);
        const std::size_t idLength = ReadBigEndian(message, offset + 4, 2);
        const std::size_t typeLength = ReadBigEndian(message, offset + 6, 2);
        const std::size_t dataLength = ReadBigEndian(message, offset + 8, 4);
        offset += kHeaderSize;
        TakePadded(message, offset, optionsLength);
        DimeRecord record{std::string(TakePadded(message, offset, idLength)),
                          static_cast<DimeTypeFormat>(typeFormat),
                          std::string(TakePadded(message, offset, typeLength)),
                          {}};
        record.data = TakePadded(message, offset, dataLength);
        records.push_back(std::move(record));
    }
    if (!ended) {
        throw std::invalid_argument("DIME message has no record with ME");
    }
    return records;
}

std::string EncodeDimeMessage(const std::vector<DimeRecord>& records) {
    std::string out;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DimeRecord& record = records[i];
        if (record.id.size() > 0xFFFF || record.type.size() > 0xFFFF || record.data.size() > 0xFFFFFFFFu) {
            throw std::length_error("DIME record field too long");
        }
        std::uint8_t flags = kVersion1;
        if (i == 0) {
            flags |= kMessageBegin;
        }
        if (i + 1 == records.size()) {
            flags |= kMessageEnd;
        }
        out += static_cast<char>(flags);
        out += static_cast<char>(static_cast<std::uint8_t>(record.typeFormat) << 4);
        AppendBigEndian(out, 0, 2); // no options
        AppendBigEndian(out, record.id.size(), 2);
        AppendBigEndian(out, record.type.size(), 2);
        AppendBigEndian(out, record.data.size(), 4);
        AppendPadded(out, record.id);
        AppendPadded(out, record.type);
        AppendPadded(out, record.data);
    }
    return out;
}

} // namespace DemoMeridio
