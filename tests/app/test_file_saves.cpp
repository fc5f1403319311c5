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

#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>

using namespace hoxa;
using namespace hoxa::testutil;

// Every call that makes a save last passes here.  In a process that armed it,
// the Nth of them kills the process (before or after the call) or fails.
namespace {

enum class At { Before, After, Fail };
struct Trap {
    bool armed = false;
    int n = 0, calls = 0;
    At at = At::Before;
    std::vector<std::string> names;
} g_trap;

template <class F>
int Pass(const char* name, F&& call)
{
    if (!g_trap.armed) return call();
    g_trap.names.push_back(name);
    const bool hit = ++g_trap.calls == g_trap.n;
    if (hit && g_trap.at == At::Before) ::raise(SIGKILL);
    if (hit && g_trap.at == At::Fail) return errno = EIO, -1;
    const int r = call();
    if (hit) ::raise(SIGKILL);
    return r;
}

template <class T>
T* Real(const char* name)
{
    return reinterpret_cast<T*>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {
int fsync(int fd) { return Pass("fsync", [&] { return Real<int(int)>("fsync")(fd); }); }
int ftruncate(int fd, off_t n) noexcept
{
    return Pass("ftruncate", [&] { return Real<int(int, off_t)>("ftruncate")(fd, n); });
}
int rename(const char* a, const char* b) noexcept
{
    return Pass("rename", [&] { return Real<int(const char*, const char*)>("rename")(a, b); });
}
int renameat2(int fa, const char* a, int fb, const char* b, unsigned flags) noexcept
{
    using F = int(int, const char*, int, const char*, unsigned);
    return Pass("renameat2", [&] { return Real<F>("renameat2")(fa, a, fb, b, flags); });
}
int unlink(const char* p) noexcept { return Pass("unlink", [&] { return Real<int(const char*)>("unlink")(p); }); }
}

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// The entries of one copy of the program: every written key tells whose they are.
MainSettings Entries(const std::string& tag)
{
    MainSettings s;
    for (const SettingKey& k : SettingKeys())
        if (k.written && !k.integer) s[k.setting] = tag + "　" + k.key;
    return s;
}

// Runs f in a child process; its exit code (0: f returned), or -signal.
template <class F>
int InChild(F&& f)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            f();
        } catch (const std::exception&) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

}  // namespace

