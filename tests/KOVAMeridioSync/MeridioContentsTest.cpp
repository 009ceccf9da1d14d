#include "KOVAMeridioSync/MeridioContents.h"

#include "KOVACommon/LSHttpError.h"

#include "Platform/ComUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every row carries its name in "row", so that a found node is known by it.
constexpr const wchar_t* kContents = LR"(<NewDataSet>
  <T0 CONTAINERID="12" row="c1"/>
  <T0 CONTAINERID="012" row="c2"/>
  <T0 CONTAINERID="4.0" row="c3"/>
  <T1 DOCID="007" row="d1"/>
  <T1 DOCID="7" row="d2"/>
  <T1 DOCID=" 8 " row="d3"/>
  <T1 DOCID="&#9;17&#10;" row="d4"/>
  <T1 DOCID="9.0" row="d5"/>
  <T1 DOCID="15." row="d6"/>
  <T1 DOCID="10.5" row="d7"/>
  <T1 DOCID="+11" row="d8"/>
  <T1 DOCID="1e1" row="d9"/>
  <T1 DOCID="0x0E" row="d10"/>
  <T1 DOCID="1 6" row="d11"/>
  <T1 DOCID="&#160;18" row="d12"/>
  <T1 DOCID="" row="d13"/>
  <T1 DOCID="abc" row="d14"/>
  <T1 row="d15"/>
  <T1 DOCID="-3" row="d16"/>
  <T1 DOCID="-0" row="d17"/>
  <T1 DOCID="12" row="d18"/>
  <Group><T1 DOCID="13" row="d19"/></Group>
  <T1 DOCID="13" row="d20"/>
  <T1 DOCID="2147483648" row="d21"/>
  <T1 DOCID="2147483647" row="d22"/>
  <T1 DOCID="-2147483648" row="d23"/>
  <t1 DOCID="20" row="d24"/>
  <T2 DOCID="21" row="d25"/>
  <T1 DOCID="22" row="d26"/><T1 DOCID="22" row="d27"/>
</NewDataSet>)";

struct LookupCase {
    bool container;
    LONG id;
    const wchar_t* row; // the row the query selects; empty when it selects none
};

std::wstring RowName(const IXMLDOMNodePtr& row) {
    return row ? std::wstring(
                     static_cast<const wchar_t*>(_bstr_t(IXMLDOMElementPtr(row)->getAttribute(L"row"))))
               : std::wstring();
}

constexpr const wchar_t* kListingAction = L"OutlookGetContainerFullEx";

class RowLookup : public testing::TestWithParam<LookupCase> {
protected:
    static void SetUpTestSuite() {
        contents = new MeridioContents;
        contents->Load(kContents, kListingAction);
    }
    static void TearDownTestSuite() {
        delete contents;
        contents = nullptr;
    }
    static MeridioContents* contents;
};

MeridioContents* RowLookup::contents = nullptr;

TEST_P(RowLookup, FindsTheRowTheQueryFinds) {
    const LookupCase& lookup = GetParam();
    const std::wstring query =
        (lookup.container ? L"//T0[@CONTAINERID=" : L"//T1[@DOCID=") + std::to_wstring(lookup.id) + L"]";
    EXPECT_EQ(RowName((*contents)->selectSingleNode(query.c_str())), lookup.row) << "the query " << query;
    const IXMLDOMNodePtr indexed =
        lookup.container ? contents->ContainerRow(lookup.id) : contents->DocumentRow(lookup.id);
    EXPECT_EQ(RowName(indexed), lookup.row) << "the index for " << query;
}

INSTANTIATE_TEST_SUITE_P(IdsAsXPathNumbers, RowLookup,
                         testing::Values(LookupCase{true, 12, L"c1"},   // the first of 12 and 012
                                         LookupCase{true, 4, L"c3"},    // 4.0
                                         LookupCase{true, 7, L""},      // a document id is no container's
                                         LookupCase{false, 7, L"d1"},   // 007 before 7
                                         LookupCase{false, 8, L"d3"},   // white space around it
                                         LookupCase{false, 17, L"d4"},  // tab and line feed around it
                                         LookupCase{false, 9, L"d5"},   // 9.0
                                         LookupCase{false, 15, L"d6"},  // 15.
                                         LookupCase{false, 10, L""},    // 10.5 and 1e1 are not 10
                                         LookupCase{false, 11, L""},    // +11 is not a number
                                         LookupCase{false, 14, L""},    // nor is 0x0E
                                         LookupCase{false, 16, L""},    // nor 1 6
                                         LookupCase{false, 18, L""},    // no-break space is not white space
                                         LookupCase{false, 0, L"d17"},  // -0; empty and missing ids are NaN
                                         LookupCase{false, -3, L"d16"}, // a minus sign
                                         LookupCase{false, 3, L""},     // -3 is not 3
                                         LookupCase{false, 12, L"d18"}, // a container id is no document's
                                         LookupCase{false, 13, L"d19"}, // nested rows count in document order
                                         LookupCase{false, 2147483647, L"d22"}, // 2147483648 is out of range
                                         LookupCase{false, -2147483647 - 1, L"d23"}, // the lowest id
                                         LookupCase{false, 20, L""},                 // t1 is another element
                                         LookupCase{false, 21, L""},                 // and so is T2
                                         LookupCase{false, 22, L"d26"}, // the first of two equal rows
                                         LookupCase{false, 1, L""}));   // not listed

TEST(MeridioContents, ReplacingOrClearingDropsTheRows) {
    MeridioContents contents;
    EXPECT_FALSE(contents);
    EXPECT_FALSE(contents.DocumentRow(7));

    contents.Load(
        L"<NewDataSet><T1 DOCID=\"7\" row=\"old\"/><T0 CONTAINERID=\"2\" row=\"old\"/></NewDataSet>",
        kListingAction);
    ASSERT_TRUE(contents);
    EXPECT_EQ(RowName(contents.DocumentRow(7)), L"old");

    contents.Load(L"<NewDataSet><T1 DOCID=\"8\" row=\"new\"/></NewDataSet>", kListingAction);
    EXPECT_FALSE(contents.DocumentRow(7));
    EXPECT_FALSE(contents.ContainerRow(2));
    EXPECT_EQ(RowName(contents.DocumentRow(8)), L"new");

    contents.Clear();
    EXPECT_FALSE(contents);
    EXPECT_FALSE(contents.DocumentRow(8));

    // Text that is not XML fails the request and leaves no rows of the earlier listing behind.
    contents.Load(L"<NewDataSet><T1 DOCID=\"9\"/></NewDataSet>", kListingAction);
    EXPECT_THROW(contents.Load(L"<NewDataSet><T1 DOCID=", kListingAction), LSHttpError);
    EXPECT_FALSE(contents);
    EXPECT_FALSE(contents.DocumentRow(9));
}

} // namespace
