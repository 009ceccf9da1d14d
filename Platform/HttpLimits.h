// The limits of an HTTP exchange: how long a connection may take, how long a reply may go without
// progress, and how large its body may be. Each can be lowered through the environment (tests set
// short time-outs and a small body limit this way); a value that is not a positive decimal number
// leaves the default.
#pragma once

#include <cstdint>

namespace Platform::Http {

struct Limits {
    long connectTimeoutSeconds; // KOVA_HTTP_CONNECT_TIMEOUT, default 60
    long stallSeconds;          // KOVA_HTTP_STALL_TIMEOUT, default 120: under 1 byte/s for this long
    std::uint64_t largestBody;  // KOVA_HTTP_MAX_BODY, default and ceiling 4 GiB - 1 (a byte SAFEARRAY)
};

// Read afresh for each exchange.
Limits CurrentLimits();

} // namespace Platform::Http
