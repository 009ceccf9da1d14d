#include "tests/KOVACommon/FilterTestFixture.h"
#include "tests/KOVACommon/TestFieldSet.h"
#include "tests/Support/LogCapture.h"

#include "KOVACommon/LSFilterSupport.h"

#include <string>
#include <vector>

namespace {

using namespace TestSupport;

class FilterObject : public FilterTest {};

TEST_F(FilterObject, DefaultSettings) {
    EXPECT_EQ(filter->MaxFileSize(), 51200u * 1024u);
    EXPECT_TRUE(filter->ExcludePatterns().empty());
}

TEST_F(FilterObject, PassStartAndEndHoldTheMainFolder) {
    EXPECT_EQ(Sync()->raw_EndSync(0, VARIANT_TRUE, 0), S_OK);
    EXPECT_EQ(filter->CallCount("OnEndSync"), 1u);

    mainFolder->AddRef();
    const ULONG before = mainFolder->Release();
    ASSERT_EQ(Sync()->raw_StartSync(0, mainFolder.get()), S_OK);
    EXPECT_EQ(filter->CallCount("OnStartSync"), 1u);
    mainFolder->AddRef();
    EXPECT_EQ(mainFolder->Release(), before + 1);
    ASSERT_EQ(Sync()->raw_EndSync(0, VARIANT_TRUE, 0), S_OK);
    mainFolder->AddRef();
    EXPECT_EQ(mainFolder->Release(), before);
}

TEST_F(FilterObject, StartOfAPassClearsTheHeaderOnlyFlag) {
    AddDocument(L"m.msg", L"docs/m", 1, Time(2024, 1, 1)).extra = {{L"fromUser", L"Ann"}};
    StartFolderPass();
    ASSERT_EQ(HeaderOnly()->raw_SetHeaderOnly(), S_OK);
    ASSERT_EQ(Sync()->raw_StartSync(0, mainFolder.get()), S_OK);
    auto item = NewMap();
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
    EXPECT_FALSE(StrProp(*item, L"0x0c1a001f")); // a mail in full sync keeps its own sender
}

TEST_F(FilterObject, ShutdownInformerIsKeptWithAReference) {
    EXPECT_EQ(ShutdownInfo()->get_pShutdownInformer(nullptr), S_OK);
    ILSShutdownInformer* kept = reinterpret_cast<ILSShutdownInformer*>(1);
    ASSERT_EQ(ShutdownInfo()->get_pShutdownInformer(&kept), S_OK);
    EXPECT_EQ(kept, nullptr);

    auto first = Owned<Host::LSShutdownInformer>(Host::LSShutdownInformer::Create());
    auto second = Owned<Host::LSShutdownInformer>(Host::LSShutdownInformer::Create());
    ASSERT_EQ(ShutdownInfo()->putref_pShutdownInformer(first.get()), S_OK);
    ASSERT_EQ(ShutdownInfo()->get_pShutdownInformer(&kept), S_OK);
    EXPECT_EQ(kept, static_cast<ILSShutdownInformer*>(first.get()));
    EXPECT_EQ(kept->Release(), 2u);
    ASSERT_EQ(ShutdownInfo()->putref_pShutdownInformer(second.get()), S_OK);
    EXPECT_EQ(first->AddRef(), 2u);
    first->Release();
    EXPECT_EQ(second->AddRef(), 3u);
    second->Release();
}

TEST_F(FilterObject, FixedAnswers) {
    EXPECT_EQ(Sync()->raw_SyncFilterMethod23(), S_OK);
    EXPECT_EQ(Sync()->raw_SyncFilterMethod27(), E_NOTIMPL);
    VARIANT_BOOL stores = 5;
    EXPECT_EQ(Sync()->get_StoresServerFileId(&stores), S_OK);
    EXPECT_EQ(stores, VARIANT_FALSE);
    filter->knobs.storesServerFileId = true;
    EXPECT_EQ(Sync()->get_StoresServerFileId(&stores), S_OK);
    EXPECT_EQ(stores, VARIANT_TRUE);
}

TEST_F(FilterObject, FieldSetComesFromTheRepository) {
    ILSKOVAFieldSetInfo* fieldSet = reinterpret_cast<ILSKOVAFieldSetInfo*>(1);
    EXPECT_EQ(Sync()->raw_GetFieldSetInfo(nullptr, &fieldSet), E_INVALIDARG);
    EXPECT_EQ(fieldSet, nullptr);
    filter->knobs.fieldSet = TestFieldSet::Create();
    ASSERT_EQ(Sync()->raw_GetFieldSetInfo(nullptr, &fieldSet), S_OK);
    EXPECT_EQ(fieldSet, filter->knobs.fieldSet);
    fieldSet->Release();
}

TEST_F(FilterObject, ProfileNameIsCachedOncePerProcess) {
    LogCapture log;
    ASSERT_EQ(Sync()->raw_SetCurrentProfileName(_bstr_t(L"Outlook")), S_OK);
    ASSERT_EQ(Sync()->raw_SetCurrentProfileName(_bstr_t(L"Outlook")), S_OK);
    EXPECT_TRUE(log.Errors().empty());
    ASSERT_EQ(Sync()->raw_SetCurrentProfileName(_bstr_t(L"Other")), S_OK);
    ASSERT_EQ(Sync()->raw_SetCurrentProfileName(_bstr_t(L"Other")), S_OK);
    const std::vector<std::string> expected(
        2, "Cached profile name is different from currentOutlook -> cur Other");
    EXPECT_EQ(log.Errors(), expected);
}

} // namespace
