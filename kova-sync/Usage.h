// The texts of kova-sync's usage that several commands share: the form of a start point and the exit
// codes.
#pragma once

namespace KovaSync {

extern const char* const kStartPointHelp;
extern const char* const kExitCodesHelp;

} // namespace KovaSync
