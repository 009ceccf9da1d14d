#include "VantrelCommon/LSSetting.h"

#include "Platform/Utf.h"
#include "Platform/WinError.h"
#include "tests/Support/ConcurrentProcesses.h"
#include "tests/Support/LogCapture.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRegistryDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>

using testing::ElementsAre;
using testing::HasSubstr;
using TestSupport::TempRegistryDir;

namespace {

const wchar_t* const kSettings = L"SOFTWARE\\Vantrel\\Vantrel Sorvanta";
const wchar_t* const kPolicy = L"SOFTWARE\\Policies\\Vantrel\\Vantrel Sorvanta";

struct Place {
    HKEY root;
    const wchar_t* path;
};
const Place kUserPolicy{HKEY_CURRENT_USER, kPolicy};
const Place kMachinePolicy{HKEY_LOCAL_MACHINE, kPolicy};
const Place kUserSettings{HKEY_CURRENT_USER, kSettings};
const Place kMachineSettings{HKEY_LOCAL_MACHINE, kSettings};
const Place kPlaces[] = {kUserPolicy, kMachinePolicy, kUserSettings, kMachineSettings};

void Put(const Place& place, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(place.root, place.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutString(const Place& place, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    Put(place, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void PutDword(const Place& place, const wchar_t* name, DWORD value) {
    Put(place, name, REG_DWORD, &value, sizeof value);
}

// The value as stored in the user settings, or "<none>".
std::wstring StoredUserString(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return L"<none>";
    }
    wchar_t buffer[512];
    DWORD size = sizeof buffer;
    const LONG result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::wstring(buffer) : L"<none>";
}

class Settings : public testing::Test {
protected:
    // Settings over the test's store, with the log of their construction cleared.
    LSSetting& Make() {
        settings_ = std::make_unique<LSSetting>();
        log_.Clear();
        return *settings_;
    }

    TempRegistryDir registry_;
    TestSupport::LogCapture log_;
    std::unique_ptr<LSSetting> settings_;
};

} // namespace

// Each bit of `present` puts a value in one source (bit 0 user policy ... bit 3 machine settings).
class SettingsPrecedence : public Settings, public testing::WithParamInterface<int> {};

TEST_P(SettingsPrecedence, TheFirstSourceHoldingTheValueWins) {
    const int present = GetParam();
    int expected = SettingSourceDefault;
    for (int source = 3; source >= 0; --source) {
        if (present & (1 << source)) {
            PutDword(kPlaces[source], L"KOVA.Log.Diag", 100 + source);
            PutString(kPlaces[source], L"MeridioSync.DMWS", L"source " + std::to_wstring(source));
            expected = source;
        }
    }
    LSSetting& settings = Make();
    const DwordSetting number = settings.GetUserDwordConfigDetails(L"kova.log.diag", 7);
    const StringSetting text = settings.GetUserStringConfigDetails(L"MeridioSync.DMWS", L"fallback");
    EXPECT_EQ(number.source, expected);
    EXPECT_EQ(text.source, expected);
    EXPECT_EQ(number.value, expected == SettingSourceDefault ? 7u : 100u + expected);
    EXPECT_EQ(static_cast<const std::wstring&>(text.value),
              expected == SettingSourceDefault ? L"fallback" : L"source " + std::to_wstring(expected));
    EXPECT_THAT(log_.Errors(), testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(AllCombinations, SettingsPrecedence, testing::Range(0, 16));

TEST_F(Settings, ADwordOfAnotherTypeIsLoggedAndTheNextSourceIsRead) {
    const BYTE fourBytes[] = {1, 0, 0, 0};
    Put(kUserPolicy, L"KOVA.Log.Error", REG_BINARY, fourBytes, sizeof fourBytes);
    PutString(kMachinePolicy, L"KOVA.Log.Error", L"1"); // does not fit the four bytes of a DWORD
    PutDword(kUserSettings, L"KOVA.Log.Error", 1);
    LSSetting& settings = Make();

    const DwordSetting number = settings.GetUserDwordConfigDetails(L"KOVA.Log.Error", 0);
    EXPECT_EQ(number.value, 1u);
    EXPECT_EQ(number.source, SettingSourceUserSettings);
    EXPECT_THAT(log_.Errors(),
                ElementsAre(HasSubstr("Failed to read dword registry key invalid type 3"),
                            HasSubstr("Error retrieving key: KOVA.Log.Error from: 0 error: 65e"),
                            HasSubstr("Error retrieving key: KOVA.Log.Error from: 1 error: ea")));
}

TEST_F(Settings, AStringOfAnotherTypeIsLoggedAndTheNextSourceIsRead) {
    PutDword(kUserPolicy, L"KOVA.LogDir", 5);
    PutString(kMachineSettings, L"KOVA.LogDir", L"/var/log");
    LSSetting& settings = Make();

    const StringSetting text = settings.GetUserStringConfigDetails(L"KOVA.LogDir", L"");
    EXPECT_EQ(static_cast<const std::wstring&>(text.value), L"/var/log");
    EXPECT_EQ(text.source, SettingSourceMachineSettings);
    EXPECT_THAT(
        log_.Errors(),
        ElementsAre(HasSubstr("Failed to read string registry key with name 'KOVA.LogDir' invalid type 4")));
}

TEST_F(Settings, StringReadsTakeLongTextsMultiStringsAndRejectLongBinaries) {
    const std::wstring longText(1000, L'x');
    PutString(kUserSettings, L"Long", longText);
    const wchar_t multi[] = L"first\0second\0";
    Put(kUserSettings, L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    const std::vector<BYTE> blob(5000, 0x41);
    Put(kUserPolicy, L"Blob", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
    LSSetting& settings = Make();

    EXPECT_EQ(static_cast<const std::wstring&>(settings.GetUserString(L"Long", L"")), longText);
    EXPECT_EQ(static_cast<const std::wstring&>(settings.GetUserString(L"Multi", L"")), L"first");
    const StringSetting binary = settings.GetUserStringConfigDetails(L"Blob", L"default");
    EXPECT_EQ(binary.source, SettingSourceDefault);
    EXPECT_THAT(log_.Errors(), ElementsAre(HasSubstr("Failed to read string registry key invalid type 3")));
}

TEST_F(Settings, ExpandableStringsTakeTheEnvironment) {
    TestSupport::ScopedEnvironment home("KOVA_TEST_SHARE", std::string("/srv/share"));
    PutString(kUserSettings, L"KOVA.LogDir", L"%KOVA_TEST_SHARE%/logs/%KOVA_TEST_UNSET%", REG_EXPAND_SZ);
    PutString(kMachineSettings, L"Plain", L"%KOVA_TEST_SHARE%");
    LSSetting& settings = Make();
    EXPECT_EQ(static_cast<const std::wstring&>(settings.GetUserString(L"KOVA.LogDir", L"")),
              L"/srv/share/logs/%KOVA_TEST_UNSET%");
    EXPECT_EQ(static_cast<const std::wstring&>(settings.GetUserString(L"Plain", L"")), L"%KOVA_TEST_SHARE%");
}

TEST_F(Settings, ADeletedUserKeyIsReopenedOnEveryReadWhileItIsMissing) {
    PutString(kUserSettings, L"MeridioSync.DMWS", L"user");
    PutString(kMachineSettings, L"MeridioSync.DMWS", L"machine");
    PutDword(kMachineSettings, L"KOVA.Log.Perf", 3);
    LSSetting& settings = Make();
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kSettings), ERROR_SUCCESS);

    for (int read = 0; read < 2; ++read) {
        log_.Clear();
        const StringSetting text = settings.GetUserStringConfigDetails(L"MeridioSync.DMWS", L"");
        EXPECT_EQ(static_cast<const std::wstring&>(text.value), L"machine");
        EXPECT_EQ(text.source, SettingSourceMachineSettings);
        EXPECT_THAT(log_.Diagnostics(),
                    ElementsAre(HasSubstr("GetUserStringConfigDetails Key Deleted source: 2")));
        EXPECT_THAT(log_.Errors(), ElementsAre(HasSubstr("Failed to reopen key 2")));
    }
    log_.Clear();
    EXPECT_EQ(settings.GetUserDwordConfigDetails(L"KOVA.Log.Perf", 0).value, 3u);
    EXPECT_THAT(log_.Diagnostics(),
                ElementsAre(HasSubstr("GetUserDwordConfigDetails Key Deleted source: 2")));
    EXPECT_THAT(log_.Errors(), ElementsAre(HasSubstr("Failed to reopen key 2")));
}

TEST_F(Settings, AUserKeyMadeAgainIsReopenedOnceAndReadFrom) {
    PutString(kMachineSettings, L"MeridioSync.DMWS", L"machine");
    LSSetting& settings = Make();
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kSettings), ERROR_SUCCESS);
    PutString(kUserSettings, L"MeridioSync.DMWS", L"user again");

    const StringSetting text = settings.GetUserStringConfigDetails(L"MeridioSync.DMWS", L"");
    EXPECT_EQ(static_cast<const std::wstring&>(text.value), L"user again");
    EXPECT_EQ(text.source, SettingSourceUserSettings);
    EXPECT_THAT(log_.Diagnostics(),
                ElementsAre(HasSubstr("GetUserStringConfigDetails Key Deleted source: 2")));
    EXPECT_THAT(log_.Errors(), testing::IsEmpty());
    log_.Clear();
    EXPECT_EQ(settings.GetUserStringConfigDetails(L"MeridioSync.DMWS", L"").source,
              SettingSourceUserSettings);
    EXPECT_THAT(log_.Diagnostics(), testing::IsEmpty());
}

TEST_F(Settings, AUserKeyDeletedUnderTheProcessCanStillBeWritten) {
    LSSetting& settings = Make();
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kSettings), ERROR_SUCCESS);
    PutString(kUserSettings, L"MeridioSync.DMWS", L"user again");
    ASSERT_EQ(settings.GetUserStringConfigDetails(L"MeridioSync.DMWS", L"").source,
              SettingSourceUserSettings);
    EXPECT_TRUE(settings.SaveUserString(L"Reopened", L"first", L""));
    EXPECT_EQ(StoredUserString(L"Reopened"), L"first");

    // Deleted and not made again: the write makes it again.
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kSettings), ERROR_SUCCESS);
    EXPECT_TRUE(settings.SaveUserString(L"Recreated", L"second", L""));
    EXPECT_EQ(StoredUserString(L"Recreated"), L"second");
}

