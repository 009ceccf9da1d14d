// "kova-sync sync START-POINT --into DIR [--allow-mass-delete] [--download-only]": checks the mirror
// directory, opens its journal (adopting an earlier-layout mirror), runs one pass and answers its exit code.
#pragma once

#include <string>
#include <vector>

namespace KovaSync {

int Sync(const std::vector<std::string>& args);

} // namespace KovaSync
