#include "Platform/Registrar.h"

#include "Platform/WinError.h"
#include "tests/Platform/RegistryReading.h"
#include "tests/Support/TempRegistryDir.h"

#include <gtest/gtest.h>

using Platform::ApplyRegistryScript;
using TestSupport::KeyExists;
using TestSupport::ReadString;

namespace {

const wchar_t* const kScript = LR"(
HKCR
{
    NoRemove CLSID
    {
        ForceRemove {1F70C760-CD0B-461A-87E0-7CB06119C11D} = s 'Filter Class'
        {
            ForceRemove Programmable
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            Quoted = s 'it''s 100%% done'
            Count = d '42'
        }
    }
    Sample.ProgId.1 = s 'Filter Class'
    {
        CLSID = s '{1F70C760-CD0B-461A-87E0-7CB06119C11D}'
    }
}
)";

const std::wstring kClassKey = L"CLSID\\{1F70C760-CD0B-461A-87E0-7CB06119C11D}";

class RegistrarTest : public ::testing::Test {
protected:
    HRESULT Apply(const std::wstring& script, bool registering, bool perUser = false) {
        return ApplyRegistryScript(script, {{L"MODULE", L"/opt/kova/libfilter.so"}}, registering, perUser);
    }

    TestSupport::TempRegistryDir registry_;
};

TEST_F(RegistrarTest, RegistersKeysDefaultValuesNamedValuesAndReplacements) {
    ASSERT_EQ(S_OK, Apply(kScript, true));

    EXPECT_EQ(L"Filter Class", ReadString(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable"));
    EXPECT_EQ(L"/opt/kova/libfilter.so", ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment",
              ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"it's 100% done", ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\Quoted"));
    EXPECT_EQ(L"{1F70C760-CD0B-461A-87E0-7CB06119C11D}",
              ReadString(HKEY_CLASSES_ROOT, L"Sample.ProgId.1\\CLSID"));
    // Machine registration writes the machine's classes.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\" + kClassKey));
}

TEST_F(RegistrarTest, ForceRemoveDropsWhatAnEarlierRegistrationLeft) {
    ASSERT_EQ(S_OK,
              Apply(L"HKCR { NoRemove CLSID { " + kClassKey.substr(6) + L" { Stale = s 'x' } } }", true));
    ASSERT_EQ(S_OK, Apply(kScript, true));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\Stale"));
}

TEST_F(RegistrarTest, UnregisterRemovesItsKeysButKeepsNoRemoveKeysAndTheirOtherContent) {
    ASSERT_EQ(S_OK,
              Apply(L"HKCR { NoRemove CLSID { {00000000-0000-0000-0000-000000000001} = s 'other' } }", true));
    ASSERT_EQ(S_OK, Apply(kScript, true));

    ASSERT_EQ(S_OK, Apply(kScript, false));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Sample.ProgId.1"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\{00000000-0000-0000-0000-000000000001}"));
    // A second unregistration finds nothing to remove and still succeeds.
    EXPECT_EQ(S_OK, Apply(kScript, false));
}

TEST_F(RegistrarTest, PerUserRegistrationWritesTheUsersClasses) {
    ASSERT_EQ(S_OK, Apply(kScript, true, true));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\" + kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + kClassKey));

    ASSERT_EQ(S_OK, Apply(kScript, false, true));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\" + kClassKey));
}

TEST_F(RegistrarTest, MalformedScriptsAreRefusedAndWriteNothing) {
    const wchar_t* const cases[] = {
        L"HKCR { Key = s 'unterminated }",
        L"HKCR { Key = s '%UNKNOWN%' }",
        L"HKXX { Key }",
        L"HKCR { Key = q 'x' }",
        L"HKCR { Key = d 'twelve' }",
        L"HKCR { Key { val = s 'x' } }",
        L"HKCR { Key ",
    };
    for (const wchar_t* script : cases) {
        SCOPED_TRACE(testing::Message() << script);
        EXPECT_EQ(E_INVALIDARG, Apply(script, true));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Key"));
    }
}

} // namespace
