// A map goes through its JSON text and back exactly, the earlier layout's date texts are read, and
// text that is not an array of {name, type, value} is refused rather than read as fewer properties,
// as is a number its property's type cannot hold rather than read as another number.
#include "kova-sync/PropertyCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

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

// Each value at the edges of what its type holds, and doubles whose text is long or whose sign
// is all they have: read back, the map is written out to the same text.
TEST(PropertyCodecTest, ValuesAtTheirLimitsReadBackToTheSameText) {
    using Limits64 = std::numeric_limits<LONGLONG>;
    MapRef map;
    map->Set(L"LongMin", std::numeric_limits<LONG>::min());
    map->Set(L"LongMax", std::numeric_limits<LONG>::max());
    map->Set(L"FlagMax", BYTE{255});
    map->Set(L"CurrencyMin", Host::CurrencyValue{Limits64::min()});
    map->Set(L"CurrencyMax", Host::CurrencyValue{Limits64::max()});
    map->Set(L"Largest", std::numeric_limits<double>::max());
    map->Set(L"Smallest", std::numeric_limits<double>::denorm_min());
    map->Set(L"Large", 1.2345678901234568e29);
    map->Set(L"Whole", 1e20);
    map->Set(L"NegativeZero", -0.0);
    map->Set(L"Third", 1.0 / 3);
    map->Set(L"Surrogates", std::wstring(L"\U0001F600 \u00e9t\u00e9 \u4e2d"));
    map->Set(L"Controls", std::wstring(L"\t\r\b\f\x01/\\"));
    map->Set(L"Nul", std::wstring(L"a\0b", 3));
    const std::string text = EncodeProperties(map);
    MapRef read;
    DecodeProperties(text, read);
    EXPECT_TRUE(read->HasSameProperties(*map.get()));
    EXPECT_EQ(EncodeProperties(read), text);
}

