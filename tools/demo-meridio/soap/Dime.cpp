#include "tools/demo-meridio/soap/Dime.h"

#include <stdexcept>

namespace DemoMeridio {
namespace {

constexpr std::uint8_t kVersion1 = 0x08;
constexpr std::uint8_t kMessageBegin = 0x04;
constexpr std::uint8_t kMessageEnd = 0x02;

void AppendBigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void AppendPadded(std::string& out, std::string_view field) {
    out.append(field);
    out.append((4 - field.size() % 4) % 4, '\0');
}

} // namespace

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
