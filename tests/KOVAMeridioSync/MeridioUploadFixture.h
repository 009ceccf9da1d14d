// The fixture of upload tests: a test host on the demo server, a local file to upload, and what the
// server stored and received.
#pragma once

#include "tests/KOVAMeridioSync/MeridioServerFixture.h"
#include "tests/Support/TempDirectory.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace MeridioTest {

class MeridioUpload : public ::testing::Test {
protected:
    // Writes the local file and adds it as a new item of the listed folder.
    HRESULT AddNew(const std::wstring& name, const std::string& content, ILSPropertyMap* item) {
        const auto localPath = temp.path() / "upload.bin";
        std::ofstream(localPath, std::ios::binary) << content;
        return host.Sync()->raw_AddNewDocument(_bstr_t(localPath.c_str()), _bstr_t(name.c_str()), nullptr,
                                               item);
    }

    // The document the server stored last, with the containers and parts that hold it.
    struct Stored {
        DemoMeridio::Document document;
        std::vector<long> containers;
        std::vector<long> parts;
    };
    Stored Newest() {
        Stored stored;
        host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            long id = 0;
            for (long candidate = 1; candidate < 10000; ++candidate) {
                if (repository.FindDocument(candidate)) {
                    id = candidate;
                }
            }
            stored.document = *repository.FindDocument(id);
            for (long containerId : {1L, 2L, 3L, 4L}) {
                const DemoMeridio::Container* container = repository.FindContainer(containerId);
                if (container && std::find(container->documentIds.begin(), container->documentIds.end(),
                                           id) != container->documentIds.end()) {
                    stored.containers.push_back(containerId);
                }
            }
            for (const auto& place : repository.PartsHolding(id)) {
                stored.parts.push_back(place.partId);
            }
        });
        return stored;
    }

    std::string LastBodyOf(const std::string& action) {
        const auto requests = host.Server().ReceivedRequests();
        for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
            if (ActionOf(*it) == action) {
                return it->body;
            }
        }
        return {};
    }

    MeridioHost host;
    TestSupport::TempDirectory temp;
};

} // namespace MeridioTest
