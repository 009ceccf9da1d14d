// A map goes through its JSON text and back exactly, the earlier layout's date texts are read, and
// text that is not an array of {name, type, value} is refused rather than read as fewer properties.
#include "kova-sync/PropertyCodec.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace KovaSync {
namespace {

TEST(PropertyCodecTest, EveryTypeReadsBackExactly) {
    MapRef map;
    map->Set(L"Title", std::wstring(L"Bericht \u00fcber \"Zahlen\"\n"));
    map->Set(L"Empty", std::wstring());
    map->Set(L"VersionId", LONG{-7});
    map->Set(L"RemoteFileLastModified", Host::DateValue{45321.123456789});
    map->Set(L"Flag", BYTE{1});
    map->Set(L"Ratio", 0.1);
    map->Set(L"Price", Host::CurrencyValue{-123456789012});
    MapRef read;
    DecodeProperties(EncodeProperties(map), read);
    EXPECT_TRUE(read->HasSameProperties(*map.get()));
}

TEST(PropertyCodecTest, ReadsEarlierDateTextsAndSkipsUnknownKeys) {
    MapRef read;
    DecodeProperties(R"([{"name":"When","type":"date","value":"2024-01-02T03:04:05Z"},
                         {"note":{"name":"x","value":[1,{"type":2}]},"name":"Title","value":"A","type":"string"}])",
                     read);
    MapRef expected;
    SYSTEMTIME time = {2024, 1, 0, 2, 3, 4, 5, 0};
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    expected->Set(L"When", Host::DateValue{date});
    expected->Set(L"Title", std::wstring(L"A"));
    EXPECT_TRUE(read->HasSameProperties(*expected.get()));
}

TEST(PropertyCodecTest, RefusesTextThatIsNotAnArrayOfProperties) {
    for (const char* text : {
             "", "5", "{}", R"({"name":"a","type":"string","value":"b"})", "[1]",
             R"([{"name":"a","type":"string","value":"b"})",       // cut short
             R"([{"name":"a","type":"string"}])",                  // no value
             R"([{"type":"string","value":"b"}])",                 // no name
             R"([{"name":"a","type":"string","value":["b"]}])",    // not a single value
             R"([{"name":7,"type":"string","value":"b"}])",        // name not a text
             R"([{"name":"a","type":"number","value":"b"}])",      // value not of its type
             R"([{"name":"a","type":"date","value":"yesterday"}])" // no date
         }) {
        MapRef read;
        EXPECT_THROW(DecodeProperties(text, read), std::runtime_error) << text;
    }
}

} // namespace
} // namespace KovaSync
