// Sender slot files my0.txt ... my9.txt: line ends, short and long files, junk,
// and what failed reads and writes leave behind.
#include "app/SenderSlot.h"

#include "base/errors.h"
#include "../base/test_profile_util.h"

#include <gtest/gtest.h>

using namespace hoxa;
using namespace hoxa::testutil;

namespace {

template <class F>
std::string IoErrorOf(F&& f)
{
    try {
        f();
    } catch (const EInOutError& e) {
        return e.what();
    }
    return "<no error>";
}

const SenderLines kSender = {"123-4567", "東京都千代田区丸の内１－１", "ソフト表示ビル　５Ｆ",
                             "株式会社　ニボラ", "03-1234-5678"};

}  // namespace

TEST(SenderSlot, PathsOfTheTenSlots)
{
    EXPECT_EQ(SlotPath("/w", 0), "/w/my0.txt");
    EXPECT_EQ(SlotPath("/w/", 9), "/w/my9.txt");
    EXPECT_EQ(SlotPath("", 3), "my3.txt");
    EXPECT_THROW(SlotPath("/w", 10), EAssertionFailed);
    EXPECT_THROW(SlotPath("/w", -1), EAssertionFailed);
}

TEST(SenderSlot, WritesFiveCrLfLinesAndReadsThemBack)
{
    TempDir dir;
    const std::string path = SlotPath(dir.Path(), 0);
    WriteSlot(path, kSender);
    EXPECT_EQ(ReadBytes(path), "123-4567\r\n東京都千代田区丸の内１－１\r\nソフト表示ビル　５Ｆ\r\n"
                               "株式会社　ニボラ\r\n03-1234-5678\r\n");
    EXPECT_EQ(ReadSlot(path), kSender);

    // All fields empty: five empty lines, read back as five empty fields.
    WriteSlot(path, SenderLines{});
    EXPECT_EQ(ReadBytes(path), "\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(ReadSlot(path), SenderLines{});
}

TEST(SenderSlot, LineEndsShortAndLongFiles)
{
    TempDir dir;
    const std::string path = dir.File("my1.txt");
    // LF ends read like CR LF.
    WriteBytes(path, "123-4567\n東京都\nビル\n山田\n03-1\n");
    EXPECT_EQ(ReadSlot(path), (SenderLines{"123-4567", "東京都", "ビル", "山田", "03-1"}));
    // Mixed ends; a lone CR is dropped from the line.
    WriteBytes(path, "1\r\n2\n3\r4\r\n\r\r\n5\r");
    EXPECT_EQ(ReadSlot(path), (SenderLines{"1", "2", "34", "", "5"}));
    // Three lines: name and telephone empty.
    WriteBytes(path, "123-4567\r\n東京都\r\nビル\r\n");
    EXPECT_EQ(ReadSlot(path), (SenderLines{"123-4567", "東京都", "ビル", "", ""}));
    // A last line without its line end, and an empty file.
    WriteBytes(path, "a\r\nb");
    EXPECT_EQ(ReadSlot(path), (SenderLines{"a", "b", "", "", ""}));
    WriteBytes(path, "");
    EXPECT_EQ(ReadSlot(path), SenderLines{});
    // Extra lines are ignored.
    WriteBytes(path, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    EXPECT_EQ(ReadSlot(path), (SenderLines{"1", "2", "3", "4", "5"}));
}

TEST(SenderSlot, LongLinesAreCutAndADamagedFileIsReadOnlyAsFarAsFiveLinesGo)
{
    TempDir dir;
    const std::string path = dir.File("my1.txt");
    const std::string full(2047, 'x');  // the longest line kept whole
    std::string kanji;                  // 東 (two bytes) 1023 times: 2046 bytes
    for (int i = 0; i < 1023; ++i) kanji += "東";
    std::string huge;  // 20 MB without a line break
    huge.reserve(20u << 20);
    while (huge.size() < (20u << 20)) huge += "東";
    struct Case {
        const char* what;
        std::string file;
        SenderLines want;
    };
    const Case cases[] = {
        {"five lines at the limit", full + "\r\n" + full + "\r\n" + full + "\r\n" + full + "\r\n" + full + "\r\n",
         {full, full, full, full, full}},
        {"one long line among short ones", "1\r\n" + full + "yyy\r\n3\r\n4\r\n5", {"1", full, "3", "4", "5"}},
        {"no half character at the cut", "1\r\n" + kanji + "東東\r\n3", {"1", kanji, "3", "", ""}},
        {"20 MB without a line break", huge, {kanji, "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.file);
        EXPECT_EQ(ReadSlot(path), c.want);
    }
}

TEST(SenderSlot, BinaryJunkIsKeptByteForByte)
{
    TempDir dir;
    const std::string path = dir.File("my2.txt");
    std::string junk;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') junk.push_back(static_cast<char>(b));
    // A lone lead byte before the line end, a Ctrl-Z and NUL bytes in the middle.
    const std::string line2 = std::string("\x81", 1);
    const std::string line3 = std::string("a\0b\x1A" "c", 5);
    WriteBytes(path, junk + "\r\n" + line2 + "\n" + line3 + "\r\n");
    const SenderLines r = ReadSlot(path);
    EXPECT_EQ(r[0], junk);
    EXPECT_EQ(r[1], line2);
    EXPECT_EQ(r[2], line3);
    EXPECT_EQ(r[3], "");
    // And written back unchanged.
    WriteSlot(path, r);
    EXPECT_EQ(ReadSlot(path), r);
}

TEST(SenderSlot, ReadErrors)
{
    TempDir dir;
    EXPECT_EQ(IoErrorOf([&] { ReadSlot(SlotPath(dir.Path(), 4)); }), "File not found");
    EXPECT_EQ(IoErrorOf([&] { ReadSlot(dir.File("nofolder/my0.txt")); }), "File not found");
    WriteBytes(dir.File("file"), "x");
    EXPECT_EQ(IoErrorOf([&] { ReadSlot(dir.File("file/my0.txt")); }), "Path not found");
    ASSERT_EQ(::mkdir(dir.File("my5.txt").c_str(), 0755), 0);
    EXPECT_EQ(IoErrorOf([&] { ReadSlot(dir.File("my5.txt")); }), "File access denied");
}

TEST(SenderSlot, FailedWriteKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = SlotPath(dir.Path(), 0);
    WriteSlot(path, kSender);
    const std::string before = ReadBytes(path);

    // Disk full half-way through the new file.
    SenderLines big = kSender;
    big[1] = std::string(4096, 'y');
    {
        FileSizeLimit limit(1024);
        EXPECT_EQ(IoErrorOf([&] { WriteSlot(path, big); }), "Disk full");
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"hoxa_NIVORA.lock", "my0.txt"})) << "a temporary file was left behind";

    // A folder that cannot hold files and a folder where the slot file should be.
    WriteBytes(dir.File("file"), "x");
    EXPECT_EQ(IoErrorOf([&] { WriteSlot(dir.File("file/my0.txt"), kSender); }), "Path not found");
    EXPECT_EQ(IoErrorOf([&] { WriteSlot(dir.File("nofolder/my0.txt"), kSender); }), "File not found");
    ASSERT_EQ(::mkdir(dir.File("my7.txt").c_str(), 0755), 0);
    EXPECT_EQ(IoErrorOf([&] { WriteSlot(dir.File("my7.txt"), kSender); }), "File access denied");

}

TEST(SenderSlot, ReadOnlyFileOrFolderIsAFailedSaveForAUserWithoutRoot)
{
    struct Case {
        const char* what;
        mode_t fileMode, folderMode;
    };
    const Case cases[] = {{"read-only file", 0444, 0755}, {"read-only folder", 0644, 0555}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = SlotPath(dir.Path(), 0);
        WriteSlot(path, kSender);
        const std::string before = ReadBytes(path);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(dir.Path().c_str(), kNobody, kNobody), 0);
        }
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(dir.Path().c_str(), c.folderMode), 0);
        const std::optional<std::string> got =
            AsNonRoot([&] { return IoErrorOf([&] { WriteSlot(path, SenderLines{"1", "2", "3", "4", "5"}); }); });
        ::chmod(dir.Path().c_str(), 0755);
        if (!got) GTEST_SKIP() << "cannot run a child process as uid " << kNobody;
        EXPECT_EQ(*got, "File access denied");
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(Mode(path), c.fileMode);
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"hoxa_NIVORA.lock", "my0.txt"}));
    }
}

TEST(SenderSlot, LineBreakInAFieldDoesNotShiftLaterLines)
{
    TempDir dir;
    const std::string path = dir.File("my3.txt");
    SenderLines s = kSender;
    s[1] = "東京都\r\n千代田区";
    s[3] = "山田\n太郎";
    WriteSlot(path, s);
    const SenderLines r = ReadSlot(path);
    EXPECT_EQ(r[1], "東京都  千代田区");
    EXPECT_EQ(r[3], "山田 太郎");
    EXPECT_EQ(r[4], kSender[4]);
}

TEST(SenderSlot, OverwriteKeepsPermissions)
{
    TempDir dir;
    const std::string path = dir.File("my0.txt");
    WriteSlot(path, kSender);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    WriteSlot(path, SenderLines{"1", "2", "3", "4", "5"});
    EXPECT_EQ(Mode(path), 0600u);
    EXPECT_EQ(ReadSlot(path)[4], "5");
}
