// The settings store keeps the user's settings, the password among them, readable by the user only:
// the hive files and their lock files 0600, the folders it makes 0700, and a hive that was readable by
// others becomes private with its next write.
#include "kova-sync/SettingsStore.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace KovaSyncTest {
namespace {
namespace fs = std::filesystem;

fs::perms Mode(const fs::path& path) {
    return fs::status(path).permissions() & fs::perms::mask;
}

constexpr fs::perms kOwnerFile = fs::perms::owner_read | fs::perms::owner_write;
constexpr fs::perms kOwnerFolder = fs::perms::owner_all;

TEST(SettingsStoreTest, MakesTheHiveAndItsFoldersPrivate) {
    TestSupport::TempDirectory work;
    const fs::path store = work.path() / "config" / "kova-registry";
    TestSupport::ScopedEnvironment registry("KOVA_REGISTRY_DIR", store.string());
    KovaSync::WriteStringSetting(HKEY_CURRENT_USER, L"MeridioSync.UserPassword", L"s3cret");
    KovaSync::WriteDwordSetting(HKEY_LOCAL_MACHINE, L"KOVA.Log.Error", 1);

    EXPECT_EQ(Mode(work.path() / "config"), kOwnerFolder);
    EXPECT_EQ(Mode(store), kOwnerFolder);
    for (const char* file : {"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock", "HKEY_LOCAL_MACHINE.reg",
                             "HKEY_LOCAL_MACHINE.reg.lock"}) {
        EXPECT_EQ(Mode(store / file), kOwnerFile) << file;
    }
    EXPECT_EQ(KovaSync::ReadSetting(L"MeridioSync.UserPassword")->text, L"s3cret");
}

TEST(SettingsStoreTest, AHiveReadableByOthersBecomesPrivateWhenWritten) {
    TestSupport::TempDirectory work;
    TestSupport::ScopedEnvironment registry("KOVA_REGISTRY_DIR", work.path().string());
    const fs::perms folderMode = Mode(work.path());
    const fs::path hive = work.path() / "HKEY_CURRENT_USER.reg";
    std::ofstream(hive) << "Windows Registry Editor Version 5.00\n";
    fs::permissions(hive, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    KovaSync::WriteStringSetting(HKEY_CURRENT_USER, L"MeridioSync.UserName", L"alice");
    EXPECT_EQ(Mode(hive), kOwnerFile);
    EXPECT_EQ(Mode(work.path()), folderMode); // a folder that exists keeps its mode
}

} // namespace
} // namespace KovaSyncTest
