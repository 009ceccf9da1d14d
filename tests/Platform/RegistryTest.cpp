#include "Platform/RegistryReport.h"
#include "Platform/WinError.h"
#include "Platform/WinReg.h"

#include "tests/Support/ConcurrentProcesses.h"
#include "tests/Support/TempRegistryDir.h"

#include <gtest/gtest.h>

using TestSupport::RunInChildProcesses;
using TestSupport::TempRegistryDir;

namespace {

std::vector<std::string> reported;
void CollectProblem(const std::string& message) {
    reported.push_back(message);
}

class Registry : public testing::Test {
protected:
    void SetUp() override {
        reported.clear();
        Platform::SetRegistryProblemHook(CollectProblem);
    }
    void TearDown() override {
        for (const HKEY key : open_) {
            RegCloseKey(key);
        }
        Platform::SetRegistryProblemHook(nullptr);
    }

    HKEY Create(HKEY root, const wchar_t* path, REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, &key, nullptr), ERROR_SUCCESS);
        open_.push_back(key);
        return key;
    }

    LONG Open(HKEY root, const wchar_t* path, HKEY& key, REGSAM access = KEY_READ) {
        const LONG result = RegOpenKeyExW(root, path, 0, access, &key);
        if (result == ERROR_SUCCESS) {
            open_.push_back(key);
        }
        return result;
    }

    static LONG SetString(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
        return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    static LONG SetDword(HKEY key, const wchar_t* name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

    // The string value, or the error code as text.
    static std::wstring GetString(HKEY key, const wchar_t* name) {
        wchar_t buffer[256];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        const LONG result =
            RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        return result == ERROR_SUCCESS ? std::wstring(buffer) : L"error " + std::to_wstring(result);
    }

    TempRegistryDir dir_;
    std::vector<HKEY> open_;
};

} // namespace

TEST_F(Registry, ValuesAreStoredInTheHiveFileInRegeditForm) {
    const HKEY key = Create(HKEY_CURRENT_USER, L"Software\\\\Vantrel\\Vantrel Sorvanta");
    ASSERT_EQ(SetString(key, L"KOVA.LogDir", L"C:\\Logs"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, L"KOVA.Log.Diag", 1), ERROR_SUCCESS);
    EXPECT_EQ(TempRegistryDir::ReadFile(dir_.UserFile()),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Vantrel]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Vantrel\\Vantrel Sorvanta]\n"
              "\"KOVA.LogDir\"=\"C:\\\\Logs\"\n"
              "\"KOVA.Log.Diag\"=dword:00000001\n"
              "\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.MachineFile()));
}

TEST_F(Registry, QueryReportsTheSizeItNeeds) {
    const HKEY key = Create(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KOVA");
    const std::wstring text(300, L'x');
    ASSERT_EQ(SetString(key, L"Long", text), ERROR_SUCCESS);
    const DWORD needed = 301 * sizeof(wchar_t);

    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"long", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, REG_SZ);

    std::vector<wchar_t> small(260);
    size = 260 * sizeof(wchar_t);
    EXPECT_EQ(RegQueryValueExW(key, L"Long", nullptr, &type, reinterpret_cast<BYTE*>(small.data()), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);

    std::vector<wchar_t> big(301);
    EXPECT_EQ(RegQueryValueExW(key, L"Long", nullptr, &type, reinterpret_cast<BYTE*>(big.data()), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(big.data()), text);
    EXPECT_EQ(RegQueryValueExW(key, L"Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, StringsWithoutTerminatorGetOne) {
    const HKEY key = Create(HKEY_CURRENT_USER, L"S");
    const std::wstring text = L"abc";
    ASSERT_EQ(RegSetValueExW(key, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4 * sizeof(wchar_t));
    EXPECT_EQ(GetString(key, L"v"), L"abc");
}

TEST_F(Registry, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
    const HKEY key = Create(HKEY_CURRENT_USER, L"Software\\MixedCase");
    ASSERT_EQ(SetString(key, L"ValueName", L"one"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, L"VALUENAME", L"two"), ERROR_SUCCESS);
    HKEY again = nullptr;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, L"SOFTWARE\\mixedcase", again), ERROR_SUCCESS);
    EXPECT_EQ(GetString(again, L"valuename"), L"two");
    const std::string file = TempRegistryDir::ReadFile(dir_.UserFile());
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\MixedCase]\n\"ValueName\"=\"two\""),
              std::string::npos);
}

