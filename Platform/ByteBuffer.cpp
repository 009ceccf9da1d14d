#include "Platform/ByteBuffer.h"

#include <cstdlib>
#include <cstring>

namespace Platform {

ByteBuffer::~ByteBuffer() {
    std::free(data_);
}

bool ByteBuffer::Reserve(std::size_t capacity) {
    if (capacity <= capacity_) {
        return true;
    }
    // realloc moves large blocks by remapping their pages rather than copying them.
    void* grown = std::realloc(data_, capacity);
    if (grown == nullptr) {
        return false;
    }
    data_ = static_cast<BYTE*>(grown);
    capacity_ = capacity;
    return true;
}

bool ByteBuffer::Append(const void* data, std::size_t size) {
    if (size > capacity_ - size_) {
        std::size_t wanted = capacity_ < 64 * 1024 ? 64 * 1024 : capacity_ * 2;
        if (wanted < size_ + size) {
            wanted = size_ + size;
        }
        if (!Reserve(wanted)) {
            return false;
        }
    }
    if (size != 0) {
        std::memcpy(data_ + size_, data, size);
        size_ += size;
    }
    return true;
}

void ByteBuffer::Clear() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

} // namespace Platform
