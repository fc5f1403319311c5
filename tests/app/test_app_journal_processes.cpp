// The real program recording its prints, driven by keys (xdotool) on private X
// servers, printing through the private print server (with_stations.sh): killed
// with SIGKILL at random moments of printing and of typing a tracking number,
// it loses no committed entry and leaves a file that opens; two copies on two
// displays record side by side without loss, in one folder on the local file
// and in two folders on the PostgreSQL server.
#include "base/Codec.h"
#include "journal/SqliteConnection.h"
#include "journal/Tracking.h"
#include "journal/journal_test_util.h"
#include "print/cups_jobs.h"

#include <sys/wait.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <thread>

using namespace hoxa;
using namespace hoxa::test;
using namespace std::chrono_literals;

namespace {

std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        for (char buf[256]; std::fgets(buf, sizeof buf, p);) out += buf;
        ::pclose(p);
    }
    return out;
}

// One copy of hoxa_Nivora on its display, working in dir.
class Station {
public:
    Station(const std::string& dir, const char* display) : display_(display)
    {
        if ((pid_ = ::fork()) == 0) {
            (void)!::chdir(dir.c_str());
            ::setenv("DISPLAY", display, 1);
            ::execl(HOXA_BINARY_DIR "/hoxa_Nivora", "hoxa_Nivora", nullptr);
            ::_exit(127);
        }
    }
    ~Station() { Kill(SIGTERM); }
    void Kill(int signal)
    {
        const pid_t pid = pid_.exchange(0);
        if (pid > 0 && ::kill(pid, signal) == 0) ::waitpid(pid, nullptr, 0);
    }
    bool Alive() const { return pid_ > 0 && ::kill(pid_, 0) == 0; }

    // F11, then Yes to every question until none has come for a while.
    bool Print()
    {
        const std::string main = Window("ver1\\.10", 20s);
        if (main.empty()) return false;
        X("windowactivate --sync " + main + " key F11");
        return AnswerYes(true);  // at least "印刷しますか?" comes
    }
    // F8, a tracking number for the newest entry, then the window closed.
    bool Track(const std::string& number)
    {
        X("windowactivate --sync " + Window("ver1\\.10", 20s) + " key F8");
        const std::string journal = Window(Cp932ToUtf8("印刷履歴"), 10s);
        if (journal.empty()) return false;
        std::this_thread::sleep_for(500ms);  // mapped is not yet taking keys
        for (const std::string& keys : {"windowactivate --sync " + journal, std::string("key alt+t"), "type " + number,
                                        std::string("key Return")}) {
            X(keys);
            std::this_thread::sleep_for(200ms);
        }
        X("windowactivate --sync " + journal + " key Escape");
        return AnswerYes(false);
    }

private:
    std::string X(const std::string& args) const
    {
        return Output("DISPLAY=" + display_ + " xdotool " + args + " 2>/dev/null");
    }
    // The first visible window whose title matches, waited for.
    std::string Window(const std::string& title, std::chrono::milliseconds wait) const
    {
        const auto end = std::chrono::steady_clock::now() + wait;
        for (;;) {
            const std::string ids = X("search --onlyvisible --name '" + title + "'");
            if (!ids.empty()) return ids.substr(0, ids.find('\n'));
            if (!Alive() || std::chrono::steady_clock::now() >= end) return {};
            std::this_thread::sleep_for(100ms);
        }
    }
    // Yes to the questions (captioned "◇hoxa_Nivora") until none has come for 0.8 s.
    bool AnswerYes(bool oneComes)
    {
        int idle = 0;
        for (int tries = 0; Alive() && tries < 150 && idle < 8; ++tries) {
            const std::string box = Window("hoxa_Nivora$", 0ms);
            if (!box.empty()) X("windowactivate --sync " + box + " key y");
            oneComes = oneComes && box.empty();
            idle = box.empty() && !oneComes ? idle + 1 : 0;
            std::this_thread::sleep_for(100ms);
        }
        return idle >= 8;
    }

    std::string display_;
    std::atomic<pid_t> pid_ = 0;
};

