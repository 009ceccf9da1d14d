// The form of a start point, checked before any host call: "Meridio://HOST[:PORT]/KIND/ID" with KIND
// container, folder or class (any letter case) and ID a number from 1, optionally followed by
// "#filter:..." or more pieces, which the filter reads. Empty pieces between slashes do not count.
#pragma once

#include <string>

namespace KovaSync {

// What is wrong in the start point, e.g. "unknown kind 'containr' (container, folder or class)";
// empty when its form is sound.
std::string StartPointProblem(const std::string& startPoint);

} // namespace KovaSync
