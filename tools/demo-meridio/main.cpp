// demo-meridio: runs the demo Meridio server until SIGINT or SIGTERM.

#include "tools/demo-meridio/CommandLine.h"

#include <csignal>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    DemoMeridio::ServerOptions options;
    try {
        options = DemoMeridio::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << "demo-meridio: " << error.what() << "\n" << DemoMeridio::Usage();
        return 2;
    }
    // Block the stop signals before the server's threads start, so that only sigwait receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    try {
        DemoMeridio::DemoServer server(options);
        std::cout << server.Start() << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    } catch (const std::exception& error) {
        std::cerr << "demo-meridio: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
