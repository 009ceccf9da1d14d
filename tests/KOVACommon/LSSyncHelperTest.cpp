#include "KOVACommon/LSSyncHelper.h"
#include "Host/PropertyMap.h"
#include "VantrelCommon/ResourceLibraries.h"
#include "tests/KOVACommon/FakeFieldInfo.h"
#include "tests/Support/InstalledLocale.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRegistryDir.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

using Host::LSMemoryPropertyMap;
using TestSupport::FakeFieldInfo;
using TestSupport::ScopedEnvironment;

DATE DateOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{year, month, 0, day, hour, minute, second, 0};
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

TEST(SyncHelperDates, ServerDateTextDropsMilliseconds) {
    const SYSTEMTIME time{2024, 3, 2, 5, 7, 8, 9, 123};
    EXPECT_EQ(SystemTimesToSharePointDateString(time), L"2024-03-05T07:08:09Z");
    EXPECT_EQ(VariantTimeToDateString(DateOf(2024, 3, 5, 7, 8, 9), L" "), L"2024-03-05 07:08:09");
    VARIANT date{};
    date.vt = VT_DATE;
    date.date = DateOf(2024, 12, 31, 23, 59, 58);
    EXPECT_EQ(VariantTimeToSharePointDateString(date), L"2024-12-31T23:59:58Z");
}

TEST(SyncHelperDates, ParseDateStringAcceptsServerTextsOnly) {
    ScopedEnvironment zone("TZ", "UTC");
    ScopedEnvironment locale("LC_ALL", "en_GB.UTF-8");
    const SYSTEMTIME expected{2024, 3, 2, 5, 7, 8, 9, 0};
    for (const wchar_t* text :
         {L"2024-03-05T07:08:09Z", L" 2024-03-05T07:08:09.5Z ", L"2024-03-05T07:08:09ZUTC"}) {
        CStdStr<wchar_t> input(text);
        CStdStr<wchar_t> local;
        EXPECT_TRUE(ParseDateString(input, local)) << text;
        EXPECT_EQ(local, FormatLocalDateTime(expected)) << text;
    }
    CStdStr<wchar_t> other(L" 05/03/2024 UTC");
    CStdStr<wchar_t> local;
    EXPECT_FALSE(ParseDateString(other, local));
    EXPECT_EQ(other, L" 05/03/2024 UTC");
}

TEST(SyncHelperDates, LongTextsAreNoServerDates) {
    // Field values of any length are judged without exhausting the stack.
    const std::wstring digits(1'000'000, L'1');
    for (const std::wstring& text : {digits, L"2024-03-05T07:08:09." + digits + L"Z"}) {
        CStdStr<wchar_t> local;
        EXPECT_FALSE(ParseDateString(CStdStr<wchar_t>(text), local));
        EXPECT_TRUE(local.empty());
    }
}

TEST(SyncHelperDates, ParseDateStringShowsLocalTime) {
    ScopedEnvironment zone("TZ", "Europe/Berlin");
    ScopedEnvironment locale("LC_ALL", "de_DE.UTF-8");
    CStdStr<wchar_t> input(L"2024-03-05T07:08:09Z");
    CStdStr<wchar_t> local;
    ASSERT_TRUE(ParseDateString(input, local));
    EXPECT_EQ(local, FormatLocalDateTime(SYSTEMTIME{2024, 3, 2, 5, 8, 8, 9, 0}));
}

TEST(SyncHelperDates, DateStringsBecomeDates) {
    VARIANT date{};
    ASSERT_TRUE(DateStringToVariantDate(L"2024-03-05T07:08:09Z", date));
    EXPECT_EQ(date.vt, VT_DATE);
    EXPECT_DOUBLE_EQ(date.date, DateOf(2024, 3, 5, 7, 8, 9));
    EXPECT_FALSE(DateStringToVariantDate(L"not a date", date));
}

// Settings made over a user store that cannot be read have no user key to save into.
KOVA_CHILD_SCENARIO(LightSyncWithoutAUserKey) {
    TestSupport::TempRegistryDir::WriteFile(
        std::string(std::getenv("KOVA_REGISTRY_DIR")) + "/HKEY_CURRENT_USER.reg", "not a registry file\n");
    EXPECT_FALSE(EnableLightSyncMode());
}

TEST(SyncHelperLightSync, AnEndTimeThatCannotBeSavedLeavesLightSyncOff) {
    const TestSupport::TempDirectory work;
    const ChildScenarios::Result result = ChildScenarios::Run("LightSyncWithoutAUserKey", work, {});
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
}

class SetFieldValueTest : public testing::Test {
protected:
    ~SetFieldValueTest() override {
        field->Release();
        map->Release();
    }
    HRESULT Set(const wchar_t* value) { return LSSyncHelper::setFieldValue(field, map, value); }
    const Host::PropertyValue* Stored() const { return map->Find(L"Doc----Type-Code"); }

