#pragma once
// Session tokens issued by the logins and checked on every later request. A limit, when set, lets a
// token serve that many requests; later ones are refused as an expired session.

#include <map>
#include <optional>
#include <random>
#include <string>

namespace DemoMeridio {

class SessionTable {
public:
    SessionTable();

    std::string Issue();
    // Counts one request on the token; false when the token is unknown or has used up its requests.
    bool Use(const std::string& token);
    // Applies to every token, counting the requests each has served so far; nullopt: no limit.
    void ExpireAfter(std::optional<int> requests) { limit_ = requests; }
    // Ends the token's session at once: later requests with it are refused as an expired session.
    void Expire(const std::string& token) { requestsServed_.erase(token); }

private:
    std::map<std::string, int> requestsServed_;
    std::optional<int> limit_;
    std::mt19937_64 random_;
};

} // namespace DemoMeridio
