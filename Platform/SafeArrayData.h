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
        accessed_ = SUCCEEDED(result_);
        data_ = accessed_ ? data : nullptr;
    }
    // Ends the access when Release has not; a failure then has no one to tell.
    ~SafeArrayData() { (void)Release(); }
    SafeArrayData(const SafeArrayData&) = delete;
    SafeArrayData& operator=(const SafeArrayData&) = delete;

    HRESULT Result() const { return result_; }
    template <class T = BYTE> T* Data() const { return static_cast<T*>(data_); }

    // Ends the access now: S_OK when there was none left to end, else SafeArrayUnaccessData's answer.
    HRESULT Release() {
        if (!accessed_) {
            return S_OK;
        }
        accessed_ = false;
        data_ = nullptr;
        return SafeArrayUnaccessData(array_);
    }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr; // null also for an accessed array of no elements
    bool accessed_ = false;
    HRESULT result_ = E_UNEXPECTED;
};

} // namespace Platform
