// What the plug-in's registration exports write into the registry store and remove again.
#include "Platform/WinNls.h"
#include "Platform/WinReg.h"
#include "tests/KOVAMeridioSync/LoadedPlugin.h"
#include "tests/Platform/RegistryReading.h"
#include "tests/Support/InstalledLocale.h"
#include "tests/Support/TempRegistryDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using TestSupport::KeyExists;
using TestSupport::LoadedPlugin;
using TestSupport::ReadString;

const std::wstring kFilterKey = L"CLSID\\{1F70C760-CD0B-461A-87E0-7CB06119C11D}";
const std::wstring kFieldInfoKey = L"CLSID\\{B0A0ED7B-0D57-4ED6-A87C-9123D7A0C637}";
const std::wstring kFieldSetInfoKey = L"CLSID\\{258D6F32-63C9-4ADE-A803-A851708824FE}";
const std::wstring kLibid = L"{5AB2204B-293F-453B-9A95-4A46EBD82689}";
const std::vector<std::wstring> kInterfaceIds = {L"{AD155C80-6F42-48EA-A84A-31D295CABBA8}",
                                                 L"{ACDEAA58-65CF-41E9-9BA2-FCCC73CE8C1E}",
                                                 L"{BAC06EE2-31C0-4F12-AA5D-56BA59EC86E0}"};

// Every key registration writes below a classes root, for the check that they are all gone.
std::vector<std::wstring> RegisteredKeys() {
    std::vector<std::wstring> keys = {L"Vantrel.SyncFilterMeridio.1",
                                      L"Vantrel.SyncFilterMeridio",
                                      kFilterKey,
                                      kFieldInfoKey,
                                      kFieldSetInfoKey,
                                      L"TypeLib\\" + kLibid};
    for (const std::wstring& iid : kInterfaceIds) {
        keys.push_back(L"Interface\\" + iid);
    }
    return keys;
}

class ClassesRoot {
public:
    explicit ClassesRoot(HKEY hive) { RegOpenKeyExW(hive, L"Software\\Classes", 0, KEY_READ, &key_); }
    ~ClassesRoot() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    ClassesRoot(const ClassesRoot&) = delete;
    ClassesRoot& operator=(const ClassesRoot&) = delete;

    std::optional<std::wstring> String(const std::wstring& path, const wchar_t* name = nullptr) const {
        return key_ == nullptr ? std::nullopt : ReadString(key_, path, name);
    }
    bool Has(const std::wstring& path) const { return key_ != nullptr && KeyExists(key_, path); }

private:
    HKEY key_ = nullptr;
};

void ExpectRegisteredIn(HKEY hive) {
    const ClassesRoot classes(hive);
    const std::wstring module = LoadedPlugin::Path();

    const std::vector<std::wstring> classKeys = {kFieldInfoKey, kFieldSetInfoKey, kFilterKey};
    EXPECT_EQ(L"KOVAMeridioSyncFilter Class", classes.String(L"Vantrel.SyncFilterMeridio.1"));
    EXPECT_EQ(L"{1F70C760-CD0B-461A-87E0-7CB06119C11D}",
              classes.String(L"Vantrel.SyncFilterMeridio.1\\CLSID"));
    EXPECT_EQ(L"KOVAMeridioSyncFilter Class", classes.String(L"Vantrel.SyncFilterMeridio"));
    EXPECT_EQ(L"Vantrel.SyncFilterMeridio.1", classes.String(L"Vantrel.SyncFilterMeridio\\CurVer"));
    EXPECT_EQ(L"KOVAMeridioSyncFilter Class", classes.String(kFilterKey));
    EXPECT_EQ(L"Vantrel.SyncFilterMeridio.1", classes.String(kFilterKey + L"\\ProgID"));
    EXPECT_EQ(L"Vantrel.SyncFilterMeridio", classes.String(kFilterKey + L"\\VersionIndependentProgID"));
    EXPECT_EQ(L"KOVAMeridioFieldInfo Class", classes.String(kFieldInfoKey));
    EXPECT_EQ(L"KOVAMeridioFieldSetInfo Class", classes.String(kFieldSetInfoKey));
    for (const std::wstring& key : classKeys) {
        EXPECT_TRUE(classes.Has(key + L"\\Programmable")) << key.c_str();
        EXPECT_EQ(module, classes.String(key + L"\\InprocServer32")) << key.c_str();
        EXPECT_EQ(L"Apartment", classes.String(key + L"\\InprocServer32", L"ThreadingModel")) << key.c_str();
        EXPECT_EQ(kLibid, classes.String(key + L"\\TypeLib")) << key.c_str();
        EXPECT_EQ(L"1.0", classes.String(key + L"\\Version")) << key.c_str();
    }
    EXPECT_FALSE(classes.Has(kFieldInfoKey + L"\\ProgID"));
    EXPECT_FALSE(classes.Has(kFieldSetInfoKey + L"\\ProgID"));

    EXPECT_EQ(L"KOVAMeridioSyncLib", classes.String(L"TypeLib\\" + kLibid + L"\\1.0"));
    EXPECT_EQ(module, classes.String(L"TypeLib\\" + kLibid + L"\\1.0\\0\\win64"));
    for (const std::wstring& iid : kInterfaceIds) {
        EXPECT_EQ(kLibid, classes.String(L"Interface\\" + iid + L"\\TypeLib")) << iid.c_str();
    }
    EXPECT_EQ(L"IKOVAMeridioSyncFilter", classes.String(L"Interface\\" + kInterfaceIds[0]));
}

