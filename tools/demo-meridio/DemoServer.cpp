#include "tools/demo-meridio/DemoServer.h"

#include "tools/demo-meridio/ReplyEncoding.h"
#include "tools/demo-meridio/repository/ManifestLoader.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/http-server/AcceptedConnections.h"

#include <algorithm>

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <fstream>
#include <iostream>
#include <limits>
#include <stdexcept>

namespace DemoMeridio {
namespace {

HttpReply BusyReply(const FaultSettings& faults) {
    HttpReply reply;
    reply.status = faults.busyStatus;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = faults.busyStatus == 429 ? "Too Many Requests" : "Service Unavailable";
    if (faults.retryAfterSeconds) {
        reply.headers.emplace_back("Retry-After", std::to_string(*faults.retryAfterSeconds));
    }
    return reply;
}

IncomingRequest ToIncoming(const httplib::Request& request) {
    IncomingRequest incoming{request.method, request.path, request.get_header_value("Content-Type"),
                             std::nullopt, request.body};
    if (request.has_header("SOAPAction")) {
        incoming.soapAction = request.get_header_value("SOAPAction");
    }
    return incoming;
}

// The SOAPAction's last segment ("Login"); empty without the header.
std::string ActionOf(const IncomingRequest& request) {
    const std::string action = request.soapAction.value_or("");
    return action.substr(action.rfind('/') + 1);
}

// Announces the whole length but sends only the first half of the body, then drops the connection.
void SetCutOffContent(httplib::Response& response, const HttpReply& reply) {
    auto body = std::make_shared<std::string>(reply.body);
    const std::size_t half = body->size() / 2;
    response.set_content_provider(body->size(), reply.contentType,
                                  [body, half](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                      if (offset >= half) {
                                          return false;
                                      }
                                      sink.write(body->data() + offset, half - offset);
                                      return true;
                                  });
}

// Sends the body in the coding the client accepts (ReplyEncoding.h). A body of known length goes
// through a content provider, so that the HTTP library adds no coding of its own.
void SetEncodedContent(httplib::Response& response, HttpReply& reply, const std::string& acceptEncoding) {
    EncodedBody encoded = EncodeReplyBody(std::move(reply.body), reply.contentType, acceptEncoding);
    if (encoded.body.empty()) {
        response.set_content("", reply.contentType);
        return;
    }
    if (!encoded.contentEncoding.empty()) {
        response.set_header("Content-Encoding", encoded.contentEncoding);
    }
    auto body = std::make_shared<std::string>(std::move(encoded.body));
    response.set_content_provider(body->size(), reply.contentType,
                                  [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                      sink.write(body->data() + offset,
                                                 std::min(length, body->size() - offset));
                                      return true;
                                  });
}

} // namespace

DemoServer::DemoServer(const ServerOptions& options)
    : dispatcher_(DefaultOperations(), LoadRepository(options.contentDir),
                  ServerSettings{options.uncRoot, {}}),
      faults_(options.faults), uploadCopy_(options.uploadCopy), http_(std::make_unique<httplib::Server>()),
      port_(options.port) {
    dispatcher_.sessions().ExpireAfter(faults_.sessionRequests);
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response);
    };
    http_->Post(".*", handler);
    http_->Get(".*", handler);
    // As a production server's defaults: connections stay open for any number of requests, and a
    // reply's pieces (headers, body) go out at once rather than waiting for the client's
    // acknowledgement (Nagle), which would add the client's delayed-ack time to every kept-alive
    // request. Accepted connections take TCP_NODELAY from the listening socket.
    http_->set_keep_alive_max_count(std::numeric_limits<std::size_t>::max());
    http_->set_socket_options([](int socket) {
        httplib::default_socket_options(socket);
        const int on = 1;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    });
}

DemoServer::~DemoServer() {
    Stop();
}

int DemoServer::Start() {
    if (thread_.joinable()) {
        return port_;
    }
    const bool bound = port_ == 0 ? (port_ = http_->bind_to_any_port("127.0.0.1")) > 0
                                  : http_->bind_to_port("127.0.0.1", port_);
    if (!bound) {
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port_));
    }
    thread_ = std::thread([this] { http_->listen_after_bind(); });
    // A Stop() before the thread listens would not reach it, so Start returns once it listens.
    while (!http_->is_running()) {
        std::this_thread::yield();
    }
    return port_;
}

void DemoServer::Stop() {
    if (thread_.joinable()) {
        http_->stop();
        HttpServerSupport::ShutDownAcceptedConnections(port_);
        thread_.join();
    }
}

std::string DemoServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void DemoServer::FailNextRequests(int count, int status, std::optional<int> retryAfterSeconds) {
    std::lock_guard lock(mutex_);
    faults_.busyReplies = count;
    faults_.busyStatus = status;
    faults_.retryAfterSeconds = retryAfterSeconds;
}

void DemoServer::SetHealthScore(std::optional<int> score) {
    std::lock_guard lock(mutex_);
    faults_.healthScore = score;
}

void DemoServer::SetLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(mutex_);
    faults_.latency = latency;
}

void DemoServer::CutOffNextReplies(int count) {
    std::lock_guard lock(mutex_);
    faults_.cutOffReplies = count;
}

