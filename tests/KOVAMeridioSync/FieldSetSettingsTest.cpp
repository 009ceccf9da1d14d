// The settings that choose the fields of the property pages and of the view. They are read once per
// process, so each value is tried in a child process of its own.
#include "tests/KOVAMeridioSync/FieldTestSupport.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include <gtest/gtest.h>

namespace {

using namespace FieldTest;

// The property pages show only 9_1_1; the view is 40_4_7 and 9_0_101 (written with blanks and empty
// pieces). Every field of the configuration is still known by its name.
KOVA_CHILD_SCENARIO(FieldSetWithChosenFields) {
    const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(Repository().get());
    EXPECT_EQ(FieldNames(fieldSet), std::vector<std::wstring>{L"Meridio-Prop-9-1-1"});
    EXPECT_EQ(ViewFieldNames(fieldSet),
              (std::vector<std::wstring>{L"Meridio-Prop-40-4-7", L"Meridio-Prop-9-0-101"}));
    for (const wchar_t* name : {L"Meridio-Prop-9-2-3", L"Meridio-Prop-9-2-20", L"Meridio-Prop-40-4-7"}) {
        ILSKOVAFieldInfoPtr field;
        EXPECT_EQ(fieldSet->raw_getFieldInfo(_bstr_t(name), &field), S_OK);
    }
}

TEST(FieldSetSettings, ChosenFieldsForThePropertyPagesAndTheView) {
    TestSupport::TempDirectory work;
    ChildScenarios::Options options;
    options.settings = {{"MeridioSync.PropsToDisplay", std::string("9_1_1")},
                        {"MeridioSync.PropsForView", std::string(",40_4_7, 9_0_101,,9_9_9")}};
    const ChildScenarios::Result result = ChildScenarios::Run("FieldSetWithChosenFields", work, options);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
}

} // namespace
