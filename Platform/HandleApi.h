// Kernel-object handles. A HANDLE of the layer points at a KernelObject; CloseHandle destroys it.
#pragma once

#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinTypes.h"

BOOL CloseHandle(HANDLE hObject);

namespace Platform {

// Base of every object the layer hands out as a HANDLE (open files so far).
class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// The object behind a handle when it is of type T; null (last error ERROR_INVALID_HANDLE)
// otherwise, also for a null handle or INVALID_HANDLE_VALUE.
template <class T> T* ObjectFromHandle(HANDLE handle) {
    T* object = nullptr;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        object = dynamic_cast<T*>(static_cast<KernelObject*>(handle));
    }
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

} // namespace Platform
