// The journal when things go wrong: processes killed while recording, two
// processes at once, a locked, damaged, read-only or full file, a server that
// is stopped, hangs, refuses or is not there.  Runs through with_postgres.sh.
#include "journal/SqliteConnection.h"
#include "journal_test_util.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <thread>

using namespace hoxa;
using namespace hoxa::test;
using Clock = std::chrono::steady_clock;

namespace {

// A child process running f, its standard output into a pipe the test reads.
struct Child {
    pid_t pid;
    FILE* out;
    explicit Child(const std::function<void()>& f)
    {
        int fd[2];
        (void)!::pipe(fd);
        if ((pid = ::fork()) == 0) {
            ::dup2(fd[1], 1);
            f();
            std::fflush(stdout);
            ::_exit(0);
        }
        ::close(fd[1]);
        out = ::fdopen(fd[0], "r");
    }
    // Its lines until it ended (when killed: those it wrote before).
    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        for (char line[1024]; std::fgets(line, sizeof line, out);) lines.emplace_back(line, std::strcspn(line, "\n"));
        std::fclose(out);
        ::waitpid(pid, nullptr, 0);
        return lines;
    }
};

// journal_writer: prints the uid of each entry it has committed.
Child Writer(const JournalPlace& p, const std::string& station, int count)
{
    return Child([&] {
        const std::string exe = HOXA_BINARY_DIR "/tests/journal/journal_writer", n = std::to_string(count);
        ::execl(exe.c_str(), exe.c_str(), p.folder.c_str(), p.server.c_str(), station.c_str(), n.c_str(), nullptr);
    });
}

// The first line of what f returns in a child process (its own rights and limits).
std::string InChild(const std::function<std::string()>& f)
{
    const auto lines = Child([&] { std::fputs(f().c_str(), stdout); }).Lines();
    return lines.empty() ? std::string() : lines[0];
}

std::string PrepareFails(Journal& j, int pages = 1)
{
    std::vector<JournalEntry> es;
    for (int i = 0; i < pages; ++i) es.push_back(SampleEntry(i));
    try {
        j.Prepare(es);
        return "recorded";
    } catch (const EJournal& e) {
        return e.what();
    }
}

class JournalProcesses : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (GetParam() == "postgres" && !PgAdmin()) GTEST_SKIP() << "no server: run through with_postgres.sh";
        store_.emplace(GetParam());
    }
    // The uid and tracking number of every printed entry.
    std::map<std::string, std::string> Printed()
    {
        Journal j(store_->Place());
        std::map<std::string, std::string> out;
        for (const JournalEntry& e : j.Load(j.Search({})))
            if (e.state == EntryState::Printed) out[e.uid] = e.tracking;
        return out;
    }
    std::optional<FreshStore> store_;
};

TEST_P(JournalProcesses, TwoProcessesRecordSideBySideWithoutLoss)
{
    Child a = Writer(store_->Place(), "station-a", 150), b = Writer(store_->Place(), "station-b", 150);
    std::vector<std::string> uids = a.Lines(), more = b.Lines();
    uids.insert(uids.end(), more.begin(), more.end());
    ASSERT_EQ(uids.size(), 300u);
    const auto printed = Printed();
    EXPECT_EQ(printed.size(), 300u);  // no entry lost, none twice
    for (const std::string& uid : uids) EXPECT_EQ(printed.count(uid), 1u) << uid;
}

TEST_P(JournalProcesses, KillNineLosesNoCommittedEntry)
{
    std::mt19937 random(std::random_device{}());
    std::vector<std::string> committed;
    for (int round = 0; round < 6; ++round) {
        Child w = Writer(store_->Place(), "station-" + std::to_string(round), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 400));
        ::kill(w.pid, SIGKILL);
        const auto uids = w.Lines();
        committed.insert(committed.end(), uids.begin(), uids.end());
    }
    const auto printed = Printed();  // and the journal opens
    for (const std::string& uid : committed) EXPECT_EQ(printed.count(uid) ? printed.at(uid) : "", "123456789013");
    if (GetParam() == "sqlite") {
        std::string check;
        SqliteConnection::Open(store_->File(), 5000, nullptr)->Run("PRAGMA integrity_check", {},
            [&](const SqlRow& r) { check = r.Text(0); });
        EXPECT_EQ(check, "ok");
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, JournalProcesses, ::testing::Values("sqlite", "postgres"));

TEST(JournalFile, LockedLongerThanTheTimeOutIsToldAndWaitedFor)
{
    FreshStore dir("sqlite");
    Journal j(dir.Place());
    j.Search({});
    auto other = SqliteConnection::Open(dir.File(), 5000, nullptr);
    other->BeginWrite();
    const auto t0 = Clock::now();
    EXPECT_NE(PrepareFails(j).find("別の hoxa が使用中"), std::string::npos);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(4900));
    other->Run("COMMIT");
    EXPECT_EQ(PrepareFails(j), "recorded");
}

