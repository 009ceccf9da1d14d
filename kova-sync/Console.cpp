#include "kova-sync/Console.h"

#include <unistd.h>

#include <iostream>

namespace KovaSync {

Console::Console() : terminal_(isatty(STDOUT_FILENO) == 1) {}

void Console::Line(const std::string& text) {
    ClearStatus();
    std::cout << text << std::endl;
}

void Console::Error(const std::string& text) {
    ClearStatus();
    std::cerr << text << std::endl;
}

void Console::Status(const std::string& text) {
    if (!terminal_) {
        return;
    }
    std::cout << "\r\033[K" << text << std::flush;
    statusShown_ = true;
}

void Console::ClearStatus() {
    if (statusShown_) {
        std::cout << "\r\033[K" << std::flush;
        statusShown_ = false;
    }
}

} // namespace KovaSync
