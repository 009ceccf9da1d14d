#include "Host/ShutdownInformer.h"

#include <gtest/gtest.h>

namespace {

using Host::LSShutdownInformer;
using Host::ShutdownInformerMethod;

class ShutdownInformerTest : public testing::Test {
protected:
    ~ShutdownInformerTest() override { informer->Release(); }
    VARIANT_BOOL AskShutdown() {
        VARIANT_BOOL answer = 7;
        EXPECT_EQ(informer->get_ShutdownRequested(&answer), S_OK);
        return answer;
    }
    LSShutdownInformer* informer = LSShutdownInformer::Create();
};

TEST_F(ShutdownInformerTest, AnswersWhatTheTestSet) {
    EXPECT_EQ(AskShutdown(), VARIANT_FALSE);
    informer->SetShutdownRequested(true);
    EXPECT_EQ(AskShutdown(), VARIANT_TRUE);
    VARIANT_BOOL onTimer = 7;
    ASSERT_EQ(informer->get_IsOnTimer(&onTimer), S_OK);
    EXPECT_EQ(onTimer, VARIANT_FALSE);
    informer->SetOnTimer(true);
    ASSERT_EQ(informer->get_IsOnTimer(&onTimer), S_OK);
    EXPECT_EQ(onTimer, VARIANT_TRUE);
}

TEST_F(ShutdownInformerTest, ShutdownArrivesAtTheChosenQuery) {
    informer->RequestShutdownAtQuery(3);
    EXPECT_EQ(AskShutdown(), VARIANT_FALSE);
    EXPECT_EQ(AskShutdown(), VARIANT_FALSE);
    EXPECT_EQ(AskShutdown(), VARIANT_TRUE);
    EXPECT_EQ(AskShutdown(), VARIANT_TRUE);
    EXPECT_EQ(informer->ShutdownQueries(), 4u);
}

TEST_F(ShutdownInformerTest, RecordsNoticesInOrder) {
    BSTR text = SysAllocString(L"Sync aborted - connection to Server failed");
    ASSERT_EQ(informer->raw_ReportAbortMessage(text), S_OK);
    SysFreeString(text);
    ASSERT_EQ(informer->raw_NotifyRequest(), S_OK);
    ASSERT_EQ(informer->raw_NotifyRequest(), S_OK);
    ASSERT_EQ(informer->raw_BeginDelay(5000), S_OK);
    ASSERT_EQ(informer->raw_EndDelay(), S_OK);
    EXPECT_EQ(informer->AbortMessages(),
              std::vector<std::wstring>{L"Sync aborted - connection to Server failed"});
    EXPECT_EQ(informer->RequestNotices(), 2u);
    EXPECT_EQ(informer->DelaysBegun(), std::vector<LONG>{5000});
    EXPECT_EQ(informer->DelaysEnded(), 1u);
}

TEST_F(ShutdownInformerTest, FailedCallsRecordNothing) {
    informer->Failures().Fail(ShutdownInformerMethod::BeginDelay, E_UNEXPECTED);
    informer->Failures().Fail(ShutdownInformerMethod::IsOnTimer, E_FAIL);
    EXPECT_EQ(informer->raw_BeginDelay(100), E_UNEXPECTED);
    EXPECT_TRUE(informer->DelaysBegun().empty());
    VARIANT_BOOL onTimer = 7;
    EXPECT_EQ(informer->get_IsOnTimer(&onTimer), E_FAIL);
    EXPECT_EQ(onTimer, 7);
}

TEST_F(ShutdownInformerTest, HostOwnSlotsAreNotImplemented) {
    ILSShutdownInformer* asInterface = informer;
    EXPECT_EQ(asInterface->raw_ShutdownInformerMethod2(), E_NOTIMPL);
    EXPECT_EQ(asInterface->raw_ShutdownInformerMethod12(), E_NOTIMPL);
}

} // namespace
