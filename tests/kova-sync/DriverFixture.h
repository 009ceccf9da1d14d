// Runs the kova-sync program as its own process against the demo server, which the test runs
// in-process on content it writes: a manifest body (the containers) and the documents' files.
#pragma once

#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempDirectory.h"
#include "tools/demo-meridio/DemoServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace KovaSyncTest {
namespace fs = std::filesystem;

struct DriverResult {
    int exitCode = -1; // -1 when the driver did not exit normally
    std::string out;
    std::string err;
};

inline std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

class DriverFixture : public ::testing::Test {
protected:
    DriverFixture()
        : registry_("KOVA_REGISTRY_DIR", (work_.path() / "registry").string()),
          home_("HOME", (work_.path() / "home").string()) {
        fs::create_directories(work_.path() / "home");
    }

    ~DriverFixture() override {
        if (server_) {
            server_->Stop();
        }
    }

    // Writes the content (containers inside <repository>, files relative to the content directory,
    // a name ending in "/" an empty directory),
    // starts the server and registers the filter with the demo user.
    void Serve(const std::string& containers, const std::map<std::string, std::string>& files) {
        const std::string sample = ReadText(fs::path(DEMO_MERIDIO_SAMPLE_DIR) / "manifest.xml");
        const std::size_t begin = sample.find("<configuration>");
        const std::size_t end = sample.find("</configuration>") + std::string("</configuration>").size();
        WriteText(Content() / "manifest.xml", "<repository><credentials user=\"demo\" password=\"" +
                                                  password_ + "\"/>" + sample.substr(begin, end - begin) +
                                                  containers + "</repository>");
        for (const auto& [name, text] : files) {
            if (name.back() == '/') {
                fs::create_directories(Content() / name); // an empty container's directory
            } else {
                WriteText(Content() / name, text);
            }
        }
        DemoMeridio::ServerOptions options;
        options.contentDir = Content();
        server_ = std::make_unique<DemoMeridio::DemoServer>(options);
        server_->Start();
        ASSERT_EQ(Run({"register", "--user"}).exitCode, 0);
        ASSERT_EQ(Run({"config", "set", "MeridioSync.UserName", "demo"}).exitCode, 0);
        ASSERT_EQ(Run({"config", "set", "MeridioSync.UserPassword", "Demo & Co 2024"}).exitCode, 0);
    }

    // Stops the server and removes its content and the mirror, for a test that serves again afresh.
    void Reset() {
        if (server_) {
            server_->Stop();
            server_.reset();
        }
        fs::remove_all(Content());
        fs::remove_all(MirrorDir());
    }

    fs::path Content() const { return work_.path() / "content"; }
    fs::path MirrorDir() const { return work_.path() / "mirror"; }
    std::string StartPoint() const {
        return "Meridio://127.0.0.1:" + std::to_string(server_->Port()) + "/container/1";
    }
    DemoMeridio::DemoServer& Server() { return *server_; }

    pid_t Start(const std::vector<std::string>& args) {
        std::vector<std::string> argv{KOVA_SYNC_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (std::string& arg : argv) {
            pointers.push_back(arg.data());
        }
        pointers.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, OutFile().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, ErrFile().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    DriverResult Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        DriverResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(OutFile()),
                            ReadText(ErrFile())};
        last_ = result;
        return result;
    }

    DriverResult Run(const std::vector<std::string>& args) { return Wait(Start(args)); }

    DriverResult Sync(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args{"sync", StartPoint(), "--into", MirrorDir().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    // What the last run printed, for failure messages.
    std::string Printed() const { return "stdout:\n" + last_.out + "stderr:\n" + last_.err; }

    // Every file of the mirror outside its hidden folder, by relative path, with its content.
    std::map<std::string, std::string> MirrorFiles() const {
        std::map<std::string, std::string> files;
        for (auto entry = fs::recursive_directory_iterator(MirrorDir());
             entry != fs::recursive_directory_iterator(); ++entry) {
            if (entry->path().filename() == ".kova-sync") {
                entry.disable_recursion_pending();
            } else if (entry->is_regular_file()) {
                files[fs::relative(entry->path(), MirrorDir()).string()] = ReadText(entry->path());
            }
        }
        return files;
    }

    void SetPassword(std::string password) { password_ = std::move(password); }

    TestSupport::TempDirectory work_;

private:
    fs::path OutFile() const { return work_.path() / "driver.out"; }
    fs::path ErrFile() const { return work_.path() / "driver.err"; }

    TestSupport::ScopedEnvironment registry_;
    TestSupport::ScopedEnvironment home_;
    std::unique_ptr<DemoMeridio::DemoServer> server_;
    std::string password_ = "Demo &amp; Co 2024";
    DriverResult last_;
};

// A <document> element of the manifest.
inline std::string DocumentXml(int id, const std::string& file, const std::string& title = {},
                               const std::string& extra = {}) {
    return "<document id=\"" + std::to_string(id) + "\" file=\"" + file + "\"" +
           (title.empty() ? "" : " title=\"" + title + "\"") +
           " createdBy=\"Anna\" created=\"2024-01-05T09:12:00Z\" " + extra +
           "><version id=\"1\" date=\"2024-01-05T09:12:00Z\"/></document>";
}

} // namespace KovaSyncTest
