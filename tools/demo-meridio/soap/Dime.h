#pragma once
// DIME messages (version 1): records of a 12-byte header, then the id, type and data fields, each
// padded with zero bytes to a multiple of 4. The first record carries MB, the last ME; no chunks.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace DemoMeridio {

enum class DimeTypeFormat : std::uint8_t {
    Unchanged = 0,
    MediaType = 1,
    AbsoluteUri = 2,
    Unknown = 3,
    None = 4
};

struct DimeRecord {
    std::string id;
    DimeTypeFormat typeFormat;
    std::string type;
    std::string_view data;
};

std::string EncodeDimeMessage(const std::vector<DimeRecord>& records);

// The records of a whole message; each record's data views into `message`. A message that is not
// version 1, is chunked, does not begin with MB or end with ME exactly at its last record, or whose
// fields run past its end throws std::invalid_argument naming what is wrong.
std::vector<DimeRecord> DecodeDimeMessage(std::string_view message);

inline constexpr std::string_view kDimeContentType = "application/dime";

} // namespace DemoMeridio
