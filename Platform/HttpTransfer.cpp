#include "Platform/HttpTransfer.h"

#include "Platform/HttpErrors.h"
#include "Platform/HttpLimits.h"
#include "Platform/HttpRedirect.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace Platform::Http {

namespace {

// Redirects are followed this many times at most, only to these schemes, and only as HttpRedirect.h
// decides.
constexpr long kMostRedirects = 5;
constexpr const char* kRedirectSchemes = "http,https";
// One Poll stops after this long even when more data keeps arriving, so the caller stays responsive.
constexpr auto kPollBudget = std::chrono::milliseconds(100);
constexpr long kReceiveBufferBytes = 512 * 1024;
// A large body goes out in pieces of this size (libcurl's default is 64 KiB): fewer sends.
constexpr long kSendBufferBytes = 512 * 1024;

bool NegotiateAvailable() {
    static const bool available = (curl_version_info(CURLVERSION_NOW)->features & CURL_VERSION_SPNEGO) != 0;
    return available;
}

std::string_view TrimmedLine(const char* data, std::size_t size) {
    std::string_view line(data, size);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    return line;
}

bool IsMethod(const RequestSpec& spec, const char* method) {
    return strcasecmp(spec.method.c_str(), method) == 0;
}

bool HasHeader(const RequestSpec& spec, const char* name) {
    for (const auto& header : spec.headers) {
        if (strcasecmp(header.first.c_str(), name) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

Transfer::~Transfer() {
    ReleaseHandle();
    curl_slist_free_all(headerList_);
}

void Transfer::ReleaseHandle() {
    if (easy_ != nullptr) {
        session_->Remove(easy_);
        curl_easy_cleanup(easy_);
        easy_ = nullptr;
    }
    // Closes the connections of a request with credentials of its own.
    curl_share_cleanup(ownConnections_);
    ownConnections_ = nullptr;
}

// A request with credentials of its own keeps its connections apart (a libcurl share of its own, with
// the connection and TLS session caches, dropped at its end): a connection-bound login (NTLM,
// Negotiate) of these credentials never serves another request, and the request, its authentication
// round trips included, never uses a connection another identity authenticated.
bool Transfer::SeparateConnections() {
    ownConnections_ = curl_share_init();
    return ownConnections_ != nullptr &&
           curl_share_setopt(ownConnections_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) == CURLSHE_OK &&
           curl_share_setopt(ownConnections_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) == CURLSHE_OK;
}

HRESULT Transfer::Start(RequestSpec spec) {
    spec_ = std::move(spec);
    limits_ = CurrentLimits();
    session_ = Session::ForCurrentThread();
    startingThread_ = Messages::CurrentThreadQueue();
    if (!session_ || (easy_ = curl_easy_init()) == nullptr) {
        return E_OUTOFMEMORY;
    }
    Configure();
    if ((spec_.credentials && !SeparateConnections()) || !session_->Add(easy_, *this, ownConnections_)) {
        return E_OUTOFMEMORY;
    }
    Poll();
    return S_OK;
}

void Transfer::NotifyStateChanged() {
    startingThread_->PostOnce(Messages::kHttpStateChanged, 0, 0);
}

void Transfer::Configure() {
    curl_easy_setopt(easy_, CURLOPT_URL, spec_.url.c_str());
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, curlError_);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMostRedirects);
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, kRedirectSchemes);
    curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
    // A reply that makes no progress (under one byte a second) for the stall time ends as a time-out.
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, limits_.connectTimeoutSeconds);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, limits_.stallSeconds);
    curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(easy_, CURLOPT_UPLOAD_BUFFERSIZE, kSendBufferBytes);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);

    if (IsMethod(spec_, "HEAD")) {
        curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
    } else if (!IsMethod(spec_, "GET") || spec_.body) {
        if (spec_.body) {
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(spec_.body->size));
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, spec_.body->data);
        }
        curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, spec_.method.c_str());
    }

    for (const auto& [name, value] : spec_.headers) {
        // "Name;" is libcurl's form of a header sent with an empty value.
        const std::string line = value.empty() ? name + ";" : name + ": " + value;
        headerList_ = curl_slist_append(headerList_, line.c_str());
    }
    if (spec_.body && !HasHeader(spec_, "Content-Type")) {
        const std::string line = spec_.defaultContentType.empty()
                                     ? std::string("Content-Type:")
                                     : "Content-Type: " + spec_.defaultContentType;
        headerList_ = curl_slist_append(headerList_, line.c_str());
    }
    if (!HasHeader(spec_, "Expect")) {
        headerList_ = curl_slist_append(headerList_, "Expect:");
    }
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);

    if (spec_.credentials) {
        curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_NTLM | CURLAUTH_NEGOTIATE);
        curl_easy_setopt(easy_, CURLOPT_USERNAME, spec_.credentials->user.c_str());
        curl_easy_setopt(easy_, CURLOPT_PASSWORD, spec_.credentials->password.c_str());
    } else if (NegotiateAvailable()) {
        // The current user's Kerberos tickets, when the server asks for them.
        curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, CURLAUTH_NEGOTIATE);
        curl_easy_setopt(easy_, CURLOPT_USERPWD, ":");
    }
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::string_view line = TrimmedLine(data, size * count);
    try {
        if (line.substr(0, 5) == "HTTP/") {
            // A new status line: an interim, redirected or re-authenticated reply starts over.
            const std::size_t codeAt = line.find(' ');
            transfer.status_ = codeAt == std::string_view::npos
                                   ? 0
                                   : std::atoi(std::string(line.substr(codeAt + 1, 3)).c_str());
            const std::size_t textAt =
                codeAt == std::string_view::npos ? std::string_view::npos : line.find(' ', codeAt + 1);
            transfer.statusText_ =
                textAt == std::string_view::npos ? std::string() : std::string(line.substr(textAt + 1));
            transfer.headerLines_.clear();
        } else if (line.empty()) {
            const std::optional<RedirectStep> redirect = transfer.RedirectOfReply();
            if (redirect == RedirectStep::Follow) {
                return size * count; // libcurl goes on to the next hop: this reply is not the request's
            }
            if (redirect == RedirectStep::RefuseHttpsToHttp) {
                transfer.httpsToHttp_ = true;
                return 0;
            }
            if (!transfer.headersReceived_ && transfer.status_ >= 200) {
                transfer.headersReceived_ = true;
                transfer.NotifyStateChanged();
            }
            if (redirect == RedirectStep::Report) {
                transfer.redirectReported_ = true;
                return 0; // ends the exchange before libcurl follows the redirect
            }
        } else {
            transfer.headerLines_.emplace_back(line);
            if (strncasecmp(line.data(), "Content-Length:", 15) == 0 && transfer.status_ >= 200 &&
                strcasecmp(transfer.spec_.method.c_str(), "HEAD") != 0) {
                const unsigned long long length =
                    std::strtoull(std::string(line.substr(15)).c_str(), nullptr, 10);
                if (length > transfer.limits_.largestBody) {
                    transfer.tooLarge_ = true;
                    return 0;
                }
                transfer.body_->Reserve(static_cast<std::size_t>(length)); // a hint only: growth still works
            }
        }
    } catch (const std::bad_alloc&) {
        transfer.outOfMemory_ = true;
        return 0;
    }
    return size * count;
}