void DemoServer::ExpireSessionsAfter(std::optional<int> requests) {
    std::lock_guard lock(mutex_);
    dispatcher_.sessions().ExpireAfter(requests);
}

void DemoServer::BreakNextListings(int count) {
    std::lock_guard lock(mutex_);
    dispatcher_.switches().brokenListings = count;
}

void DemoServer::BreakListingsOf(std::optional<long> containerId) {
    std::lock_guard lock(mutex_);
    dispatcher_.switches().brokenContainer = containerId;
}

void DemoServer::ExpireSessionAt(const std::string& action) {
    std::lock_guard lock(mutex_);
    dispatcher_.switches().expireSessionAt = action;
}

void DemoServer::RefuseNextRequest(const std::string& pathFragment, const std::string& action,
                                   const std::string& faultText) {
    std::lock_guard lock(mutex_);
    refusal_ = Refusal{pathFragment, action, faultText};
}

void DemoServer::RewriteNextReply(const std::string& action, std::function<void(HttpReply&)> rewrite) {
    std::lock_guard lock(mutex_);
    rewrittenAction_ = action;
    rewrite_ = std::move(rewrite);
}

void DemoServer::BeforeNextRequest(const std::string& action, std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    hookedAction_ = action;
    hook_ = std::move(hook);
}

void DemoServer::HandOutByReferencePath(std::optional<std::string> path) {
    std::lock_guard lock(mutex_);
    dispatcher_.settings().byReferencePath = path.value_or(std::string());
}

void DemoServer::SetRequestHook(std::function<void(std::size_t, RequestStage)> hook) {
    std::lock_guard lock(mutex_);
    requestHook_ = std::move(hook);
}

void DemoServer::ChangeRepository(const std::function<void(Repository&)>& change) {
    std::lock_guard lock(mutex_);
    change(dispatcher_.repository());
}

std::vector<IncomingRequest> DemoServer::ReceivedRequests() const {
    std::lock_guard lock(mutex_);
    return received_;
}

// Written under another name and renamed, so that the file is never seen half-written.
void DemoServer::SaveFirstUpload(const IncomingRequest& request) {
    if (uploadCopy_.empty() || uploadSaved_ || ActionOf(request) != "AddObject2") {
        return;
    }
    uploadSaved_ = true;
    std::filesystem::path partial = uploadCopy_;
    partial += ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(request.body.data(), static_cast<std::streamsize>(request.body.size()));
    out.close();
    std::error_code error;
    if (out.fail() || (std::filesystem::rename(partial, uploadCopy_, error), error)) {
        std::cerr << "demo-meridio: cannot save the upload to " << uploadCopy_ << "\n";
    }
}

HttpReply DemoServer::RefusalOrDispatch(const IncomingRequest& request) {
    if (refusal_ && request.path.find(refusal_->pathFragment) != std::string::npos &&
        ActionOf(request) == refusal_->action) {
        const HttpReply reply = FaultReply(ServerFault(refusal_->faultText));
        refusal_.reset();
        return reply;
    }
    return dispatcher_.Dispatch(request);
}

void DemoServer::Handle(const httplib::Request& request, httplib::Response& response) {
    const IncomingRequest incoming = ToIncoming(request);
    const std::string action = ActionOf(incoming);
    std::chrono::milliseconds latency;
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        latency = faults_.latency;
        if (action.rfind("GetLatestVersionFile", 0) == 0) {
            latency += faults_.downloadDelay;
        }
        if (hook_ && action == hookedAction_) {
            hook = std::move(hook_);
            hook_ = nullptr;
        }
    }
    if (latency.count() > 0) {
        std::this_thread::sleep_for(latency);
    }
    if (hook) {
        hook();
    }
    // The request hook runs outside the server's lock, so that it may look at the server while it
    // holds the client up.
    std::function<void(std::size_t, RequestStage)> requestHook;
    std::size_t number = 0;
    {
        std::lock_guard lock(mutex_);
        received_.push_back(incoming);
        number = received_.size();
        requestHook = requestHook_;
    }
    if (requestHook) {
        requestHook(number, RequestStage::Received);
    }
    HttpReply reply;
    bool cutOff = false;
    {
        std::lock_guard lock(mutex_);
        SaveFirstUpload(incoming);
        if (faults_.busyReplies > 0) {
            --faults_.busyReplies;
            reply = BusyReply(faults_);
        } else {
            reply = RefusalOrDispatch(incoming);
        }
        if (rewrite_ && action == rewrittenAction_) {
            const auto rewrite = std::move(rewrite_);
            rewrite_ = nullptr;
            rewrite(reply);
        }
        if (faults_.cutOffReplies > 0) {
            --faults_.cutOffReplies;
            cutOff = true;
        }
        if (faults_.healthScore) {
            reply.headers.emplace_back("X-SharePointHealthScore", std::to_string(*faults_.healthScore));
        }
    }
    if (requestHook) {
        requestHook(number, RequestStage::Answered);
    }
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) {
        response.set_header(name, value);
    }
    if (cutOff) {
        SetCutOffContent(response, reply);
    } else {
        SetEncodedContent(response, reply, request.get_header_value("Accept-Encoding"));
    }
}

} // namespace DemoMeridio
