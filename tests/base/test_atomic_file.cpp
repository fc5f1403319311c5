// What a file replace must not override or lose: the file's own write permission,
// its owner, hard links and extended attributes; and what killed writers leave.
#include "base/AtomicFile.h"

#include "base/FileIo.h"
#include "base/Profile.h"
#include "base/errors.h"
#include "test_profile_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iostream>
#include <sys/xattr.h>

using namespace hoxa;
using namespace hoxa::testutil;

namespace {

const std::string kOld = "[s]\r\nk=old\r\n";
const std::string kNew = "[s]\r\nk=new\r\n";

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

TEST(AtomicFileProtected, NonRootWriterRespectsTheFileAndKeepsItsOwner)
{
    // The folder is the writer's own and writable; only the file differs.
    struct Case {
        const char* what;
        mode_t mode;
        bool rootOwned;
        bool writable;
    };
    const Case cases[] = {
        {"own file made read-only", 0444, false, false},
        {"root's file, not writable for others", 0644, true, false},
        {"root's file writable by all: written, root stays owner", 0666, true, true},
    };
    const bool root = ::geteuid() == 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.rootOwned && !root) continue;  // only root can make a file another user's
        TempDir dir;
        const std::string path = dir.File("hoxa_NIVORA.ini");
        WriteBytes(path, kOld);
        const uid_t owner = c.rootOwned || !root ? ::geteuid() : kNobody;
        if (root) {
            ASSERT_EQ(::chown(dir.Path().c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(path.c_str(), owner, c.rootOwned ? 0 : kNobody), 0);
        }
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        const std::optional<std::string> got = AsNonRoot([&] {
            try {
                ProfileFile(path).WriteString("s", "k", "new");
            } catch (const EIniFileException& e) {
                return std::string(e.what());
            }
            return std::string("written");
        });
        if (!got) GTEST_SKIP() << "cannot run a child process as uid " << kNobody;
        EXPECT_EQ(*got, c.writable ? "written" : path + " に書き込めません");
        EXPECT_EQ(ReadBytes(path), c.writable ? kNew : kOld);
        EXPECT_EQ(Owner(path), owner);
        EXPECT_EQ(Mode(path), c.mode);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"hoxa_NIVORA.ini"});
    }
}

