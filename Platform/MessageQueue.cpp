#include "Platform/Clock.h"
#include "Platform/ThreadMessages.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <algorithm>
#include <chrono>

namespace Platform::Messages {

void ThreadQueue::PostOnce(UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(mutex_);
        const bool waiting = std::any_of(messages_.begin(), messages_.end(), [&](const MSG& queued) {
            return queued.message == message && queued.wParam == wParam && queued.lParam == lParam;
        });
        if (waiting) {
            return;
        }
        messages_.push_back(MSG{nullptr, message, wParam, lParam, GetTickCount(), POINT{0, 0}});
        // The owner posting from its own I/O is awake already. Woken under the lock, so that the source
        // cannot be withdrawn meanwhile.
        if (source_ != nullptr && std::this_thread::get_id() != owner_) {
            source_->Wake();
        }
    }
    posted_.notify_all();
}

bool ThreadQueue::Peek(MSG& message, UINT filterMin, UINT filterMax, bool remove) {
    std::lock_guard lock(mutex_);
    const bool any = filterMin == 0 && filterMax == 0;
    const auto found = std::find_if(messages_.begin(), messages_.end(), [&](const MSG& queued) {
        return any || (queued.message >= filterMin && queued.message <= filterMax);
    });
    if (found == messages_.end()) {
        return false;
    }
    message = *found;
    if (remove) {
        messages_.erase(found);
    }
    return true;
}

bool ThreadQueue::WaitForMessage(DWORD milliseconds) {
    return CurrentClock().WaitUntil(milliseconds, [this](DWORD remaining) {
        std::unique_lock lock(mutex_);
        if (!messages_.empty()) {
            return true;
        }
        if (source_ != nullptr) {
            // With no time left, this still takes in what has arrived.
            WaitSource* source = source_;
            lock.unlock();
            source->RunFor(remaining);
            lock.lock();
        } else if (remaining == INFINITE) {
            posted_.wait(lock, [this] { return !messages_.empty(); });
        } else {
            posted_.wait_for(lock, std::chrono::milliseconds(remaining),
                             [this] { return !messages_.empty(); });
        }
        return !messages_.empty();
    });
}

void ThreadQueue::SetWaitSource(WaitSource* source) {
    std::lock_guard lock(mutex_);
    source_ = source;
}

std::shared_ptr<ThreadQueue> CurrentThreadQueue() {
    thread_local const std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
    return queue;
}

} // namespace Platform::Messages

namespace {

// Thread messages have no window: a query for any particular window finds none of them.
bool TakesThreadMessages(HWND hWnd) {
    return hWnd == nullptr || hWnd == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
}

} // namespace

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr || !TakesThreadMessages(hWnd)) {
        return FALSE;
    }
    return Platform::Messages::CurrentThreadQueue()->Peek(*lpMsg, wMsgFilterMin, wMsgFilterMax,
                                                          (wRemoveMsg & PM_REMOVE) != 0)
               ? TRUE
               : FALSE;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageW(const MSG*) {
    return 0;
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE*, BOOL, DWORD dwMilliseconds, DWORD dwWakeMask) {
    if (nCount != 0 || (dwWakeMask & QS_POSTMESSAGE) == 0) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        return WAIT_FAILED;
    }
    return Platform::Messages::CurrentThreadQueue()->WaitForMessage(dwMilliseconds) ? WAIT_OBJECT_0 + nCount
                                                                                    : WAIT_TIMEOUT;
}
