// Failed and interrupted profile writes: the file is always either the old or the
// new one, never a mixture, and a failure says which file could not be written.
#include "base/Profile.h"

#include "base/AtomicFile.h"
#include "base/errors.h"
#include "test_profile_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <random>
#include <sys/wait.h>
#include <thread>

using namespace hoxa;
using namespace hoxa::testutil;

namespace {

std::string NotWritable(const std::string& path) { return path + " に書き込めません"; }

template <class F>
std::string IniErrorOf(F&& f)
{
    try {
        f();
    } catch (const EIniFileException& e) {
        return e.what();
    }
    return "<no error>";
}

}  // namespace

TEST(ProfileFailure, UnwritablePlacesRaiseWithFullPathAndChangeNothing)
{
    TempDir dir;
    // A folder that does not exist.
    const std::string inMissing = dir.File("no_such_folder/hoxa_NIVORA.ini");
    EXPECT_EQ(IniErrorOf([&] { ProfileFile(inMissing).WriteString("s", "k", "v"); }),
              NotWritable(inMissing));
    // A "folder" that is a file.
    WriteBytes(dir.File("plain"), "data");
    const std::string inFile = dir.File("plain/hoxa_NIVORA.ini");
    EXPECT_EQ(IniErrorOf([&] { ProfileFile(inFile).WriteInteger("s", "k", 1); }), NotWritable(inFile));
    EXPECT_EQ(ReadBytes(dir.File("plain")), "data");
    // The path is a folder: it exists but cannot be read, so it is not replaced.
    ASSERT_EQ(::mkdir(dir.File("folder.ini").c_str(), 0755), 0);
    EXPECT_EQ(IniErrorOf([&] { ProfileFile(dir.File("folder.ini")).WriteString("s", "k", "v"); }),
              NotWritable(dir.File("folder.ini")));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("folder.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    // Reading from any of them gives the default, without an error.
    EXPECT_EQ(ProfileFile(inFile).ReadString("s", "k", "d"), "d");
    EXPECT_EQ(ProfileFile(dir.File("folder.ini")).ReadInteger("s", "k", 3), 3);
}

TEST(ProfileFailure, RelativePathIsShownInFull)
{
    TempDir dir;
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    const std::string msg =
        IniErrorOf([] { ProfileFile("missing/./x.ini").WriteString("s", "k", "v"); });
    ASSERT_EQ(::chdir(old), 0);
    EXPECT_EQ(msg, NotWritable(dir.File("missing/x.ini")));
}

TEST(ProfileFailure, ReadOnlyFolderForAUserWithoutRoot)
{
    TempDir dir;
    const std::string path = dir.File("hoxa_NIVORA.ini");
    WriteBytes(path, "[s]\r\nk=old\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    const std::optional<std::string> got =
        AsNonRoot([&] { return IniErrorOf([&] { ProfileFile(path).WriteString("s", "k", "new"); }); });
    ::chmod(dir.Path().c_str(), 0755);
    if (!got) GTEST_SKIP() << "cannot run a child process as uid " << kNobody;
    EXPECT_EQ(*got, NotWritable(path));
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=old\r\n");
}

TEST(ProfileFailure, FullDiskLeavesOldFileAndNoTemporaryFile)
{
    TempDir dir;
    const std::string path = dir.File("hoxa_q310.ini");
    const std::string before = "[手差し]\r\nPrnNoIndex=0\r\n";
    WriteBytes(path, before);
    {
        FileSizeLimit limit(64);
        EXPECT_EQ(IniErrorOf([&] { ProfileFile(path).WriteString("手差し", "PrnName", std::string(500, 'p')); }),
                  NotWritable(path));
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"hoxa_q310.ini"});
}

TEST(ProfileAtomic, PermissionsAndSymbolicLinksAreKept)
{
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteBytes(path, "[s]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ProfileFile(path).WriteString("s", "k", "2");
    EXPECT_EQ(Mode(path), 0640u);
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=2\r\n");

    // A new file gets the usual mode for the umask.
    const mode_t oldMask = ::umask(022);
    ProfileFile(dir.File("new.ini")).WriteString("s", "k", "v");
    ::umask(oldMask);
    EXPECT_EQ(Mode(dir.File("new.ini")), 0644u);

    // Through a link: the target changes, the link stays a link.
    ASSERT_EQ(::symlink("a.ini", dir.File("link.ini").c_str()), 0);
    ProfileFile(dir.File("link.ini")).WriteString("s", "k", "3");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=3\r\n");
}

TEST(ProfileAtomic, KilledWriterLeavesOldOrNewFile)
{
    // A child rewrites a large value again and again; it is killed at random
    // moments.  After the start-up clean-up the file must always be one of the
    // complete versions, with nothing left beside it: replaced by rename, and
    // rewritten in place where a second hard link must stay.
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "hard-linked: rewritten in place" : "replaced by rename");
        TempDir dir;
        const std::string path = dir.File("big.ini");
        const std::string head = "[s]\r\nfirst=1\r\nbig=";
        const std::string tail = "\r\nlast=2\r\n";
        const std::size_t n = 1000000;  // a large file, within what is read
        const std::string versions[] = {head + std::string(n, 'o') + tail, head + std::string(n, 'a') + tail,
                                        head + std::string(n, 'b') + tail};
        WriteBytes(path, versions[0]);
        std::vector<std::string> names{"big.ini"};
        if (linked) {
            ASSERT_EQ(::link(path.c_str(), dir.File("link.ini").c_str()), 0);
            names.push_back("link.ini");
        }

        std::mt19937 rng(12345);
        int sawNew = 0, leftovers = 0;
        for (int round = 0; round < 12; ++round) {
            int done[2];
            ASSERT_EQ(::pipe(done), 0);
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                // Reports every finished write on the pipe, so that the parent knows
                // how long one write takes.
                ::close(done[0]);
                ProfileFile f(path);
                const std::string a(n, 'a'), b(n, 'b');
                for (int i = 0;; ++i) {
                    f.WriteString("s", "big", (i % 2) ? b : a);
                    (void)!::write(done[1], "w", 1);
                }
            }
            ::close(done[1]);
            const auto t0 = std::chrono::steady_clock::now();
            char c;
            ASSERT_EQ(::read(done[0], &c, 1), 1);
            const auto oneWrite = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - t0);
            // Somewhere in the next two writes: while reading, writing, syncing or renaming.
            std::uniform_int_distribution<long> delay(0, 2 * oneWrite.count());
            std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            ::close(done[0]);
            leftovers += RemoveStaleTempFiles(dir.Path(), {"big.ini"});
            const std::string now = ReadBytes(path);
            const bool whole = now == versions[0] || now == versions[1] || now == versions[2];
            EXPECT_TRUE(whole) << "round " << round << ": " << now.size() << " bytes";
            if (now != versions[0]) ++sawNew;
            std::vector<std::string> entries = dir.Entries();
            std::sort(entries.begin(), entries.end());
            EXPECT_EQ(entries, names) << "round " << round;
            if (linked) {
                EXPECT_EQ(Inode(dir.File("link.ini")), Inode(path));
            }
        }
        // The child did get to write (else the test proves nothing).
        EXPECT_GT(sawNew, 0);
        EXPECT_EQ(ProfileFile(path).ReadString("s", "last", ""), "2");
        std::cout << (linked ? "in place" : "by rename") << ": " << leftovers
                  << " leftovers of 12 killed writers cleared\n";
    }
}

TEST(ProfileAtomic, FileErrorTexts)
{
    EXPECT_EQ(FileErrorText(ENOENT), "File not found");
    EXPECT_EQ(FileErrorText(EACCES), "File access denied");
    EXPECT_EQ(FileErrorText(ENOSPC), "Disk full");
    EXPECT_EQ(FileErrorText(EIO), "I/O error " + std::to_string(EIO));
}
