// The real program driven by keys (xdotool) on private X servers, printing through a private
// print server (with_stations.sh): killed while printing or typing tracking numbers it loses no
// committed entry and leaves a file that opens; two copies on two displays record side by side,
// in one folder on the file and in two on the server.
#include "base/Codec.h"
#include "journal/SqliteConnection.h"
#include "journal/Tracking.h"
#include "journal/journal_test_util.h"

#include <sys/wait.h>

#include <atomic>
#include <csignal>
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

    // F11, then Yes to every question ("印刷しますか?" at least) until none has come for a while.
    bool Print()
    {
        X("windowactivate --sync " + Window("ver1\\.10", 20s) + " key F11");
        return AnswerYes(true);
    }
    // F8, a tracking number for the newest entry, the window closed.
    bool Track(const std::string& number)
    {
        X("windowactivate --sync " + Window("ver1\\.10", 20s) + " key F8");
        const std::string journal = Window(Cp932ToUtf8("印刷履歴"), 10s);  // mapped, taking keys a little later:
        X("sleep 0.5 windowactivate --sync " + journal + " key alt+t sleep 0.2 type " + number);
        X("windowactivate --sync " + journal + " key Return sleep 0.3 key Escape");
        return AnswerYes(false);
    }

private:
    std::string X(const std::string& args) const
    {
        std::string out;
        FILE* p = ::popen(("DISPLAY=" + display_ + " xdotool " + args + " 2>/dev/null").c_str(), "r");
        for (char buf[256]; p && std::fgets(buf, sizeof buf, p);) out += buf;
        if (p) ::pclose(p);
        return out;
    }
    // The first visible window whose title matches, waited for.
    std::string Window(const std::string& title, std::chrono::milliseconds wait) const
    {
        for (const auto end = std::chrono::steady_clock::now() + wait;; std::this_thread::sleep_for(100ms)) {
            const std::string ids = X("search --onlyvisible --name '" + title + "'");
            if (!ids.empty()) return ids.substr(0, ids.find('\n'));
            if (!Alive() || std::chrono::steady_clock::now() >= end) return {};
        }
    }
    // Yes ("y") to the questions, captioned "◇hoxa_Nivora", until none has come for 0.8 s.
    bool AnswerYes(bool oneComes)
    {
        int idle = 0;
        for (int tries = 0; Alive() && tries < 150 && idle < 8; ++tries, std::this_thread::sleep_for(100ms)) {
            const std::string box = Window("hoxa_Nivora$", 0ms);
            if (!box.empty()) X("windowactivate --sync " + box + " key y");
            oneComes = oneComes && box.empty();
            idle = box.empty() && !oneComes ? idle + 1 : 0;
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
    FreshStore root_{"sqlite"};
    int folders_ = 0;
};

TEST_F(Stations, KilledWhilePrintingOrEditingLosesNoCommittedEntry)
{
    const std::string dir = Folder();
    Journal journal({dir, {}});
    std::mt19937 random(std::random_device{}());
    std::map<std::string, std::string> committed;  // uid -> tracking number, seen before a kill
    for (int round = 0; round < 4; ++round) {
        Station station(dir, std::getenv("HOXA_DISPLAY_A"));
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(4000 + random() % 6000));
            for (const JournalEntry& e : journal.Load(journal.Search({})))
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
    std::map<std::string, std::string> now;
    for (const JournalEntry& e : journal.Load(journal.Search({}))) now[e.uid] = e.tracking;
    EXPECT_GE(committed.size(), 2u);  // it did work before the kills
    for (const auto& [uid, tracking] : committed) EXPECT_TRUE(now.count(uid) && (tracking.empty() || now[uid] == tracking));
    std::string check;
    SqliteConnection::Open(dir + "/" + kJournalFileName, 5000, nullptr)->Run("PRAGMA integrity_check", {}, [&](const SqlRow& r) { check = r.Text(0); });
    EXPECT_EQ(check, "ok");
}

TEST_F(Stations, TwoDisplaysRecordSideBySideOnTheFileAndOnTheServer)
{
    for (const bool server : {false, true}) {
        std::optional<FreshStore> db;
        if (server) db.emplace("postgres");
        const std::string a = Folder(server ? db->Place().server : ""), b = server ? Folder(db->Place().server) : a;
        {
            Station one(a, std::getenv("HOXA_DISPLAY_A")), two(b, std::getenv("HOXA_DISPLAY_B"));
            const auto prints = [](Station& s) { for (int i = 0; i < 4; ++i) EXPECT_TRUE(s.Print()); };
            std::thread t(prints, std::ref(two));
            prints(one);
            t.join();
        }
        Journal j(server ? db->Place() : JournalPlace{a, {}});
        const std::vector<JournalEntry> entries = j.Load(j.Search({}));
        // Eight prints, each recorded once with its own job, from two stations.
        std::set<int> jobs;
        std::set<std::string> stations;
        for (const JournalEntry& e : entries) {
            jobs.insert(e.state == EntryState::Printed ? e.jobId : 0);
            stations.insert(e.station);
        }
        EXPECT_EQ(entries.size(), 8u) << server;
        EXPECT_EQ(jobs.size() - jobs.count(0), 8u) << server;
        EXPECT_EQ(stations.size(), 2u) << server;
    }
}

}  // namespace
