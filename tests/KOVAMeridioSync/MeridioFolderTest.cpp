// Folders made and deleted through the host's interfaces: a new container under a container with the
// parent's access rows and custom properties, names the server gets unchanged, refusals under and of
// records-management classes and folders, and the deletion request, which only containers get.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include "Platform/Utf.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace {

using namespace MeridioTest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

struct Created {
    HRESULT hr = E_FAIL;
    std::wstring location;
};

// Makes a folder of that name below the folder at the parent location, as the host does.
Created CreateFolder(MeridioHost& host, const std::wstring& parentLocation, const std::wstring& name) {
    auto parent = NewMap();
    parent->Set(L"Mavisto.FolderLocation", parentLocation);
    auto folder = NewMap();
    folder->Set(L"DisplayName", name);
    Created created;
    created.hr =
        host.Query<ILSCreateableFolderSyncFilter>()->raw_CreateFolder(nullptr, parent.get(), folder.get());
    BSTR location = nullptr;
    if (SUCCEEDED(folder->get_ItemStr(_bstr_t(L"Mavisto.FolderLocation"), &location)) &&
        location != nullptr) {
        created.location = location;
    }
    SysFreeString(location);
    return created;
}

HRESULT DeleteFolder(MeridioHost& host, const std::wstring& location) {
    auto folder = NewMap();
    folder->Set(L"Mavisto.FolderLocation", location);
    BSTR errorText = nullptr;
    const HRESULT hr = host.Query<ILSDeleteableSyncFilter>()->raw_DeleteItem(folder.get(), &errorText);
    SysFreeString(errorText);
    return hr;
}

// The body of the last request of that action.
std::string LastBody(MeridioHost& host, const std::string& action) {
    std::string body;
    for (const DemoMeridio::IncomingRequest& request : host.Server().ReceivedRequests()) {
        if (ActionOf(request) == action) {
            body = request.body;
        }
    }
    return body;
}

struct ServerContainer {
    long parentId = 0;
    std::string title;
    std::vector<DemoMeridio::AccessEntry> access;
    std::vector<DemoMeridio::ContainerProperty> properties;
};

ServerContainer ContainerOnServer(MeridioHost& host, long id) {
    ServerContainer found;
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        if (const DemoMeridio::Container* container = repository.FindContainer(id)) {
            found = {container->parentId, container->title, container->access, container->properties};
        }
    });
    return found;
}

TEST(MeridioFolders, NewFolderUnderAContainerGetsTheParentsAccessRowsAndCustomProperties) {
    MeridioHost host;
    const Created created = CreateFolder(host, host.Location(L"container", 2), L"Minutes");
    ASSERT_EQ(created.hr, S_OK);
    EXPECT_EQ(created.location, host.Location(L"container", 22));
    EXPECT_THAT(host.Actions(), ElementsAre("Login", "GetContainerData", "AddObject"));

    EXPECT_THAT(
        LastBody(host, "GetContainerData"),
        HasSubstr(
            "<GetContainerData xmlns=\"http://www.meridio.com/MeridioDMWS\"><containerId>2</containerId>"
            "<getPropList>true</getPropList><getAcl>true</getAcl><getCanDo>false</getCanDo>"));
    const std::string body = LastBody(host, "AddObject");
    EXPECT_THAT(
        body, HasSubstr("<DMDataSet xmlns=\"http://www.meridio.com/DMDataSet.xsd\">"
                        "<ACCESSCONTROL diffgr:id=\"ACCESSCONTROL1\" msdata:rowOrder=\"0\" "
                        "diffgr:hasChanges=\"inserted\"><objectType>0</objectType><permission>4</permission>"
                        "<groupId>11</groupId></ACCESSCONTROL>"
                        "<ACCESSCONTROL diffgr:id=\"ACCESSCONTROL2\" msdata:rowOrder=\"1\" "
                        "diffgr:hasChanges=\"inserted\"><objectType>0</objectType><permission>2</permission>"
                        "<userId>7</userId></ACCESSCONTROL>"
                        "<CONTAINERS diffgr:id=\"CONTAINERS1\" msdata:rowOrder=\"0\" "
                        "diffgr:hasChanges=\"inserted\"><PROP_W_title>Minutes</PROP_W_title>"
                        "<PROP_W_isShared>false</PROP_W_isShared></CONTAINERS>"
                        "<CONTAINER_CHILDCONTAINERS diffgr:id=\"CONTAINER_CHILDCONTAINERS1\" "
                        "msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\"><containerId>2</containerId>"
                        "</CONTAINER_CHILDCONTAINERS><CONTAINER_CUSTOMPROPS"));
    EXPECT_THAT(body, HasSubstr("diffgr:hasChanges=\"inserted\""));
    EXPECT_THAT(body, HasSubstr("</CONTAINER_CUSTOMPROPS></DMDataSet></diffgr:diffgram></additionInfo>"
                                "<uploadInfo /></AddObject>"));

    const ServerContainer container = ContainerOnServer(host, 22);
    EXPECT_EQ(container.parentId, 2);
    EXPECT_EQ(container.title, "Minutes");
    ASSERT_EQ(container.access.size(), 2u);
    EXPECT_EQ(container.access[1].principalId, 7);
    EXPECT_FALSE(container.access[1].isGroup);
    ASSERT_EQ(container.properties.size(), 1u);
    EXPECT_EQ(container.properties[0].name, "Department");
    EXPECT_EQ(container.properties[0].value, "Planning & Control");
}

