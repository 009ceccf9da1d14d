// kova-sync: the test host's sync driver. Registers the plug-in, edits its settings, runs a sync pass
// of a repository into a local mirror, and reaches the filter's other host calls on mirrored files.
#include "kova-sync/CommandLine.h"
#include "kova-sync/FilterRecords.h"

int main(int argc, char** argv) {
    KovaSync::ReceiveFilterRecords();
    return KovaSync::RunCommandLine(argc, argv);
}
