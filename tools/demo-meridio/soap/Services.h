#pragma once
// The three web services the demo server answers, with what tells them apart on the wire.

#include <string_view>

namespace DemoMeridio {

enum class Service { DMWS, RMWS, SCWS };

struct ServiceInfo {
    Service service;
    std::string_view name;
    std::string_view path;               // compared without regard to case
    std::string_view ns;                 // namespace of the operations; SOAPAction = ns + "/" + action
    std::string_view tokenElement;       // child of MeridioCredentialHeader that holds the token
    std::string_view sessionExpiredText; // fault text for an unknown or expired session
};

const ServiceInfo& InfoOf(Service service);

// The service served at an HTTP path, or nullptr.
const ServiceInfo* ServiceForPath(std::string_view path);

inline constexpr std::string_view kSoapEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr std::string_view kXsdNs = "http://www.w3.org/2001/XMLSchema";
inline constexpr std::string_view kDmDataSetNs = "http://www.meridio.com/DMDataSet.xsd";
inline constexpr std::string_view kRmDataSetNs = "http://www.meridio.com/RMDataSet.xsd";
inline constexpr std::string_view kDiffgramNs = "urn:schemas-microsoft-com:xml-diffgram-v1";
inline constexpr std::string_view kMsdataNs = "urn:schemas-microsoft-com:xml-msdata";

} // namespace DemoMeridio
