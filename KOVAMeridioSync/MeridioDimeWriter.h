// The DIME message of an upload: record 1 the SOAP envelope (UTF-8), record 2 the file content. The
// record ids are fixed; lengths are big-endian and every field is padded with zero bytes to a
// multiple of 4.
#pragma once

#include "Platform/WinTypes.h"

#include <cstddef>
#include <memory>
#include <string_view>

// The message in one block of memory, shared by its copies: everything is written but the content,
// whose ContentSize() bytes at Content() the caller fills (a file is read straight into them).
class UploadDimeMessage {
public:
    // The content's length must fit the record's 32 bits.
    UploadDimeMessage(std::string_view envelopeUtf8, std::size_t contentSize);

    BYTE* Content() const { return bytes_.get() + contentOffset_; }
    std::size_t ContentSize() const { return contentSize_; }
    // The content ends after `size` bytes (no more than it has): a file that shrank while it was read.
    void ShortenContent(std::size_t size);
    // A new message of the same content under another envelope (a resend with a new session token).
    UploadDimeMessage WithEnvelope(std::string_view envelopeUtf8) const;

    const std::shared_ptr<BYTE[]>& Bytes() const { return bytes_; }
    std::size_t Size() const { return size_; }

private:
    std::shared_ptr<BYTE[]> bytes_;
    std::size_t size_ = 0;
    std::size_t contentOffset_ = 0;
    std::size_t contentSize_ = 0;
};
