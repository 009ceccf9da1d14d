#include "KOVAMeridioSync/MeridioDime.h"

#include "Platform/WinError.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"

namespace {

constexpr std::uint64_t kHeaderLength = 12;
constexpr BYTE kChunkFlag = 0x01;

// Padding that brings a field to a multiple of 4 bytes.
std::uint64_t Padded(std::uint64_t length) {
    return length + (4 - length % 4) % 4;
}

std::uint32_t ReadBigEndian(const BYTE* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

struct DimeRecord {
    bool chunked;
    std::uint64_t dataOffset;
    std::uint64_t dataLength;
    std::uint64_t next; // where the following record begins
};

// Reads the record header at `offset`. Every field is at most 32 bits wide and the offset lies inside
// the buffer, so the sums stay far below the 64-bit range.
DimeRecord ReadRecord(const BYTE* reply, std::size_t size, std::uint64_t offset) {
    CheckBufferOffset(size, offset);
    CheckBufferOffset(size, offset + kHeaderLength - 1);
    const BYTE* header = reply + offset;
    const std::uint64_t optionsLength = ReadBigEndian(header + 2, 2);
    const std::uint64_t idLength = ReadBigEndian(header + 4, 2);
    const std::uint64_t typeLength = ReadBigEndian(header + 6, 2);
    const std::uint64_t dataLength = ReadBigEndian(header + 8, 4);
    DimeRecord record;
    record.chunked = (header[0] & kChunkFlag) != 0;
    record.dataOffset =
        offset + kHeaderLength + Padded(optionsLength) + Padded(idLength) + Padded(typeLength);
    record.dataLength = dataLength;
    record.next = record.dataOffset + Padded(dataLength);
    // The options, id and type fields lie inside the reply even when the data is empty.
    CheckBufferOffset(size, record.dataOffset - 1);
    if (dataLength != 0) {
        CheckBufferOffset(size, record.dataOffset);
        CheckBufferOffset(size, record.dataOffset + dataLength - 1);
    }
    return record;
}

} // namespace

void CheckBufferOffset(std::size_t size, std::uint64_t position) {
    if (position >= size) {
        LSDIAG_ERROR << "Buffer Overrun buffersize: " << size << " offset: " << position;
        ThrowHResult(E_INVALIDARG);
    }
}

std::vector<DimeSpan> FindDimeContent(const BYTE* reply, std::size_t size) {
    std::uint64_t offset = 0;
    DimeRecord record = ReadRecord(reply, size, offset);
    while (record.chunked) {
        record = ReadRecord(reply, size, record.next);
    }
    std::vector<DimeSpan> content;
    offset = record.next;
    do {
        record = ReadRecord(reply, size, offset);
        if (record.dataLength != 0) {
            content.push_back(
                {static_cast<std::size_t>(record.dataOffset), static_cast<std::size_t>(record.dataLength)});
        }
        offset = record.next;
    } while (record.chunked);
    return content;
}
