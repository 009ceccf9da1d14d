// Finding and loading the resource libraries and the brand texts, in child processes: the install
// directory and the brand table are read once per process.
#include "VantrelCommon/ResourceLibraries.h"
#include "Platform/ComError.h"
#include "Platform/LibLoaderApi.h"
#include "Platform/Utf.h"
#include "Platform/WinError.h"
#include "VantrelCommon/BrandTexts.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

const fs::path kTestModules = KOVA_TEST_RESOURCE_DIR;
const fs::path kBuiltModules = KOVA_BUILT_RESOURCE_DIR;

std::wstring Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? Platform::Utf8ToWide(value) : std::wstring();
}

HMODULE LoadTestModule(const char* name) {
    return LoadLibraryExW((kTestModules / name).wstring().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

CStdStr<wchar_t> Load(UINT id) {
    CStdStr<wchar_t> text;
    text.LoadString(id);
    return text;
}

KOVA_CHILD_SCENARIO(BrandTexts) {
    GetLanguageResources() = LoadTestModule("Language.dll");
    GetCommonResources() = LoadTestModule("Common.dll");
    GetBrandResources() = LoadTestModule("Brand.dll");
    GetBrandPlaceholderReplacer() = ReplaceBrandPlaceholders;
    const std::wstring store = Environment("KOVA_TEST_EXPECT_STORE");
    EXPECT_EQ(Load(8), L"Welcome to Long Name; the store is " + store + L". Long Name!");
    EXPECT_EQ(Load(9), L"Edition One/Ed2/Engine/www.example.test/AppDir/Store Name");
    EXPECT_EQ(Load(10), L"!!IDS_BRAND_UNKNOWN!! stays");
    CStdStr<wchar_t> text =
        L"Product: !!IDS_BRAND_PRODUCTNAME_REALLY_SHORT!!!!IDS_BRAND_PRODUCTNAME_REALLY_SHORT!!";
    EXPECT_EQ(ReplaceBrandPlaceholders(text), L"Product: ShortShort");
    EXPECT_EQ(GetUserAgent(), Environment("KOVA_TEST_EXPECT_AGENT"));
}

TEST(BrandTexts, PlaceholdersBecomeBrandStrings) {
    TestSupport::TempDirectory work;
    const auto result = ChildScenarios::Run(
        "BrandTexts", work,
        {{}, {{"KOVA_TEST_EXPECT_STORE", "Short"}, {"KOVA_TEST_EXPECT_AGENT", "TestAgent/24.04.0 (17891)"}}});
    EXPECT_EQ(result.exitCode, 0) << result.output;
}

TEST(BrandTexts, StoreNameAndUserAgentFollowTheSettings) {
    TestSupport::TempDirectory work;
    const auto result = ChildScenarios::Run(
        "BrandTexts", work,
        {{{"OverrideMessageStoreName", std::string("Team Archive")}, {"KOVA.UseKOVAUserAgent", 0u}},
         {{"KOVA_TEST_EXPECT_STORE", "Team Archive"}, {"KOVA_TEST_EXPECT_AGENT", ""}}});
    EXPECT_EQ(result.exitCode, 0) << result.output;
}

// An install tree: the real common and brand libraries, and the German language library under the
// name of the language asked for.
fs::path MakeInstallTree(const TestSupport::TempDirectory& work, const std::string& language) {
    const fs::path install = work.path() / "install";
    fs::create_directories(install / language);
    fs::copy_file(kBuiltModules / "KOVACommonResources32.dll", install / "KOVACommonResources32.dll");
    fs::copy_file(kBuiltModules / "KOVABrandResources32.dll", install / "KOVABrandResources32.dll");
    fs::copy_file(kBuiltModules / "de" / "KOVAMeridioSync64-de.dll",
                  install / language / ("KOVAMeridioSync64-" + language + ".dll"));
    // Never used: the language library has no generic fallback.
    fs::copy_file(kBuiltModules / "de" / "KOVAMeridioSync64-de.dll", install / "KOVAMeridioSync64.dll");
    return install;
}

KOVA_CHILD_SCENARIO(InstalledLibraries) {
    GetLanguageResources() = LoadLanguageResources(L"KOVAMeridioSync64");
    GetCommonResources() = LoadUsersCommonResources(L"");
    GetBrandResources() = LoadBrandResources(L"");
    GetBrandPlaceholderReplacer() = ReplaceBrandPlaceholders;
    ASSERT_NE(GetLanguageResources(), nullptr);
    ASSERT_NE(GetCommonResources(), nullptr);
    ASSERT_NE(GetBrandResources(), nullptr);
    EXPECT_EQ(Load(4264), L"Ausgecheckt");
    EXPECT_EQ(Load(4075).rfind(L"Sorvanta could not save the file", 0), 0u) << Load(4075).c_str();
    EXPECT_EQ(GetUserAgent(), L"Vantrel-Sorvanta/24.04.0 (17891)");

    EXPECT_EQ(LoadLanguageResources(L"NoSuchModule"), nullptr);
    try {
        FindLocalizedFile(L"NoSuchModule", L"dll", true, L"");
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_INVALIDARG);
    }
    EXPECT_EQ(LoadUsersCommonResources(L"KOVA.Test.EmptyDirectory"), nullptr);
}

TEST(ResourceLibraries, LanguageLibraryComesFromTheLanguageFolder) {
    for (const char* language : {"de", "fr"}) {
        TestSupport::TempDirectory work;
        const fs::path install = MakeInstallTree(work, language);
        const auto result =
            ChildScenarios::Run("InstalledLibraries", work,
                                {{{"InstallDir", install.string() + "/"},
                                  {"OverrideLangId", std::string(language)},
                                  {"KOVA.Test.EmptyDirectory", (work.path() / "empty/").string()}},
                                 {}});
        EXPECT_EQ(result.exitCode, 0) << language << "\n" << result.output;
    }
}

TEST(BrandPlaceholders, ShortOrUnmarkedTextsAreNotExamined) {
    for (const wchar_t* text : {L"", L"!!IDS_BRAN", L"no placeholder here at all", L"!!IDS_BRAN!!"}) {
        CStdStr<wchar_t> same = text;
        EXPECT_EQ(&ReplaceBrandPlaceholders(same), &same);
        EXPECT_EQ(same, text);
    }
}

} // namespace
