// The last line of a command that talked to the server: where the filter's log file is when logging
// is on, or how to turn logging on when a host call of the command failed.
#pragma once

namespace KovaSync {

void PrintLogLine(int exitCode);

} // namespace KovaSync
