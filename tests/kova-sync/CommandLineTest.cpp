// The command line as git-style tools have it: help on standard output with exit 0 from every
// command, options before or after the operands, unknown options and commands named, and settings
// checked by name and type before they are stored. Each case: arguments, exit code, first line.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string firstOut; // the first line on standard output; empty: nothing there
    std::string firstErr; // the first line on standard error, or its start; empty: nothing there
};

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

void PrintTo(const Case& c, std::ostream* out) {
    for (const std::string& arg : c.args) {
        *out << arg << " ";
    }
}

const std::string kGeneral =
    "kova-sync plays the sync engine's part for the Meridio sync filter: it registers the";
const std::string kSync = "mirror a repository folder into a local directory";

const Case kCases[] = {
    // Help, from anywhere, on standard output.
    {{"--help"}, 0, kGeneral, ""},
    {{"-h"}, 0, kGeneral, ""},
    {{"help"}, 0, kGeneral, ""},
    {{"help", "sync"}, 0, kSync, ""},
    {{"sync", "--help"}, 0, kSync, ""},
    {{"sync", "Meridio://srv/container/1", "--help"}, 0, kSync, ""},
    {{"register", "--help"},
     0,
     "register the sync filter (by default the one installed beside kova-sync)",
     ""},
    {{"help", "config", "set"}, 0, "set a setting for the current user", ""},
    {{"config", "unset", "--help"}, 0, "remove the current user's setting", ""},
    {{"search", "--help"}, 0, "find containers, folders and classes by title on a server", ""},
    {{"checkout", "--help"}, 0, "check a mirrored document out on the server (lock it)", ""},
    {{"cancel-checkout", "--help"}, 0, "cancel the checkout (remove the lock)", ""},
    {{"status", "--help"}, 0, "whether a mirrored document is checked out and changed on the server", ""},
    {{"link", "--help"}, 0, "the link text a mail carries in place of the document", ""},
    // Mistakes: named, on standard error, exit 2.
    {{}, 2, "", kGeneral},
    {{"frob"}, 2, "", "kova-sync: 'frob' is not a kova-sync command."},
    {{"help", "frob"}, 2, "", "kova-sync help: 'frob' is not a kova-sync command."},
    {{"sync", "Meridio://srv/container/1"}, 2, "", "kova-sync sync: --into is required"},
    {{"sync", "--into", "dir"}, 2, "", "kova-sync sync: START-POINT is required"},
    {{"sync", "Meridio://srv/container/1", "--into", "dir", "--bogus"},
     2,
     "",
     "kova-sync sync: The following argument was not expected: --bogus"},
    {{"config"}, 2, "", "kova-sync config: A subcommand is required"},
    {{"config", "set", "MeridioSync.DeleteType"}, 2, "", "kova-sync config set: VALUE is required"},
    // Settings: known names take their own type; a DWORD is checked.
    {{"config", "set", "MeridioSync.DeleteType", "2"},
     0,
     "MeridioSync.DeleteType = 2  (DWORD, user settings)",
     ""},
    {{"config", "set", "MeridioSync.DeleteType", "--dword", "3"},
     0,
     "MeridioSync.DeleteType = 3  (DWORD, user settings)",
     ""},
    {{"config", "set", "meridiosync.deletetype", "0x1"},
     0,
     "MeridioSync.DeleteType = 1  (DWORD, user settings)",
     ""},
    {{"config", "set", "KOVA.Log.Error", "4294967295"},
     0,
     "KOVA.Log.Error = 4294967295  (DWORD, user settings)",
     ""},
    {{"config", "set", "MeridioSync.DeleteType", "3", "--dword", "extra"},
     2,
     "",
     "kova-sync config set: The following argument was not expected: extra"},
    {{"config", "set", "MeridioSync.DeleteType", "4294967296"},
     2,
     "",
     "kova-sync: MeridioSync.DeleteType takes a DWORD: a number from 0 to 4294967295, in decimal or as 0x "
     "hex, not "
     "\"4294967296\"; nothing was stored."},
    {{"config", "set", "MeridioSync.DeleteType", "99999999999"},
     2,
     "",
     "kova-sync: MeridioSync.DeleteType takes a DWORD"},
    {{"config", "set", "MeridioSync.DeleteType", "abc"},
     2,
     "",
     "kova-sync: MeridioSync.DeleteType takes a DWORD"},
    {{"config", "set", "MeridioSync.DeleteType", "-1"},
     2,
     "",
     "kova-sync: MeridioSync.DeleteType takes a DWORD"},
    {{"config", "set", "MeridioSync.DeleteType", "0x"},
     2,
     "",
     "kova-sync: MeridioSync.DeleteType takes a DWORD"},
    {{"config", "set", "MeridioSync.UserName", "5", "--dword"},
     2,
     "",
     "kova-sync: MeridioSync.UserName is a string setting, not a DWORD; nothing was stored."},
    {{"config", "set", "MeridioSync.UsrName", "bob"},
     2,
     "",
     "kova-sync: MeridioSync.UsrName is not a setting kova-sync knows (did you mean MeridioSync.UserName?); "
     "nothing was stored."},
    {{"config", "set", "MeridioSync.UsrName", "bob", "--force"},
     0,
     "MeridioSync.UsrName = bob  (string, user settings)",
     ""},
    {{"config", "set", "--force", "--dword", "Custom.Count", "7"},
     0,
     "Custom.Count = 7  (DWORD, user settings)",
     ""},
    {{"config", "get", "MeridioSync.AlwaysInherit"},
     1,
     "MeridioSync.AlwaysInherit is not set  (DWORD, default 0)",
     ""},
    {{"config", "unset", "MeridioSync.AlwaysInherit"},
     1,
     "MeridioSync.AlwaysInherit is not set in the user settings",
     ""},
};

