// Reading the file content out of a DIME download reply: the first payload carries the SOAP reply and
// is skipped, the second payload is the file content. A payload may be split into chunks (records
// with the CF flag, the last chunk without it); the content is the chunks' data in order.
#pragma once

#include "Platform/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One piece of the content: `length` bytes starting at `offset` of the reply.
struct DimeSpan {
    std::size_t offset;
    std::size_t length;
};

// The pieces of the second payload, in order (none for an empty content). A reply that does not hold
// the whole of both payloads, or whose content is still chunked where the reply ends, throws
// E_INVALIDARG as a bare HRESULT after the error log.
std::vector<DimeSpan> FindDimeContent(const BYTE* reply, std::size_t size);

// Throws E_INVALIDARG after the error log unless the position lies in a buffer of `size` bytes.
void CheckBufferOffset(std::size_t size, std::uint64_t position);