TEST_F(Registry, CreateTellsWhetherTheKeyIsNew) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, L"A\\B", 0, nullptr, 0, KEY_READ, nullptr, &key, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, L"a\\b", 0, nullptr, 0, KEY_READ, nullptr, &key, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"A\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
}

TEST_F(Registry, AccessIsCheckedAgainstWhatTheHandleWasOpenedFor) {
    Create(HKEY_CURRENT_USER, L"K");
    HKEY readOnly = nullptr;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, L"K", readOnly, KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(readOnly, L"v", 1), ERROR_ACCESS_DENIED);
    HKEY writeOnly = nullptr;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, L"K", writeOnly, KEY_WRITE), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(writeOnly, L"v", 1), ERROR_SUCCESS);
    EXPECT_EQ(GetString(writeOnly, L"v"), L"error 5");
}

TEST_F(Registry, AHandleOfADeletedKeyFailsEvenWhenTheKeyIsMadeAgain) {
    const HKEY settings = Create(HKEY_CURRENT_USER, L"Software\\Vantrel\\Product");
    ASSERT_EQ(SetString(settings, L"v", L"1"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantrel"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(settings, L"v"), L"error 1018");
    EXPECT_EQ(SetString(settings, L"v", L"2"), ERROR_KEY_DELETED);

    Create(HKEY_CURRENT_USER, L"Software\\Vantrel\\Product");
    EXPECT_EQ(GetString(settings, L"v"), L"error 1018");
    HKEY reopened = nullptr;
    EXPECT_EQ(Open(settings, L"", reopened), ERROR_KEY_DELETED);
}

TEST_F(Registry, AKeyRemovedFromTheFileByAnotherWriterIsDeletedForOpenHandles) {
    const HKEY kept = Create(HKEY_CURRENT_USER, L"Kept");
    const HKEY removed = Create(HKEY_CURRENT_USER, L"Removed");
    ASSERT_EQ(SetString(kept, L"v", L"old"), ERROR_SUCCESS);
    TempRegistryDir::WriteFile(dir_.UserFile(), "Windows Registry Editor Version 5.00\n\n"
                                                "[HKEY_CURRENT_USER\\Kept]\n\"v\"=\"new\"\n");
    EXPECT_EQ(GetString(kept, L"v"), L"new");
    EXPECT_EQ(GetString(removed, L"v"), L"error 1018");
}

TEST_F(Registry, ClosedAndUnknownHandlesAreInvalid) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, L"v", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, DeleteKeyRefusesAKeyWithSubkeysAndDeleteTreeDoesNot) {
    const HKEY parent = Create(HKEY_CURRENT_USER, L"P");
    Create(HKEY_CURRENT_USER, L"P\\C\\G");
    ASSERT_EQ(SetDword(parent, L"v", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"P\\C"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"P\\C\\G"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"P\\C\\G"), ERROR_FILE_NOT_FOUND);
    Create(HKEY_CURRENT_USER, L"P\\C\\G");
    EXPECT_EQ(RegDeleteTreeW(parent, nullptr), ERROR_SUCCESS);
    HKEY child = nullptr;
    EXPECT_EQ(Open(parent, L"C", child), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetString(parent, L"v"), L"error 2");
    EXPECT_EQ(RegDeleteValueW(parent, L"v"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, EnumerationListsSubkeysByNameAndValuesInOrder) {
    const HKEY key = Create(HKEY_CURRENT_USER, L"E");
    for (const wchar_t* name : {L"b", L"C", L"a"}) {
        Create(key, name);
        SetString(key, name, name);
    }
    std::vector<std::wstring> keys, values;
    wchar_t name[16];
    DWORD length = 16;
    for (DWORD i = 0;
         RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 16) {
        keys.emplace_back(name, length);
    }
    for (DWORD i = 0;
         RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 16) {
        values.emplace_back(name, length);
    }
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"a", L"b", L"C"}));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"b", L"C", L"a"}));
    length = 1;
    EXPECT_EQ(RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    length = 16;
    EXPECT_EQ(RegEnumKeyExW(key, 3, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(Registry, ClassesRootReadsTheUserFirstAndWritesTheMachineUnlessTheUserHasTheKey) {
    const HKEY machine = Create(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Shared");
    const HKEY user = Create(HKEY_CURRENT_USER, L"Software\\Classes\\Shared");
    SetString(machine, L"", L"machine");
    SetString(machine, L"OnlyMachine", L"m");
    SetString(user, L"", L"user");

    HKEY shared = nullptr;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, L"shared", shared, KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(GetString(shared, nullptr), L"user");
    EXPECT_EQ(GetString(shared, L"OnlyMachine"), L"m");
    ASSERT_EQ(SetString(shared, L"Written", L"w"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(user, L"Written"), L"w");

    // A key that is new goes to the machine's classes.
    const HKEY fresh = Create(HKEY_CLASSES_ROOT, L"CLSID\\{1F70C760-CD0B-461A-87E0-7CB06119C11D}");
    ASSERT_EQ(SetString(fresh, nullptr, L"class"), ERROR_SUCCESS);
    HKEY inMachine = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\{1F70C760-CD0B-461A-87E0-7CB06119C11D}",
                   inMachine),
              ERROR_SUCCESS);
    EXPECT_EQ(GetString(inMachine, nullptr), L"class");

    wchar_t name[64];
    DWORD length = 64;
    std::vector<std::wstring> keys;
    for (DWORD i = 0; RegEnumKeyExW(HKEY_CLASSES_ROOT, i, name, &length, nullptr, nullptr, nullptr,
                                    nullptr) == ERROR_SUCCESS;
         ++i, length = 64) {
        keys.emplace_back(name);
    }
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"CLSID", L"Shared"}));
    ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Shared"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(shared, nullptr), L"machine"); // the user's copy went first
}

