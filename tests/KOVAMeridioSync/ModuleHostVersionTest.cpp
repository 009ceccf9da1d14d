// The once-per-process check of the plug-in's version against the host engine library's. Each
// scenario runs in a child process of its own, with the system directory pointed at a folder
// holding a stand-in KOVA32.dll of the scenario's version.
#include "KOVAMeridioSync/KOVAMeridioFieldInfo.h"
#include "Platform/Unknwn.h"
#include "Platform/WinError.h"
#include "tests/KOVAMeridioSync/LoadedPlugin.h"
#include "tests/Support/ChildProcess.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using TestSupport::LoadedPlugin;

constexpr char kExpectedVariable[] = "KOVA_TEST_EXPECTED_CLASS_OBJECT_RESULT";

// Run only as a child: every request of the process gets the expected answer, and a refused one
// leaves the out pointer as it was.
TEST(ModuleHostVersionChild, EveryRequestOfTheProcessGetsTheSameAnswer) {
    const char* expectedText = std::getenv(kExpectedVariable);
    if (expectedText == nullptr) {
        GTEST_SKIP() << "runs as a child of ModuleHostVersionTest";
    }
    const HRESULT expected = static_cast<HRESULT>(std::stoul(expectedText, nullptr, 16));
    for (int request = 0; request < 3; ++request) {
        void* const untouched = reinterpret_cast<void*>(0x5a5a);
        void* out = untouched;
        const HRESULT hr =
            LoadedPlugin::Get().DllGetClassObject(CLSID_KOVAMeridioFieldInfo, IID_IClassFactory, &out);
        EXPECT_EQ(expected, hr) << "request " << request;
        if (FAILED(hr)) {
            EXPECT_EQ(untouched, out);
        } else {
            static_cast<IUnknown*>(out)->Release();
        }
    }
}

struct VersionCase {
    const char* name;
    const char* systemDirectory; // under KOVA_HOST_VERSIONS_DIR; null: a folder without KOVA32.dll
    HRESULT expected;
};

class ModuleHostVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(ModuleHostVersionTest, ClassObjectsAreHandedOutOnlyForTheHostsVersion) {
    TestSupport::TempDirectory work;
    const std::string systemDirectory =
        GetParam().systemDirectory != nullptr
            ? std::string(KOVA_HOST_VERSIONS_DIR "/") + GetParam().systemDirectory
            : work.path().string();
    char expected[16];
    std::snprintf(expected, sizeof expected, "%08X", static_cast<unsigned>(GetParam().expected));
    const TestSupport::ChildResult child = TestSupport::RunSelfAsChild(
        "ModuleHostVersionChild.*", {{"KOVA_SYSTEM_DIR", systemDirectory}, {kExpectedVariable, expected}},
        work.path() / "stdout.txt", work.path() / "stderr.txt");
    EXPECT_EQ(0, child.exitCode) << std::ifstream(work.path() / "stdout.txt").rdbuf();
}

INSTANTIATE_TEST_SUITE_P(HostVersions, ModuleHostVersionTest,
                         testing::Values(VersionCase{"SameVersion", "same", S_OK},
                                         VersionCase{"OtherRevision", "revision", S_OK},
                                         VersionCase{"OtherMajor", "major", E_INVALIDARG},
                                         VersionCase{"OtherMinor", "minor", E_INVALIDARG},
                                         VersionCase{"OtherBuild", "build", E_INVALIDARG},
                                         VersionCase{"NoHostLibrary", nullptr, E_INVALIDARG}),
                         [](const testing::TestParamInfo<VersionCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
