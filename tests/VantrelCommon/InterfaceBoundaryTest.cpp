#include "VantrelCommon/InterfaceBoundary.h"

#include "VantrelCommon/Exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using Str = CStdStr<wchar_t>;

struct Outcome {
    HRESULT hr;
    Str text;
};

// Runs `body` as a host-callable method does and returns what the boundary made of its exception.
Outcome AtBoundary(const std::function<void()>& body) {
    Str text(L"untouched");
    try {
        body();
    } catch (...) {
        return {HResultFromCurrentException("CKOVATest::raw_Method", __FILE__, __LINE__, &text), text};
    }
    return {S_OK, text};
}

IErrorInfo* MakeErrorInfo(const wchar_t* description) {
    ICreateErrorInfo* create = nullptr;
    CreateErrorInfo(&create);
    create->SetDescription(const_cast<LPOLESTR>(description));
    IErrorInfo* info = nullptr;
    create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    create->Release();
    return info;
}

struct BoundaryCase {
    const char* name;
    std::function<void()> body;
    HRESULT hr;
    const wchar_t* text;
};

class InterfaceBoundary : public testing::TestWithParam<BoundaryCase> {};

TEST_P(InterfaceBoundary, ReturnsTheHResultAndFillsTheErrorText) {
    const Outcome outcome = AtBoundary(GetParam().body);
    EXPECT_EQ(outcome.hr, GetParam().hr);
    EXPECT_EQ(outcome.text, GetParam().text);
}

struct OwnException {};

INSTANTIATE_TEST_SUITE_P(
    Clauses, InterfaceBoundary,
    testing::Values(
        BoundaryCase{"HResultException", [] { throw hresult_exception(E_INVALIDARG, "Invalid encoding"); },
                     E_INVALIDARG, L"Invalid encoding"},
        BoundaryCase{"HResultExceptionWithSuccessCode", [] { throw hresult_exception(S_FALSE, "odd"); },
                     S_FALSE, L"odd"},
        BoundaryCase{"HResultExceptionNarrowText", [] { throw hresult_exception(E_FAIL, "caf\xC3\xA9"); },
                     E_FAIL, L"caf\u00E9"},
        BoundaryCase{"StdException", [] { throw std::runtime_error("broken"); }, E_FAIL, L"broken"},
        BoundaryCase{"NarrowingError", [] { VantrelCommon::narrowcasts::narrow_cast(2147483648ULL); }, E_FAIL,
                     L"std::exception"},
        BoundaryCase{"BareHResult", [] { ThrowHResult(E_ACCESSDENIED); }, E_ACCESSDENIED,
                     L"Access is denied."},
        BoundaryCase{"BareHResultWithoutSystemText", [] { ThrowHResult(MAPI_E_NOT_FOUND); }, MAPI_E_NOT_FOUND,
                     L"Unknown error 0x8004010F"},
        BoundaryCase{"ComErrorWithoutInfo", [] { _com_issue_error(E_ABORT); }, E_ABORT, L"Operation aborted"},
        BoundaryCase{"ComErrorWithDescription",
                     [] { throw _com_error(E_FAIL, MakeErrorInfo(L"Server refused")); }, E_FAIL,
                     L"Server refused"},
        BoundaryCase{"ComErrorWithEmptyDescription", [] { throw _com_error(E_POINTER, MakeErrorInfo(L"")); },
                     E_POINTER, L"Invalid pointer"},
        BoundaryCase{"Int", [] { throw static_cast<int>(E_ACCESSDENIED); }, E_FAIL, L"Unknown error"},
        BoundaryCase{"UnsignedLong", [] { throw 0x80070005UL; }, E_FAIL, L"Unknown error"},
        BoundaryCase{"String", [] { throw "text"; }, E_FAIL, L"Unknown error"},
        BoundaryCase{"OwnClass", [] { throw OwnException{}; }, E_FAIL, L"Unknown error"}),
    [](const testing::TestParamInfo<BoundaryCase>& info) { return std::string(info.param.name); });

TEST(InterfaceBoundaryText, IsOptional) {
    try {
        ThrowHResult(E_INVALIDARG);
    } catch (...) {
        EXPECT_EQ(HResultFromCurrentException("DllGetClassObject", __FILE__, __LINE__, nullptr),
                  E_INVALIDARG);
    }
}

} // namespace
