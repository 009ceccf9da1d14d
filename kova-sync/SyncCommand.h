// "kova-sync sync START-POINT --into DIR [--allow-mass-delete] [--download-only]": checks the mirror
// directory, opens its journal (adopting an earlier-layout mirror), runs one pass and answers its exit code.
#pragma once

#include <string>

namespace KovaSync {

struct SyncArguments {
    std::string startPoint;
    std::string into;
    bool allowMassDelete = false;
    bool downloadOnly = false;
    bool readopt = false;       // the journal made afresh from the server's listing
    bool sendUnmatched = false; // with readopt: files the server does not hold go up as new
};

int Sync(const SyncArguments& arguments);

} // namespace KovaSync
