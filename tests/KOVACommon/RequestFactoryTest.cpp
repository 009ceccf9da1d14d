// The factory: the real request outside a test runner, the doubles inside one by setting.
#include "KOVACommon/LSHttpRequestFactory.h"
#include "tests/KOVACommon/TransportTestSupport.h"

#include <gtest/gtest.h>

namespace TransportTest {
namespace {

class RequestFactoryTest : public ::testing::Test {
protected:
    ~RequestFactoryTest() override {
        LSDiag::runningUnderTests = false;
        DeleteSetting(L"Mock.ILSHttpRequest");
    }
};

TEST_F(RequestFactoryTest, OutsideATestRunnerTheSettingIsIgnored) {
    SetDwordSetting(L"Mock.ILSHttpRequest", 2);
    std::unique_ptr<ILSHttpRequest> request;
    LSHttpRequestFactory::Create(request);
    EXPECT_EQ(typeid(LSHttpRequest), typeid(*request));
}

TEST_F(RequestFactoryTest, InsideATestRunnerTheModeChooses) {
    LSDiag::runningUnderTests = true;
    const struct {
        DWORD mode;
        const std::type_info& type;
    } cases[] = {{0, typeid(LSHttpRequest)},
                 {1, typeid(LSHttpRequestMocks::LSHttpRequestRecorder)},
                 {2, typeid(LSHttpRequestMocks::LSHttpRequestPlayback)}};
    for (const auto& entry : cases) {
        SetDwordSetting(L"Mock.ILSHttpRequest", entry.mode);
        std::unique_ptr<ILSHttpRequest> request;
        LSHttpRequestFactory::Create(request);
        EXPECT_EQ(entry.type, typeid(*request)) << entry.mode;
    }
}

TEST_F(RequestFactoryTest, UnknownModeFails) {
    LSDiag::runningUnderTests = true;
    SetDwordSetting(L"Mock.ILSHttpRequest", 3);
    std::unique_ptr<ILSHttpRequest> request;
    try {
        LSHttpRequestFactory::Create(request);
        FAIL() << "mode 3 made a request";
    } catch (long hr) {
        EXPECT_EQ(E_INVALIDARG, static_cast<HRESULT>(hr));
    }
    EXPECT_FALSE(request);
}

TEST_F(RequestFactoryTest, RequestHeadersAreLookedUpAsSet) {
    std::unique_ptr<ILSHttpRequest> request;
    LSHttpRequestFactory::Create(request);
    ASSERT_EQ(S_OK,
              request->Open(L"GET", L"http://127.0.0.1:1/x", _variant_t(true), _variant_t(), _variant_t()));
    ASSERT_EQ(S_OK, request->SetRequestHeader(L"SOAPAction", L"first"));
    ASSERT_EQ(S_OK, request->SetRequestHeader(L"SOAPAction", L"second"));
    EXPECT_EQ(std::wstring(L"first"), std::wstring(request->GetRequestHeader(L"SOAPAction")));
    const _bstr_t missing = request->GetRequestHeader(L"soapaction");
    EXPECT_EQ(nullptr, static_cast<const wchar_t*>(missing));
}

} // namespace
} // namespace TransportTest