class CommandLineTest : public DriverFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(CommandLineTest, ExitsWithItsCodeAndSaysSoFirst) {
    const Case& c = GetParam();
    const DriverResult result = Run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << Printed();
    if (c.firstOut.empty()) {
        EXPECT_EQ(result.out, "");
    } else {
        EXPECT_EQ(FirstLine(result.out), c.firstOut) << Printed();
    }
    if (c.firstErr.empty()) {
        EXPECT_EQ(result.err, "");
    } else {
        EXPECT_EQ(FirstLine(result.err).substr(0, c.firstErr.size()), c.firstErr) << Printed();
    }
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest, ::testing::ValuesIn(kCases));

class SettingsCommandTest : public DriverFixture {};

TEST_F(SettingsCommandTest, ThePasswordIsStoredButNeverShown) {
    ASSERT_EQ(Run({"config", "set", "MeridioSync.UserPassword", "s3cret"}).exitCode, 0);
    const DriverResult get = Run({"config", "get", "MeridioSync.UserPassword"});
    EXPECT_EQ(get.out, "MeridioSync.UserPassword = ********  (string, user settings)\n");
    const DriverResult list = Run({"config", "list"});
    EXPECT_THAT(list.out, HasSubstr("MeridioSync.UserPassword = ********"));
    EXPECT_THAT(list.out + get.out, Not(HasSubstr("s3cret")));
    EXPECT_THAT(ReadText(work_.path() / "registry" / "HKEY_CURRENT_USER.reg"), HasSubstr("s3cret"));
}

TEST_F(SettingsCommandTest, UnsetRemovesTheSettingAndListShowsTheRestWithDefaults) {
    ASSERT_EQ(Run({"config", "set", "MeridioSync.DeleteType", "1"}).exitCode, 0);
    ASSERT_EQ(Run({"config", "set", "MeridioSync.UserName", "alice"}).exitCode, 0);
    EXPECT_EQ(Run({"config", "unset", "MeridioSync.DeleteType"}).out,
              "Removed MeridioSync.DeleteType from the user settings\n");
    EXPECT_EQ(Run({"config", "get", "MeridioSync.DeleteType"}).exitCode, 1);
    const DriverResult list = Run({"config", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_THAT(list.out, HasSubstr("  MeridioSync.UserName = alice  (string, user settings)\n"));
    EXPECT_THAT(list.out, HasSubstr("  MeridioSync.DeleteType  (DWORD, default 3): "));
}

} // namespace
} // namespace KovaSyncTest