TEST(SaveKilled, EveryPointEndsOldOrNewNeverOlderThanTheNewestWholeSave)
{
    // The exit save of a plain file (temporary file and rename) and of files that
    // are rewritten in place (a second hard link; a link to a file elsewhere).
    struct Kind {
        const char* what;
        void (*make)(const TempDir&);
    };
    const Kind kinds[] = {
        {"plain", [](const TempDir&) {}},
        {"hard link", [](const TempDir& d) { ASSERT_EQ(::link(d.File("hoxa_NIVORA.ini").c_str(), d.File("copy.ini").c_str()), 0); }},
        {"symbolic link",
         [](const TempDir& d) {
             ASSERT_EQ(::mkdir(d.File("elsewhere").c_str(), 0755), 0);
             ASSERT_EQ(::rename(d.File("hoxa_NIVORA.ini").c_str(), d.File("elsewhere/real.ini").c_str()), 0);
             ASSERT_EQ(::symlink("elsewhere/real.ini", d.File("hoxa_NIVORA.ini").c_str()), 0);
         }},
    };
    // After the kill: the next start's clean-up; another copy's save first; or
    // another program writing the file in place first.
    enum Then { CleanUp, CopySaves, OtherWrites };
    const char* const thenText[] = {"the clean-up", "another copy saves", "another program writes"};
    const std::string foreign = "[hx_NIVORAprn]\r\nE_ZIP=foreign\r\n";
    for (const Kind& kind : kinds) {
        const auto prepare = [&](const TempDir& d) {
            SaveSettings(d.Path(), Entries("old, longer than the new"));
            kind.make(d);
        };
        // A whole run first: the calls of the save, and the files it leaves.
        TempDir whole;
        prepare(whole);
        const std::string ini = whole.File("hoxa_NIVORA.ini"), oldBytes = ReadBytes(ini);
        const std::vector<std::string> entries = Sorted(whole.Entries());
        g_trap = {true, 0, 0, At::Before, {}};
        SaveSettings(whole.Path(), Entries("new"));
        g_trap.armed = false;
        const std::vector<std::string> calls = g_trap.names;
        const std::string newBytes = ReadBytes(ini);
        SaveSettings(whole.Path(), Entries("newer"));
        const std::string newerBytes = ReadBytes(ini);
        ASSERT_GE(calls.size(), 3u) << kind.what;

        for (int n = 1; n <= static_cast<int>(calls.size()); ++n) {
            std::string outcome;  // the table's row, for the log
            for (const At at : {At::Before, At::After, At::Fail}) {
                for (const Then then : {CleanUp, CopySaves, OtherWrites}) {
                    SCOPED_TRACE(std::string(kind.what) + ": call " + std::to_string(n) + " " + calls[n - 1] + " " +
                                 (at == At::Before ? "killed before" : at == At::After ? "killed after" : "failed") +
                                 ", then " + thenText[then]);
                    TempDir d;
                    prepare(d);
                    const std::string path = d.File("hoxa_NIVORA.ini");
                    const int rc = InChild([&] {
                        g_trap = {true, n, 0, at, {}};
                        SaveSettings(d.Path(), Entries("new"));
                    });
                    EXPECT_EQ(rc, at == At::Fail ? rc : -SIGKILL);
                    const std::string atKill = ReadBytes(path);
                    if (then == CopySaves) SaveSettings(d.Path(), Entries("newer"));
                    if (then == OtherWrites) WriteBytes(path, foreign);
                    RemoveStaleTempFiles(d.Path(), OwnFileNames());
                    // The newest whole save: the new bytes once they were all in
                    // place (or the save said so), else the old ones.
                    const bool newWhole = atKill == newBytes || rc == 0;
                    if (then == CleanUp) outcome += newWhole ? "  new" : "  old";
                    EXPECT_EQ(ReadBytes(path), then == CopySaves     ? newerBytes
                                               : then == OtherWrites ? foreign
                                               : newWhole            ? newBytes
                                                                     : oldBytes);
                    EXPECT_EQ(Sorted(d.Entries()), entries);
                }
            }
            std::cout << kind.what << " " << n << " " << calls[n - 1] << " (killed before, after, failed):" << outcome
                      << "\n";
        }
    }
}

TEST(SaveSequences, CopiesSavingAtOnceInOneFolderEachSaveWhole)
{
    // Two copies close at once while a third saves its preview size: every round
    // the file holds one copy's entries whole and the preview size as well.
    TempDir dir;
    for (int round = 0; round < 20; ++round) {
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        std::vector<pid_t> copies;
        for (int c = 0; c < 3; ++c) {
            if (const pid_t pid = ::fork(); pid != 0) {
                copies.push_back(pid);
                continue;
            }
            char x;
            ::close(go[1]);
            (void)!::read(go[0], &x, 1);  // all start together
            try {
                if (c == 2) SavePreviewSize(dir.Path(), {300 + round, 400});
                else SaveSettings(dir.Path(), Entries(std::to_string(c) + "-" + std::to_string(round)));
            } catch (const std::exception&) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(go[0]);
        ::close(go[1]);
        for (const pid_t pid : copies) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        const MainSettings s = LoadSettings(dir.Path());
        const std::string who = s[Setting::My].substr(0, s[Setting::My].find("　"));
        const MainSettings want = Entries(who);
        for (const SettingKey& k : SettingKeys()) EXPECT_EQ(s[k.setting], want[k.setting]) << "round " << round;
        EXPECT_EQ(who.substr(who.find('-') + 1), std::to_string(round));
        EXPECT_EQ(LoadPreviewSize(dir.Path()).width, 300 + round) << "round " << round << ": a save was lost";
    }
}

TEST(SaveSequences, AnotherCopysLockIsWaitedForFiveSecondsThenNothingIsWritten)
{
    TempDir dir;
    const std::string path = SlotPath(dir.Path(), 0);
    WriteSlot(path, {"1", "2", "3", "4", "5"});
    const SaveLock other = SaveLock::IfFree(dir.Path());  // a descriptor of its own: another copy
    ASSERT_FALSE(other.Busy());
    try {
        WriteSlot(path, {"a", "b", "c", "d", "e"});
        ADD_FAILURE() << "saved under another copy's lock";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), SaveLockedMessage(path));
    }
    EXPECT_EQ(ReadSlot(path)[0], "1");
}

