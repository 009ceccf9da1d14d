#include "Platform/PathMapping.h"

#include "Platform/Utf.h"

#include <cstdlib>
#include <cwctype>

namespace Platform {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (IsSeparator(prefix[i]) ? !IsSeparator(text[i])
                                   : std::towupper(text[i]) != std::towupper(prefix[i])) {
            return false;
        }
    }
    return true;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

std::string WithSlashes(std::wstring_view path) {
    std::string native = WideToUtf8(path);
    for (char& c : native) {
        if (c == '\\') {
            c = '/';
        }
    }
    return native;
}

std::wstring WithBackslashes(std::string_view path) {
    std::wstring windows = Utf8ToWide(path);
    for (wchar_t& c : windows) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return windows;
}

std::string UncRoot() {
    const char* root = std::getenv("KOVA_UNC_ROOT");
    std::string result = (root != nullptr && *root != '\0') ? root : "/mnt";
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

// The UNC root with its links resolved; as configured when it does not exist.
std::string ResolvedUncRoot() {
    const std::string root = UncRoot();
    char* resolved = realpath(root.c_str(), nullptr);
    if (resolved == nullptr) {
        return root;
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

} // namespace

std::wstring WindowsPath(std::string_view nativePath) {
    const std::string root = ResolvedUncRoot();
    const std::string_view rootDir = root == "/" ? std::string_view() : std::string_view(root);
    if (nativePath.size() > rootDir.size() + 1 && nativePath.substr(0, rootDir.size()) == rootDir &&
        nativePath[rootDir.size()] == '/') {
        return L"\\\\?\\UNC" + WithBackslashes(nativePath.substr(rootDir.size()));
    }
    return L"\\\\?\\C:" + WithBackslashes(nativePath);
}

std::string NativePath(std::wstring_view path) {
    if (StartsWithIgnoringCase(path, L"\\\\?\\UNC\\")) {
        return UncRoot() + "/" + WithSlashes(path.substr(8));
    }
    if (StartsWithIgnoringCase(path, L"\\\\?\\")) {
        path.remove_prefix(4);
    } else if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return UncRoot() + "/" + WithSlashes(path.substr(2));
    }
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':') {
        path.remove_prefix(2);
        if (path.empty() || !IsSeparator(path[0])) {
            // "C:name" is "name" under the root; the root appended to, not prepended.
            std::string rooted = "/";
            rooted += WithSlashes(path);
            return rooted;
        }
    }
    return WithSlashes(path);
}

} // namespace Platform