size_t Transfer::OnBody(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    ByteBuffer& body = *transfer.body_;
    if (size * count > transfer.limits_.largestBody - body.Size()) {
        transfer.tooLarge_ = true;
        return 0;
    }
    const bool first = body.Size() == 0;
    if (!body.Append(data, size * count)) {
        transfer.outOfMemory_ = true;
        return 0;
    }
    if (first && body.Size() != 0) {
        transfer.NotifyStateChanged();
    }
    return size * count;
}

// What becomes of the reply whose headers just ended when it is a redirect (libcurl follows any 3xx
// reply with a Location); none for any other reply.
std::optional<RedirectStep> Transfer::RedirectOfReply() const {
    const std::string location = status_ >= 300 && status_ <= 399 ? Header("Location") : std::string();
    if (location.empty()) {
        return std::nullopt;
    }
    const char* url = nullptr;
    curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url);
    const bool carriesContent = spec_.body || !(IsMethod(spec_, "GET") || IsMethod(spec_, "HEAD"));
    return DecideRedirect(url != nullptr ? url : spec_.url, location, status_, carriesContent);
}

void Transfer::Finish(CURLcode result) {
    if (tooLarge_) {
        failure_ = ERROR_HTTP_INVALID_SERVER_RESPONSE; // a body too large to hand out cannot be used
    } else if (httpsToHttp_) {
        failure_ = ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR;
    } else {
        failure_ = redirectReported_ ? 0 : WinInetErrorFromCurl(result);
        if (failure_ != 0) {
            failureText_ = curlError_[0] != '\0' ? curlError_ : curl_easy_strerror(result);
            // libcurl's words may be general ("Couldn't connect to server"): the system's say why.
            long systemError = 0;
            if (easy_ != nullptr && curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &systemError) == CURLE_OK &&
                systemError != 0) {
                const std::string systemText = std::strerror(static_cast<int>(systemError));
                if (failureText_.find(systemText) == std::string::npos) {
                    failureText_ += " (" + systemText + ")";
                }
            }
        }
    }
    done_ = true;
    headersReceived_ = true;
    ReleaseHandle();
    NotifyStateChanged();
}

void Transfer::Poll() {
    const auto started = std::chrono::steady_clock::now();
    while (!done_) {
        session_->Perform();
        if (done_ || !session_->DataWaiting() || std::chrono::steady_clock::now() - started > kPollBudget) {
            return;
        }
    }
}

void Transfer::RunToEnd() {
    while (!done_) {
        session_->Perform();
        if (!done_) {
            session_->WaitForData(1000);
        }
    }
}

std::string Transfer::Header(std::string_view name) const {
    std::string joined;
    for (const std::string& line : headerLines_) {
        const std::size_t colon = line.find(':');
        if (colon != name.size() || strncasecmp(line.data(), name.data(), name.size()) != 0) {
            continue;
        }
        std::string_view value = std::string_view(line).substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        joined += (joined.empty() ? "" : ", ") + std::string(value);
    }
    return joined;
}

} // namespace Platform::Http