void ExpectNothingRegisteredIn(HKEY hive) {
    const ClassesRoot classes(hive);
    for (const std::wstring& key : RegisteredKeys()) {
        EXPECT_FALSE(classes.Has(key)) << key.c_str();
    }
}

TEST(ModuleRegistrationTest, RegisterServerWritesTheMachineClassesAndUnregisterRemovesThem) {
    TestSupport::TempRegistryDir registry;
    ASSERT_EQ(S_OK, LoadedPlugin::Get().DllRegisterServer());
    ExpectRegisteredIn(HKEY_LOCAL_MACHINE);
    ExpectNothingRegisteredIn(HKEY_CURRENT_USER);

    ASSERT_EQ(S_OK, LoadedPlugin::Get().DllUnregisterServer());
    ExpectNothingRegisteredIn(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(ClassesRoot(HKEY_LOCAL_MACHINE).Has(L"CLSID"));
}

TEST(ModuleRegistrationTest, RegistrationLeavesTheThreadLocaleAsItFoundIt) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    TestSupport::TempRegistryDir registry;
    constexpr LCID german = 1031;
    ASSERT_TRUE(SetThreadLocale(german));
    EXPECT_EQ(S_OK, LoadedPlugin::Get().DllRegisterServer());
    EXPECT_EQ(german, GetThreadLocale());
    EXPECT_EQ(S_OK, LoadedPlugin::Get().DllUnregisterServer());
    EXPECT_EQ(german, GetThreadLocale());
}

struct InstallCase {
    const char* name;
    const wchar_t* commandLine;
    bool perUser;
};

class ModuleInstallTest : public testing::TestWithParam<InstallCase> {};

TEST_P(ModuleInstallTest, CommandLineChoosesTheUserOrTheMachineClasses) {
    TestSupport::TempRegistryDir registry;
    const HKEY chosen = GetParam().perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const HKEY other = GetParam().perUser ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;

    ASSERT_EQ(S_OK, LoadedPlugin::Get().DllInstall(TRUE, GetParam().commandLine));
    ExpectRegisteredIn(chosen);
    ExpectNothingRegisteredIn(other);

    ASSERT_EQ(S_OK, LoadedPlugin::Get().DllInstall(FALSE, GetParam().commandLine));
    ExpectNothingRegisteredIn(chosen);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ModuleInstallTest,
    testing::Values(InstallCase{"user", L"user", true}, InstallCase{"USER", L"USER", true},
                    InstallCase{"uSeR", L"uSeR", true}, InstallCase{"username", L"username", false},
                    InstallCase{"use", L"use", false}, InstallCase{"Empty", L"", false},
                    InstallCase{"Null", nullptr, false}),
    [](const testing::TestParamInfo<InstallCase>& info) { return std::string(info.param.name); });

TEST(ModuleRegistrationTest, PerUserInstallDoesNotCarryOverToLaterRegistration) {
    TestSupport::TempRegistryDir registry;
    ASSERT_EQ(S_OK, LoadedPlugin::Get().DllInstall(TRUE, L"user"));
    // Removed again first: keys the user's classes still hold would take the machine's writes, as
    // the merged classes root sends a write to the copy that exists.
    ASSERT_EQ(S_OK, LoadedPlugin::Get().DllInstall(FALSE, L"user"));
    ASSERT_EQ(S_OK, LoadedPlugin::Get().DllRegisterServer());
    ExpectRegisteredIn(HKEY_LOCAL_MACHINE);
    ExpectNothingRegisteredIn(HKEY_CURRENT_USER);
}

} // namespace
