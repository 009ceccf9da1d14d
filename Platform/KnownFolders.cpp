// The directories the layer hands out: documents, temporary files and the system directory.
#include "Platform/FileApi.h"
#include "Platform/ShlObj.h"
#include "Platform/SysInfoApi.h"
#include "Platform/Utf.h"
#include "Platform/WideBuffer.h"
#include "Platform/WinError.h"

#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string HomeDirectory() {
    std::string home = EnvironmentValue("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid())) {
            home = entry->pw_dir != nullptr ? entry->pw_dir : "";
        }
    }
    return home;
}

// XDG_DOCUMENTS_DIR="$HOME/Documents" in the user-dirs file; $HOME is the only variable it uses.
std::string DocumentsFromUserDirs(const std::string& home) {
    std::string config = EnvironmentValue("XDG_CONFIG_HOME");
    if (config.empty()) {
        config = home + "/.config";
    }
    std::ifstream file(config + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=";
    for (std::string line; std::getline(file, line);) {
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.compare(0, 5, "$HOME") == 0) {
            value = home + value.substr(5);
        }
        return value;
    }
    return {};
}

std::string DocumentsDirectory() {
    const std::string home = HomeDirectory();
    std::string documents = EnvironmentValue("XDG_DOCUMENTS_DIR");
    if (documents.empty()) {
        documents = DocumentsFromUserDirs(home);
    }
    if (documents.empty() && !home.empty()) {
        documents = home + "/Documents";
    }
    return documents;
}

std::string PlatformLibraryDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&GetSystemDirectoryW), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    char resolved[PATH_MAX];
    const std::string path = realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname;
    return path.substr(0, path.rfind('/'));
}

} // namespace

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR pszPath) {
    if (pszPath == nullptr) {
        return E_INVALIDARG;
    }
    if ((csidl & ~CSIDL_FLAG_MASK) != CSIDL_PERSONAL) {
        return E_INVALIDARG;
    }
    const std::string documents = DocumentsDirectory();
    if (documents.empty()) {
        return E_FAIL;
    }
    const std::wstring path = Platform::Utf8ToWide(documents);
    if (Platform::CopyOrRequiredSize(path, pszPath, MAX_PATH) != path.size()) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    return S_OK;
}

DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
    std::string directory = EnvironmentValue("TMPDIR");
    if (directory.empty()) {
        directory = "/tmp";
    }
    if (directory.back() != '/') {
        directory += '/';
    }
    return Platform::CopyOrRequiredSize(Platform::Utf8ToWide(directory), lpBuffer, nBufferLength);
}

UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize) {
    std::string directory = EnvironmentValue("KOVA_SYSTEM_DIR");
    if (directory.empty()) {
        directory = PlatformLibraryDirectory() + "/system32";
    }
    return Platform::CopyOrRequiredSize(Platform::Utf8ToWide(directory), lpBuffer, uSize);
}
