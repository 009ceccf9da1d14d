// The last line of a command that talked to the server: the log file of its pass, else, when the
// user turned the filter's logging on, the filter's log file of this process.
#pragma once

#include <filesystem>

namespace KovaSync {

// The log file of this command's pass.
void NotePassLog(const std::filesystem::path& file);

void PrintLogLine();

} // namespace KovaSync
