#include "kova-sync/LocalNames.h"

#include "Platform/RegistryTree.h"
#include "Platform/Utf.h"

namespace KovaSync {
namespace {

// Extensions longer than this are part of the name: they would leave no room for the name itself.
constexpr std::size_t kMaxExtensionBytes = 32;

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text cut to at most the given bytes, at a character boundary.
std::string CutTo(std::string text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    std::size_t end = bytes;
    while (end > 0 && IsContinuationByte(text[end])) {
        --end;
    }
    text.resize(end);
    return text;
}

std::string SafeText(const std::wstring& displayName) {
    std::wstring safe = displayName;
    for (wchar_t& c : safe) {
        if (c == L'/' || c == L'\0') {
            c = L'_';
        }
    }
    if (safe.empty() || safe == L"." || safe == L"..") {
        safe = L"_" + safe;
    }
    return Platform::WideToUtf8(safe);
}

} // namespace

std::string CandidateName(const std::wstring& displayName, bool isDocument, unsigned number) {
    const std::string safe = SafeText(displayName);
    std::string stem = safe;
    std::string extension;
    const std::size_t dot = isDocument ? safe.rfind('.') : std::string::npos;
    if (dot != std::string::npos && dot > 0 && safe.size() - dot <= kMaxExtensionBytes) {
        stem = safe.substr(0, dot);
        extension = safe.substr(dot);
    }
    const std::string suffix = number > 1 ? " (" + std::to_string(number) + ")" : "";
    return CutTo(stem, kMaxNameBytes - suffix.size() - extension.size()) + suffix + extension;
}

std::string NameKey(const std::string& name) {
    return Platform::WideToUtf8(Platform::Registry::FoldCase(Platform::Utf8ToWide(name)));
}

void DirectoryNames::Take(const std::string& name) {
    keys_.insert(NameKey(name));
}

void DirectoryNames::Release(const std::string& name) {
    keys_.erase(NameKey(name));
}

bool DirectoryNames::IsTaken(const std::string& name) const {
    return keys_.count(NameKey(name)) != 0;
}

std::string DirectoryNames::Claim(const std::wstring& displayName, bool isDocument) {
    for (unsigned number = 1;; ++number) {
        std::string name = CandidateName(displayName, isDocument, number);
        if (!IsTaken(name)) {
            Take(name);
            return name;
        }
    }
}

} // namespace KovaSync
