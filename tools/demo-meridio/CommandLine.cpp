#include "tools/demo-meridio/CommandLine.h"

#include <charconv>
#include <functional>
#include <map>
#include <stdexcept>

namespace DemoMeridio {
namespace {

int NumberValue(const std::string& option, const std::string& text, int minimum, int maximum) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < minimum ||
        value > maximum) {
        throw std::invalid_argument(option + " needs a number from " + std::to_string(minimum) + " to " +
                                    std::to_string(maximum) + ", got \"" + text + "\"");
    }
    return value;
}

constexpr int kMaxCount = 1000000;

} // namespace

ServerOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    ServerOptions options;
    FaultSettings& faults = options.faults;
    using Setter = std::function<void(const std::string& option, const std::string& value)>;
    const std::map<std::string, Setter> setters{
        {"--port", [&](auto& o, auto& v) { options.port = NumberValue(o, v, 0, 65535); }},
        {"--content", [&](auto&, auto& v) { options.contentDir = v; }},
        {"--unc-root", [&](auto&, auto& v) { options.uncRoot = v; }},
        {"--save-upload", [&](auto&, auto& v) { options.uploadCopy = v; }},
        {"--busy", [&](auto& o, auto& v) { faults.busyReplies = NumberValue(o, v, 0, kMaxCount); }},
        {"--busy-status",
         [&](auto& o, auto& v) {
             faults.busyStatus = NumberValue(o, v, 429, 503);
             if (faults.busyStatus != 429 && faults.busyStatus != 503) {
                 throw std::invalid_argument(o + " must be 503 or 429");
             }
         }},
        {"--retry-after", [&](auto& o, auto& v) { faults.retryAfterSeconds = NumberValue(o, v, 0, 86400); }},
        {"--health-score", [&](auto& o, auto& v) { faults.healthScore = NumberValue(o, v, 0, 10); }},
        {"--latency-ms",
         [&](auto& o, auto& v) { faults.latency = std::chrono::milliseconds(NumberValue(o, v, 0, 600000)); }},
        {"--download-delay-ms",
         [&](auto& o, auto& v) {
             faults.downloadDelay = std::chrono::milliseconds(NumberValue(o, v, 0, 600000));
         }},
        {"--cut-off", [&](auto& o, auto& v) { faults.cutOffReplies = NumberValue(o, v, 0, kMaxCount); }},
        {"--session-requests",
         [&](auto& o, auto& v) { faults.sessionRequests = NumberValue(o, v, 0, kMaxCount); }},
    };
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        const auto setter = setters.find(arguments[i]);
        if (setter == setters.end()) {
            throw std::invalid_argument("unknown option " + arguments[i]);
        }
        if (i + 1 >= arguments.size()) {
            throw std::invalid_argument(arguments[i] + " needs a value");
        }
        setter->second(arguments[i], arguments[i + 1]);
    }
    if (options.contentDir.empty()) {
        throw std::invalid_argument("--content DIR is required");
    }
    return options;
}

std::string Usage() {
    return "usage: demo-meridio --content DIR [--port N] [--unc-root DIR] [--save-upload FILE]\n"
           "       [--busy N [--busy-status 503|429] [--retry-after SECONDS]] [--health-score 0-10]\n"
           "       [--latency-ms N] [--download-delay-ms N] [--cut-off N] [--session-requests N]\n"
           "Serves DMWS, RMWS and SCWS on 127.0.0.1 (port 0: any free port) and prints the port.\n";
}

} // namespace DemoMeridio
