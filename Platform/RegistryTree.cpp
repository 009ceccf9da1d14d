#include "Platform/RegistryTree.h"

#include <algorithm>
#include <atomic>
#include <locale>
#include <stdexcept>

namespace Platform::Registry {
namespace {

const std::ctype<wchar_t>& UnicodeCaseFacet() {
    static const std::locale locale = [] {
        try {
            return std::locale("C.UTF-8");
        } catch (const std::runtime_error&) {
            return std::locale::classic();
        }
    }();
    return std::use_facet<std::ctype<wchar_t>>(locale);
}

auto NameIs(std::wstring_view name) {
    return [folded = FoldCase(name)](const Value& v) { return FoldCase(v.name) == folded; };
}

std::uint64_t NewKeyId() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

} // namespace

std::wstring FoldCase(std::wstring_view name) {
    std::wstring folded(name);
    UnicodeCaseFacet().toupper(folded.data(), folded.data() + folded.size());
    return folded;
}

Key::Key(std::wstring name) : name_(std::move(name)), id_(NewKeyId()) {}

Key* Key::FindChild(std::wstring_view name) const {
    const auto found = children_.find(FoldCase(name));
    return found == children_.end() ? nullptr : found->second.get();
}

Key& Key::GetOrAddChild(std::wstring_view name, bool& created) {
    auto& slot = children_[FoldCase(name)];
    created = slot == nullptr;
    if (created) {
        slot = std::make_unique<Key>(std::wstring(name));
    }
    return *slot;
}

bool Key::RemoveChild(std::wstring_view name) {
    return children_.erase(FoldCase(name)) != 0;
}

const Value* Key::FindValue(std::wstring_view name) const {
    const auto found = std::find_if(values_.begin(), values_.end(), NameIs(name));
    return found == values_.end() ? nullptr : &*found;
}

void Key::SetValue(Value value) {
    const auto existing = std::find_if(values_.begin(), values_.end(), NameIs(value.name));
    if (existing != values_.end()) {
        existing->type = value.type;
        existing->data = std::move(value.data);
    } else {
        values_.push_back(std::move(value));
    }
}

bool Key::RemoveValue(std::wstring_view name) {
    return std::erase_if(values_, NameIs(name)) != 0;
}

void Key::Clear() {
    children_.clear();
    values_.clear();
}

void Key::TakeIdsFrom(const Key& previous) {
    id_ = previous.id_;
    for (auto& [folded, child] : children_) {
        const auto match = previous.children_.find(folded);
        if (match != previous.children_.end()) {
            child->TakeIdsFrom(*match->second);
        }
    }
}

} // namespace Platform::Registry