class Stations : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("HOXA_DISPLAY_B")) GTEST_SKIP() << "run through tests/app/with_stations.sh";
        firstJob_ = Jobs().empty() ? 0 : Jobs().rbegin()->first;
        // The copies' single-instance sockets and Qt's runtime files.
        std::filesystem::permissions(root_.Place().folder, std::filesystem::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", root_.Place().folder.c_str(), 1);
    }
    // A working folder as a shop leaves it: a sender, the printer, a destination.
    std::string Folder(const std::string& server = {})
    {
        const std::string dir = root_.Place().folder + "/" + std::to_string(++folders_);
        std::filesystem::create_directories(dir);
        const auto write = [&](const char* name, const std::string& bytes) { std::ofstream(dir + "/" + name) << bytes; };
        write("my0.txt", "\r\n\r\n\r\n\r\nShop\r\n");
        write("hoxa_q310.ini", "[手差し]\r\nPrnName=hoxa_pdf\r\nPrnNoIndex=0\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n");
        write("hoxa_NIVORA.ini", "[hx_NIVORAprn]\r\nE_ZIP=100-0001\r\nE_CUS=Yamada\r\n[hoxa_Journal]\r\nServer=" + server + "\r\n");
        return dir;
    }
    // The waybill jobs of this case on the print server: id -> title.
    std::map<int, std::string> Jobs() const
    {
        std::map<int, std::string> out;
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "hoxa_pdf", 0, CUPS_WHICHJOBS_ALL);
        for (int j = 0; j < n; ++j)
            if (jobs[j].id > firstJob_) out[jobs[j].id] = jobs[j].title ? jobs[j].title : "";
        cupsFreeJobs(n, jobs);
        return out;
    }
    // Every job sent has its one printed entry, but for as many as are left pending.
    static void EveryJobRecordedOnce(const std::vector<JournalEntry>& entries, const std::map<int, std::string>& jobs)
    {
        std::multiset<int> printed;
        std::size_t pending = 0;
        for (const JournalEntry& e : entries) {
            if (e.state == EntryState::Printed) printed.insert(e.jobId);
            else ++pending;
        }
        std::size_t unrecorded = 0;
        for (const auto& [id, title] : jobs) {
            EXPECT_LE(printed.count(id), 1u) << id;
            unrecorded += printed.count(id) == 0;
        }
        EXPECT_LE(unrecorded, pending);
        EXPECT_EQ(printed.size(), jobs.size() - unrecorded);
    }

    FreshStore root_{"sqlite"};
    int folders_ = 0;
    int firstJob_ = 0;
};

TEST_F(Stations, KilledWhilePrintingOrEditingLosesNoCommittedEntry)
{
    const std::string dir = Folder();
    const JournalPlace place{dir, {}};
    std::mt19937 random(std::random_device{}());
    std::map<std::string, std::string> committed;  // uid -> tracking number, seen before a kill
    for (int round = 0; round < 4; ++round) {
        Station station(dir, std::getenv("HOXA_DISPLAY_A"));
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(4000 + random() % 6000));
            Journal j(place);
            for (const JournalEntry& e : j.Load(j.Search({})))
                if (e.state == EntryState::Printed) committed[e.uid] = e.tracking;
            station.Kill(SIGKILL);
        });
        for (int n = 0; station.Alive(); ++n) {
            const std::string serial = "9" + std::to_string(round) + "12345678" + std::to_string(n % 10);
            if (n % 2) station.Track(serial + SevenDRCheckDigit(serial));
            else station.Print();
        }
        killer.join();
    }
    Journal j(place);
    std::map<std::string, std::string> now;
    for (const JournalEntry& e : j.Load(j.Search({}))) now[e.uid] = e.tracking;
    EXPECT_GE(committed.size(), 2u);  // it did work before the kills
    for (const auto& [uid, tracking] : committed) {
        ASSERT_TRUE(now.count(uid)) << uid;
        if (!tracking.empty()) EXPECT_EQ(now[uid], tracking);
    }
    EveryJobRecordedOnce(j.Load(j.Search({})), Jobs());
    std::string check;
    SqliteConnection::Open(dir + "/" + kJournalFileName, 5000, nullptr)->Run("PRAGMA integrity_check", {},
        [&](const SqlRow& r) { check = r.Text(0); });
    EXPECT_EQ(check, "ok");
}

TEST_F(Stations, TwoDisplaysRecordSideBySideOnTheFileAndOnTheServer)
{
    for (const bool server : {false, true}) {
        std::optional<FreshStore> db;
        if (server) db.emplace("postgres");
        const std::string a = Folder(server ? db->Place().server : ""), b = server ? Folder(db->Place().server) : a;
        const int before = Jobs().empty() ? firstJob_ : Jobs().rbegin()->first;
        {
            Station one(a, std::getenv("HOXA_DISPLAY_A")), two(b, std::getenv("HOXA_DISPLAY_B"));
            const auto prints = [](Station& s) { for (int i = 0; i < 4; ++i) EXPECT_TRUE(s.Print()); };
            std::thread t(prints, std::ref(two));
            prints(one);
            t.join();
        }
        Journal j(server ? db->Place() : JournalPlace{a, {}});
        const std::vector<JournalEntry> entries = j.Load(j.Search({}));
        std::map<int, std::string> jobs = Jobs();
        jobs.erase(jobs.begin(), jobs.upper_bound(before));
        EXPECT_EQ(jobs.size(), 8u) << server;
        EveryJobRecordedOnce(entries, jobs);
        std::map<std::string, int> perStation;
        for (const JournalEntry& e : entries) ++perStation[e.station];
        EXPECT_EQ(perStation.size(), 2u) << server;
    }
}

}  // namespace
