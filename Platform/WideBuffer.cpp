#include "Platform/WideBuffer.h"

#include <algorithm>

namespace Platform {

DWORD CopyOrRequiredSize(std::wstring_view text, LPWSTR buffer, DWORD bufferLength) {
    const auto length = static_cast<DWORD>(text.size());
    if (buffer == nullptr || bufferLength <= length) {
        return length + 1;
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[length] = L'\0';
    return length;
}

} // namespace Platform
