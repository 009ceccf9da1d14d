// An HTTP server on 127.0.0.1 for tests and benchmarks, serving on its own thread.
#pragma once

#include "tools/http-server/AcceptedConnections.h"

#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

namespace PlatformTest {

class TestHttpServer {
public:
    TestHttpServer() = default;
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;
    ~TestHttpServer() { Stop(); }

    httplib::Server& Routes() { return server_; }

    // Call after adding routes.
    void Start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void Stop() {
        if (thread_.joinable()) {
            server_.stop();
            HttpServerSupport::ShutDownAcceptedConnections(port_);
            thread_.join();
        }
    }

    std::wstring Url(const std::string& path) const {
        const std::string url = "http://127.0.0.1:" + std::to_string(port_) + path;
        return std::wstring(url.begin(), url.end());
    }
    std::string NarrowUrl(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace PlatformTest
