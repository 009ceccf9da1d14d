// The names under which a pass keeps the local side of a conflict beside the server's version:
// "Report (conflict 2026-12-10 1412).docx". A file of such a name is never sent to the server.
#pragma once

#include <ctime>
#include <string>

namespace KovaSync {

// The conflict name of the file name for the local time; the extension is kept.
std::string ConflictName(const std::string& name, std::time_t when, unsigned number = 1);
bool IsConflictName(const std::string& name);

} // namespace KovaSync