TEST_F(Settings, SaveUserStringWritesOnlyWhatDiffersFromTheEffectiveValue) {
    PutString(kMachineSettings, L"FromMachine", L"machine value");
    LSSetting& settings = Make();

    EXPECT_TRUE(settings.SaveUserString(L"FromMachine", L"machine value", L""));
    EXPECT_EQ(StoredUserString(L"FromMachine"), L"<none>");
    EXPECT_TRUE(settings.SaveUserString(L"Defaulted", L"the default", L"the default"));
    EXPECT_EQ(StoredUserString(L"Defaulted"), L"<none>");

    EXPECT_TRUE(settings.SaveUserString(L"FromMachine", L"Machine Value", L""));
    EXPECT_EQ(StoredUserString(L"FromMachine"), L"Machine Value");
    EXPECT_TRUE(settings.SaveUserString(L"New", L"", L"not empty"));
    EXPECT_EQ(StoredUserString(L"New"), L"");
    const std::string file = TempRegistryDir::ReadFile(registry_.UserFile());
    EXPECT_THAT(file, HasSubstr("\"FromMachine\"=\"Machine Value\"\n\"New\"=\"\"\n"));

    // Another process sees the value.
    LSSetting other;
    EXPECT_EQ(static_cast<const std::wstring&>(other.GetUserString(L"FromMachine", L"")), L"Machine Value");
}

