#pragma once
// Faults the demo server can put on its replies, for tests of the client's error handling.

#include <chrono>
#include <optional>

namespace DemoMeridio {

struct FaultSettings {
    int busyReplies = 0;                        // so many next requests are answered busyStatus
    int busyStatus = 503;                       // 503 or 429
    std::optional<int> retryAfterSeconds;       // Retry-After header of the busy replies
    std::optional<int> healthScore;             // X-SharePointHealthScore header on every reply
    std::chrono::milliseconds latency{0};       // added before every reply
    std::chrono::milliseconds downloadDelay{0}; // added before every document download's reply
    int cutOffReplies = 0;                      // so many next replies stop half-way through their body
    std::optional<int> sessionRequests;         // at start: a token serves so many requests, then expires
};

} // namespace DemoMeridio
