// The settings files at start (hoxa_NIVORA.ini and the paper feed's section of
// hoxa_q310.ini read) and at exit (the entries written back): a typical folder,
// and folders where one of the files is 2 GB, almost all of it a hole (sparse).
#include "app/Settings.h"
#include "print/PrinterRegistration.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr off_t kHuge = off_t{2} << 30;

const char kIni[] = "[hx_NIVORAprn]\r\nAddr_Font=1\r\nE_ZIP=100-0001\r\nE_AD1=東京都千代田区\r\nE_AD2=\r\n"
                    "E_CUS=山田\r\nE_TEL=03-1111-2222\r\nE_G1=書籍\r\nE_G2=\r\nE_G3=\r\nOP023My=ニボラ\r\n"
                    "OP023MyZip=123-4567\r\nOP023MyADD1=大阪府\r\nOP023MyADD2=\r\nOP023MyTEL=06-1\r\nComboBox_SEL=0\r\n";
const char kPrinterIni[] = "[手差し]\r\nPrnName=waybill24\r\nPrnNoIndex=0\r\nhoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n";

// A working folder in /tmp for one benchmark; `huge` names the file that is
// made 2 GB long (its entries first, then a hole).
class Folder {
public:
    explicit Folder(const std::string& huge = "")
    {
        char tmpl[] = "/tmp/hoxa_bench_ini_XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        Reset(huge);
    }
    ~Folder() { (void)std::system(("rm -rf '" + dir_ + "'").c_str()); }
    void Reset(const std::string& huge) const
    {
        for (const auto& [name, text] : {std::pair{"hoxa_NIVORA.ini", kIni}, std::pair{"hoxa_q310.ini", kPrinterIni}}) {
            const std::string path = dir_ + "/" + name;
            ::unlink(path.c_str());
            std::ofstream(path, std::ios::binary) << text;
            if (huge == name && ::truncate(path.c_str(), kHuge) != 0) std::abort();
        }
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

// What the start reads: the entries, then the current feed's registration.
void StartReads(benchmark::State& state, const std::string& huge)
{
    const Folder f(huge);
    for (auto _ : state) {
        benchmark::DoNotOptimize(hoxa::LoadSettings(f.Dir()));
        benchmark::DoNotOptimize(hoxa::ReadFeedRegistration(f.Dir(), hoxa::kFeedManual));
    }
}
BENCHMARK_CAPTURE(StartReads, typical, std::string())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(StartReads, huge_NIVORA_ini, std::string("hoxa_NIVORA.ini"))
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(StartReads, huge_q310_ini, std::string("hoxa_q310.ini"))
    ->Unit(benchmark::kMillisecond)->Iterations(1);

// The exit save after a day's work: the destination changed, the rest as read.
void ExitSave(benchmark::State& state, const std::string& huge)
{
    const Folder f(huge);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.Reset(huge);
        hoxa::MainSettings s = hoxa::LoadSettings(f.Dir());
        s[hoxa::Setting::Zip] = "987-6543";
        s[hoxa::Setting::Add1] = "大阪府大阪市北区" + std::to_string(round++);
        s[hoxa::Setting::Custo1] = "鈴木";
        s[hoxa::Setting::Tel] = "06-9876-5432";
        state.ResumeTiming();
        try {
            hoxa::SaveSettings(f.Dir(), s);
        } catch (const std::exception&) {
            // a refused file: the time to refuse it is what counts
        }
    }
}
BENCHMARK_CAPTURE(ExitSave, typical, std::string())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ExitSave, huge_NIVORA_ini, std::string("hoxa_NIVORA.ini"))
    ->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
