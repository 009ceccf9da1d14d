#include "VantrelCommon/ResourceLibraries.h"
#include "tests/Support/InstalledLocale.h"
#include "tests/Support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace {

using TestSupport::ScopedEnvironment;

TEST(FormatLocalDateTime, ShortDateThenTimeWithoutSeconds) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    ScopedEnvironment all("LC_ALL", std::nullopt);
    ScopedEnvironment ctype("LC_CTYPE", std::nullopt);
    ScopedEnvironment time("LC_TIME", std::nullopt);
    const SYSTEMTIME when{2024, 3, 2, 5, 7, 8, 9, 0};
    {
        ScopedEnvironment lang("LANG", "de_DE.UTF-8");
        const CStdStr<wchar_t> german = FormatLocalDateTime(when);
        EXPECT_NE(german.find(L"05.03.2024 "), std::wstring::npos) << german.c_str();
        EXPECT_NE(german.find(L"07:08"), std::wstring::npos) << german.c_str();
        EXPECT_EQ(german.find(L"07:08:09"), std::wstring::npos) << "no seconds";
    }
    ScopedEnvironment lang("LANG", "en_US.UTF-8");
    const CStdStr<wchar_t> american = FormatLocalDateTime(when);
    EXPECT_NE(american.find(L"3/5/2024 "), std::wstring::npos) << american.c_str();
    EXPECT_EQ(american.find(L":09"), std::wstring::npos) << american.c_str();
}

} // namespace
