#include "Platform/HandleApi.h"

BOOL CloseHandle(HANDLE hObject) {
    auto* object = Platform::ObjectFromHandle<Platform::KernelObject>(hObject);
    if (object == nullptr) {
        return FALSE;
    }
    delete object;
    return TRUE;
}
