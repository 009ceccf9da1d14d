#include "kova-sync/Usage.h"

namespace KovaSync {

const char* const kStartPointHelp =
    "A start point names the server and the folder to mirror:\n"
    "  Meridio://HOST[:PORT]/container/ID   a document container\n"
    "  Meridio://HOST[:PORT]/folder/ID      a records-management folder\n"
    "  Meridio://HOST[:PORT]/class/ID       a records-management class\n"
    "  Meridio://HOST[:PORT]/container/ID#filter:file|DOCID\n"
    "                                       one document of a container\n"
    "HOST is the server's name; kova-sync search HOST TEXT finds the folders to sync.\n";

const char* const kExitCodesHelp =
    "Exit codes:\n"
    "  0    done: every item synced\n"
    "  1    the pass completed, but some items failed (each is listed)\n"
    "  2    nothing was done: bad arguments, no registration or settings, the\n"
    "       login or the main folder's listing failed, the directory holds\n"
    "       other files or mirrors another start point, another pass runs on\n"
    "       the mirror, the journal cannot be read; or a pass held its\n"
    "       removals back\n"
    "  130  stopped by Ctrl-C; the next pass goes on from there\n";

} // namespace KovaSync
