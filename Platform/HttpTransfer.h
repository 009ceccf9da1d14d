// One HTTP exchange on libcurl's multi interface, in the session of the thread that starts it (its
// connections, HttpSession.h). Nothing runs in the background: Poll moves the exchange forward as far
// as it can without waiting, RunToEnd waits for its end, and the thread's message waits move it too.
// Each change of its state (headers in, body begun, done) posts Messages::kHttpStateChanged to the
// starting thread.
#pragma once

#include "Platform/ByteBuffer.h"
#include "Platform/HttpLimits.h"
#include "Platform/HttpRedirect.h"
#include "Platform/HttpSession.h"
#include "Platform/WinError.h"

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Platform::Http {

struct Credentials {
    std::string user;
    std::string password;
};

// The bytes a request sends and what keeps them alive: a text of its own, or the data of an array it
// shares rather than copies.
struct RequestBody {
    const char* data = nullptr;
    std::size_t size = 0;
    std::shared_ptr<const void> owner;

    static RequestBody Holding(std::string bytes) {
        const auto held = std::make_shared<const std::string>(std::move(bytes));
        return {held->data(), held->size(), held};
    }
};

struct RequestSpec {
    std::string method;
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers; // in the order set, repeats kept
    std::optional<RequestBody> body;                          // none: no body at all
    std::string defaultContentType;                           // sent when the headers name none
    std::optional<Credentials> credentials;                   // none: the current user (Negotiate)
};

class Transfer {
public:
    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer();

    // E_OUTOFMEMORY when libcurl cannot be set up; the exchange has then not started.
    HRESULT Start(RequestSpec spec);
    void Poll();
    void RunToEnd();

    bool HeadersReceived() const { return headersReceived_; }
    bool BodyStarted() const { return body_->Size() != 0; }
    bool Done() const { return done_; }
    // After Done: 0 for a reply, else the WinINet code of the transport failure (12152 for a body
    // larger than the limit, declared or received; it is refused before it is held; 12040 for a
    // redirect from https to http). A redirect that is not followed (HttpRedirect.h) is the reply, with
    // its status and headers and without its body.
    LONG Failure() const { return failure_; }
    // After a transport failure: libcurl's words for it, e.g. "Failed to connect to HOST port PORT after
    // 0 ms: Connection refused"; empty for a body larger than the limit.
    const std::string& FailureText() const { return failureText_; }
    bool OutOfMemory() const { return outOfMemory_; }

    LONG Status() const { return status_; }
    const std::string& StatusText() const { return statusText_; }
    const std::vector<std::string>& HeaderLines() const { return headerLines_; }
    // Values of the headers of that name (compared without regard to case), joined by ", ".
    std::string Header(std::string_view name) const;
    const ByteBuffer& Body() const { return *body_; }
    // The body itself, for an array that hands it out without a copy.
    std::shared_ptr<ByteBuffer> SharedBody() const { return body_; }

    // Called by the session when libcurl has ended the exchange.
    void Finish(CURLcode result);

private:
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    void Configure();
    bool SeparateConnections();
    void ReleaseHandle();
    void NotifyStateChanged();
    std::optional<RedirectStep> RedirectOfReply() const;

    RequestSpec spec_;
    Limits limits_{};
    std::shared_ptr<Session> session_;
    std::shared_ptr<Messages::ThreadQueue> startingThread_;
    CURL* easy_ = nullptr;
    CURLSH* ownConnections_ = nullptr; // set for a request with credentials of its own
    curl_slist* headerList_ = nullptr;
    bool headersReceived_ = false;
    bool done_ = false;
    bool outOfMemory_ = false;
    bool tooLarge_ = false;
    bool redirectReported_ = false;
    bool httpsToHttp_ = false;
    LONG failure_ = 0;
    std::string failureText_;
    char curlError_[CURL_ERROR_SIZE] = {};
    LONG status_ = 0;
    std::string statusText_;
    std::vector<std::string> headerLines_;
    std::shared_ptr<ByteBuffer> body_ = std::make_shared<ByteBuffer>();
};

} // namespace Platform::Http
