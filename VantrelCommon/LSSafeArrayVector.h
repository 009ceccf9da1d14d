// A vector of strings as a one-dimensional automation array of BSTRs (lower bound 0), owned until
// destruction, and an accessor that locks an array's data for direct element access.
#pragma once

#include "Platform/OleAuto.h"
#include "Platform/SafeArrayData.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/StdString.h"

#include <optional>
#include <vector>

class LSSafeArrayVector {
public:
    // Element i is a new BSTR of string i up to its first NUL. More than 2^32 - 1 strings throw
    // narrowing_error.
    explicit LSSafeArrayVector(const std::vector<CStdStr<wchar_t>>& strings);
    // Element i is BSTR i itself: the array takes them over and `strings` is left empty. When the
    // array cannot be made (thrown as above, or as AccessData throws), they stay in `strings`.
    explicit LSSafeArrayVector(std::vector<BSTR>&& strings);
    // Destroys the array and its strings; a failure is logged.
    ~LSSafeArrayVector();
    LSSafeArrayVector(const LSSafeArrayVector&) = delete;
    LSSafeArrayVector& operator=(const LSSafeArrayVector&) = delete;

    SAFEARRAY* GetSafeArray() const { return array_; }

private:
    SAFEARRAY* array_;
};

// Elements of type T of a one-dimensional array, between AccessData and UnaccessData (or the
// accessor's end).
template <class T> class LSSafeArrayAccessor {
public:
    explicit LSSafeArrayAccessor(SAFEARRAY* array) : array_(array) {}
    ~LSSafeArrayAccessor();
    LSSafeArrayAccessor(const LSSafeArrayAccessor&) = delete;
    LSSafeArrayAccessor& operator=(const LSSafeArrayAccessor&) = delete;

    // A failure is logged and thrown as its HRESULT (a null array fails too).
    void AccessData();
    void UnaccessData();

    T* begin() const { return first_; }
    T* end() const { return end_; }

private:
    SAFEARRAY* array_;
    std::optional<Platform::SafeArrayData> data_;
    T* first_ = nullptr;
    T* end_ = nullptr;
};

template <class T> LSSafeArrayAccessor<T>::~LSSafeArrayAccessor() {
    if (data_ && FAILED(data_->Release())) {
        LSDIAG_ERROR << "Failed calling SafeArrayUnaccessData() ";
    }
}

template <class T> void LSSafeArrayAccessor<T>::AccessData() {
    data_.emplace(array_);
    const HRESULT hr = data_->Result();
    if (FAILED(hr)) {
        data_.reset();
        LSDIAG_ERROR << "Failed accessing safearray data " << std::hex << hr;
        ThrowHResult(hr);
    }
    first_ = data_->template Data<T>();
    end_ = first_ + array_->rgsabound[0].cElements;
}

template <class T> void LSSafeArrayAccessor<T>::UnaccessData() {
    if (!data_) {
        return;
    }
    const HRESULT hr = data_->Release();
    data_.reset();
    if (FAILED(hr)) {
        LSDIAG_ERROR << "Failed calling SafeArrayUnaccessData() " << std::hex << hr;
        ThrowHResult(hr);
    }
}
