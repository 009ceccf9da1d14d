// The string lookup over the four resource modules, with small modules built by the resource tool.
#include "Platform/LibLoaderApi.h"
#include "Platform/Utf.h"
#include "VantrelCommon/ResourceLibraries.h"
#include "VantrelCommon/StdString.h"

#include <gtest/gtest.h>

namespace {

HMODULE LoadTestModule(const wchar_t* name) {
    const std::wstring path = Platform::Utf8ToWide(KOVA_TEST_RESOURCE_DIR) + L"/" + name;
    HMODULE module =
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    EXPECT_NE(module, nullptr) << path.c_str();
    return module;
}

// Installs the test modules as the four libraries and puts the process's own back afterwards.
class ResourceLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetLanguageResources() = LoadTestModule(L"Language.dll");
        GetModuleInstance() = GetModuleHandleW(nullptr);
        GetCommonResources() = LoadTestModule(L"Common.dll");
        GetBrandResources() = LoadTestModule(L"Brand.dll");
        GetBrandPlaceholderReplacer() = nullptr;
    }
    void TearDown() override {
        Restore(GetLanguageResources(), savedLanguage_);
        Restore(GetCommonResources(), savedCommon_);
        Restore(GetBrandResources(), savedBrand_);
        GetModuleInstance() = savedInstance_;
        GetBrandPlaceholderReplacer() = savedReplacer_;
    }

    static CStdStr<wchar_t> Load(UINT id) {
        CStdStr<wchar_t> text = L"previous";
        EXPECT_EQ(text.LoadString(id), true) << id;
        return text;
    }

private:
    static void Restore(HMODULE& module, HMODULE saved) {
        if (module != nullptr) {
            FreeLibrary(module);
        }
        module = saved;
    }

    HMODULE savedLanguage_ = GetLanguageResources();
    HMODULE savedCommon_ = GetCommonResources();
    HMODULE savedBrand_ = GetBrandResources();
    HINSTANCE savedInstance_ = GetModuleInstance();
    BrandPlaceholderReplacer savedReplacer_ = GetBrandPlaceholderReplacer();
};

TEST_F(ResourceLookupTest, LanguageThenOwnThenCommonThenBrand) {
    EXPECT_EQ(Load(1), L"language 1");
    EXPECT_EQ(Load(2), L"own 2");
    EXPECT_EQ(Load(3), L"common 3");
    EXPECT_EQ(Load(4), L"brand 4");
    EXPECT_EQ(Load(7), L"own 7") << "an empty string does not stop the lookup";
    EXPECT_EQ(CStdStr<wchar_t>(4u), L"brand 4");
}

TEST_F(ResourceLookupTest, StringNoModuleHasIsEmpty) {
    CStdStr<wchar_t> text = L"previous";
    EXPECT_FALSE(text.LoadString(5));
    EXPECT_EQ(text, L"");
    EXPECT_FALSE(text.LoadString(60000));
    EXPECT_EQ(text, L"");
}

TEST_F(ResourceLookupTest, ModulesNotLoadedAreSkipped) {
    FreeLibrary(GetLanguageResources());
    GetLanguageResources() = nullptr;
    EXPECT_EQ(Load(1), L"own 1");
    GetModuleInstance() = nullptr;
    EXPECT_EQ(Load(1), L"common 1");
}

TEST_F(ResourceLookupTest, LoadedStringsPassThroughTheReplacer) {
    GetBrandPlaceholderReplacer() = [](CStdStr<wchar_t>& text) -> CStdStr<wchar_t>& {
        text.replace(0, 6, L"shared");
        return text;
    };
    EXPECT_EQ(Load(3), L"shared 3");
}

} // namespace
