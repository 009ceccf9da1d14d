// The registered Meridio sync filter, loaded as the host engine loads it: its library by ProgID
// through the class registration, and one filter object from its class factory.
#pragma once

#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"
#include "kova-sync/PluginHost.h"

#include <optional>

namespace KovaSync {

class RegisteredFilter {
public:
    // Throws std::runtime_error, saying how to register, when the filter cannot be loaded.
    RegisteredFilter();

    ILSSyncFilter2* get() const { return filter_; }

private:
    std::optional<PluginLibrary> library_;
    ILSSyncFilter2Ptr filter_; // released before the library
};

} // namespace KovaSync