TEST(MeridioFolders, TheServerGetsTheFolderNameAsTyped) {
    // Names that would break the request's XML are escaped, so the server stores them as typed.
    const struct {
        std::wstring name;
        std::string title;
        std::string sent;
    } cases[] = {
        {L"Übersicht 2024", "Übersicht 2024", "<PROP_W_title>Übersicht 2024</PROP_W_title>"},
        {L"R&D <Plans>", "R&D <Plans>", "<PROP_W_title>R&amp;D &lt;Plans&gt;</PROP_W_title>"},
        {L"\"Q1\" & 'Q2'", "\"Q1\" & 'Q2'",
         "<PROP_W_title>&quot;Q1&quot; &amp; &apos;Q2&apos;</PROP_W_title>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        MeridioHost host;
        const Created created = CreateFolder(host, host.Location(L"container", 1), c.name);
        ASSERT_EQ(created.hr, S_OK);
        EXPECT_THAT(LastBody(host, "AddObject"), HasSubstr(c.sent));
        EXPECT_EQ(ContainerOnServer(host, DocumentIdOf(created.location)).title, c.title);
    }
}

TEST(MeridioFolders, AParentThatDoesNotPassItsAccessOnGivesNoRows) {
    MeridioHost host;
    ASSERT_EQ(CreateFolder(host, host.Location(L"container", 4), L"Archive").hr, S_OK);
    const std::string body = LastBody(host, "AddObject");
    EXPECT_THAT(body, Not(HasSubstr("ACCESSCONTROL")));
    EXPECT_THAT(body, HasSubstr("<DMDataSet xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><CONTAINERS "));
    EXPECT_THAT(body, HasSubstr("</CONTAINER_CHILDCONTAINERS></DMDataSet>"));
}

TEST(MeridioFolders, RecordsManagementParentsAndFailuresAreRefused) {
    const struct {
        const wchar_t* kind;
        long id;
        HRESULT hr;
        std::vector<std::string> actions;
    } cases[] = {
        {L"class", 20, E_INVALIDARG, {"Login"}},
        {L"folder", 21, E_INVALIDARG, {"Login"}},
        {L"container", 99, E_FAIL, {"Login", "GetContainerData"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        MeridioHost host;
        EXPECT_EQ(CreateFolder(host, host.Location(c.kind, c.id), L"New").hr, c.hr);
        EXPECT_EQ(host.Actions(), c.actions);
    }
}

// The titles of the containers under the parent on the server.
std::vector<std::string> ChildTitles(MeridioHost& host, long parentId) {
    std::vector<std::string> titles;
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        for (const DemoMeridio::Container* child : repository.ChildContainers(parentId)) {
            titles.push_back(child->title);
        }
    });
    return titles;
}

// The server made the container, but its reply names no usable id: the creation fails, and the next
// attempt finds the container instead of making a second one.
TEST(MeridioFolders, AReplyWithoutAPlainIdFailsTheCreationAndTheRetryMakesNoSecondContainer) {
    for (const char* replaced :
         {"<PROP_containerId />", "<PROP_containerId>x</PROP_containerId>", "",
          "<PROP_containerId>22abc</PROP_containerId>", "<PROP_containerId>99999999999</PROP_containerId>",
          "<PROP_containerId>-22</PROP_containerId>", "<PROP_containerId>+22</PROP_containerId>",
          "<PROP_containerId>0</PROP_containerId>"}) {
        SCOPED_TRACE(replaced);
        MeridioHost host;
        const std::vector<std::string> before = ChildTitles(host, 2);
        host.Server().RewriteNextReply("AddObject", [replaced](DemoMeridio::HttpReply& reply) {
            const std::string id = "<PROP_containerId>22</PROP_containerId>";
            reply.body.replace(reply.body.find(id), id.size(), replaced);
        });
        const Created created = CreateFolder(host, host.Location(L"container", 2), L"Minutes");
        EXPECT_EQ(created.hr, E_FAIL);
        EXPECT_EQ(created.location, L"");

        const Created retried = CreateFolder(host, host.Location(L"container", 2), L"Minutes");
        EXPECT_EQ(retried.hr, S_OK);
        EXPECT_EQ(retried.location, host.Location(L"container", 22));
        std::vector<std::string> expected = before;
        expected.push_back("Minutes");
        EXPECT_EQ(ChildTitles(host, 2), expected);
        const std::vector<std::string> actions = host.Actions();
        EXPECT_EQ(std::count(actions.begin(), actions.end(), "AddObject"), 1);

        // Once found, a further folder of that title is a new container again.
        const Created another = CreateFolder(host, host.Location(L"container", 2), L"Minutes");
        EXPECT_EQ(another.hr, S_OK);
        EXPECT_NE(another.location, retried.location);
    }
}

TEST(MeridioFolders, DeletingAFolderDeletesItsContainer) {
    MeridioHost host;
    ASSERT_EQ(DeleteFolder(host, host.Location(L"container", 4)), S_OK);
    EXPECT_THAT(host.Actions(), ElementsAre("Login", "ApplyChanges"));
    EXPECT_THAT(
        LastBody(host, "ApplyChanges"),
        HasSubstr("<changes><diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
                  "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">"
                  "<DMDataSet xmlns=\"http://www.meridio.com/DMDataSet.xsd\"></DMDataSet><diffgr:before>"
                  "<CONTAINERS diffgr:id=\"CONTAINERS1\" msdata:rowOrder=\"0\" "
                  "xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><PROP_W_title>delete</PROP_W_title>"
                  "<PROP_createdByUser /><PROP_creationDate /><PROP_W_isShared>false</PROP_W_isShared>"
                  "<PROP_containerId>4</PROP_containerId><PROP_ownerId>6</PROP_ownerId>"
                  "<PROP_ownerName>Administrator</PROP_ownerName><PROP_createdByUserId>6"
                  "</PROP_createdByUserId><PROP_W_inherit /><PROP_W_cascadeBehaviour />"
                  "<PROP_replicationType>0</PROP_replicationType><PROP_globalId /></CONTAINERS>"
                  "</diffgr:before></diffgr:diffgram></changes>"));
    EXPECT_TRUE(ContainerOnServer(host, 4).title.empty());
}

TEST(MeridioFolders, OnlyContainersAreDeleted) {
    // A location of another kind names no container: its number must not delete the container that
    // happens to have it.
    const std::pair<const wchar_t*, long> refused[] = {
        {L"folder", 21}, {L"class", 20}, {L"document", 2}, {L"record", 2}, {L"shortcut", 2}};
    for (const auto& [kind, id] : refused) {
        SCOPED_TRACE(Platform::WideToUtf8(kind));
        MeridioHost host;
        EXPECT_EQ(DeleteFolder(host, host.Location(kind, id)), E_INVALIDARG);
        EXPECT_THAT(host.Actions(), ElementsAre("Login"));
        EXPECT_FALSE(ContainerOnServer(host, id).title.empty());
    }
    MeridioHost host;
    EXPECT_EQ(DeleteFolder(host, host.Location(L"container", 99)), E_FAIL);
}

} // namespace
