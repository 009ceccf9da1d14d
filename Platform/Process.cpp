#include "Platform/ProcessThreadsApi.h"

#include <unistd.h>

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}
