#include "tools/demo-meridio/repository/ManifestLoader.h"

#include "tools/demo-meridio/Utf8Paths.h"

#include <fstream>
#include <iterator>
#include <pugixml.hpp>
#include <regex>
#include <stdexcept>
#include <string_view>

namespace DemoMeridio {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const pugi::xml_node& node, const std::string& what) {
    throw std::runtime_error("manifest: <" + std::string(node.name()) + " id=\"" +
                             node.attribute("id").value() + "\">: " + what);
}

std::string RequiredAttribute(const pugi::xml_node& node, const char* name) {
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) {
        Fail(node, std::string("attribute ") + name + " is missing");
    }
    return attribute.value();
}

long NumberAttribute(const pugi::xml_node& node, const char* name,
                     std::optional<long> fallback = std::nullopt) {
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute && fallback) {
        return *fallback;
    }
    const std::string text = RequiredAttribute(node, name);
    try {
        std::size_t used = 0;
        const long value = std::stol(text, &used);
        if (used == text.size()) {
            return value;
        }
    } catch (const std::logic_error&) {
    }
    Fail(node, std::string("attribute ") + name + " is not a number: " + text);
}

std::string DateAttribute(const pugi::xml_node& node, const char* name) {
    static const std::regex kDate(R"(\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}Z)");
    const std::string text = RequiredAttribute(node, name);
    if (!std::regex_match(text, kDate)) {
        Fail(node, std::string("attribute ") + name + " is not a date yyyy-mm-ddThh:mm:ssZ: " + text);
    }
    return text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("manifest: cannot read " + path.string());
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ContainerKind KindOf(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    if (name == "container") {
        return ContainerKind::Container;
    }
    if (name == "class") {
        return ContainerKind::Class;
    }
    return ContainerKind::Folder;
}

bool IsContainerElement(std::string_view name) {
    return name == "container" || name == "class" || name == "folder";
}

class Loader {
public:
    Loader(Repository& repository, fs::path root) : repository_(repository), root_(std::move(root)) {}

    void LoadConfiguration(const pugi::xml_node& node) {
        SystemConfiguration& configuration = repository_.configuration;
        for (const pugi::xml_node category : node.children("category")) {
            configuration.categories.push_back(
                {static_cast<int>(NumberAttribute(category, "id")), RequiredAttribute(category, "name")});
        }
        for (const pugi::xml_node property : node.children("fixedProperty")) {
            configuration.fixedProperties.push_back(Definition(property));
        }
        for (const pugi::xml_node property : node.children("customProperty")) {
            configuration.customProperties.push_back(Definition(property));
        }
    }

    void LoadContainer(const pugi::xml_node& node, long parentId, const fs::path& parentDir) {
        Container container;
        container.id = NumberAttribute(node, "id");
        container.parentId = parentId;
        container.kind = KindOf(node);
        container.title = RequiredAttribute(node, "title");
        container.owner = node.attribute("owner").as_string("Administrator");
        container.canDo = static_cast<int>(NumberAttribute(node, "canDo", -1));
        container.inherit = node.attribute("inherit").as_bool(true);
        const fs::path dir =
            parentDir / PathFromUtf8(node.attribute("dir").as_string(container.title.c_str()));
        if (!fs::is_directory(root_ / dir)) {
            Fail(node, "no directory " + (root_ / dir).string());
        }
        for (const pugi::xml_node child : node.children()) {
            const std::string_view name = child.name();
            if (IsContainerElement(name)) {
                LoadContainer(child, container.id, dir);
            } else if (name == "link") {
                container.linkedContainerIds.push_back(NumberAttribute(child, "container"));
            } else if (name == "document" || name == "reference") {
                container.documentIds.push_back(LoadMember(child, dir));
            } else if (name == "access") {
                container.access.push_back(Access(child));
            } else if (name == "property") {
                container.properties.push_back(
                    {RequiredAttribute(child, "name"), RequiredAttribute(child, "value")});
            } else if (name == "part" && container.kind == ContainerKind::Folder) {
                Part part{NumberAttribute(child, "id"), RequiredAttribute(child, "title"), {}};
                for (const pugi::xml_node member : child.children()) {
                    part.documentIds.push_back(LoadMember(member, dir));
                }
                container.parts.push_back(std::move(part));
            } else if (child.type() == pugi::node_element) {
                Fail(node, "unexpected element <" + std::string(name) + ">");
            }
        }
        if (container.kind == ContainerKind::Folder) {
            if (container.parts.empty()) {
                Fail(node, "a records-management folder needs a part");
            }
            container.currentPartId = NumberAttribute(node, "currentPart", container.parts.back().id);
        }
        repository_.AddContainer(std::move(container));
    }

    void CheckReferences() const {
        for (const auto& [node, id] : references_) {
            if (!repository_.FindDocument(id)) {
                Fail(node, "refers to no document " + std::to_string(id));
            }
        }
    }

private:
    static PropertyDefinition Definition(const pugi::xml_node& node) {
        return {static_cast<int>(NumberAttribute(node, "object")),
                static_cast<int>(NumberAttribute(node, "type")),
                static_cast<int>(NumberAttribute(node, "id")), RequiredAttribute(node, "name")};
    }

    // <access permission="n" group="id"/> or <access permission="n" user="id"/>.
    static AccessEntry Access(const pugi::xml_node& node) {
        const bool isGroup = static_cast<bool>(node.attribute("group"));
        if (isGroup == static_cast<bool>(node.attribute("user"))) {
            Fail(node, "an <access> names either a group or a user");
        }
        return {static_cast<int>(NumberAttribute(node, "permission")), isGroup,
                NumberAttribute(node, isGroup ? "group" : "user")};
    }

    // A <document> defined here or a <reference document="id"/> to one defined elsewhere.
    long LoadMember(const pugi::xml_node& node, const fs::path& dir) {
        if (std::string_view(node.name()) == "reference") {
            const long id = NumberAttribute(node, "document");
            references_.emplace_back(node, id);
            return id;
        }
        if (std::string_view(node.name()) != "document") {
            Fail(node, "expected <document> or <reference>");
        }
        Document document;
        document.id = NumberAttribute(node, "id");
        const std::string file = RequiredAttribute(node, "file");
        document.title = node.attribute("title").as_string(Utf8FromPath(PathFromUtf8(file).stem()).c_str());
        document.categoryId = static_cast<int>(NumberAttribute(node, "category", 4));
        document.createdBy = RequiredAttribute(node, "createdBy");
        document.created = DateAttribute(node, "created");
        document.canDo = static_cast<int>(NumberAttribute(node, "canDo", -1));
        document.isRecord = node.attribute("record").as_bool(false);
        document.downloadFault = node.attribute("downloadFault").as_string();
        document.content = ReadFile(root_ / dir / PathFromUtf8(file));
        for (const pugi::xml_node child : node.children()) {
            const std::string_view name = child.name();
            if (name == "version") {
                document.versions.push_back(
                    {NumberAttribute(child, "id"), child.attribute("file").as_string(file.c_str()),
                     DateAttribute(child, "date"),
                     child.attribute("author").as_string(document.createdBy.c_str())});
            } else if (name == "lock") {
                document.lock = Lock{RequiredAttribute(child, "user"), DateAttribute(child, "date")};
            } else if (name == "property") {
                document.properties.push_back({static_cast<int>(NumberAttribute(child, "type")),
                                               static_cast<int>(NumberAttribute(child, "id")),
                                               RequiredAttribute(child, "value")});
            } else if (child.type() == pugi::node_element) {
                Fail(node, "unexpected element <" + std::string(name) + ">");
            }
        }
        if (document.versions.empty()) {
            Fail(node, "a document needs a <version>");
        }
        document.versions.back().fileName = file;
        const long id = document.id;
        repository_.AddDocument(std::move(document));
        return id;
    }

    Repository& repository_;
    fs::path root_;
    std::vector<std::pair<pugi::xml_node, long>> references_;
};

} // namespace

Repository LoadRepository(const fs::path& contentDir) {
    const fs::path manifestPath = contentDir / "manifest.xml";
    pugi::xml_document manifest;
    const pugi::xml_parse_result parsed = manifest.load_file(manifestPath.c_str());
    if (!parsed) {
        throw std::runtime_error("manifest: cannot load " + manifestPath.string() + ": " +
                                 parsed.description());
    }
    const pugi::xml_node root = manifest.child("repository");
    if (!root) {
        throw std::runtime_error("manifest: the root element must be <repository>");
    }
    Repository repository;
    const pugi::xml_node credentials = root.child("credentials");
    repository.credentials = {RequiredAttribute(credentials, "user"),
                              RequiredAttribute(credentials, "password")};

    Loader loader(repository, contentDir);
    loader.LoadConfiguration(root.child("configuration"));
    try {
        for (const pugi::xml_node child : root.children()) {
            if (IsContainerElement(child.name())) {
                loader.LoadContainer(child, 0, ".");
            }
        }
    } catch (const std::invalid_argument& duplicate) {
        throw std::runtime_error(std::string("manifest: ") + duplicate.what());
    }
    loader.CheckReferences();
    return repository;
}

} // namespace DemoMeridio
