// What a pass tells the user on standard output: lines for what happened, and on a terminal a status
// line (the download under way) that is rewritten in place. Off a terminal only the lines are written.
#pragma once

#include <string>

namespace KovaSync {

class Console {
public:
    Console();
    void Line(const std::string& text);
    // A line on standard error.
    void Error(const std::string& text);
    void Status(const std::string& text);
    // Removes the status line.
    void ClearStatus();

private:
    bool terminal_;
    bool statusShown_ = false;
};

} // namespace KovaSync
