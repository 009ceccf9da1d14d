// The message queue of a thread, behind PeekMessageW and MsgWaitForMultipleObjects (WinUser.h). A
// thread's waits for a message also carry out its pending I/O (its wait source), so that what the I/O
// posts is found while the thread waits.
#pragma once

#include "Platform/WinUser.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace Platform::Messages {

// Posted to the thread that sent an HTTP request when the request's state changes.
constexpr UINT kHttpStateChanged = 0x8000 + 0x4B; // in the WM_APP range

class WaitSource {
public:
    // Carries out the thread's pending work, waiting at most `milliseconds` for some to come.
    virtual void RunFor(DWORD milliseconds) = 0;
    // Ends a RunFor early; called from any thread.
    virtual void Wake() = 0;

protected:
    ~WaitSource() = default;
};

class ThreadQueue {
public:
    ThreadQueue() = default;
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    // Posts a thread message unless the same one (message and parameters) waits already, so a queue
    // nobody reads stays small. Any thread may post.
    void PostOnce(UINT message, WPARAM wParam, LPARAM lParam);
    // The oldest message in [filterMin, filterMax] (both 0: any), removed when `remove`.
    bool Peek(MSG& message, UINT filterMin, UINT filterMax, bool remove);
    // Waits up to `milliseconds` for a message to wait in the queue, running the wait source meanwhile.
    // Called on the queue's own thread.
    bool WaitForMessage(DWORD milliseconds);
    // The I/O the queue's waits carry out (null: none); set on the queue's own thread.
    void SetWaitSource(WaitSource* source);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<MSG> messages_;
    WaitSource* source_ = nullptr;
    const std::thread::id owner_ = std::this_thread::get_id();
};

// The calling thread's queue, made at its first use.
std::shared_ptr<ThreadQueue> CurrentThreadQueue();

} // namespace Platform::Messages
