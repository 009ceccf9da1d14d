// A test host around one TestRepositoryFilter: property maps, an informer and a temporary folder.
#pragma once

#include "Host/PropertyMap.h"
#include "Host/ShutdownInformer.h"
#include "tests/KOVACommon/TestRepositoryFilter.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace TestSupport {

struct ComReleaser {
    template <class T> void operator()(T* object) const { object->Release(); }
};
template <class T> using Owned = std::unique_ptr<T, ComReleaser>;

inline Owned<Host::LSMemoryPropertyMap> NewMap() {
    return Owned<Host::LSMemoryPropertyMap>(Host::LSMemoryPropertyMap::Create());
}

// The string property, or nullopt when it is missing or of another type.
inline std::optional<std::wstring> StrProp(const Host::LSMemoryPropertyMap& map, const std::wstring& name) {
    const Host::PropertyValue* value = map.Find(name);
    if (value == nullptr || !std::holds_alternative<std::wstring>(*value)) {
        return std::nullopt;
    }
    return std::get<std::wstring>(*value);
}

inline std::optional<LONG> NumProp(const Host::LSMemoryPropertyMap& map, const std::wstring& name) {
    const Host::PropertyValue* value = map.Find(name);
    if (value == nullptr || !std::holds_alternative<LONG>(*value)) {
        return std::nullopt;
    }
    return std::get<LONG>(*value);
}

inline std::optional<DATE> DateProp(const Host::LSMemoryPropertyMap& map, const std::wstring& name) {
    const Host::PropertyValue* value = map.Find(name);
    if (value == nullptr || !std::holds_alternative<Host::DateValue>(*value)) {
        return std::nullopt;
    }
    return std::get<Host::DateValue>(*value).value;
}

inline std::optional<BYTE> FlagProp(const Host::LSMemoryPropertyMap& map, const std::wstring& name) {
    const Host::PropertyValue* value = map.Find(name);
    if (value == nullptr || !std::holds_alternative<BYTE>(*value)) {
        return std::nullopt;
    }
    return std::get<BYTE>(*value);
}

inline SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

inline DATE DateOf(const SYSTEMTIME& time) {
    DATE date = 0.0;
    SystemTimeToVariantTime(const_cast<SYSTEMTIME*>(&time), &date);
    return date;
}

class FilterTest : public ::testing::Test {
protected:
    FilterTest() : filter(TestRepositoryFilter::Create()), folder(NewMap()), mainFolder(NewMap()) {
        folder->Set(L"Mavisto.FolderLocation", std::wstring(L"test://root"));
    }

    // The host's interfaces, as it reaches them.
    ILSSyncFilter2* Sync() { return filter.get(); }
    ILSDeleteableSyncFilter* Deleteable() { return filter.get(); }
    ILSManualDeletionsSyncFilter* Deletions() { return filter.get(); }
    ILSCreateableFolderSyncFilter* Creatable() { return filter.get(); }
    ILSHeaderOnlySync* HeaderOnly() { return filter.get(); }
    ILSNeedsShutdownInfo* ShutdownInfo() { return filter.get(); }

    TestDocument& AddDocument(const std::wstring& listedName, const std::wstring& key, ULONG version,
                              std::optional<SYSTEMTIME> lastModified,
                              const std::string& content = "content") {
        filter->documents.push_back({listedName, key, version, lastModified, content, {}});
        return filter->documents.back();
    }

    // Starts a pass on the folder map and lists it (documents and sub-folders).
    void StartFolderPass(VARIANT_BOOL excludeDocuments = VARIANT_FALSE,
                         VARIANT_BOOL excludeSubFolders = VARIANT_FALSE) {
        ASSERT_EQ(Sync()->raw_StartSync(0, mainFolder.get()), S_OK);
        ASSERT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, excludeDocuments,
                                                excludeSubFolders, 7, VARIANT_TRUE),
                  S_OK);
    }

    std::wstring LocalPath(const std::string& name) const { return (temp.path() / name).wstring(); }

    Owned<TestRepositoryFilter> filter;
    Owned<Host::LSMemoryPropertyMap> folder;
    Owned<Host::LSMemoryPropertyMap> mainFolder;
    TempDirectory temp;
};

} // namespace TestSupport