// Text no version writes but that has always been read, and read to these properties.
TEST(PropertyCodecTest, ReadsEveryFormOfAValue) {
    const std::vector<std::pair<std::string, Host::PropertyValue>> cases = {
        {R"({"value":"b","type":"string","name":"a"})", std::wstring(L"b")},
        {R"({"name":"a","type":"string","value":"x","value":"b"})", std::wstring(L"b")},
        {R"({"n\u0061me":"a","type":"string","value":"b"})", std::wstring(L"b")},
        {R"({"name":"a","type":"anything else","value":"b"})", std::wstring(L"b")},
        {R"({"name":"a","type":"string","value":"\ud83d\ude00\u00fc\/\"\n"})",
         std::wstring(L"\U0001F600\u00fc/\"\n")},
        {"{\"name\":\"a\",\"type\":\"string\",\"value\":\"\xc3\xbc\xe4\xb8\xad\"}",
         std::wstring(L"\u00fc\u4e2d")},
        {R"({"name":"a","type":"number","value":-2147483648})", LONG{-2147483647 - 1}},
        {R"({"name":"a","type":"number","value":1.9})", LONG{1}},
        {R"({"name":"a","type":"number","value":-1.9})", LONG{-1}},
        {R"({"name":"a","type":"number","value":1e3})", LONG{1000}},
        {R"({"name":"a","type":"number","value":true})", LONG{1}},
        {R"({"name":"a","type":"flag","value":255})", BYTE{255}},
        {R"({"name":"a","type":"flag","value":-0.5})", BYTE{0}},
        {R"({"name":"a","type":"flag","value":false})", BYTE{0}},
        {R"({"name":"a","type":"currency","value":-9223372036854775808})",
         Host::CurrencyValue{std::numeric_limits<LONGLONG>::min()}},
        {R"({"name":"a","type":"currency","value":2.5e3})", Host::CurrencyValue{2500}},
        {R"({"name":"a","type":"double","value":18446744073709551615})", 18446744073709551615.0},
        {R"({"name":"a","type":"double","value":9007199254740993})", 9007199254740992.0},
        {R"({"name":"a","type":"double","value":7})", 7.0},
        {R"({"name":"a","type":"date","value":45292})", Host::DateValue{45292}},
    };
    for (const auto& [element, value] : cases) {
        for (const std::string& text : {"[" + element + "]", "\xEF\xBB\xBF [" + element + "] \n",
                                        "[" + element + "]" + '\0' + "not read"}) {
            MapRef read;
            DecodeProperties(text, read);
            MapRef expected;
            expected->Set(L"a", value);
            EXPECT_TRUE(read->HasSameProperties(*expected.get())) << text;
        }
    }
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
    const std::vector<std::string> texts = {
        "",
        "5",
        "{}",
        R"({"name":"a","type":"string","value":"b"})",
        "[1]",
        "[[1]]",
        "[[]]",
        R"([{"name":"a","type":"string","value":"b"},[]])", // an element not a property
        R"([{"name":"a","type":"string","value":"b"})",     // cut short
        R"([{"name":"a","type":"string","value":"b"}] x)",  // more after the array
        R"([{"name":"a","type":"string","value":"b"}],)",
        R"([{"name":"a","type":"string","value":"b"},])",
        R"([{"name":"a","type":"string","value":"b",}])",
        R"([{"name":"a","type":"string"}])",               // no value
        R"([{"type":"string","value":"b"}])",              // no name
        R"([{"name":"a","type":"string","value":["b"]}])", // not a single value
        R"([{"name":"a","type":"string","value":{}}])",
        R"([{"name":{},"type":"string","value":"b"}])",
        R"([{"name":7,"type":"string","value":"b"}])", // name not a text
        R"([{"name":"a","type":null,"value":"b"}])",   // type not a text
        R"([{"name":"a","type":"string","value":7}])", // value not of its type
        R"([{"name":"a","type":"number","value":"b"}])",
        R"([{"name":"a","type":"number","value":null}])",
        R"([{"name":"a","type":"double","value":true}])",
        R"([{"name":"a","type":"date","value":false}])",
        R"([{"name":"a","type":"date","value":"yesterday"}])",  // no date
        R"([{"name":"a","type":"number","value":2147483648}])", // beyond its type
        R"([{"name":"a","type":"number","value":-2147483649}])",
        R"([{"name":"a","type":"number","value":3e9}])",
        R"([{"name":"a","type":"flag","value":256}])",
        R"([{"name":"a","type":"flag","value":-1}])",
        R"([{"name":"a","type":"currency","value":9223372036854775808}])",
        R"([{"name":"a","type":"currency","value":-1e19}])",
        R"([{"name":"a","type":"double","value":1e400}])",
        R"([{"name":"a","type":"double","value":123456789012345678901234567890}])", // past 64 bits
        R"([{"name":"a","type":"string","value":"b","x":-123456789012345678901234567890}])",
        R"([{"name":"a","type":"string","value":"\ud800"}])", // not valid text
        R"([{"name":"a","type":"string","value":"\udc00"}])",
        R"([{"name":"a","type":"string","value":"\ud800\u0041"}])",
        R"([{"name":"a","type":"string","value":"\x"}])",
        "[{\"name\":\"a\",\"type\":\"string\",\"value\":\"\t\"}]",
        "[{\"name\":\"a\",\"type\":\"string\",\"value\":\"\xff\"}]",
        "[{\"name\":\"a\",\"type\":\"string\",\"value\":\"\xed\xa0\x80\"}]",
        std::string(R"([{"name":"a","type":"string","value":"b)") + '\0' + R"("}])",
        R"([{"name":"a","type":"string","value":"b","x":tru}])", // not JSON where skipped
        R"([{"name":"a","type":"string","value":"b","x":01}])",
        R"([{"name":"a","type":"string","value":"b","x":[1 2]}])",
    };
    for (const std::string& text : texts) {
        MapRef read;
        try {
            DecodeProperties(text, read);
            ADD_FAILURE() << "read: " << text;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()).rfind("unreadable property map: ", 0), 0U) << error.what();
        }
    }
}

} // namespace
} // namespace KovaSync
