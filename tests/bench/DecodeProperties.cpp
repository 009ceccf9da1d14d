// The driver reading one document's stored property map back from the journal: 32 properties of
// every type in the shape a second pass reads them, about 2 KB of JSON.
#include "kova-sync/PropertyCodec.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string StoredDocumentMap() {
    KovaSync::MapRef map;
    map->Set(L"0x0042001f", std::wstring(L"Bench"));
    map->Set(L"0x0e060040", Host::DateValue{45292.041655092595});
    map->Set(L"DisplayName", std::wstring(L"doc-003599.txt"));
    map->Set(L"Mavisto.FromServerETag", std::wstring(L"{61E4D49D-8C26-3480-F5C8-564E155C67A6}"));
    map->Set(L"Mavisto.MessageIsUnchanged", LONG{1});
    map->Set(L"Meridio-Prop-9-2-20", std::wstring(L"2024-01-01T00:59:59Z"));
    map->Set(L"VersionId", LONG{1});
    map->Set(L"ows-PermMask", std::wstring(L"0x7FFFFFFFFFFFFFFF"));
    map->Set(L"Mavisto.ItemSize", LONG{104857});
    map->Set(L"Mavisto.IsFolder", BYTE{0});
    map->Set(L"Mavisto.Ratio", 0.625);
    map->Set(L"Mavisto.Price", Host::CurrencyValue{1234500});
    map->Set(L"RemoteFileLastModified", Host::DateValue{45292.0416550926});
    map->Set(L"Title", std::wstring(L"Quartalsbericht \u00fcber die Zahlen"));
    for (int i = 0; i < 18; ++i) {
        const std::wstring n = std::to_wstring(i);
        map->Set(L"Meridio-Prop-9-" + n + L"-1", std::wstring(L"Bench value " + n + L" of the document"));
    }
    return KovaSync::EncodeProperties(map);
}

void DecodeDocumentMap(benchmark::State& state) {
    const std::string text = StoredDocumentMap();
    for (auto _ : state) {
        KovaSync::MapRef map;
        KovaSync::DecodeProperties(text, map);
        benchmark::DoNotOptimize(map.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(DecodeDocumentMap);

} // namespace

BENCHMARK_MAIN();