TEST(JournalFile, DamagedFileIsKeptAndANewOneStarted)
{
    FreshStore dir("sqlite");
    const std::string garbage(8192, '\x5A');
    for (const bool wholeFile : {true, false}) {
        {
            Journal j(dir.Place());
            for (int i = 0; i < 40; ++i) PrepareFails(j, 10);
        }
        std::fstream f(dir.File(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(wholeFile ? 0 : 8192);
        f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
        f.close();
        Journal j(dir.Place());
        j.Load(j.Search({}));
        const std::string notice = j.TakeNotice();
        EXPECT_NE(notice.find("が壊れていたため hoxa_journal.damaged-"), std::string::npos) << wholeFile;
        EXPECT_TRUE(j.Search({}).empty());
        const std::size_t at = notice.find("hoxa_journal.damaged-");
        const std::string kept = notice.substr(at, notice.find(' ', at) - at);
        std::ifstream in(dir.Place().folder + "/" + kept, std::ios::binary);
        std::string head(8192, '\0');
        in.seekg(wholeFile ? 0 : 8192);
        in.read(head.data(), 8192);
        EXPECT_EQ(head, garbage) << kept;  // the damaged file as it was
    }
}

TEST(JournalFile, ReadOnlyFileOrFolderIsToldBeforePrinting)
{
    for (const bool fileThere : {true, false}) {
        FreshStore dir("sqlite");
        if (fileThere) Journal(dir.Place()).Search({});
        const std::string told = InChild([&] {
            if (::geteuid() == 0) (void)!::setuid(65534);
            else ::chmod((fileThere ? dir.File() : dir.Place().folder).c_str(), fileThere ? 0444 : 0555);
            Journal j(dir.Place());
            return PrepareFails(j);
        });
        ::chmod(dir.Place().folder.c_str(), 0755);
        ::chmod(dir.File().c_str(), 0644);
        EXPECT_NE(told.find("書き込みが許されていません"), std::string::npos) << fileThere << told;
    }
}

TEST(JournalFile, FullDiskIsToldBeforePrinting)
{
    FreshStore dir("sqlite");
    // A small file system of the child's own, gone when the child ends.
    const std::string told = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.Place().folder.c_str(), "tmpfs", 0, "size=256k") != 0)
            return std::string("no mount");
        Journal j(dir.Place());
        return PrepareFails(j, 600);
    });
    if (told == "no mount") GTEST_SKIP() << "a file system of its own needs root";
    EXPECT_NE(told.find("ディスクがいっぱいです"), std::string::npos) << told;
}

TEST(JournalServer, StoppedHungRefusingOrAbsentServerIsToldWithinTheTimeOut)
{
    if (!PgAdmin()) GTEST_SKIP() << "no server: run through with_postgres.sh";
    FreshStore db("postgres");
    const std::string ctl = std::getenv("HOXA_PG_CTL");
    Journal j(db.Place());
    std::vector<JournalEntry> e{SampleEntry(1)};
    const Recording rec = j.Prepare(e);
    ASSERT_EQ(std::system((ctl + " stop -m immediate >/dev/null").c_str()), 0);
    EXPECT_THROW(j.Commit(rec.ids, 5), EJournal);  // the job went; the entry stays pending
    EXPECT_NE(PrepareFails(j).find("に接続できません"), std::string::npos);
    ASSERT_EQ(std::system((ctl + " start >/dev/null").c_str()), 0);
    j.Commit(rec.ids, 5);
    EXPECT_EQ(j.Load(rec.ids).at(0).jobId, 5);

    // Every process of the server stopped: nothing answers, nothing refuses.
    std::ifstream pidFile(std::string(std::getenv("HOXA_PG_SOCKET")) + "/../data/postmaster.pid");
    std::string postmaster;
    std::getline(pidFile, postmaster);
    const std::string tree = "kill -{} " + postmaster + " $(pgrep -P " + postmaster + ")";
    const auto signal = [&](const char* s) { std::system(std::string(tree).replace(6, 2, s).c_str()); };
    signal("STOP");
    const auto t0 = Clock::now();
    const std::string hung = PrepareFails(j);
    const auto waited = Clock::now() - t0;
    signal("CONT");
    EXPECT_NE(hung.find("が 5 秒以内に応答しません。"), std::string::npos) << hung;
    EXPECT_LE(waited, std::chrono::milliseconds(5500));
    EXPECT_EQ(PrepareFails(j), "recorded");

    const std::string socket = std::string("host=") + std::getenv("HOXA_PG_SOCKET") + " port=";
    ::setenv("PGPASSWORD", "wrong", 1);
    for (const auto& [server, want] : {std::pair(socket + "55432 user=hoxa_pw dbname=postgres", "に接続を断られました"),
                                       std::pair(socket + "1 dbname=hoxa", "に接続できません")}) {
        Journal absent({db.Place().folder, server});
        const std::string told = PrepareFails(absent);
        EXPECT_NE(told.find("印刷履歴のサーバー " + PgServerName(server) + " " + want), std::string::npos) << told;
    }
    ::unsetenv("PGPASSWORD");
}

}  // namespace
