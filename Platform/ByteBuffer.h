// A growable byte buffer for response bodies: capacity doubles as data arrives, and a size known in
// advance (Content-Length) is reserved at once, so a large body is not copied while it grows.
#pragma once

#include "Platform/WinTypes.h"

#include <cstddef>

namespace Platform {

class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ~ByteBuffer();

    // False when memory runs out (the buffer is then unchanged).
    bool Reserve(std::size_t capacity);
    bool Append(const void* data, std::size_t size);
    void Clear();

    const BYTE* Data() const { return data_; }
    BYTE* Data() { return data_; }
    std::size_t Size() const { return size_; }

private:
    BYTE* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace Platform
