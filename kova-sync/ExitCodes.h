// The exit codes of kova-sync, as --help and the README list them.
#pragma once

namespace KovaSync {

constexpr int kExitSynced = 0;      // every item synced
constexpr int kExitItemsFailed = 1; // the pass completed, some items failed
constexpr int kExitNotRun = 2;      // the pass could not run, or its removals were held back
constexpr int kExitStopped = 130;   // stopped by Ctrl-C

} // namespace KovaSync
