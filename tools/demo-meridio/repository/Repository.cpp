#include "tools/demo-meridio/repository/Repository.h"

#include <algorithm>
#include <stdexcept>

namespace DemoMeridio {
namespace {

template <typename Map> auto* Lookup(Map& map, long id) {
    const auto found = map.find(id);
    return found == map.end() ? nullptr : &found->second;
}

template <typename Map> auto* PartIn(Map& containers, long partId) {
    decltype(&containers.begin()->second.parts.front()) found = nullptr;
    for (auto& [id, container] : containers) {
        for (auto& part : container.parts) {
            if (part.id == partId) {
                found = &part;
            }
        }
    }
    return found;
}

// False when the id was not there.
bool Erase(std::vector<long>& ids, long id) {
    const auto kept = std::remove(ids.begin(), ids.end(), id);
    const bool found = kept != ids.end();
    ids.erase(kept, ids.end());
    return found;
}

} // namespace

const CustomValue* Document::Property(int type, int id) const {
    const auto found = std::find_if(properties.begin(), properties.end(), [&](const CustomValue& value) {
        return value.type == type && value.id == id;
    });
    return found == properties.end() ? nullptr : &*found;
}

const std::string* SystemConfiguration::CustomPropertyName(int object, int type, int id) const {
    for (const PropertyDefinition& definition : customProperties) {
        if (definition.object == object && definition.type == type && definition.id == id) {
            return &definition.name;
        }
    }
    return nullptr;
}

const PropertyDefinition* SystemConfiguration::CustomPropertyNamed(int object,
                                                                   const std::string& name) const {
    for (const PropertyDefinition& definition : customProperties) {
        if (definition.object == object && definition.name == name) {
            return &definition;
        }
    }
    return nullptr;
}

void Repository::AddContainer(Container container) {
    const long id = container.id;
    if (!containers_.emplace(id, std::move(container)).second) {
        throw std::invalid_argument("container id " + std::to_string(id) + " is used twice");
    }
}

void Repository::AddDocument(Document document) {
    const long id = document.id;
    if (document.versions.empty()) {
        throw std::invalid_argument("document " + std::to_string(id) + " has no version");
    }
    if (!documents_.emplace(id, std::move(document)).second) {
        throw std::invalid_argument("document id " + std::to_string(id) + " is used twice");
    }
}

const Container* Repository::FindContainer(long id) const {
    return Lookup(containers_, id);
}
Container* Repository::FindContainer(long id) {
    return Lookup(containers_, id);
}
const Document* Repository::FindDocument(long id) const {
    return Lookup(documents_, id);
}
Document* Repository::FindDocument(long id) {
    return Lookup(documents_, id);
}

long Repository::AddNewDocument(Document document) {
    document.id = documents_.empty() ? 1 : documents_.rbegin()->first + 1;
    const long id = document.id;
    documents_.emplace(id, std::move(document));
    return id;
}

long Repository::AddNewContainer(Container container) {
    container.id = containers_.empty() ? 1 : containers_.rbegin()->first + 1;
    const long id = container.id;
    containers_.emplace(id, std::move(container));
    return id;
}

bool Repository::DeleteContainer(long id) {
    if (containers_.erase(id) == 0) {
        return false;
    }
    std::vector<long> children;
    for (const auto& [childId, container] : containers_) {
        if (container.parentId == id) {
            children.push_back(childId);
        }
    }
    for (long child : children) {
        DeleteContainer(child);
    }
    return true;
}

std::vector<const Container*> Repository::ChildContainers(long id) const {
    std::vector<const Container*> children;
    for (const auto& [childId, container] : containers_) {
        if (container.parentId == id && childId != id) {
            children.push_back(&container);
        }
    }
    return children;
}

std::vector<const Document*> Repository::DocumentsIn(const Container& container) const {
    std::vector<long> ids = container.documentIds;
    for (const Part& part : container.parts) {
        for (long id : part.documentIds) {
            if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
                ids.push_back(id);
            }
        }
    }
    std::vector<const Document*> documents;
    for (long id : ids) {
        const Document* document = FindDocument(id);
        if (document && !document->markedForDelete) {
            documents.push_back(document);
        }
    }
    return documents;
}

std::vector<Repository::PartPlace> Repository::PartsHolding(long documentId) const {
    std::vector<PartPlace> places;
    for (const auto& [id, container] : containers_) {
        for (const Part& part : container.parts) {
            if (std::find(part.documentIds.begin(), part.documentIds.end(), documentId) !=
                part.documentIds.end()) {
                places.push_back({id, part.id});
            }
        }
    }
    return places;
}

const Part* Repository::FindPart(long partId) const {
    return PartIn(containers_, partId);
}

Part* Repository::FindPart(long partId) {
    return PartIn(containers_, partId);
}

bool Repository::RemoveReference(long containerId, long documentId) {
    Container* container = FindContainer(containerId);
    return container != nullptr && Erase(container->documentIds, documentId);
}

bool Repository::RemoveFromPart(long partId, long documentId) {
    Part* part = PartIn(containers_, partId);
    return part != nullptr && Erase(part->documentIds, documentId);
}

const Version& Repository::AddVersion(long documentId, std::string content, const std::string& date,
                                      const std::string& fileName, const std::string& author) {
    Document* document = FindDocument(documentId);
    if (!document) {
        throw std::invalid_argument("no document " + std::to_string(documentId));
    }
    const Version& latest = document->Latest();
    Version next{latest.id + 1, fileName.empty() ? latest.fileName : fileName, date,
                 author.empty() ? latest.author : author};
    document->content = std::move(content);
    document->versions.push_back(std::move(next));
    return document->Latest();
}

bool Repository::DeleteDocument(long documentId) {
    if (documents_.erase(documentId) == 0) {
        return false;
    }
    for (auto& [id, container] : containers_) {
        Erase(container.documentIds, documentId);
        for (Part& part : container.parts) {
            Erase(part.documentIds, documentId);
        }
    }
    return true;
}

} // namespace DemoMeridio
