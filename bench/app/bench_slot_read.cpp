// Loading a sender slot: a typical file, and a damaged 20 MB file without a line
// break (scanned for its line ends, kept to one cut line) beside reading that
// whole file into memory.
#include "app/SenderSlot.h"
#include "base/AtomicFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A slot file in /tmp for the length of the run.
class SlotFile {
public:
    explicit SlotFile(const std::string& bytes)
        : path_("/tmp/hoxa_bench_slot_" + std::to_string(::getpid()) + "_" + std::to_string(bytes.size()))
    {
        std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~SlotFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string Damaged()
{
    std::string s;
    s.reserve(20u << 20);
    while (s.size() < (20u << 20)) s += "東";
    return s;
}

void BM_ReadSlotTypical(benchmark::State& state)
{
    const SlotFile f("100-0001\r\n東京都千代田区丸の内１－１\r\nソフト表示ビル　５Ｆ\r\n株式会社　ニボラ\r\n03-1234-5678\r\n");
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::ReadSlot(f.Path()));
}
BENCHMARK(BM_ReadSlotTypical);

void BM_ReadSlot20MbWithoutLineBreak(benchmark::State& state)
{
    const SlotFile f(Damaged());
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::ReadSlot(f.Path()));
}
BENCHMARK(BM_ReadSlot20MbWithoutLineBreak);

void BM_ReadWhole20MbFile(benchmark::State& state)
{
    const SlotFile f(Damaged());
    std::string out;
    for (auto _ : state) {
        hoxa::ReadFileBytes(f.Path(), out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ReadWhole20MbFile)->Unit(benchmark::kMillisecond);

}  // namespace
