// A mirror of the earlier layout (property files beside the documents) is taken over by its first
// pass: the maps go into the journal, the property files and old temporary files go, and nothing is
// downloaded again.
#include "tests/kova-sync/DriverFixture.h"

#include "Platform/OleAuto.h"
#include "kova-sync/Journal.h"
#include "kova-sync/PropertyCodec.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <cstdio>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

// The earlier layout's property file: dates as "yyyy-mm-ddThh:mm:ssZ".
std::string EarlierPropertyFile(const KovaSync::MapRef& map) {
    nlohmann::json properties = nlohmann::json::parse(KovaSync::EncodeProperties(map));
    for (nlohmann::json& property : properties) {
        if (property["type"] == "date") {
            SYSTEMTIME time{};
            VariantTimeToSystemTime(property["value"].get<double>(), &time);
            char text[64];
            std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", time.wYear, time.wMonth,
                          time.wDay, time.wHour, time.wMinute, time.wSecond);
            property["value"] = text;
        }
    }
    return properties.dump(2) + "\n";
}

void WriteEarlierLayout(KovaSync::Journal& journal, const KovaSync::JournalItem& folder,
                        const fs::path& directory) {
    WriteText(directory / ".kova-folder.json", EarlierPropertyFile(folder.map));
    for (const KovaSync::JournalEntry& entry : journal.Entries(folder.id)) {
        const KovaSync::JournalItem child = journal.Load(entry);
        if (child.isFolder) {
            WriteEarlierLayout(journal, child, directory / child.localName);
        } else {
            WriteText(directory / (child.localName + ".kova.json"), EarlierPropertyFile(child.map));
        }
    }
}

class EarlierLayoutTest : public DriverFixture {};

TEST_F(EarlierLayoutTest, AnEarlierMirrorIsAdoptedWithoutDownloading) {
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "a.txt") +
              "<container id=\"2\" title=\"Inner\">" + DocumentXml(21, "b.txt") + DocumentXml(22, "c.txt") +
              "</container></container>",
          {{"lib/a.txt", "a"}, {"lib/Inner/b.txt", "b"}, {"lib/Inner/c.txt", "c"}});
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    {
        KovaSync::Journal journal(MirrorDir() / ".kova-sync" / "journal.db");
        WriteEarlierLayout(journal, *journal.MainFolder(), MirrorDir());
    }
    fs::remove_all(MirrorDir() / ".kova-sync");
    WriteText(MirrorDir() / "Inner" / ".d.txt.partial", "half a download");
    const auto before = fs::last_write_time(MirrorDir() / "Inner" / "b.txt");

    const DriverResult adopted = Sync();
    ASSERT_EQ(adopted.exitCode, 0) << Printed();
    EXPECT_THAT(adopted.out, HasSubstr("Adopted the mirror's earlier layout: 2 folders, 3 documents"));
    EXPECT_THAT(adopted.out, HasSubstr("documents: 0 downloaded, 3 unchanged, 0 removed, 0 failed"));
    EXPECT_EQ(MirrorFiles(), (std::map<std::string, std::string>{
                                 {"Inner/b.txt", "b"}, {"Inner/c.txt", "c"}, {"a.txt", "a"}}));
    EXPECT_EQ(fs::last_write_time(MirrorDir() / "Inner" / "b.txt"), before);
    EXPECT_THAT(Sync().out, HasSubstr("documents: 0 downloaded, 3 unchanged"));
}

} // namespace
} // namespace KovaSyncTest
