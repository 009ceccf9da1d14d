#include "kova-sync/ExitCodes.h"

#include <iostream>

namespace KovaSync {

int Usage(bool asked) {
    (asked ? std::cout : std::cerr)
        << "usage:\n"
           "  kova-sync register [PLUGIN] [--user]     register the sync filter (default: the installed "
           "one)\n"
           "  kova-sync unregister [PLUGIN] [--user]   remove its registration\n"
           "  kova-sync config set NAME VALUE [--dword] set a setting for the current user\n"
           "  kova-sync config get NAME                show a setting and where it comes from\n"
           "  kova-sync sync START-POINT --into DIR [--allow-mass-delete]\n"
           "                                           mirror a repository folder into DIR: a new or empty\n"
           "                                           directory, or one kova-sync mirrored before\n"
           "  kova-sync --help                         this text\n"
           "\n"
           "A pass that would remove more than half of the mirror's documents (and more than 10) removes\n"
           "none; --allow-mass-delete lets it.\n"
           "\n"
           "exit codes:\n"
           "  0    every item synced\n"
           "  1    the pass completed, but some items failed\n"
           "  2    the pass could not run (bad arguments, no settings or registration, the login or the\n"
           "       listing of the main folder failed, DIR holds other files) or its removals were held back\n"
           "  130  stopped by Ctrl-C; the next pass goes on from there\n";
    return asked ? kExitSynced : kExitNotRun;
}

} // namespace KovaSync
