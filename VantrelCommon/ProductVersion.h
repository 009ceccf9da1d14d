// The product's version texts, as shown in the log header and the user agent.
#pragma once

namespace VantrelCommon {

inline constexpr char kProductVersionText[] = "24.04.0 (17891)";
inline constexpr char kBuildLabel[] = "linux-x86_64";

} // namespace VantrelCommon
