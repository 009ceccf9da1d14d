#include "Platform/ComUtil.h"

#include "TestComObject.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

// A fresh error-info object with the given description; the caller owns the reference.
IErrorInfo* MakeErrorInfo(const wchar_t* description) {
    ICreateErrorInfo* create = nullptr;
    EXPECT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(description));
    IErrorInfo* info = nullptr;
    EXPECT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    create->Release();
    return info;
}

struct ErrorMessageCase {
    HRESULT hr;
    const wchar_t* message;
};

class ComErrorMessage : public testing::TestWithParam<ErrorMessageCase> {};

TEST_P(ComErrorMessage, IsTheSystemTextWithoutLineEndOrTheFallback) {
    const _com_error error(GetParam().hr);
    EXPECT_STREQ(error.ErrorMessage(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Codes, ComErrorMessage,
                         testing::Values(ErrorMessageCase{E_ACCESSDENIED, L"Access is denied."},
                                         ErrorMessageCase{E_INVALIDARG, L"The parameter is incorrect."},
                                         ErrorMessageCase{E_FAIL, L"Unspecified error"},
                                         ErrorMessageCase{E_ABORT, L"Operation aborted"},
                                         ErrorMessageCase{S_FALSE, L"Incorrect function."},
                                         ErrorMessageCase{
                                             HRESULT_FROM_WIN32(12029),
                                             L"A connection with the server could not be established"},
                                         ErrorMessageCase{MAPI_E_NOT_FOUND, L"Unknown error 0x8004010F"},
                                         ErrorMessageCase{KOVA_HR(0x80079999), L"Unknown error 0x80079999"},
                                         ErrorMessageCase{SELFREG_E_CLASS, L"IDispatch error #1"},
                                         ErrorMessageCase{KOVA_HR(0x80040200), L"Unknown error 0x80040200"}));

TEST(ComError, WCodeIsTheDispatchExceptionCode) {
    EXPECT_EQ(_com_error(KOVA_HR(0x80040205)).WCode(), 5);
    EXPECT_EQ(_com_error(KOVA_HR(0x8004FFFF)).WCode(), 0xFDFF);
    EXPECT_EQ(_com_error(E_FAIL).WCode(), 0);
    EXPECT_EQ(_com_error(KOVA_HR(0x80050000)).WCode(), 0);
}

TEST(ComError, DescriptionComesFromErrorInfo) {
    const _com_error withInfo(E_FAIL, MakeErrorInfo(L"Server said no"));
    EXPECT_EQ(withInfo.Description(), _bstr_t(L"Server said no"));
    EXPECT_EQ(withInfo.Error(), E_FAIL);

    const _com_error without(E_FAIL);
    EXPECT_TRUE(!without.Description());
    EXPECT_EQ(without.Description().length(), 0u);
    EXPECT_EQ(without.ErrorInfo(), nullptr);
}

TEST(ComError, CopiesShareTheErrorInfoAndKeepTheirOwnMessage) {
    IErrorInfo* info = MakeErrorInfo(L"desc");
    info->AddRef(); // keep one to watch the count
    {
        _com_error original(E_ACCESSDENIED, info);
        const wchar_t* originalMessage = original.ErrorMessage();
        _com_error copy = original;
        _com_error assigned(E_FAIL);
        EXPECT_STREQ(assigned.ErrorMessage(), L"Unspecified error");
        assigned = copy;
        EXPECT_EQ(assigned.Error(), E_ACCESSDENIED);
        EXPECT_STREQ(assigned.ErrorMessage(), L"Access is denied.");
        EXPECT_NE(assigned.ErrorMessage(), originalMessage);
        EXPECT_EQ(copy.Description(), _bstr_t(L"desc"));
        IErrorInfo* handed = copy.ErrorInfo();
        EXPECT_EQ(handed, info);
        handed->Release();
    }
    EXPECT_EQ(info->Release(), 0u); // every copy released its reference
}

TEST(ComError, AddRefFlagKeepsCallersReference) {
    IErrorInfo* info = MakeErrorInfo(L"x");
    { const _com_error error(E_FAIL, info, true); }
    EXPECT_EQ(info->Release(), 0u);
}

HRESULT RaisedCode(void (*raise)()) {
    try {
        raise();
    } catch (const _com_error& e) {
        return e.Error();
    }
    return S_OK;
}

TEST(ComIssueError, ThrowsComErrorWithTheCode) {
    EXPECT_EQ(RaisedCode([] { _com_issue_error(E_OUTOFMEMORY); }), E_OUTOFMEMORY);
    EXPECT_EQ(RaisedCode([] { _com_util::CheckError(E_NOTIMPL); }), E_NOTIMPL);
    EXPECT_EQ(RaisedCode([] { _com_util::CheckError(S_FALSE); }), S_OK);
}

class ComIssueErrorEx : public testing::Test {
protected:
    void SetUp() override {
        IErrorInfo* info = MakeErrorInfo(L"from the object");
        SetErrorInfo(0, info);
        info->Release();
    }
    void TearDown() override { SetErrorInfo(0, nullptr); }
    _com_error Raise(IUnknown* object, REFIID riid) {
        try {
            _com_issue_errorex(E_FAIL, object, riid);
        } catch (const _com_error& e) {
            return e;
        }
        return _com_error(S_OK);
    }
    TestComObject object;
};

TEST_F(ComIssueErrorEx, TakesThreadErrorInfoWhenTheInterfaceSupportsIt) {
    object.errorInfoInterface = __uuidof(ITestWidget);
    const _com_error error = Raise(static_cast<ITestWidget*>(&object), __uuidof(ITestWidget));
    EXPECT_EQ(error.Error(), E_FAIL);
    EXPECT_EQ(error.Description(), _bstr_t(L"from the object"));
    IErrorInfo* left = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE); // handed over to the error
    EXPECT_EQ(object.references(), 1u);
}

TEST_F(ComIssueErrorEx, LeavesThreadErrorInfoWhenNotSupported) {
    object.errorInfoInterface = __uuidof(ITestGadget);
    EXPECT_TRUE(!Raise(static_cast<ITestWidget*>(&object), __uuidof(ITestWidget)).Description());
    object.supportsErrorInfo = false;
    EXPECT_TRUE(!Raise(static_cast<ITestWidget*>(&object), __uuidof(ITestGadget)).Description());
    EXPECT_TRUE(!Raise(nullptr, __uuidof(ITestGadget)).Description());
    IErrorInfo* left = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &left), S_OK);
    left->Release();
    EXPECT_EQ(object.references(), 1u);
}

