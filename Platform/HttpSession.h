// The HTTP exchanges of one thread, as a client stack keeps them: one libcurl multi handle, whose
// connection cache keeps each server's connections open for the thread's next requests (and whose DNS
// cache they share), and one share of TLS sessions, so that a new connection to a server resumes its
// session. Every exchange has an easy handle of its own, so no option or credential of one request
// reaches another, and a request with credentials of its own takes a connection of its own
// (HttpTransfer.cpp). The thread's message waits run the session, so exchanges move on while their
// caller waits for a message.
#pragma once

#include "Platform/ThreadMessages.h"

#include <curl/curl.h>

#include <memory>

namespace Platform::Http {

class Transfer;

class Session final : public Messages::WaitSource {
public:
    // The calling thread's session, made at its first use; null when libcurl cannot be set up.
    static std::shared_ptr<Session> ForCurrentThread();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    // Starts the exchange of `easy`, which belongs to `transfer` (told when it ends), on the session's
    // connections, or on those of `ownConnections` when it is not null.
    bool Add(CURL* easy, Transfer& transfer, CURLSH* ownConnections);
    void Remove(CURL* easy);
    // Moves every exchange of the thread on as far as it goes without waiting.
    void Perform();
    // Whether data waits on one of the exchanges' connections.
    bool DataWaiting();
    // Waits up to `milliseconds` for data (or Wake).
    void WaitForData(DWORD milliseconds);

    void RunFor(DWORD milliseconds) override;
    void Wake() override;

private:
    Session(CURLM* multi, CURLSH* share, std::shared_ptr<Messages::ThreadQueue> queue);

    CURLM* multi_;
    CURLSH* share_;
    std::shared_ptr<Messages::ThreadQueue> queue_;
};

} // namespace Platform::Http