TEST_F(Settings, WithoutAUserKeySaveUserStringFailsAndSaysSo) {
    TempRegistryDir::WriteFile(registry_.UserFile(), "not a registry file\n");
    LSSetting settings;
    EXPECT_THAT(log_.Errors(), ElementsAre(HasSubstr("Failed to get machine settings keys"),
                                           HasSubstr("Failed to get user settings keys")));
    log_.Clear();
    EXPECT_FALSE(settings.SaveUserString(L"MeridioSync.Name", L"value", L""));
    EXPECT_THAT(log_.Errors(),
                ElementsAre(HasSubstr("Invalid key - Failed to save user string MeridioSync.Name")));
    EXPECT_EQ(TempRegistryDir::ReadFile(registry_.UserFile()), "not a registry file\n");
}

TEST_F(Settings, MissingKeysAreLoggedWhenTheSettingsAreMade) {
    const LSSetting settings;
    EXPECT_THAT(log_.Errors(), ElementsAre(HasSubstr("Failed to get machine settings keys")));
    EXPECT_THAT(log_.Diagnostics(), ElementsAre(HasSubstr("Failed to get machine policy settings keys"),
                                                HasSubstr("Failed to get user policy settings keys")));
    EXPECT_EQ(StoredUserString(L"anything"), L"<none>");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Settings, TwoProcessesSavingAtOnceLoseNothing) {
    Make();
    constexpr int kProcesses = 4, kEach = 25;
    ASSERT_TRUE(TestSupport::RunInChildProcesses(kProcesses, [](int process) {
        LSSetting settings;
        for (int i = 0; i < kEach; ++i) {
            const std::wstring name = L"P" + std::to_wstring(process) + L"." + std::to_wstring(i);
            if (!settings.SaveUserString(name.c_str(), name.c_str(), L"")) {
                return false;
            }
        }
        return true;
    }));
    LSSetting settings;
    for (int process = 0; process < kProcesses; ++process) {
        for (int i = 0; i < kEach; ++i) {
            const std::wstring name = L"P" + std::to_wstring(process) + L"." + std::to_wstring(i);
            const StringSetting read = settings.GetUserStringConfigDetails(name.c_str(), L"");
            EXPECT_EQ(read.source, SettingSourceUserSettings) << Platform::WideToUtf8(name);
            EXPECT_EQ(static_cast<const std::wstring&>(read.value), name);
        }
    }
}

