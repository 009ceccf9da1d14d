#include "tests/KOVACommon/FilterTestFixture.h"

namespace {

using namespace TestSupport;

const SYSTEMTIME Remote = Time(2024, 3, 5, 7, 8, 9);
const SYSTEMTIME Other = Time(2024, 3, 4, 7, 8, 9);

struct ChangeCase {
    const char* what;
    bool remoteDateKnown;
    std::optional<SYSTEMTIME> localDate;
    bool unchangedMarker;
    std::optional<std::wstring> storedVersion;
    ULONG listedVersion;
    std::wstring syncIssue;
    bool checkedOut;
    bool remoteUnchanged;
    HRESULT result;
    LONG code; // -1: not written
};

const ChangeCase ChangeCases[] = {
    {"no remote date", false, Remote, true, std::nullopt, 1, L"", false, false, E_FAIL, -1},
    {"just uploaded, local change", true, std::nullopt, false, std::nullopt, 1, L"", false, false, S_OK, 4},
    {"just uploaded, unchanged", true, std::nullopt, true, std::nullopt, 1, L"", false, false, S_OK, 1},
    {"same date, no version, local change", true, Remote, false, std::nullopt, 1, L"", false, false, S_OK, 2},
    {"same date, no version, unchanged", true, Remote, true, std::nullopt, 1, L"", false, false, S_OK, 0},
    {"same date and version, unchanged", true, Remote, true, L"7", 7, L"", false, false, S_OK, 0},
    {"same date and version, local change", true, Remote, false, L"7", 7, L"", false, false, S_OK, 2},
    {"same date, new version, unchanged", true, Remote, true, L"7", 8, L"", false, false, S_OK, 1},
    {"same date, new version, local change", true, Remote, false, L"7", 8, L"", false, false, S_OK, 4},
    {"new date, unchanged", true, Other, true, std::nullopt, 1, L"", false, false, S_OK, 1},
    {"new date, local change", true, Other, false, std::nullopt, 1, L"", false, false, S_OK, 4},
    {"new date, unchanged, CONFLICT mark", true, Other, true, std::nullopt, 1, L"CONFLICT", false, false,
     S_OK, 4},
    {"new date, unchanged, mark in lower case", true, Other, true, std::nullopt, 1, L"conflict", false, false,
     S_OK, 1},
    {"same date, checked out, unchanged", true, Remote, true, std::nullopt, 1, L"", true, false, S_OK, 1},
    {"same date, checked out, local change", true, Remote, false, std::nullopt, 1, L"", true, false, S_OK, 4},
    {"new date, remote unchanged, unchanged", true, Other, true, std::nullopt, 1, L"", false, true, S_OK, 0},
    {"new date, remote unchanged, local change", true, Other, false, std::nullopt, 1, L"", false, true, S_OK,
     2},
    {"new date, remote unchanged, new version", true, Other, true, L"7", 8, L"", false, true, S_OK, 1},
};

class ChangeDetection : public FilterTest {};

TEST_F(ChangeDetection, ChangeCodesFollowDatesVersionsAndMarks) {
    for (const ChangeCase& c : ChangeCases) {
        SCOPED_TRACE(c.what);
        filter->documents.clear();
        AddDocument(L"a.doc", L"docs/a.doc", c.listedVersion,
                    c.remoteDateKnown ? std::optional<SYSTEMTIME>(Remote) : std::nullopt);
        filter->knobs.checkedOut = c.checkedOut;
        filter->knobs.remoteUnchanged = c.remoteUnchanged;
        StartFolderPass();

        auto item = NewMap();
        if (c.localDate) {
            item->Set(L"RemoteFileLastModified", Host::DateValue{DateOf(*c.localDate)});
        }
        if (c.unchangedMarker) {
            item->Set(L"Mavisto.MessageIsUnchanged", LONG(1));
        }
        if (c.storedVersion) {
            item->Set(L"Mavisto.FromServerVersion", *c.storedVersion);
        }
        if (!c.syncIssue.empty()) {
            item->Set(L"Mavisto.SyncIssueType", c.syncIssue);
        }
        LONG code = -1;
        EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), c.result);
        EXPECT_EQ(code, c.code);
    }
}

TEST_F(ChangeDetection, RemoteDateIsAskedOncePerListing) {
    AddDocument(L"a.doc", L"docs/a.doc", 1, std::nullopt);
    StartFolderPass();
    auto item = NewMap();
    LONG code = -1;
    EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), E_FAIL);
    EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), E_FAIL);
    EXPECT_EQ(filter->CallCount("GetRemoteLastModified"), 1u);

    // A new listing asks again.
    ASSERT_EQ(Deleteable()->raw_DeleteItem(nullptr, nullptr), E_INVALIDARG); // marks the listing stale
    ASSERT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), E_FAIL);
    EXPECT_EQ(filter->CallCount("GetRemoteLastModified"), 2u);
}

TEST_F(ChangeDetection, UnreadableVersionTextFailsAndFailedPresenceQueryReachesTheBoundary) {
    AddDocument(L"a.doc", L"docs/a.doc", 7, Remote);
    StartFolderPass();
    auto item = NewMap();
    item->Set(L"RemoteFileLastModified", Host::DateValue{DateOf(Remote)});
    item->Set(L"Mavisto.FromServerVersion", std::wstring(L"7"));
    item->Failures().Fail(Host::PropertyMapMethod::GetItemStr, E_ACCESSDENIED, L"Mavisto.FromServerVersion");
    LONG code = -1;
    EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), E_FAIL);
    EXPECT_EQ(code, -1);

    item->Failures().Fail(Host::PropertyMapMethod::GetItemHasValue, E_UNEXPECTED);
    EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), E_UNEXPECTED);
    EXPECT_EQ(code, -1);
}

TEST_F(ChangeDetection, AFailedQueryForTheLocalMarkGivesNoChangeCode) {
    AddDocument(L"a.doc", L"docs/a.doc", 1, Remote);
    StartFolderPass();
    for (const SYSTEMTIME& local : {Remote, Other}) {
        auto item = NewMap();
        item->Set(L"RemoteFileLastModified", Host::DateValue{DateOf(local)});
        item->Failures().Fail(Host::PropertyMapMethod::GetItemExists, E_ACCESSDENIED,
                              L"Mavisto.MessageIsUnchanged");
        LONG code = -1;
        EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), E_ACCESSDENIED);
        EXPECT_EQ(code, -1);
    }
}

} // namespace
