#include "Platform/WideStdio.h"

#include "Platform/FileStat.h"
#include "Platform/PathMapping.h"
#include "Platform/Utf.h"

#include <cerrno>
#include <cwchar>
#include <string>

namespace {

// Windows refuses to write a read-only file (one its owner may not write) whoever runs, root included.
bool RefusedAsReadOnly(const std::string& path, const wchar_t* mode) {
    return std::wcspbrk(mode, L"wa+") != nullptr && Platform::RefusesWrites(path);
}

} // namespace

FILE* _wfopen(const wchar_t* filename, const wchar_t* mode) {
    if (filename == nullptr || mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    const std::string path = Platform::NativePath(filename);
    if (RefusedAsReadOnly(path, mode)) {
        errno = EACCES;
        return nullptr;
    }
    return std::fopen(path.c_str(), Platform::WideToUtf8(mode).c_str());
}

FILE* _wfsopen(const wchar_t* filename, const wchar_t* mode, int) {
    return _wfopen(filename, mode);
}
