#include "tools/rescompile/ResourceSource.h"

#include "Platform/Utf.h"

#include <cctype>
#include <fstream>

namespace rescompile {
namespace {

[[noreturn]] void Fail(const std::string& path, int line, const std::string& what) {
    throw SourceError(path + ":" + std::to_string(line) + ": " + what);
}

std::string Unescape(const std::string& quoted, const std::string& path, int line) {
    std::string text;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '\\') {
            text += quoted[i];
            continue;
        }
        if (++i == quoted.size()) {
            Fail(path, line, "escape at the end of the text");
        }
        switch (quoted[i]) {
        case '\\':
        case '"':
            text += quoted[i];
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        default:
            Fail(path, line, std::string("unknown escape \\") + quoted[i]);
        }
    }
    return text;
}

} // namespace

std::map<unsigned, std::wstring> ReadStringTable(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw SourceError(path + ": cannot open the source");
    }
    std::map<unsigned, std::wstring> strings;
    int lineNumber = 0;
    for (std::string line; std::getline(file, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        std::size_t pos = first;
        unsigned long id = 0;
        while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos]))) {
            id = id * 10 + static_cast<unsigned long>(line[pos++] - '0');
            if (id > 0xFFFF) {
                Fail(path, lineNumber, "string id above 65535");
            }
        }
        if (pos == first) {
            Fail(path, lineNumber, "expected a string id");
        }
        const std::size_t open = line.find_first_not_of(" \t", pos);
        const std::size_t close = line.find_last_of('"');
        if (open == std::string::npos || line[open] != '"' || close == open ||
            line.find_first_not_of(" \t", close + 1) != std::string::npos) {
            Fail(path, lineNumber, "expected the text in double quotes after the id");
        }
        const std::string text = Unescape(line.substr(open + 1, close - open - 1), path, lineNumber);
        if (!strings.emplace(static_cast<unsigned>(id), Platform::Utf8ToWide(text)).second) {
            Fail(path, lineNumber, "string id " + std::to_string(id) + " appears twice");
        }
    }
    return strings;
}

} // namespace rescompile
