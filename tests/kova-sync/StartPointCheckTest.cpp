// The start point's form is checked before any host call: what the filter reads passes, and what is
// wrong is named.
#include "kova-sync/StartPointCheck.h"

#include <gtest/gtest.h>

namespace KovaSyncTest {
namespace {

TEST(StartPointCheckTest, TheFormsTheFilterReadsPass) {
    for (const char* startPoint : {
             "Meridio://meridio.example.com/container/12",
             "Meridio://127.0.0.1:8080/folder/3",
             "Meridio://server/class/20",
             "meridio://SERVER/Container/7",
             "Meridio://server//container//7",
             "Meridio://[::1]:8080/container/1",
             "Meridio://server/container/12#filter:file|101",
             "Meridio://server/container/12/more",
         }) {
        EXPECT_EQ(KovaSync::StartPointProblem(startPoint), "") << startPoint;
    }
}

TEST(StartPointCheckTest, WhatIsWrongIsNamed) {
    const struct {
        const char* startPoint;
        const char* problem;
    } cases[] = {
        {"Meridio://server/containr/1", "unknown kind 'containr' (container, folder or class)"},
        {"Meridio://server/document/1", "unknown kind 'document' (container, folder or class)"},
        {"Meridio://server/container#filter:file|1", "no id"},
        {"Meridio://server/container", "no id"},
        {"Meridio://server/container/-3", "the id '-3' is not a number from 1"},
        {"Meridio://server/container/00", "the id '00' is not a number from 1"},
        {"Meridio://server/container/#filter:file|1", "no id"},
        {"Meridio://server", "no kind (container, folder or class) and no id"},
        {"Meridio://", "no server"},
        {"", "not a Meridio:// location"},
        {"Meridio:/server/container/1", "not a Meridio:// location"},
        {"/Meridio://server/container/1", "not a Meridio:// location"},
        {"smb://server/container/1", "not a Meridio:// location"},
        {"Meridio://server:/container/1", "the port '' is not a number from 1 to 65535"},
        {"Meridio://server:70000/container/1", "the port '70000' is not a number from 1 to 65535"},
        {"Meridio://:8080/container/1", "no server name before the port"},
        {"Meridio://[::1/container/1", "the server '[::1' lacks its closing ']'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KovaSync::StartPointProblem(c.startPoint), c.problem) << c.startPoint;
    }
}

} // namespace
} // namespace KovaSyncTest
