// One counted reference to a property map of the test host, as the driver keeps item state.
#pragma once

#include "Host/PropertyMap.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace KovaSync {

class MapRef {
public:
    MapRef() : map_(Host::LSMemoryPropertyMap::Create()) {}
    // Takes over the one reference the caller holds, e.g. of a mail item.
    explicit MapRef(Host::LSMemoryPropertyMap* adopted) : map_(adopted) {}
    ~MapRef() { map_->Release(); }
    MapRef(const MapRef& other) : map_(other.map_) { map_->AddRef(); }
    MapRef& operator=(MapRef other) {
        std::swap(map_, other.map_);
        return *this;
    }
    Host::LSMemoryPropertyMap* operator->() const { return map_; }
    Host::LSMemoryPropertyMap* get() const { return map_; }

    // The string property, or empty when it is missing or not a string.
    std::wstring String(const std::wstring& name) const {
        const Host::PropertyValue* value = map_->Find(name);
        const auto* text = value == nullptr ? nullptr : std::get_if<std::wstring>(value);
        return text == nullptr ? std::wstring() : *text;
    }

private:
    Host::LSMemoryPropertyMap* map_;
};

// A copy of the map without the properties named, so that what a call writes there is that call's.
inline MapRef CopyWithout(const MapRef& map, std::initializer_list<const wchar_t*> dropped) {
    MapRef copy(map->Copy());
    for (const wchar_t* name : dropped) {
        copy->Remove(name);
    }
    return copy;
}

// The name the item is shown under: its display name, else its file name.
inline std::wstring DisplayName(const MapRef& map) {
    const std::wstring name = map.String(L"DisplayName");
    return name.empty() ? map.String(L"FileName") : name;
}

} // namespace KovaSync
