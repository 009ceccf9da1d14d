#include "KOVAMeridioSync/MeridioDimeWriter.h"

#include <cstdint>

namespace {

constexpr std::string_view kEnvelopeId = "uuid:1cdf7310-f311-4c2f-a6bb-e283666b3f60";
constexpr std::string_view kContentId = "uuid:90c3f877-7317-4b7e-9d03-08884f70ac3f";
constexpr std::string_view kEnvelopeType = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view kContentType = "application/x-unknown";

// Version 1 with message begin or message end; type format 2 (absolute URI) or 1 (media type).
constexpr BYTE kFirstRecordFlags = 0x0C;
constexpr BYTE kLastRecordFlags = 0x0A;
constexpr BYTE kAbsoluteUriType = 0x20;
constexpr BYTE kMediaType = 0x10;

void AppendBigEndian(std::vector<BYTE>& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<BYTE>((value >> shift) & 0xFF));
    }
}

void AppendPadded(std::vector<BYTE>& out, const BYTE* data, std::size_t size) {
    out.insert(out.end(), data, data + size);
    out.insert(out.end(), (4 - size % 4) % 4, 0);
}

void AppendRecord(std::vector<BYTE>& out, BYTE flags, BYTE typeFormat, std::string_view id,
                  std::string_view type, const BYTE* data, std::size_t size) {
    out.push_back(flags);
    out.push_back(typeFormat);
    AppendBigEndian(out, 0, 2);
    AppendBigEndian(out, static_cast<std::uint32_t>(id.size()), 2);
    AppendBigEndian(out, static_cast<std::uint32_t>(type.size()), 2);
    AppendBigEndian(out, static_cast<std::uint32_t>(size), 4);
    AppendPadded(out, reinterpret_cast<const BYTE*>(id.data()), id.size());
    AppendPadded(out, reinterpret_cast<const BYTE*>(type.data()), type.size());
    AppendPadded(out, data, size);
}

} // namespace

std::vector<BYTE> BuildUploadDimeMessage(std::string_view envelopeUtf8, const std::vector<BYTE>& content) {
    std::vector<BYTE> message;
    AppendRecord(message, kFirstRecordFlags, kAbsoluteUriType, kEnvelopeId, kEnvelopeType,
                 reinterpret_cast<const BYTE*>(envelopeUtf8.data()), envelopeUtf8.size());
    AppendRecord(message, kLastRecordFlags, kMediaType, kContentId, kContentType, content.data(),
                 content.size());
    return message;
}
