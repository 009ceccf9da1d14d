// Builds a resource image (Platform/ResourceFormat.h) from a string table and a version.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace rescompile {

using Version = std::array<std::uint16_t, 4>;

// "24.4.0.17891"; throws std::invalid_argument for another form.
Version ParseVersion(const std::string& text);

std::vector<unsigned char> BuildImage(const std::map<unsigned, std::wstring>& strings,
                                      const Version& version);

} // namespace rescompile
