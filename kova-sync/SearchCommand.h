// "kova-sync search SERVER TEXT": the server's containers, folders and classes whose title holds the
// text, one a line, so that a user finds the start point to sync.
#pragma once

#include <string>

namespace KovaSync {

struct SearchArguments {
    std::string server;
    std::string text;
    long maximumHits = 100;
};

int Search(const SearchArguments& arguments);

} // namespace KovaSync
