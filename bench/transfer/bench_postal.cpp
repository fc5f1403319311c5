// The postal-code list: its first load, one look-up, the address check, and the
// resident memory the loaded list takes.
#include "transfer/PostalCodes.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kData = HOXA_POSTAL_DATA;

// VmRSS of this process in KiB.
long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

// First, before any other benchmark has touched the heap: what the program's
// table adds to the resident memory when the first look-up loads it.
void BM_PostalResidentMemory(benchmark::State& state)
{
    long before = 0, after = 0;
    std::size_t held = 0;
    for (auto _ : state) {
        hoxa::UsePostalDataFile(kData);
        before = ResidentKiB();
        benchmark::DoNotOptimize(hoxa::LookUpPostalCode("100-0001"));
        after = ResidentKiB();
        held = hoxa::PostalCodes().MemoryBytes();
    }
    state.counters["rss_added_KiB"] = static_cast<double>(after - before);
    state.counters["table_KiB"] = static_cast<double>(held / 1024);
}
BENCHMARK(BM_PostalResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PostalFirstLoad(benchmark::State& state)
{
    std::size_t codes = 0;
    for (auto _ : state) {
        const hoxa::PostalCodeTable t = hoxa::PostalCodeTable::FromFile(kData);
        if (!t.Loaded()) state.SkipWithError(t.Source().c_str());
        codes = t.Size();
    }
    state.counters["codes"] = static_cast<double>(codes);
}
BENCHMARK(BM_PostalFirstLoad)->Unit(benchmark::kMillisecond);

// Codes spread over the whole list, known and unknown, written both ways.
std::vector<std::string> SampleCodes()
{
    std::vector<std::string> zips;
    std::uint32_t x = 12345;
    for (int i = 0; i < 1024; ++i) {
        x = x * 1103515245u + 12345u;
        const std::string zip = hoxa::FormatPostalCode((x >> 8) % 10000000);
        zips.push_back(i % 2 ? zip : zip.substr(0, 3) + zip.substr(4));
    }
    for (const char* known : {"100-0001", "530-0001", "060-0000", "907-1801", "452-0961"}) zips.push_back(known);
    return zips;
}

void BM_PostalLookUp(benchmark::State& state)
{
    hoxa::UsePostalDataFile(kData);
    const std::vector<std::string> zips = SampleCodes();
    benchmark::DoNotOptimize(hoxa::LookUpPostalCode(zips[0]));  // loaded outside the timing
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::LookUpPostalCode(zips[i++ % zips.size()]));
}
BENCHMARK(BM_PostalLookUp);

void BM_PostalKnownLookUp(benchmark::State& state)
{
    hoxa::UsePostalDataFile(kData);
    benchmark::DoNotOptimize(hoxa::LookUpPostalCode("100-0001"));
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::LookUpPostalCode("452-0961"));
}
BENCHMARK(BM_PostalKnownLookUp);

void BM_PostalAddressCheck(benchmark::State& state)
{
    hoxa::UsePostalDataFile(kData);
    benchmark::DoNotOptimize(hoxa::LookUpPostalCode("100-0001"));
    for (auto _ : state)
        benchmark::DoNotOptimize(hoxa::AddressMatchesPostalCode("907-1801", "沖縄県与那国町与那国１２３"));
}
BENCHMARK(BM_PostalAddressCheck);

}  // namespace
