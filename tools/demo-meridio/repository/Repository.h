#pragma once
// The demo server's repository in memory: containers (document-management containers and
// records-management classes and folders with their parts), documents with their versions, locks,
// rights masks, record flags and custom properties, the login credentials and the system configuration.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace DemoMeridio {

// Object kinds as the server numbers them.
enum class ContainerKind { Folder = 6, Class = 20, Container = 100 };

struct CustomValue {
    int type = 0;
    int id = 0;
    std::string value;
};

struct Version {
    long id = 0;
    std::string fileName;
    std::string date; // "yyyy-mm-ddThh:mm:ssZ"
    std::string author;
};

struct Lock {
    std::string user;
    std::string date;
};

struct Document {
    long id = 0;
    std::string title;
    int categoryId = 4;
    std::string createdBy;
    std::string created;
    int canDo = -1; // rights mask of the logged-in user
    bool isRecord = false;
    bool markedForDelete = false; // gone from listings, kept until the server purges it
    std::optional<Lock> lock;
    std::vector<Version> versions;       // oldest first; the last is the latest
    std::string content;                 // the latest version's bytes
    std::vector<CustomValue> properties; // custom properties of object 9 (documents)
    std::string downloadFault;           // when set, a download is answered with this server fault

    const Version& Latest() const { return versions.back(); }
    const CustomValue* Property(int type, int id) const;
};

struct Part {
    long id = 0;
    std::string title;
    std::vector<long> documentIds;
};

// One row of a container's access list: a permission for a group or a user.
struct AccessEntry {
    int permission = 0;
    bool isGroup = true;
    long principalId = 0;
};

// A custom property of a container, by its display name.
struct ContainerProperty {
    std::string name;
    std::string value;
};

struct Container {
    long id = 0;
    long parentId = 0; // 0 for a top container
    ContainerKind kind = ContainerKind::Container;
    std::string title;
    std::string owner;
    int canDo = -1;
    bool inherit = true; // new objects inside take the container's access list
    std::vector<AccessEntry> access;
    std::vector<ContainerProperty> properties;
    std::vector<long> documentIds; // document references of a document-management container
    // Containers its listing names as sub-containers besides its own (an ancestor makes a cycle);
    // only the container listing shows them.
    std::vector<long> linkedContainerIds;
    std::vector<Part> parts; // parts of a records-management folder
    long currentPartId = 0;
    // A records-management folder's setting that new documents are declared as records (the T8 row of
    // its addition info); none: the folder's addition info has no T8 row.
    std::optional<bool> declareAsRecords;
};

struct Category {
    int id = 0;
    std::string name;
};

struct PropertyDefinition {
    int object = 0;
    int type = 0;
    int id = 0;
    std::string name;
};

struct SystemConfiguration {
    std::vector<Category> categories;
    std::vector<PropertyDefinition> fixedProperties;
    std::vector<PropertyDefinition> customProperties;

    // The display name of a custom property, or nullptr when the configuration has none.
    const std::string* CustomPropertyName(int object, int type, int id) const;
    // The custom property of the object with that display name, or nullptr when there is none.
    const PropertyDefinition* CustomPropertyNamed(int object, const std::string& name) const;
};

struct Credentials {
    std::string userName;
    std::string password;
};

class Repository {
public:
    Credentials credentials;
    SystemConfiguration configuration;

    // Adding fails (std::invalid_argument) for an id that is taken.
    void AddContainer(Container container);
    void AddDocument(Document document);

    const Container* FindContainer(long id) const;
    Container* FindContainer(long id);
    const Document* FindDocument(long id) const;
    Document* FindDocument(long id);

    // Adds the document under a fresh id (one above the highest in use) and gives that id.
    long AddNewDocument(Document document);
    // Adds the container under a fresh id (one above the highest in use) and gives that id.
    long AddNewContainer(Container container);
    // Removes the container and the containers below it; false when there was none.
    bool DeleteContainer(long id);

    std::vector<const Container*> ChildContainers(long id) const;
    // The documents a container references, or that the parts of a records-management folder hold;
    // documents marked for deletion are left out.
    std::vector<const Document*> DocumentsIn(const Container& container) const;

    // A part of a records-management folder that holds a document.
    struct PartPlace {
        long folderId = 0;
        long partId = 0;
    };
    std::vector<PartPlace> PartsHolding(long documentId) const;
    const Part* FindPart(long partId) const;
    Part* FindPart(long partId);
    // Removes a container's reference to a document, or a part's entry of it; false (and nothing
    // changes) when the container or part does not hold it.
    bool RemoveReference(long containerId, long documentId);
    bool RemoveFromPart(long partId, long documentId);

    // Makes new content the document's latest version (a new version id, file name and date).
    // Fails (std::invalid_argument) for an unknown document.
    const Version& AddVersion(long documentId, std::string content, const std::string& date,
                              const std::string& fileName = {}, const std::string& author = {});
    // Removes the document and every reference to it; false when there was none.
    bool DeleteDocument(long documentId);

private:
    std::map<long, Container> containers_;
    std::map<long, Document> documents_;
};

} // namespace DemoMeridio