    FakeFieldInfo* field = FakeFieldInfo::Create();
    LSMemoryPropertyMap* map = LSMemoryPropertyMap::Create();
    SetFieldValueTest() { field->displayName = L"Doc-Type_Code"; }
};

TEST_F(SetFieldValueTest, EmptyValueOrUntypedFieldStoresNothing) {
    EXPECT_EQ(Set(L""), S_OK);
    field->type = 0;
    EXPECT_EQ(Set(L"x"), S_OK);
    EXPECT_TRUE(map->Properties().empty());
}

TEST_F(SetFieldValueTest, TextTypesStoreTextAndServerDatesAsLocalText) {
    ScopedEnvironment zone("TZ", "UTC");
    ScopedEnvironment locale("LC_ALL", "en_GB.UTF-8");
    for (LONG type = 1; type <= 4; ++type) {
        field->type = type;
        ASSERT_EQ(Set(L"Quarterly report"), S_OK);
        EXPECT_EQ(std::get<std::wstring>(*Stored()), L"Quarterly report") << type;
    }
    ASSERT_EQ(Set(L"2024-03-05T07:08:09Z"), S_OK);
    EXPECT_EQ(std::get<std::wstring>(*Stored()), FormatLocalDateTime(SYSTEMTIME{2024, 3, 2, 5, 7, 8, 9, 0}));
    ASSERT_EQ(Set(L" 2024-03-05T07:08:09ZUTC"), S_OK);
    EXPECT_EQ(std::get<std::wstring>(*Stored()), FormatLocalDateTime(SYSTEMTIME{2024, 3, 2, 5, 7, 8, 9, 0}));
    // Text that is no date is stored as given.
    for (const wchar_t* text : {L"Report UTC", L"  indented ", L"UTC"}) {
        ASSERT_EQ(Set(text), S_OK);
        EXPECT_EQ(std::get<std::wstring>(*Stored()), text);
    }
}

TEST_F(SetFieldValueTest, DateTypeStoresADate) {
    field->type = 6;
    ASSERT_EQ(Set(L"2024-03-05T07:08:09Z"), S_OK);
    EXPECT_DOUBLE_EQ(std::get<Host::DateValue>(*Stored()).value, DateOf(2024, 3, 5, 7, 8, 9));
}

struct NumberCase {
    const char* userLocale;
    bool currency;
    bool percentage;
    LONG fieldLocale;
    const wchar_t* text;
    Host::PropertyValue stored; // a double or a currency amount
};

class NumberFieldTest : public SetFieldValueTest, public testing::WithParamInterface<NumberCase> {};

TEST_P(NumberFieldTest, StoresByTheLocaleRules) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE");
    const NumberCase& c = GetParam();
    ScopedEnvironment locale("LC_ALL", c.userLocale);
    field->type = 5;
    field->currency = c.currency;
    field->percentage = c.percentage;
    field->locale = c.fieldLocale;
    ASSERT_EQ(Set(c.text), S_OK);
    ASSERT_NE(Stored(), nullptr) << c.text;
    EXPECT_EQ(*Stored(), c.stored) << c.userLocale << " " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    LocaleRules, NumberFieldTest,
    testing::Values(
        // Plain numbers in the user's locale.
        NumberCase{"en_GB.UTF-8", false, false, 2057, L"1,234.5", 1234.5},
        NumberCase{"de_DE.UTF-8", false, false, 2057, L"1.234,5", 1234.5},
        // Percentages lose their trailing signs.
        NumberCase{"en_GB.UTF-8", false, true, 2057, L"12.5%", 12.5},
        NumberCase{"de_DE.UTF-8", false, true, 2057, L"12,5%%", 12.5},
        // Currency in the user's own locale: the symbol goes, the amount is exact.
        NumberCase{"en_GB.UTF-8", true, false, 2057, L"\u00A31,234.56", Host::CurrencyValue{12345600}},
        NumberCase{"de_DE.UTF-8", true, false, 1031, L"1.234,56 \u20AC", Host::CurrencyValue{12345600}},
        // Currency of another locale is read as a plain number of the user's locale.
        NumberCase{"de_DE.UTF-8", true, false, 2057, L"1234,56", 1234.56},
        NumberCase{"en_GB.UTF-8", true, false, 1031, L"1234.56", 1234.56}));

TEST_F(SetFieldValueTest, UnreadableNumberStoresNothing) {
    ScopedEnvironment locale("LC_ALL", "en_GB.UTF-8");
    field->type = 5;
    EXPECT_EQ(Set(L"twelve"), S_OK);
    EXPECT_EQ(Stored(), nullptr);
}

TEST_F(SetFieldValueTest, FailuresComeBackAsTheirHResult) {
    field->typeResult = E_ACCESSDENIED;
    EXPECT_EQ(Set(L"x"), E_ACCESSDENIED);
    field->typeResult = S_OK;
    map->Failures().Fail(Host::PropertyMapMethod::PutItemStr, E_OUTOFMEMORY);
    EXPECT_EQ(Set(L"x"), E_OUTOFMEMORY);
}

} // namespace
