// The program's files under saves cut short, copies saving at once, and a
// working folder that holds whatever a home folder holds.
#include "app/SenderSlot.h"
#include "app/Settings.h"
#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/SaveLock.h"
#include "base/errors.h"
#include "print/PrinterRegistration.h"
#include "transfer/PostalCodes.h"
#include "../base/test_profile_util.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>

using namespace hoxa;
using namespace hoxa::testutil;

namespace {

// Every call that makes a save last passes here.  Armed, the Nth of them kills
// the process before or after the call, or fails.
enum class At { Before, After, Fail };
struct {
    bool armed = false;
    int n = 0, calls = 0;
    At at = At::Before;
    std::vector<std::string> names;
} g_trap;

template <class F, class... A>
int Trapped(const char* name, A... a)
{
    const auto call = [&] { return reinterpret_cast<F*>(::dlsym(RTLD_NEXT, name))(a...); };
    if (!g_trap.armed) return call();
    g_trap.names.push_back(name);
    const bool hit = ++g_trap.calls == g_trap.n;
    if (hit && g_trap.at != At::After) return g_trap.at == At::Fail ? (errno = EIO, -1) : ::raise(SIGKILL);
    const int r = call();
    if (hit) ::raise(SIGKILL);
    return r;
}

// The entries of one copy of the program: every written key tells whose they are.
MainSettings Entries(const std::string& tag)
{
    MainSettings s;
    for (const SettingKey& k : SettingKeys())
        if (k.written && !k.integer) s[k.setting] = tag + "　" + k.key;
    return s;
}

// Starts f in a child process; Wait gives its exit code (1: f raised), or -signal.
pid_t Start(const std::function<void()>& f)
{
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    try {
        f();
    } catch (const std::exception&) {
        ::_exit(1);
    }
    ::_exit(0);
}

int Wait(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

}  // namespace

extern "C" {
int fsync(int fd) { return Trapped<int(int)>("fsync", fd); }
int ftruncate(int fd, off_t n) noexcept { return Trapped<int(int, off_t)>("ftruncate", fd, n); }
int rename(const char* a, const char* b) noexcept { return Trapped<int(const char*, const char*)>("rename", a, b); }
int renameat2(int fa, const char* a, int fb, const char* b, unsigned f) noexcept
{
    return Trapped<int(int, const char*, int, const char*, unsigned)>("renameat2", fa, a, fb, b, f);
}
int unlink(const char* p) noexcept { return Trapped<int(const char*)>("unlink", p); }
}

TEST(SaveKilled, EveryPointEndsInTheNewestWholeSave)
{
    // The exit save of a plain file and of files rewritten in place; after the
    // kill, the clean-up, or first another copy's save or another program's write.
    const std::pair<const char*, std::function<void(const TempDir&)>> kinds[] = {
        {"plain", [](const TempDir&) {}},
        {"hard link", [](const TempDir& d) { ::link(d.File("hoxa_NIVORA.ini").c_str(), d.File("copy.ini").c_str()); }},
        {"symbolic link", [](const TempDir& d) {
             ::mkdir(d.File("elsewhere").c_str(), 0755);
             ::rename(d.File("hoxa_NIVORA.ini").c_str(), d.File("elsewhere/real.ini").c_str());
             ::symlink("elsewhere/real.ini", d.File("hoxa_NIVORA.ini").c_str());
         }}};
    for (const auto& [kind, make] : kinds) {
        const auto prepare = [&](const TempDir& d) {
            SaveSettings(d.Path(), Entries("old, longer than the new"));
            make(d);
            return d.File("hoxa_NIVORA.ini");
        };
        // A whole run first: the calls of the save, and the files it leaves.
        TempDir whole;
        const std::string ini = prepare(whole), oldBytes = ReadBytes(ini);
        const std::vector<std::string> entries = whole.Entries();
        g_trap = {true, 0, 0, At::Before, {}};
        SaveSettings(whole.Path(), Entries("new"));
        g_trap.armed = false;
        const std::string newBytes = ReadBytes(ini);
        SaveSettings(whole.Path(), Entries("newer"));
        const std::string newerBytes = ReadBytes(ini);

        for (int n = 1; n <= static_cast<int>(g_trap.names.size()); ++n) {
            std::string row = std::string(kind) + " " + std::to_string(n) + " " + g_trap.names[n - 1] + ":";
            for (const At at : {At::Before, At::After, At::Fail}) {
                for (int then = 0; then < 3; ++then) {
                    SCOPED_TRACE(row + " mode " + std::to_string(static_cast<int>(at)) + ", then " + std::to_string(then));
                    TempDir d;
                    const std::string path = prepare(d);
                    const int rc = Wait(Start([&] {
                        g_trap = {true, n, 0, at, {}};
                        SaveSettings(d.Path(), Entries("new"));
                    }));
                    EXPECT_EQ(rc, at == At::Fail ? rc : -SIGKILL);
                    // The newest whole save: new once all its bytes are in place.
                    const bool newWhole = ReadBytes(path) == newBytes || rc == 0;
                    if (then == 1) SaveSettings(d.Path(), Entries("newer"));
                    if (then == 2) WriteBytes(path, "foreign");
                    RemoveStaleTempFiles(d.Path(), OwnFileNames());
                    EXPECT_EQ(ReadBytes(path), then == 1 ? newerBytes : then == 2 ? "foreign" : newWhole ? newBytes : oldBytes);
                    EXPECT_EQ(d.Entries(), entries);
                    if (then == 0) row += newWhole ? " new" : " old";
                }
            }
            std::cout << row << "  (killed before, after, failed)\n";
        }
    }
}

TEST(SaveSequences, CopiesSavingAtOnceInOneFolderEachSaveWhole)
{
    // Two copies close at once while a third saves its preview size: every round
    // the file holds one copy's entries whole, and the preview size as well.
    TempDir dir;
    for (int round = 0; round < 20; ++round) {
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        std::vector<pid_t> copies;
        for (int c = 0; c < 3; ++c)
            copies.push_back(Start([&] {
                char x;
                ::close(go[1]);
                (void)!::read(go[0], &x, 1);  // all start together
                if (c == 2) SavePreviewSize(dir.Path(), {300 + round, 400});
                else SaveSettings(dir.Path(), Entries(std::to_string(c) + "-" + std::to_string(round)));
            }));
        ::close(go[0]), ::close(go[1]);
        for (const pid_t pid : copies) EXPECT_EQ(Wait(pid), 0) << "round " << round;
        const MainSettings s = LoadSettings(dir.Path());
        const std::string who = s[Setting::My].substr(0, 2) + std::to_string(round);  // "<copy>-<round>"
        for (const SettingKey& k : SettingKeys()) EXPECT_EQ(s[k.setting], Entries(who)[k.setting]) << "round " << round;
        EXPECT_EQ(LoadPreviewSize(dir.Path()).width, 300 + round) << "round " << round << ": a save was lost";
    }
    const SaveLock other = SaveLock::IfFree(dir.Path());  // another copy's, kept beyond 5 s: nothing saved
    EXPECT_THROW(WriteSlot(SlotPath(dir.Path(), 0), {}), EInOutError);
    EXPECT_FALSE(Exists(SlotPath(dir.Path(), 0)));
}

// A start (clean-up, entries, the feed's printer, the first slot) and an exit save:
// "E_ZIP / PrnNoIndex / slot lines or error / the save / the folder beside ours".
std::string StartAndExit(const TempDir& d)
{
    if (const SaveLock lock = SaveLock::IfFree(d.Path()); !lock.Busy()) RemoveStaleTempFiles(d.Path(), OwnFileNames());
    const std::size_t dir = ShownPath(d.Path()).size() + 1;  // messages without the folder
    std::string problem, printerProblem;
    MainSettings s = LoadSettings(d.Path(), &problem);
    const FeedRegistration feed = ReadFeedRegistration(d.Path(), kFeedManual, &printerProblem);
    std::string out = (problem.empty() ? s[Setting::Zip] : problem.substr(dir)) + " / " +
                      (printerProblem.empty() ? feed.prnNoIndex : printerProblem.substr(dir)) + " /";
    try {
        for (const std::string& l : ReadSlot(SlotPath(d.Path(), 0))) out += " " + l;
    } catch (const EInOutError& e) {
        out += std::string(" ") + e.what();
    }
    s[Setting::Zip] = "999-9999";
    try {
        SaveSettings(d.Path(), s);  // whole, with one section at the head (no byte-order mark)
        out += " / saved at " + std::to_string(ReadBytes(d.File("hoxa_NIVORA.ini")).rfind("[hx_NIVORAprn]\r\nE_ZIP=999")) + " /";
    } catch (const EIniFileException& e) {
        out += " / " + std::string(e.what()).substr(dir) + " /";
    }
    for (const std::string& name : d.Entries())
        if (name != kSaveLockName && name != "hoxa_NIVORA.ini" && name != "hoxa_q310.ini" && name != "my0.txt") out += " " + name;
    return out;
}

TEST(WorkingFolder, OnlyOurLeftoversAreTouchedAndNothingHangsOrFloods)
{
    const std::string ini = "[hx_NIVORAprn]\r\nE_ZIP=100-0001\r\n", q310 = "[手差し]\r\nPrnNoIndex=2\r\n";
    const std::string slot = "1\r\n2\r\n3\r\n4\r\n5\r\n", busy = ".hoxa_q310.ini.tmp" + std::to_string(DeadPid()) + "-2";
    const std::string ours = "100-0001 / 2 / 1 2 3 4 5 / saved at 0 /", tooBig = " は 1 MB を超えるため読み込みませんでした。既定の値を使います。";
    const auto file = [](const TempDir& d, const std::string& name, const std::string& bytes, off_t size = 0) {
        WriteBytes(d.File(name), bytes);
        EXPECT_TRUE(size == 0 || ::truncate(d.File(name).c_str(), size) == 0);  // the rest a hole
    };
    pid_t elsewhere = 0;  // a writer at work in a pid namespace of its own
    const std::pair<std::function<void(const TempDir&)>, std::string> cases[] = {
        {[&](const TempDir& d) {  // other programs' files named like leftovers
             for (const char* name : {".bashrc.bak1000-2", ".notes.txt.bak20240512-1", ".thesis.tex.tmp2023-7", "notes.txt"})
                 file(d, name, name);
         },
         ours + " .bashrc.bak1000-2 .notes.txt.bak20240512-1 .thesis.tex.tmp2023-7 notes.txt"},
        {[&](const TempDir& d) {  // ours, of a writer at work in another pid namespace: it holds the lock
             const int fd = ::open(d.File(busy).c_str(), O_RDWR | O_CREAT, 0644);
             ::flock(fd, LOCK_EX);
             if ((elsewhere = ::fork()) == 0) {
                 if (::geteuid() == 0) ::execlp("unshare", "unshare", "--pid", "--fork", "--kill-child", "sleep", "60", nullptr);
                 ::execlp("sleep", "sleep", "60", nullptr), ::_exit(127);  // no namespace without root
             }
             ::close(fd);
         },
         ours + " " + busy},
        {[&](const TempDir& d) {  // FIFOs, a device and a folder
             for (const char* name : {"hoxa_NIVORA.ini", "postal-codes.dat"}) ::mkfifo(d.File(name).c_str(), 0644);
             ::symlink("/dev/zero", d.File("my0.txt").c_str());
             ::mkdir(d.File("hoxa_q310.ini").c_str(), 0755);
             UsePostalDataFile(d.File("postal-codes.dat"));
             EXPECT_EQ(PostalCodes().Status(), PostalDataStatus::Damaged);
         },
         " / 0 / File access denied / hoxa_NIVORA.ini に書き込めません / postal-codes.dat"},
        {[&](const TempDir& d) {  // 2 GB files, almost all of them hole
             file(d, "hoxa_NIVORA.ini", ini, off_t{2} << 30);
             file(d, "hoxa_q310.ini", q310, off_t{2} << 30);
         },
         "hoxa_NIVORA.ini" + tooBig + " / hoxa_q310.ini" + tooBig + " / 1 2 3 4 5 / hoxa_NIVORA.ini に書き込めません /"},
        {[&](const TempDir& d) {  // byte-order marks; a slot whose first line is 1 MB
             file(d, "hoxa_NIVORA.ini", std::string(kUtf8Bom) + ini);
             file(d, "my0.txt", std::string(kUtf8Bom) + std::string(1 << 20, 'x') + "\r\n" + slot);
         },
         "100-0001 / 2 / " + std::string(2047, 'x') + " 1 2 3 4 / saved at 0 /"},
    };
    for (const auto& [make, want] : cases) {
        TempDir d;
        make(d);
        for (const auto& [name, bytes] : {std::pair{"hoxa_NIVORA.ini", ini}, {"hoxa_q310.ini", q310}, {"my0.txt", slot}})
            if (!Exists(d.File(name))) file(d, name, bytes);
        EXPECT_EQ(StartAndExit(d), want);
    }
    if (elsewhere > 0) ::kill(elsewhere, SIGKILL), ::waitpid(elsewhere, nullptr, 0);
}
