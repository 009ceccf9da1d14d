#include "tools/demo-meridio/operations/Lookups.h"

#include "tools/demo-meridio/soap/SoapFault.h"

#include <utility>

namespace DemoMeridio {

const Document& RequireDocument(const Repository& repository, long id) {
    if (const Document* document = repository.FindDocument(id)) {
        return *document;
    }
    throw ServerFault("API Error 21001: The document " + std::to_string(id) + " does not exist.");
}

Document& RequireDocument(Repository& repository, long id) {
    return const_cast<Document&>(RequireDocument(std::as_const(repository), id));
}

const Container& RequireContainer(const Repository& repository, long id) {
    if (const Container* container = repository.FindContainer(id)) {
        return *container;
    }
    throw ServerFault("API Error 22001: The container " + std::to_string(id) + " does not exist.");
}

Container& RequireContainer(Repository& repository, long id) {
    return const_cast<Container&>(RequireContainer(std::as_const(repository), id));
}

} // namespace DemoMeridio