TEST(WorkingFolder, OnlyOurLeftoversAreTouchedAndNothingHangsOrFloods)
{
    // A start (its clean-up, the entries, the feed's printer, the first slot),
    // then an exit save, in a folder holding each case.
    struct Case {
        const char* what;
        std::function<void(const TempDir&)> make;
        std::string entries, printer, slot, save;  // as read at start; the save's error
        std::vector<std::string> left;              // the folder afterwards, the lock aside
        std::function<void(const TempDir&)> check = nullptr;
    };
    const auto write = [](const TempDir& d, const char* name, const std::string& bytes) { WriteBytes(d.File(name), bytes); };
    const std::string ini = "[hx_NIVORAprn]\r\nE_ZIP=100-0001\r\n", slot = "1\r\n2\r\n3\r\n4\r\n5\r\n";
    const auto ours = [&](const TempDir& d) {
        write(d, "hoxa_NIVORA.ini", ini);
        write(d, "my0.txt", slot);
        write(d, "hoxa_q310.ini", "[手差し]\r\nPrnNoIndex=2\r\n");
    };
    const std::vector<std::string> ourNames{"hoxa_NIVORA.ini", "hoxa_q310.ini", "my0.txt"};
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.end(), ourNames.begin(), ourNames.end());
        return Sorted(more);
    };
    const std::string dead = std::to_string(DeadPid()), self = std::to_string(::getpid());
    const std::string notWritable = " に書き込めません";
    const auto sparse = [](const TempDir& d, const char* name) { ASSERT_EQ(::truncate(d.File(name).c_str(), off_t{2} << 30), 0); };
    pid_t elsewhere = 0;  // a writer in a pid namespace of its own

    const Case cases[] = {
        {"other programs' files named like leftovers",
         [&](const TempDir& d) {
             ours(d);
             for (const char* name : {"notes.txt", ".notes.txt.bak20240512-1", ".thesis.tex.tmp2023-7", ".bashrc.bak1000-2",
                                      ".hoxa_NIVORA.ini.bak", "hoxa_NIVORA.ini.tmp5-1"})
                 write(d, name, name);
         },
         "100-0001", "2", "1|2|3|4|5", "",
         with({"notes.txt", ".notes.txt.bak20240512-1", ".thesis.tex.tmp2023-7", ".bashrc.bak1000-2",
               ".hoxa_NIVORA.ini.bak", "hoxa_NIVORA.ini.tmp5-1"}),
         [](const TempDir& d) { EXPECT_EQ(ReadBytes(d.File("notes.txt")), "notes.txt"); }},
        {"ours: a pid now reused by a live process; a writer at work in another pid namespace",
         [&](const TempDir& d) {
             ours(d);
             write(d, (".my0.txt.tmp" + self + "-1").c_str(), "x");
             const std::string busy = d.File(".hoxa_q310.ini.tmp" + dead + "-2");
             write(d, (".hoxa_q310.ini.tmp" + dead + "-2").c_str(), "x");
             if ((elsewhere = ::fork()) == 0) {
                 ::execlp("unshare", "unshare", "--pid", "--fork", "--kill-child", "flock", busy.c_str(), "sleep", "60",
                          nullptr);
                 ::execlp("flock", "flock", busy.c_str(), "sleep", "60", nullptr);  // not root: this namespace
                 ::_exit(127);
             }
             const int fd = ::open(busy.c_str(), O_RDONLY);
             while (::flock(fd, LOCK_SH | LOCK_NB) == 0) ::flock(fd, LOCK_UN), ::usleep(10000);  // until the writer has it
             ::close(fd);
         },
         "100-0001", "2", "1|2|3|4|5", "", with({".hoxa_q310.ini.tmp" + dead + "-2"})},
        {"FIFOs",
         [](const TempDir& d) {
             for (const char* name : {"hoxa_NIVORA.ini", "hoxa_q310.ini", "my0.txt", "postal-codes.dat"})
                 ASSERT_EQ(::mkfifo(d.File(name).c_str(), 0644), 0);
         },
         "", "0", "File access denied", notWritable, with({"postal-codes.dat"}),
         [](const TempDir& d) {
             UsePostalDataFile(d.File("postal-codes.dat"));
             EXPECT_EQ(PostalCodes().Status(), PostalDataStatus::Damaged);
         }},
        {"links to a device and to a folder",
         [](const TempDir& d) {
             for (const char* name : {"hoxa_NIVORA.ini", "my0.txt"}) ASSERT_EQ(::symlink("/dev/zero", d.File(name).c_str()), 0);
             ASSERT_EQ(::symlink(".", d.File("hoxa_q310.ini").c_str()), 0);
         },
         "", "0", "File access denied", notWritable, ourNames},
        {"2 GB files, almost all hole",
         [&](const TempDir& d) {
             ours(d);
             sparse(d, "hoxa_NIVORA.ini");
             sparse(d, "hoxa_q310.ini");
         },
         "(refused)", "(refused)", "1|2|3|4|5", notWritable, ourNames,
         [](const TempDir& d) {
             struct stat st {};
             ASSERT_EQ(::stat(d.File("hoxa_NIVORA.ini").c_str(), &st), 0);
             EXPECT_EQ(st.st_size, off_t{2} << 30);
             EXPECT_LT(st.st_blocks, 64) << "the hole was written";
         }},
        {"byte-order marks",
         [&](const TempDir& d) {
             ours(d);
             write(d, "hoxa_NIVORA.ini", std::string(kUtf8Bom) + ini);
             write(d, "my0.txt", std::string(kUtf8Bom) + slot);
         },
         "100-0001", "2", "1|2|3|4|5", "", ourNames,
         [&](const TempDir& d) { EXPECT_EQ(ReadBytes(d.File("hoxa_NIVORA.ini")).rfind("[hx_NIVORAprn]\r\nE_ZIP=999"), 0u); }},
        {"a slot whose first line is 1 MB",
         [&](const TempDir& d) {
             ours(d);
             write(d, "my0.txt", std::string(1 << 20, 'x') + "\r\n" + slot);
         },
         "100-0001", "2", std::string(2047, 'x') + "|1|2|3|4", "", ourNames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir d;
        c.make(d);
        {
            const SaveLock lock = SaveLock::IfFree(d.Path());
            RemoveStaleTempFiles(d.Path(), OwnFileNames());
        }
        std::string problem, printerProblem, lines, save;
        MainSettings s = LoadSettings(d.Path(), &problem);
        const FeedRegistration feed = ReadFeedRegistration(d.Path(), kFeedManual, &printerProblem);
        EXPECT_EQ(problem.empty() ? s[Setting::Zip] : "(refused)", c.entries);
        EXPECT_EQ(printerProblem.empty() ? feed.prnNoIndex : "(refused)", c.printer);
        if (!problem.empty()) {
            EXPECT_EQ(problem, ShownPath(d.File("hoxa_NIVORA.ini")) + " は 1 MB を超えるため読み込みませんでした。既定の値を使います。");
        }
        try {
            for (const std::string& l : ReadSlot(SlotPath(d.Path(), 0))) lines += (lines.empty() ? "" : "|") + l;
        } catch (const EInOutError& e) {
            lines = e.what();
        }
        EXPECT_EQ(lines, c.slot);
        s[Setting::Zip] = "999-9999";
        try {
            SaveSettings(d.Path(), s);
        } catch (const EIniFileException& e) {
            save = std::string(e.what()).substr(std::string(e.what()).find(' '));
        }
        EXPECT_EQ(save, c.save);
        std::vector<std::string> left = d.Entries();
        left.erase(std::remove(left.begin(), left.end(), std::string(kSaveLockName)), left.end());
        EXPECT_EQ(Sorted(left), c.left);
        if (c.check) c.check(d);
    }
    if (elsewhere > 0) ::kill(elsewhere, SIGKILL), ::waitpid(elsewhere, nullptr, 0);
}