TEST(ErrorInfo, GetHandsOverAndClears) {
    IErrorInfo* info = MakeErrorInfo(L"d");
    EXPECT_EQ(SetErrorInfo(0, info), S_OK);
    info->Release(); // the thread holds its own reference
    IErrorInfo* got = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    BSTR description = nullptr;
    EXPECT_EQ(got->GetDescription(&description), S_OK);
    EXPECT_STREQ(description, L"d");
    SysFreeString(description);
    EXPECT_EQ(got->Release(), 0u);
    EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
    EXPECT_EQ(got, nullptr);
}

TEST(ErrorInfo, IsPerThread) {
    IErrorInfo* info = MakeErrorInfo(L"mine");
    SetErrorInfo(0, info);
    info->Release();
    HRESULT otherThread = S_OK;
    std::thread([&] {
        IErrorInfo* got = nullptr;
        otherThread = GetErrorInfo(0, &got);
    }).join();
    EXPECT_EQ(otherThread, S_FALSE);
    SetErrorInfo(0, nullptr);
}

TEST(ErrorInfo, UnsetTextsAreNullAndGuidAndContextRoundTrip) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetSource(const_cast<LPOLESTR>(L"Source"));
    create->SetGUID(IID_IDispatch);
    create->SetHelpContext(42);
    IErrorInfoPtr info(create);
    create->Release();
    BSTR text = nullptr;
    EXPECT_EQ(info->GetSource(&text), S_OK);
    EXPECT_STREQ(text, L"Source");
    SysFreeString(text);
    EXPECT_EQ(info->GetHelpFile(&text), S_OK);
    EXPECT_EQ(text, nullptr);
    GUID guid{};
    EXPECT_EQ(info->GetGUID(&guid), S_OK);
    EXPECT_EQ(guid, IID_IDispatch);
    DWORD context = 0;
    EXPECT_EQ(info->GetHelpContext(&context), S_OK);
    EXPECT_EQ(context, 42u);
}

} // namespace
