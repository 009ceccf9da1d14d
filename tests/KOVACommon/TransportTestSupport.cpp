#include "tests/KOVACommon/TransportTestSupport.h"

#include "Platform/LibLoaderApi.h"
#include "Platform/Utf.h"
#include "Platform/WinReg.h"
#include "Platform/WinUser.h"
#include "VantrelCommon/ResourceLibraries.h"
#include "tests/Support/TempRegistryDir.h"

namespace TransportTest {

namespace {

// One registry for the whole test process: the settings object opens its keys once.
const bool registryReady = (TestSupport::UseProcessTestRegistry(), true);

HMODULE LoadResourceModule(const wchar_t* name) {
    const std::wstring path = Platform::Utf8ToWide(KOVA_BIN_DIR) + L"/" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

// The error texts live in the common resource module, the user-agent text in the brand module.
const bool resourcesReady = [] {
    GetCommonResources() = LoadResourceModule(L"KOVACommonResources32.dll");
    GetBrandResources() = LoadResourceModule(L"KOVABrandResources32.dll");
    return GetCommonResources() != nullptr && GetBrandResources() != nullptr;
}();

constexpr const wchar_t* kSettingsPath = L"SOFTWARE\\Vantrel\\Vantrel Sorvanta";

HKEY OpenSettings() {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsPath, 0, nullptr, 0,
                                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
    return key;
}

} // namespace

void SetDwordSetting(const wchar_t* name, DWORD value) {
    HKEY key = OpenSettings();
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)));
    RegCloseKey(key);
}

void SetStringSetting(const wchar_t* name, const wchar_t* value) {
    HKEY key = OpenSettings();
    const std::wstring text(value);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
    RegCloseKey(key);
}

void DeleteSetting(const wchar_t* name) {
    HKEY key = OpenSettings();
    (void)RegDeleteValueW(key, name);
    RegCloseKey(key);
}

std::wstring ReadStringSetting(const wchar_t* name) {
    HKEY key = OpenSettings();
    wchar_t buffer[512] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    const LSTATUS status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::wstring(buffer) : std::wstring();
}

LogRecords::LogRecords()
    : errorEnabled_(LSDiag::errorEnabled), diagEnabled_(LSDiag::diagEnabled), verbosity_(FLAGS_v) {
    FLAGS_v = 1;
    LSDiag::errorEnabled = true;
    LSDiag::diagEnabled = true;
    google::AddLogSink(this);
}

LogRecords::~LogRecords() {
    google::RemoveLogSink(this);
    LSDiag::errorEnabled = errorEnabled_;
    LSDiag::diagEnabled = diagEnabled_;
    FLAGS_v = verbosity_;
}

void LogRecords::send(google::LogSeverity, const char*, const char*, int, const google::LogMessageTime&,
                      const char* message, size_t length) {
    records_.emplace_back(message, length);
}

bool LogRecords::Contains(const std::string& text) const {
    return All().find(text) != std::string::npos;
}

std::string LogRecords::All() const {
    std::string all;
    for (const std::string& record : records_) {
        all += record + "\n";
    }
    return all;
}

TransportFixture::TransportFixture() : informer(Host::LSShutdownInformer::Create()) {
    DeleteSetting(L"SharepointSync.HealthScoreLightSyncEndTime");
    // A finished request leaves its last state-change message in the thread's queue, which the next
    // wait's first pass dispatches instead of waiting: each test starts with an empty queue, so that
    // the passes it counts do not depend on the tests that ran before it.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TransportFixture::~TransportFixture() {
    informer->Release();
}

} // namespace TransportTest
