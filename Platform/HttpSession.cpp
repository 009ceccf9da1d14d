#include "Platform/HttpSession.h"

#include "Platform/HttpTransfer.h"

#include <algorithm>

namespace Platform::Http {

namespace {

// One wait of the session is at most this long, so that an INFINITE message wait still rounds.
constexpr DWORD kLongestWaitMs = 1000;

void InitialiseCurlOnce() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

} // namespace

std::shared_ptr<Session> Session::ForCurrentThread() {
    thread_local std::shared_ptr<Session> session;
    if (!session) {
        InitialiseCurlOnce();
        CURLM* multi = curl_multi_init();
        CURLSH* share = curl_share_init();
        // Every handle of the share lives on this thread, so it needs no locks.
        if (multi == nullptr || share == nullptr ||
            curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) != CURLSHE_OK) {
            curl_share_cleanup(share);
            curl_multi_cleanup(multi);
            return nullptr;
        }
        session.reset(new Session(multi, share, Messages::CurrentThreadQueue()));
        session->queue_->SetWaitSource(session.get());
    }
    return session;
}

Session::Session(CURLM* multi, CURLSH* share, std::shared_ptr<Messages::ThreadQueue> queue)
    : multi_(multi), share_(share), queue_(std::move(queue)) {}

Session::~Session() {
    queue_->SetWaitSource(nullptr);
    curl_multi_cleanup(multi_);
    curl_share_cleanup(share_);
}

bool Session::Add(CURL* easy, Transfer& transfer, CURLSH* ownConnections) {
    curl_easy_setopt(easy, CURLOPT_SHARE, ownConnections != nullptr ? ownConnections : share_);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    return curl_multi_add_handle(multi_, easy) == CURLM_OK;
}

void Session::Remove(CURL* easy) {
    curl_multi_remove_handle(multi_, easy);
}

void Session::Perform() {
    int running = 0;
    curl_multi_perform(multi_, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        Transfer* transfer = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        if (transfer != nullptr) {
            transfer->Finish(message->data.result);
        }
    }
}

bool Session::DataWaiting() {
    int ready = 0;
    return curl_multi_wait(multi_, nullptr, 0, 0, &ready) == CURLM_OK && ready != 0;
}

void Session::WaitForData(DWORD milliseconds) {
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::min(milliseconds, kLongestWaitMs)), nullptr);
}

void Session::RunFor(DWORD milliseconds) {
    if (milliseconds != 0) {
        WaitForData(milliseconds);
    }
    Perform();
}

void Session::Wake() {
    curl_multi_wakeup(multi_);
}

} // namespace Platform::Http
