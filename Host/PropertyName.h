// The name of a property in a host map. A host keeps many maps of the same few dozen names, so a name
// is stored once for the process and shared; the shared names are capped (in number and in
// characters), so that endless distinct names from a server cannot grow them for good: past the cap
// a name is held by the property itself and goes with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace Host {

class PropertyName {
public:
    explicit PropertyName(std::wstring_view name);
    PropertyName(const PropertyName& other);
    PropertyName(PropertyName&& other) noexcept : bits_(other.bits_) { other.bits_ = 0; }
    PropertyName& operator=(PropertyName other) noexcept {
        std::swap(bits_, other.bits_);
        return *this;
    }
    ~PropertyName();

    const std::wstring& operator*() const { return *Text(); }
    // Whether the name is one of the process's shared names.
    bool IsShared() const { return (bits_ & kOwned) == 0; }

    friend bool operator==(const PropertyName& left, const PropertyName& right) {
        // Two shared names are one text exactly when they are one object.
        return left.bits_ == right.bits_ || ((!left.IsShared() || !right.IsShared()) && *left == *right);
    }

    // How many names the process shares at most, and how many characters they hold at most.
    static constexpr std::size_t kMostSharedNames = 4096;
    static constexpr std::size_t kMostSharedCharacters = std::size_t{1} << 20;

private:
    static constexpr std::uintptr_t kOwned = 1; // the low bit of an owned name's address
    const std::wstring* Text() const { return reinterpret_cast<const std::wstring*>(bits_ & ~kOwned); }

    std::uintptr_t bits_; // the text's address, with kOwned set when this object owns it
};

} // namespace Host
