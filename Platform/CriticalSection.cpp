// CRITICAL_SECTION holds a std::recursive_mutex built in place in its storage.
#include "Platform/WinBase.h"

#include <mutex>
#include <new>

namespace {

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::storage));
static_assert(alignof(std::recursive_mutex) <= alignof(CRITICAL_SECTION));

std::recursive_mutex& MutexOf(LPCRITICAL_SECTION section) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(section->storage));
}

} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    new (lpCriticalSection->storage) std::recursive_mutex();
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    MutexOf(lpCriticalSection).lock();
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    MutexOf(lpCriticalSection).unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    MutexOf(lpCriticalSection).~recursive_mutex();
}
