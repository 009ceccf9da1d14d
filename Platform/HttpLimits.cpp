#include "Platform/HttpLimits.h"

#include <cstdlib>
#include <limits>
#include <string_view>

namespace Platform::Http {

namespace {

constexpr long kConnectTimeoutSeconds = 60;
constexpr long kStallSeconds = 120;
// A byte SAFEARRAY counts its elements in 32 bits: responseBody can hold no more.
constexpr std::uint64_t kLargestBody = std::numeric_limits<std::uint32_t>::max();

// The variable as a positive number no greater than `ceiling`; `fallback` otherwise.
std::uint64_t FromEnvironment(const char* name, std::uint64_t fallback, std::uint64_t ceiling) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return fallback;
    }
    const std::string_view text(value);
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return fallback;
    }
    const std::uint64_t number = std::strtoull(value, nullptr, 10);
    return number == 0 || number > ceiling ? fallback : number;
}

} // namespace

Limits CurrentLimits() {
    constexpr std::uint64_t kLongestWait = 24 * 60 * 60;
    return Limits{
        static_cast<long>(FromEnvironment("KOVA_HTTP_CONNECT_TIMEOUT", kConnectTimeoutSeconds, kLongestWait)),
        static_cast<long>(FromEnvironment("KOVA_HTTP_STALL_TIMEOUT", kStallSeconds, kLongestWait)),
        FromEnvironment("KOVA_HTTP_MAX_BODY", kLargestBody, kLargestBody),
    };
}

} // namespace Platform::Http
