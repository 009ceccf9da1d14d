// A COM object for tests of the smart pointers and error raising: it counts references (it lives on
// the test's stack and starts with the test's own reference) and answers QueryInterface as configured.
#pragma once

#include "Platform/Unknwn.h"

struct ITestWidget : IUnknown {
    virtual int STDMETHODCALLTYPE Value() = 0;

protected:
    ~ITestWidget() = default;
};
KOVA_DECLARE_UUID(ITestWidget, "6E1D2D84-2E0B-4B5C-9C1E-0A3A52C9B001");

// An interface the object may refuse, with a configurable failure.
struct ITestGadget : IUnknown {
protected:
    ~ITestGadget() = default;
};
KOVA_DECLARE_UUID(ITestGadget, "6E1D2D84-2E0B-4B5C-9C1E-0A3A52C9B002");

class TestComObject final : public ITestWidget, public ITestGadget, public ISupportErrorInfo {
public:
    explicit TestComObject(int value = 7) : value_(value) {}

    HRESULT gadgetAnswer = S_OK;       // what QueryInterface answers for ITestGadget
    bool supportsErrorInfo = true;     // whether ISupportErrorInfo is offered
    IID errorInfoInterface = IID_NULL; // the interface that reports error info

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
        *ppvObject = nullptr;
        if (riid == IID_IUnknown || riid == __uuidof(ITestWidget)) {
            *ppvObject = static_cast<ITestWidget*>(this);
        } else if (riid == __uuidof(ITestGadget)) {
            if (FAILED(gadgetAnswer)) {
                return gadgetAnswer;
            }
            *ppvObject = static_cast<ITestGadget*>(this);
        } else if (riid == IID_ISupportErrorInfo && supportsErrorInfo) {
            *ppvObject = static_cast<ISupportErrorInfo*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    int STDMETHODCALLTYPE Value() override { return value_; }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == errorInfoInterface ? S_OK : S_FALSE;
    }

    ULONG references() const { return references_; }

private:
    int value_;
    ULONG references_ = 1;
};
