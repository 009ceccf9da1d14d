// An HTTP server on 127.0.0.1 for transport tests: each request takes the next scripted reply (the
// last one repeats), and every request is kept for the test to inspect.
#pragma once

#include "tools/http-server/AcceptedConnections.h"

#include <httplib.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace TransportTest {

struct ScriptedReply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string contentType = "text/xml; charset=utf-8";
    std::chrono::milliseconds delay{0};
};

struct ReceivedRequest {
    std::string method;
    std::string path;
    // By name; the values of a name set more than once stand in the order sent.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::string Header(const std::string& name) const {
        for (const auto& [headerName, value] : headers) {
            if (headerName == name) {
                return value;
            }
        }
        return {};
    }
};

class TransportTestServer {
public:
    TransportTestServer() {
        const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
            Answer(request, response);
        };
        server_.Get(".*", handler);
        server_.Post(".*", handler);
        server_.Put(".*", handler);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    TransportTestServer(const TransportTestServer&) = delete;
    TransportTestServer& operator=(const TransportTestServer&) = delete;
    ~TransportTestServer() {
        server_.stop();
        HttpServerSupport::ShutDownAcceptedConnections(port_);
        thread_.join();
    }

    // Replies in the order given; the last one answers every later request.
    void Script(std::vector<ScriptedReply> replies) {
        std::lock_guard<std::mutex> lock(mutex_);
        replies_.assign(replies.begin(), replies.end());
    }

    std::vector<ReceivedRequest> Received() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

    std::wstring Url(const std::string& path) const {
        const std::string url = "http://127.0.0.1:" + std::to_string(port_) + path;
        return std::wstring(url.begin(), url.end());
    }

private:
    void Answer(const httplib::Request& request, httplib::Response& response) {
        ScriptedReply reply;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ReceivedRequest received{request.method, request.path, {}, request.body};
            for (const auto& [name, value] : request.headers) {
                received.headers.emplace_back(name, value);
            }
            received_.push_back(std::move(received));
            if (!replies_.empty()) {
                reply = replies_.front();
                if (replies_.size() > 1) {
                    replies_.pop_front();
                }
            }
        }
        std::this_thread::sleep_for(reply.delay);
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers) {
            response.set_header(name, value);
        }
        if (!reply.body.empty()) {
            response.set_content(reply.body, reply.contentType);
        }
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::deque<ScriptedReply> replies_;
    std::vector<ReceivedRequest> received_;
};

} // namespace TransportTest
