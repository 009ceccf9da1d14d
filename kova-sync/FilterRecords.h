// The filter's log records as the driver's process receives them (the filter and the driver share one
// logging library). The filter's error records are always on for this process; while a pass runs,
// every record received goes to the pass's log file; the error records written during a failed host
// call are the causes its failure line tells.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace KovaSync {

// Asks the filter for its error records and starts receiving them: before the filter is loaded.
void ReceiveFilterRecords();

// From now on every record received is appended to the file; an empty path stops that.
void WriteFilterRecordsTo(const std::filesystem::path& file);

// The records received so far belong to host calls that are done (called after a call succeeded).
void ForgetFilterErrors();

// The error records received since ForgetFilterErrors, oldest first, and forgotten.
std::vector<std::string> TakeFilterErrors();

// What a failed call's error records tell of its cause: the last one or two that say more than a
// bare code, each its first line, without the filter's "Class::Method:" prefix, shortened when
// very long; oldest first.
std::vector<std::string> CausesOf(const std::vector<std::string>& records);

// The text with the session token of a SOAP credential header and a password element replaced by
// asterisks.
std::string WithoutSecrets(std::string text);

} // namespace KovaSync
