// "kova-sync register [PLUGIN] [--user]" and "unregister": the filter's registration as a COM server,
// and the folder its resource libraries are found in.
#pragma once

#include <string>

namespace KovaSync {

struct RegisterArguments {
    std::string plugin; // empty: the one installed beside kova-sync
    bool perUser = false;
};

int Register(const RegisterArguments& arguments, bool install);

} // namespace KovaSync
