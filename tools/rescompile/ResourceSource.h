// The checked-in text source of a resource module: its string table.
//
//   # a comment; blank lines are ignored
//   4005 "Untitled"
//   4007 "The item was changed here on "
//
// One string per line: a decimal id (0-65535) and the text in double quotes, UTF-8, with the
// escapes \\ \" \n \r \t. An id may appear once.
#pragma once

#include <map>
#include <stdexcept>
#include <string>

namespace rescompile {

struct SourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Strings by id; throws SourceError naming the file and line of the first fault.
std::map<unsigned, std::wstring> ReadStringTable(const std::string& path);

} // namespace rescompile
