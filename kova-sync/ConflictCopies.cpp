#include "kova-sync/ConflictCopies.h"

#include <regex>

namespace KovaSync {

std::string ConflictName(const std::string& name, std::time_t when, unsigned number) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H%M", &local);
    std::string mark =
        std::string(" (conflict ") + stamp + (number > 1 ? " " + std::to_string(number) : "") + ")";
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0;
    return hasExtension ? name.substr(0, dot) + mark + name.substr(dot) : name + mark;
}

bool IsConflictName(const std::string& name) {
    static const std::regex mark(R"( \(conflict \d{4}-\d{2}-\d{2} \d{4}( \d+)?\)(\.[^.]*)?$)");
    return std::regex_search(name, mark);
}

} // namespace KovaSync