TEST(AtomicFileKeeps, HardLinkOwnerAndExtendedAttributes)
{
    struct Case {
        const char* what;
        // Sets the file up; returns why the case cannot run here, or "".
        std::function<std::string(const std::string& path, const TempDir& dir)> prepare;
        std::function<void(const std::string& path, const TempDir& dir)> check;
    };
    const Case cases[] = {
        {"a second hard link sees the new bytes",
         [](const std::string& path, const TempDir& dir) {
             return ::link(path.c_str(), dir.File("other.ini").c_str()) == 0 ? "" : std::strerror(errno);
         },
         [](const std::string& path, const TempDir& dir) {
             EXPECT_EQ(Inode(dir.File("other.ini")), Inode(path));
             EXPECT_EQ(ReadBytes(dir.File("other.ini")), kNew);
         }},
        {"another user's file keeps its owner and group",
         [](const std::string& path, const TempDir&) -> std::string {
             if (::geteuid() != 0) return "only root can give a file another owner";
             return ::chown(path.c_str(), 12345, 12346) == 0 ? "" : std::strerror(errno);
         },
         [](const std::string& path, const TempDir&) {
             struct stat st {};
             ASSERT_EQ(::stat(path.c_str(), &st), 0);
             EXPECT_EQ(st.st_uid, 12345u);
             EXPECT_EQ(st.st_gid, 12346u);
         }},
        {"an extended attribute stays",
         [](const std::string& path, const TempDir&) -> std::string {
             if (::setxattr(path.c_str(), "user.hoxa", "kept", 4, 0) == 0) return "";
             return std::string("the file system refuses user attributes: ") + std::strerror(errno);
         },
         [](const std::string& path, const TempDir&) {
             char value[16] = {};
             EXPECT_EQ(::getxattr(path.c_str(), "user.hoxa", value, sizeof value), 4);
             EXPECT_STREQ(value, "kept");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.File("a.ini");
        WriteBytes(path, kOld);
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        if (const std::string why = c.prepare(path, dir); !why.empty()) {
            std::cout << "[  SKIPPED ] " << c.what << ": " << why << "\n";
            continue;
        }
        const std::vector<std::string> files = Sorted(dir.Entries());
        ASSERT_EQ(ReplaceFileAtomically(path, kNew), 0);
        EXPECT_EQ(ReadBytes(path), kNew);
        EXPECT_EQ(Mode(path), 0640u);
        EXPECT_EQ(Sorted(dir.Entries()), files) << "a temporary file or copy was left behind";
        c.check(path, dir);
    }
}

TEST(AtomicFileKeeps, FailedRewriteInPlacePutsTheOldBytesBack)
{
    TempDir dir;
    const std::string path = dir.File("hoxa_q310.ini");
    WriteBytes(path, kOld);
    ASSERT_EQ(::link(path.c_str(), dir.File("other.ini").c_str()), 0);
    {
        FileSizeLimit limit(64);  // the backup does not fit: the file is not touched
        EXPECT_EQ(ReplaceFileAtomically(path, std::string(500, 'n')), EFBIG);
    }
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(Inode(dir.File("other.ini")), Inode(path));
    EXPECT_EQ(Sorted(dir.Entries()), (std::vector<std::string>{"hoxa_q310.ini", "other.ini"}));
}

TEST(StaleTempFiles, OnlyLeftoversOfTheWritersShapeGo)
{
    TempDir dir;
    const std::string dead = std::to_string(DeadPid());
    const std::string self = std::to_string(::getpid());
    const std::string parent = std::to_string(::getppid());
    const std::vector<std::string> ours{"hoxa_NIVORA.ini", "hoxa_q310.ini", "my0.txt", "my1.txt", "my9.txt"};
    struct Entry {
        std::string name;
        bool stays;
    };
    const Entry entries[] = {
        {".hoxa_NIVORA.ini.tmp" + dead + "-0", false},
        {".my9.txt.tmp" + dead + "-4294967295", false},
        {".hoxa_q310.ini.tmp" + self + "-1", false},    // no lock held: whoever has the pid, nobody writes it
        {".hoxa_q310.ini.tmp" + parent + "-1", false},
        {"hoxa_NIVORA.ini.tmp" + dead + "-0", true},   // other shapes: not ours
        {".hoxa_NIVORA.ini.tmp" + dead, true},
        {".hoxa_NIVORA.ini.tmp" + dead + "-", true},
        {".hoxa_NIVORA.ini.tmp" + dead + "-1x", true},
        {".hoxa_NIVORA.ini.tmp0" + dead + "-1", true},
        {".hoxa_NIVORA.ini.tmp" + dead + "-01", true},
        {".hoxa_NIVORA.ini.temp" + dead + "-1", true},
        {".hoxa_NIVORA.ini.tmp-" + dead + "-1", true},
        {".tmp" + dead + "-1", true},
        {"hoxa_NIVORA.ini", true},
    };
    std::vector<std::string> staying;
    for (const Entry& e : entries) {
        WriteBytes(dir.File(e.name), "x");
        if (e.stays) staying.push_back(e.name);
    }
    // A folder and a symbolic link of the right shape are not files a writer made.
    const std::string folder = ".my0.txt.tmp" + dead + "-2", link = ".my1.txt.tmp" + dead + "-3";
    ASSERT_EQ(::mkdir(dir.File(folder).c_str(), 0755), 0);
    ASSERT_EQ(::symlink("hoxa_NIVORA.ini", dir.File(link).c_str()), 0);
    staying.push_back(folder);
    staying.push_back(link);

    EXPECT_EQ(RemoveStaleTempFiles(dir.Path(), ours), 4);
    EXPECT_EQ(Sorted(dir.Entries()), Sorted(staying));
    EXPECT_EQ(RemoveStaleTempFiles(dir.File("missing"), ours), 0);
}

TEST(StaleTempFiles, CopyOfAnEndedRewriteInPlaceIsPutBack)
{
    TempDir dir;
    const std::string dead = std::to_string(DeadPid());
    const std::string self = std::to_string(::getpid());
    const std::string path = dir.File("a.ini");
    WriteBytes(path, "[s]\r\nk=ned\r\n");  // the new bytes cut off half-way over the old
    ASSERT_EQ(::link(path.c_str(), dir.File("b.ini").c_str()), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    WriteBytes(dir.File(".a.ini.bak" + dead + "-7"), fileio::BackupBytes(st, kOld, kNew));
    WriteBytes(dir.File(".b.ini.bak" + self + "-8"), "running");  // not a whole backup: it stays
    WriteBytes(dir.File(".gone.ini.bak" + dead + "-9"), fileio::BackupBytes(st, kOld, kNew));  // its file removed since

    EXPECT_EQ(RemoveStaleTempFiles(dir.Path(), {"a.ini", "b.ini", "gone.ini"}), 2);
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(Inode(dir.File("b.ini")), Inode(path));
    EXPECT_EQ(Sorted(dir.Entries()), (std::vector<std::string>{".b.ini.bak" + self + "-8", "a.ini", "b.ini"}));
}
