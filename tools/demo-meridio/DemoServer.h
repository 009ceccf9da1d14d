#pragma once
// The demo Meridio server: serves DMWS, RMWS and SCWS over HTTP on 127.0.0.1 from a repository in
// memory seeded from a content directory. Tests start it in-process, switch faults on, and change the
// repository to check what a client makes of new versions and deletions.

#include "tools/demo-meridio/FaultSettings.h"
#include "tools/demo-meridio/RequestDispatcher.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace DemoMeridio {

// Where a request is when the request hook sees it: just received, or carried out with its reply not
// yet sent.
enum class RequestStage { Received, Answered };

struct ServerOptions {
    std::filesystem::path contentDir;
    int port = 0; // 0: any free port
    std::filesystem::path uncRoot;
    // The body of the first upload (AddObject2) received is written here as it came in, for replaying
    // it with curl; empty: none is saved.
    std::filesystem::path uploadCopy;
    FaultSettings faults;
};

class DemoServer {
public:
    // Loads the content; throws std::runtime_error when it cannot.
    explicit DemoServer(const ServerOptions& options);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Listens on 127.0.0.1 and serves on a thread of its own; returns the port. Throws when it cannot bind.
    int Start();
    void Stop();
    int Port() const { return port_; }
    std::string BaseUrl() const;

    void FailNextRequests(int count, int status, std::optional<int> retryAfterSeconds = std::nullopt);
    void SetHealthScore(std::optional<int> score);
    void SetLatency(std::chrono::milliseconds latency);
    void CutOffNextReplies(int count);
    void ExpireSessionsAfter(std::optional<int> requests);
    // The next count container listings (OutlookGetContainerFullEx) carry contents text that stops
    // half-way, inside a well-formed reply.
    void BreakNextListings(int count);
    // Every listing of the container is broken the same way (nullopt: none is any more).
    void BreakListingsOf(std::optional<long> containerId);
    // The next request of the action (e.g. "AddObject2") meets an expired session; a new login's
    // token serves again.
    void ExpireSessionAt(const std::string& action);
    // The next request of the action whose path holds the fragment (e.g. "/rmws/") is refused with a
    // server fault of that text before the repository sees it.
    void RefuseNextRequest(const std::string& pathFragment, const std::string& action,
                           const std::string& faultText);
    // The next reply to a request of the action passes through the rewrite before it is sent, for a
    // reply no repository state gives (a missing id, a fault in place of a result).
    void RewriteNextReply(const std::string& action, std::function<void(HttpReply&)> rewrite);
    // When the next request of the action comes in, the hook runs before the request is answered
    // (outside the server's lock, so it may change the repository), as a slow server's window.
    void BeforeNextRequest(const std::string& action, std::function<void()> hook);
    // GetLatestVersionFileByRef hands out this path (nullopt: the server's own copy again).
    void HandOutByReferencePath(std::optional<std::string> path);

    // The hook sees every request at both stages with its number among those received (from 1),
    // before the server goes on; a test holds up or stops the client there. It runs outside the
    // server's lock. Empty: none.
    void SetRequestHook(std::function<void(std::size_t received, RequestStage stage)> hook);

    // Runs the change on the repository between requests.
    void ChangeRepository(const std::function<void(Repository&)>& change);

    // Every request received so far, oldest first, as it came in (busy and cut-off ones too).
    std::vector<IncomingRequest> ReceivedRequests() const;

private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    void SaveFirstUpload(const IncomingRequest& request);
    // The refusal's fault when it is meant for the request, else the dispatcher's reply.
    HttpReply RefusalOrDispatch(const IncomingRequest& request);

    mutable std::mutex mutex_; // guards the dispatcher (repository, sessions), the faults and the log
    RequestDispatcher dispatcher_;
    FaultSettings faults_;
    std::string rewrittenAction_;
    std::function<void(HttpReply&)> rewrite_;
    std::function<void(std::size_t, RequestStage)> requestHook_;
    std::string hookedAction_;
    std::function<void()> hook_;
    std::vector<IncomingRequest> received_;
    std::filesystem::path uploadCopy_;
    bool uploadSaved_ = false;
    struct Refusal {
        std::string pathFragment;
        std::string action;
        std::string faultText;
    };
    std::optional<Refusal> refusal_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace DemoMeridio
