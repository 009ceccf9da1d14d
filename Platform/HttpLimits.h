// The limits of an HTTP exchange: how long a connection may take, how long a reply may go without
// progress, and how large its body may be. Each can be set through the environment (tests set short
// time-outs and a small body limit this way): the time-outs up to a day, the body limit only lower. A
// value that is not a positive decimal number within that range leaves the default.
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
