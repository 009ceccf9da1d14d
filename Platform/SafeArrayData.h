// The data of a SAFEARRAY held accessed (SafeArrayAccessData) for as long as the object lives: the one
// lock-and-access sequence of the system. It reports HRESULTs and logs nothing, so that every caller
// keeps its own error texts.
#pragma once

#include "Platform/OleAuto.h"

namespace Platform {

class SafeArrayData {
public:
    // Accesses the data; Result() tells whether that succeeded.
    explicit SafeArrayData(SAFEARRAY* array) : array_(array) {
        void* data = nullptr;
        result_ = SafeArrayAccessData(array_, &data);
        data_ = SUCCEEDED(result_) ? data : nullptr;
    }
    // Ends the access when Release has not; a failure then has no one to tell.
    ~SafeArrayData() { (void)Release(); }
    SafeArrayData(const SafeArrayData&) = delete;
    SafeArrayData& operator=(const SafeArrayData&) = delete;

    HRESULT Result() const { return result_; }
    template <class T = BYTE> T* Data() const { return static_cast<T*>(data_); }

    // Ends the access now: S_OK when there was none left to end, else SafeArrayUnaccessData's answer.
    HRESULT Release() {
        if (data_ == nullptr) {
            return S_OK;
        }
        data_ = nullptr;
        return SafeArrayUnaccessData(array_);
    }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
    HRESULT result_ = E_UNEXPECTED;
};

} // namespace Platform
