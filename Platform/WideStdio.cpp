#include "Platform/WideStdio.h"

#include "Platform/PathMapping.h"
#include "Platform/Utf.h"

#include <cerrno>

FILE* _wfopen(const wchar_t* filename, const wchar_t* mode) {
    if (filename == nullptr || mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    return std::fopen(Platform::NativePath(filename).c_str(), Platform::WideToUtf8(mode).c_str());
}

FILE* _wfsopen(const wchar_t* filename, const wchar_t* mode, int) {
    return _wfopen(filename, mode);
}
