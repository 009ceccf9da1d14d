// For the in-process HTTP servers of the demo and the tests (cpp-httplib): a server thread that waits
// for the next request on a kept-alive connection notices a stop only when its keep-alive time runs
// out, so a server whose clients keep their connections open (as HTTP clients do) would take that long
// to stop. Shutting down the connections it accepted ends those waits at once.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace HttpServerSupport {

// Shuts down (without closing: the server thread closes its descriptor) every TCP connection of this
// process whose local end is `port`, i.e. every connection a server listening there accepted. Call it
// after the server stopped listening.
inline void ShutDownAcceptedConnections(int port) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const int descriptor = std::atoi(entry.path().filename().c_str());
        sockaddr_storage local{};
        socklen_t localSize = sizeof(local);
        sockaddr_storage peer{};
        socklen_t peerSize = sizeof(peer);
        if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) {
            continue;
        }
        const int localPort =
            local.ss_family == AF_INET    ? ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port)
            : local.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6&>(local).sin6_port)
                                          : -1;
        if (localPort == port) {
            shutdown(descriptor, SHUT_RDWR);
        }
    }
}

} // namespace HttpServerSupport
