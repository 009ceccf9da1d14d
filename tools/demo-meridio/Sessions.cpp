#include "tools/demo-meridio/Sessions.h"

#include <cstdio>

namespace DemoMeridio {

SessionTable::SessionTable() : random_(std::random_device{}()) {}

std::string SessionTable::Issue() {
    std::string token;
    do {
        char text[33];
        std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(random_()),
                      static_cast<unsigned long long>(random_()));
        token = text;
    } while (requestsServed_.count(token) != 0);
    requestsServed_[token] = 0;
    return token;
}

bool SessionTable::Use(const std::string& token) {
    const auto found = requestsServed_.find(token);
    if (found == requestsServed_.end()) {
        return false;
    }
    if (limit_ && found->second >= *limit_) {
        return false;
    }
    ++found->second;
    return true;
}

} // namespace DemoMeridio
