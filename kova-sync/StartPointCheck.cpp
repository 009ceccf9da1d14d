#include "kova-sync/StartPointCheck.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace KovaSync {

namespace {

constexpr std::string_view kScheme = "Meridio:";
constexpr std::string_view kDigits = "0123456789";

// The pieces between slashes, empty ones skipped.
std::vector<std::string_view> Pieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = text.find_first_not_of('/');
    while (start != std::string_view::npos) {
        const std::size_t end = text.find('/', start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        start = text.find_first_not_of('/', end);
    }
    return pieces;
}

bool EqualNoCase(std::string_view text, std::string_view word) {
    return text.size() == word.size() && strncasecmp(text.data(), word.data(), word.size()) == 0;
}

bool IsNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of(kDigits) == std::string_view::npos;
}

std::string ServerProblem(std::string_view server) {
    // "[v6 address]:port" or "host:port"; the port is optional.
    const std::size_t close = server.front() == '[' ? server.find(']') : 0;
    if (close == std::string_view::npos) {
        return "the server '" + std::string(server) + "' lacks its closing ']'";
    }
    const std::size_t colon = server.find(':', close);
    if (colon == 0) {
        return "no server name before the port";
    }
    if (colon == std::string_view::npos) {
        return {};
    }
    const std::string_view port = server.substr(colon + 1);
    if (!IsNumber(port) || port.size() > 5 || std::stoul(std::string(port)) == 0 ||
        std::stoul(std::string(port)) > 65535) {
        return "the port '" + std::string(port) + "' is not a number from 1 to 65535";
    }
    return {};
}

} // namespace

std::string StartPointProblem(const std::string& startPoint) {
    const std::vector<std::string_view> pieces = Pieces(startPoint);
    if (pieces.empty() || !EqualNoCase(pieces[0], kScheme) || startPoint.find("//") != pieces[0].size()) {
        return "not a Meridio:// location";
    }
    if (pieces.size() < 2) {
        return "no server";
    }
    if (std::string problem = ServerProblem(pieces[1]); !problem.empty()) {
        return problem;
    }
    if (pieces.size() < 3) {
        return "no kind (container, folder or class) and no id";
    }
    constexpr std::array<std::string_view, 3> kKinds{"container", "folder", "class"};
    const std::string_view kind = pieces[2].substr(0, pieces[2].find('#'));
    if (std::none_of(kKinds.begin(), kKinds.end(),
                     [&](std::string_view word) { return EqualNoCase(kind, word); })) {
        return "unknown kind '" + std::string(kind) + "' (container, folder or class)";
    }
    if (pieces.size() < 4 || kind.size() != pieces[2].size()) {
        return "no id";
    }
    const std::string_view id = pieces[3].substr(0, pieces[3].find('#'));
    if (id.empty()) {
        return "no id";
    }
    if (!IsNumber(id) || id.find_first_not_of('0') == std::string_view::npos) {
        return "the id '" + std::string(id) + "' is not a number from 1";
    }
    return {};
}

} // namespace KovaSync
