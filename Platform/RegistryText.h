// The regedit-5 text form of a hive ("Windows Registry Editor Version 5.00"), UTF-8: a header line,
// then sections "[HIVE\path]" with value lines "name"=data. Data is "text" (REG_SZ), dword:hhhhhhhh,
// hex:bytes (REG_BINARY) or hex(type):bytes, where string types are UTF-16LE bytes; long hex data
// continues on the next line after a trailing backslash. "[-path]" and "name"=- delete, as in an
// import file. Lines starting with ';' are comments.
#pragma once

#include "Platform/RegistryTree.h"

#include <string>
#include <string_view>
#include <vector>

namespace Platform::Registry {

struct TextProblem {
    int line;
    std::string message;
};

struct ParsedHive {
    std::unique_ptr<Key> root;
    // Lines that could not be read; everything else of the file is in `root`.
    std::vector<TextProblem> problems;
};

// hiveName is the first component every section must start with ("HKEY_LOCAL_MACHINE").
ParsedHive ParseHiveText(std::string_view text, const std::wstring& hiveName);

std::string WriteHiveText(const Key& root);

} // namespace Platform::Registry
