// Failures that a test asks a test-host object to report instead of doing the call.
#pragma once

#include "Platform/WinError.h"

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace Host {

// Method is an enumeration of the object's calls. A failure set for a property name applies to
// that name only and wins over one set for every name (the empty name).
template <class Method> class InjectedFailures {
public:
    void Fail(Method method, HRESULT result, const std::wstring& name = {}) {
        failures_[{method, name}] = result;
    }
    void Clear() { failures_.clear(); }
    bool Empty() const { return failures_.empty(); }

    std::optional<HRESULT> For(Method method, const std::wstring& name = {}) const {
        if (auto found = failures_.find({method, name}); found != failures_.end()) {
            return found->second;
        }
        if (auto any = failures_.find({method, std::wstring{}}); any != failures_.end()) {
            return any->second;
        }
        return std::nullopt;
    }

private:
    std::map<std::pair<Method, std::wstring>, HRESULT> failures_;
};

} // namespace Host
