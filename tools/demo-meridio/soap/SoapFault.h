#pragma once
// A failure that the server answers with a SOAP 1.1 fault (HTTP 500).

#include <stdexcept>
#include <string>

namespace DemoMeridio {

class SoapFault : public std::runtime_error {
public:
    enum class Code { Client, Server };
    SoapFault(Code code, const std::string& text) : std::runtime_error(text), code_(code) {}
    Code code() const { return code_; }

private:
    Code code_;
};

// The request does not have the shape the service expects.
inline SoapFault ClientFault(const std::string& text) {
    return SoapFault(SoapFault::Code::Client, text);
}
// The request is well formed but the server cannot do it (unknown object, bad login, expired session).
inline SoapFault ServerFault(const std::string& text) {
    return SoapFault(SoapFault::Code::Server, text);
}

} // namespace DemoMeridio