TEST_F(Registry, AMalformedHiveIsReportedKeptAndNeverOverwritten) {
    const std::string text = "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_CURRENT_USER\\Software\\KOVA]\n"
                             "\"Good\"=\"kept\"\n"
                             "\"Bad\"=dword:nothex\n";
    TempRegistryDir::WriteFile(dir_.UserFile(), text);
    HKEY key = nullptr;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, L"Software\\KOVA", key, KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key, L"Good"), L"kept");
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find(dir_.UserFile() + ":5:"), std::string::npos) << reported[0];

    EXPECT_EQ(SetString(key, L"Good", L"changed"), ERROR_BADDB);
    HKEY other = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
        ERROR_BADDB);
    EXPECT_EQ(TempRegistryDir::ReadFile(dir_.UserFile()), text);
    EXPECT_EQ(reported.size(), 1u); // reported once, not on every call

    // Once fixed by hand, the hive is written again.
    TempRegistryDir::WriteFile(dir_.UserFile(), "Windows Registry Editor Version 5.00\n\n"
                                                "[HKEY_CURRENT_USER\\Software\\KOVA]\n\"Good\"=\"kept\"\n");
    EXPECT_EQ(SetString(key, L"Good", L"changed"), ERROR_SUCCESS);
    // The machine hive is unaffected throughout.
    EXPECT_NE(Create(HKEY_LOCAL_MACHINE, L"Software\\KOVA"), nullptr);
}

TEST_F(Registry, ConcurrentWriterProcessesLoseNothing) {
    Create(HKEY_CURRENT_USER, L"Software\\Concurrent");
    constexpr int kWriters = 6, kValuesEach = 40;
    ASSERT_TRUE(RunInChildProcesses(kWriters, [](int writer) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Concurrent", 0, KEY_ALL_ACCESS, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        for (int i = 0; i < kValuesEach; ++i) {
            const std::wstring name = L"w" + std::to_wstring(writer) + L"." + std::to_wstring(i);
            if (SetDword(key, name.c_str(), static_cast<DWORD>(writer * 1000 + i)) != ERROR_SUCCESS) {
                return false;
            }
        }
        return RegCloseKey(key) == ERROR_SUCCESS;
    }));
    HKEY key = nullptr;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, L"Software\\Concurrent", key), ERROR_SUCCESS);
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kValuesEach; ++i) {
            const std::wstring name = L"w" + std::to_wstring(writer) + L"." + std::to_wstring(i);
            DWORD value = 0, size = sizeof value;
            ASSERT_EQ(
                RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
                ERROR_SUCCESS);
            EXPECT_EQ(value, static_cast<DWORD>(writer * 1000 + i));
        }
    }
    EXPECT_TRUE(reported.empty());
}
