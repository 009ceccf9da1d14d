#include "Host/PropertyName.h"

#include <functional>
#include <mutex>
#include <unordered_set>

namespace Host {

namespace {

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view name) const { return std::hash<std::wstring_view>{}(name); }
};

// The process's shared names, never freed; null when the name is not among them and there is no
// room for it.
const std::wstring* SharedName(std::wstring_view name) {
    static std::mutex guard;
    static std::unordered_set<std::wstring, NameHash, std::equal_to<>> names;
    static std::size_t characters = 0;
    const std::lock_guard<std::mutex> lock(guard);
    auto found = names.find(name);
    if (found == names.end()) {
        if (names.size() >= PropertyName::kMostSharedNames ||
            characters + name.size() > PropertyName::kMostSharedCharacters) {
            return nullptr;
        }
        found = names.emplace(name).first;
        characters += name.size();
    }
    return &*found;
}

std::uintptr_t Owned(std::wstring_view name) {
    return reinterpret_cast<std::uintptr_t>(new std::wstring(name)) | 1U;
}

} // namespace

PropertyName::PropertyName(std::wstring_view name) {
    const std::wstring* shared = SharedName(name);
    bits_ = shared != nullptr ? reinterpret_cast<std::uintptr_t>(shared) : Owned(name);
}

PropertyName::PropertyName(const PropertyName& other)
    : bits_(other.IsShared() ? other.bits_ : Owned(*other)) {}

PropertyName::~PropertyName() {
    if (!IsShared()) {
        delete Text();
    }
}

} // namespace Host
