// kova-sync's command line, as git-style tools have it: a command and its operands and options in
// any order, `--help` after any command and `help [COMMAND]` printing to standard output, an unknown
// option or command named in the error.
#pragma once

namespace KovaSync {

// Parses the arguments and runs the command; gives the exit code.
int RunCommandLine(int argc, char** argv);

} // namespace KovaSync