struct NamesCase {
    const wchar_t* company; // null: not written
    const wchar_t* product; // null: not written
    DWORD productType;
    const wchar_t* expectedCompany;
    const wchar_t* expectedProduct;
};

class CompanyAndProductNames : public Settings, public testing::WithParamInterface<NamesCase> {};

TEST_P(CompanyAndProductNames, ComeFromTheMachineOnlyWhenBothRead) {
    const NamesCase& names = GetParam();
    const Place kova{HKEY_LOCAL_MACHINE, L"SOFTWARE\\KOVA"};
    if (names.company != nullptr) {
        PutString(kova, L"Company", names.company);
    }
    if (names.product != nullptr) {
        PutString(kova, L"ProductName", names.product, names.productType);
    }
    CStdStr<wchar_t> company, product;
    GetCompanyAndProductNames(company, product);
    EXPECT_EQ(static_cast<const std::wstring&>(company), names.expectedCompany);
    EXPECT_EQ(static_cast<const std::wstring&>(product), names.expectedProduct);
}

const std::wstring kLongest(259, L'p');
const std::wstring kTooLong(260, L'p');

INSTANTIATE_TEST_SUITE_P(
    Cases, CompanyAndProductNames,
    testing::Values(NamesCase{L"Acme", L"Sync", REG_SZ, L"Acme", L"Sync"},
                    NamesCase{L"Acme", nullptr, REG_SZ, L"Vantrel", L"Vantrel Sorvanta"},
                    NamesCase{nullptr, L"Sync", REG_SZ, L"Vantrel", L"Vantrel Sorvanta"},
                    NamesCase{L"Acme", L"Sync", REG_EXPAND_SZ, L"Vantrel", L"Vantrel Sorvanta"},
                    NamesCase{L"Acme", kLongest.c_str(), REG_SZ, L"Acme", kLongest.c_str()},
                    NamesCase{L"Acme", kTooLong.c_str(), REG_SZ, L"Vantrel", L"Vantrel Sorvanta"}));
