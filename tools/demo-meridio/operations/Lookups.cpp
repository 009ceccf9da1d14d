#include "tools/demo-meridio/operations/Lookups.h"

#include "tools/demo-meridio/soap/SoapFault.h"

namespace DemoMeridio {

const Document& RequireDocument(const Repository& repository, long id) {
    if (const Document* document = repository.FindDocument(id)) {
        return *document;
    }
    throw ServerFault("API Error 21001: The document " + std::to_string(id) + " does not exist.");
}

const Container& RequireContainer(const Repository& repository, long id) {
    if (const Container* container = repository.FindContainer(id)) {
        return *container;
    }
    throw ServerFault("API Error 22001: The container " + std::to_string(id) + " does not exist.");
}

} // namespace DemoMeridio
