// One counted reference to a property map of the test host, as the driver keeps item state.
#pragma once

#include "Host/PropertyMap.h"

#include <string>
#include <utility>

namespace KovaSync {

class MapRef {
public:
    MapRef() : map_(Host::LSMemoryPropertyMap::Create()) {}
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

} // namespace KovaSync
