#include "KOVAMeridioSync/MeridioDimeWriter.h"

#include <cstdint>
#include <cstring>

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

constexpr std::size_t kRecordHeaderSize = 12;
constexpr std::size_t kDataLengthOffset = 8;

constexpr std::size_t Padded(std::size_t size) {
    return (size + 3) / 4 * 4;
}

constexpr std::size_t RecordSize(std::string_view id, std::string_view type, std::size_t dataSize) {
    return kRecordHeaderSize + Padded(id.size()) + Padded(type.size()) + Padded(dataSize);
}

BYTE* PutBigEndian(BYTE* out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        *out++ = static_cast<BYTE>((value >> shift) & 0xFF);
    }
    return out;
}

// The field's bytes, then the zero bytes that pad it; `data` may be null to leave the field's bytes
// for the caller.
BYTE* PutPadded(BYTE* out, const void* data, std::size_t size) {
    if (data != nullptr && size != 0) {
        std::memcpy(out, data, size);
    }
    std::memset(out + size, 0, Padded(size) - size);
    return out + Padded(size);
}

// The record's header, id and type; returns where its data goes.
BYTE* PutRecordHead(BYTE* out, BYTE flags, BYTE typeFormat, std::string_view id, std::string_view type,
                    std::size_t dataSize) {
    *out++ = flags;
    *out++ = typeFormat;
    out = PutBigEndian(out, 0, 2);
    out = PutBigEndian(out, static_cast<std::uint32_t>(id.size()), 2);
    out = PutBigEndian(out, static_cast<std::uint32_t>(type.size()), 2);
    out = PutBigEndian(out, static_cast<std::uint32_t>(dataSize), 4);
    out = PutPadded(out, id.data(), id.size());
    return PutPadded(out, type.data(), type.size());
}

} // namespace

UploadDimeMessage::UploadDimeMessage(std::string_view envelopeUtf8, std::size_t contentSize)
    : size_(RecordSize(kEnvelopeId, kEnvelopeType, envelopeUtf8.size()) +
            RecordSize(kContentId, kContentType, contentSize)),
      contentSize_(contentSize) {
    // Not zeroed first: every byte but the content's is written here, and the content is the caller's.
    bytes_.reset(new BYTE[size_]);
    BYTE* out = PutRecordHead(bytes_.get(), kFirstRecordFlags, kAbsoluteUriType, kEnvelopeId, kEnvelopeType,
                              envelopeUtf8.size());
    out = PutPadded(out, envelopeUtf8.data(), envelopeUtf8.size());
    out = PutRecordHead(out, kLastRecordFlags, kMediaType, kContentId, kContentType, contentSize);
    contentOffset_ = static_cast<std::size_t>(out - bytes_.get());
    PutPadded(out, nullptr, contentSize);
}

void UploadDimeMessage::ShortenContent(std::size_t size) {
    if (size >= contentSize_) {
        return;
    }
    contentSize_ = size;
    PutBigEndian(bytes_.get() + contentOffset_ - RecordSize(kContentId, kContentType, 0) + kDataLengthOffset,
                 static_cast<std::uint32_t>(size), 4);
    PutPadded(Content(), nullptr, size);
    size_ = contentOffset_ + Padded(size);
}

UploadDimeMessage UploadDimeMessage::WithEnvelope(std::string_view envelopeUtf8) const {
    UploadDimeMessage message(envelopeUtf8, contentSize_);
    if (contentSize_ != 0) {
        std::memcpy(message.Content(), Content(), contentSize_);
    }
    return message;
}
