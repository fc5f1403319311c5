// Reading and writing rules of profile files, against files made byte by byte the
// way the Windows program leaves them (CP932, CR LF).  Narrow literals are CP932.
#include "base/Profile.h"

#include "base/errors.h"
#include "test_profile_util.h"

#include <gtest/gtest.h>

using namespace hoxa;
using namespace hoxa::testutil;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string Make(const std::string& bytes)
    {
        WriteBytes(path_, bytes);
        return path_;
    }
    TempDir dir_;
    std::string path_ = dir_.File("test.ini");
};

// A printer file as the Windows program writes it after both feeds were registered.
const std::string kPrinterFile = std::string("[手差し]\r\n") +
                                 "PrnName=EPSON VP-930R\r\n"
                                 "PrnNoIndex=0\r\n"
                                 "hoxPrn_Top=0\r\n"
                                 "hoxPrn_Left=0\r\n"
                                 "[連続(４インチ)]\r\n"
                                 "PrnName=OKI MICROLINE 8480SU2-R\r\n"
                                 "PrnNoIndex=1\r\n"
                                 "hoxPrn_Top=12\r\n"
                                 "hoxPrn_Left=-4\r\n";

}  // namespace

TEST_F(ProfileTest, ReadsWindowsWrittenCp932File)
{
    ProfileFile f(Make(kPrinterFile));
    EXPECT_EQ(f.ReadString("手差し", "PrnName", "?"), "EPSON VP-930R");
    EXPECT_EQ(f.ReadString("連続(４インチ)", "PrnNoIndex", "0"), "1");
    EXPECT_EQ(f.ReadInteger("連続(４インチ)", "hoxPrn_Left", 0), -4);
    EXPECT_EQ(f.ReadInteger("連続(４インチ)", "hoxPrn_Top", 0), 12);
    // Full-width and ASCII forms are different names.
    EXPECT_EQ(f.ReadString("連続(4インチ)", "PrnNoIndex", "none"), "none");
    EXPECT_EQ(f.ReadString("連続（４インチ）", "PrnNoIndex", "none"), "none");
    EXPECT_EQ(f.ReadString("手差し", "ＰｒｎＮａｍｅ", "none"), "none");
    // Missing section, key and file give the default.
    EXPECT_EQ(f.ReadString("手差", "PrnName", "d"), "d");
    EXPECT_EQ(f.ReadString("手差し", "PrnNam", "d"), "d");
    EXPECT_EQ(ProfileFile(dir_.File("missing.ini")).ReadString("手差し", "PrnName", "d"), "d");
    EXPECT_EQ(ProfileFile(dir_.File("missing.ini")).ReadInteger("手差し", "PrnNoIndex", 7), 7);
}

TEST_F(ProfileTest, LineFeedOnlyFileReadsLikeCrLf)
{
    std::string lf = kPrinterFile;
    for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
    ProfileFile f(Make(lf));
    EXPECT_EQ(f.ReadString("手差し", "PrnName", "?"), "EPSON VP-930R");
    EXPECT_EQ(f.ReadString("連続(４インチ)", "hoxPrn_Left", "?"), "-4");
    // No line break after the last line.
    Make("[s]\nk=v");
    EXPECT_EQ(f.ReadString("s", "k", "?"), "v");
}

TEST_F(ProfileTest, NamesMatchIgnoringCaseAndOuterBlanks)
{
    ProfileFile f(Make("[ hx_NIVORAprn\t]\r\n"
                       "  OP023MyZip = 123-4567\r\n"
                       "\tE_ZIP\t=\t987-6543\r\n"));
    EXPECT_EQ(f.ReadString("hx_NIVORAprn", "OP023MyZIP ", ""), "123-4567");
    EXPECT_EQ(f.ReadString("HX_nivoraPRN", "op023myzip", ""), "123-4567");
    EXPECT_EQ(f.ReadString("\thx_NIVORAprn ", " e_zip\t", ""), "987-6543");
    // Blanks inside a name do count.
    EXPECT_EQ(f.ReadString("hx_NIVORA prn", "E_ZIP", "none"), "none");
    EXPECT_EQ(f.ReadString("hx_NIVORAprn", "E _ZIP", "none"), "none");
}

TEST_F(ProfileTest, DoubleByteNamesWithBracketAndBackslashTrailBytes)
{
    // 表 and ソ end in 0x5C, ゾ in 0x5D (']'); ア ends in 'A', ヂ in 'a'.
    ASSERT_EQ(std::string("表ソゾアヂ"), "\x95\x5C\x83\x5C\x83\x5D\x83\x41\x83\x61");
    ProfileFile f(Make("[ゾーン表]\r\n"
                       "ソフト=1\r\n"
                       "ア=katakana-a\r\n"
                       "[表]\r\n"
                       "ソ=2\r\n"));
    EXPECT_EQ(f.ReadString("ゾーン表", "ソフト", ""), "1");
    EXPECT_EQ(f.ReadString("表", "ソ", ""), "2");
    // Trail bytes are not letters: ヂ is not a lower-case ア.
    EXPECT_EQ(f.ReadString("ゾーン表", "ア", ""), "katakana-a");
    EXPECT_EQ(f.ReadString("ゾーン表", "ヂ", "none"), "none");
    // The trail byte of ゾ does not close "[ゾ".
    EXPECT_EQ(f.ReadString("\x83", "ソフト", "none"), "none");
    // Letters after a double-byte character still match without case.
    Make("[表A]\r\nソb=3\r\n");
    EXPECT_EQ(f.ReadString("表a", "ソB", ""), "3");
}

TEST_F(ProfileTest, ValueTrimmingAndQuotes)
{
    ProfileFile f(Make(std::string("[s]\r\n") +
                       "blank=  \t abc def \t \r\n"
                       "ctrlz=\x1A" "abc\x1A\x1A\r\n"
                       "dq=\"quoted\"\r\n"
                       "sq='single'\r\n"
                       "mixed=\"abc'\r\n"
                       "inner=\" a b \"\r\n"
                       "empty=\"\"\r\n"
                       "lone=\"\r\n"
                       "twice=\"\"x\"\"\r\n"
                       "outer=  \"q\"  \r\n"
                       "half=\"abc\r\n"
                       "fw=”全角”\r\n"
                       "eq=a=b\r\n"
                       "fwspace=　山田　\r\n"
                       "none=\r\n"));
    EXPECT_EQ(f.ReadString("s", "blank", "?"), "abc def");
    EXPECT_EQ(f.ReadString("s", "ctrlz", "?"), "abc");
    EXPECT_EQ(f.ReadString("s", "dq", "?"), "quoted");
    EXPECT_EQ(f.ReadString("s", "sq", "?"), "single");
    EXPECT_EQ(f.ReadString("s", "mixed", "?"), "\"abc'");
    EXPECT_EQ(f.ReadString("s", "inner", "?"), " a b ");
    EXPECT_EQ(f.ReadString("s", "empty", "?"), "");
    EXPECT_EQ(f.ReadString("s", "lone", "?"), "\"");
    EXPECT_EQ(f.ReadString("s", "twice", "?"), "\"x\"");
    EXPECT_EQ(f.ReadString("s", "outer", "?"), "q");
    EXPECT_EQ(f.ReadString("s", "half", "?"), "\"abc");
    EXPECT_EQ(f.ReadString("s", "fw", "?"), "”全角”");
    EXPECT_EQ(f.ReadString("s", "eq", "?"), "a=b");
    EXPECT_EQ(f.ReadString("s", "fwspace", "?"), "　山田　");
    // A key that is present with an empty value is not missing.
    EXPECT_EQ(f.ReadString("s", "none", "?"), "");
}

TEST_F(ProfileTest, LongValuesAreCutAt2047BytesOnCharacterBoundary)
{
    ProfileFile f(Make("[s]\r\n"
                       "a=" + std::string(3000, 'x') + "\r\n"
                       "b=" + std::string(2045, 'x') + "あ\r\n"
                       "c=" + std::string(2046, 'x') + "あ\r\n"
                       "d=\"" + std::string(2047, 'y') + "\"\r\n"
                       "e=" + std::string(2047, 'z') + "\r\n"));
    EXPECT_EQ(f.ReadString("s", "a", ""), std::string(2047, 'x'));
    EXPECT_EQ(f.ReadString("s", "b", ""), std::string(2045, 'x') + "あ");
    // The lead byte of あ would be byte 2047: the whole character goes.
    EXPECT_EQ(f.ReadString("s", "c", ""), std::string(2046, 'x'));
    EXPECT_EQ(f.ReadString("s", "d", ""), std::string(2047, 'y'));
    EXPECT_EQ(f.ReadString("s", "e", ""), std::string(2047, 'z'));
}

TEST_F(ProfileTest, DuplicatesStrayLinesAndBrokenSections)
{
    ProfileFile f(Make("k=before any section\r\n"
                       "[s]\r\n"
                       "k=first\r\n"
                       "K=second\r\n"
                       "only_key_name\r\n"
                       "; comment line\r\n"
                       "[broken\r\n"
                       "after=still s\r\n"
                       "[other]\r\n"
                       "x=1\r\n"
                       "[S]\r\n"
                       "k=third\r\n"
                       "in_second=yes\r\n"));
    EXPECT_EQ(f.ReadString("s", "k", ""), "first");
    EXPECT_EQ(f.ReadString("s", "only_key_name", "none"), "none");
    EXPECT_EQ(f.ReadString("s", "after", ""), "still s");
    EXPECT_EQ(f.ReadString("broken", "after", "none"), "none");
    // Only the first [s] is searched.
    EXPECT_EQ(f.ReadString("s", "in_second", "none"), "none");
    EXPECT_EQ(f.ReadString("other", "x", ""), "1");
    EXPECT_EQ(f.ReadString("other", "k", "none"), "none");
}

TEST_F(ProfileTest, IntegerReading)
{
    ProfileFile f(Make("[s]\r\n"
                       "hex=0x2\r\n"
                       "upper=0X1f\r\n"
                       "dollar=$10\r\n"
                       "neg=-5\r\n"
                       "pos=+7\r\n"
                       "padded=  12  \r\n"
                       "quoted=\"42\"\r\n"
                       "word=abc\r\n"
                       "tail=12abc\r\n"
                       "bare0x=0x\r\n"
                       "empty=\r\n"
                       "big=2147483648\r\n"
                       "min=-2147483648\r\n"
                       "fwdigit=１２\r\n"
                       "decimal=1.5\r\n"));
    EXPECT_EQ(f.ReadInteger("s", "hex", -1), 2);
    EXPECT_EQ(f.ReadInteger("s", "upper", -1), 31);
    EXPECT_EQ(f.ReadInteger("s", "dollar", -1), 16);
    EXPECT_EQ(f.ReadInteger("s", "neg", 0), -5);
    EXPECT_EQ(f.ReadInteger("s", "pos", 0), 7);
    EXPECT_EQ(f.ReadInteger("s", "padded", 0), 12);
    EXPECT_EQ(f.ReadInteger("s", "quoted", 0), 42);
    EXPECT_EQ(f.ReadInteger("s", "word", -9), -9);
    EXPECT_EQ(f.ReadInteger("s", "tail", -9), -9);
    EXPECT_EQ(f.ReadInteger("s", "bare0x", -9), -9);
    EXPECT_EQ(f.ReadInteger("s", "empty", -9), -9);
    EXPECT_EQ(f.ReadInteger("s", "big", -9), -9);
    EXPECT_EQ(f.ReadInteger("s", "min", 0), -2147483647 - 1);
    EXPECT_EQ(f.ReadInteger("s", "fwdigit", -9), -9);
    EXPECT_EQ(f.ReadInteger("s", "decimal", -9), -9);
    EXPECT_EQ(f.ReadInteger("s", "missing", 5), 5);
}

TEST_F(ProfileTest, MissingFileIsCreatedExactly)
{
    ProfileFile f(path_);
    f.WriteString("手差し", "PrnName", "EPSON VP-930R");
    EXPECT_EQ(ReadBytes(path_), "[手差し]\r\nPrnName=EPSON VP-930R\r\n");
    f.WriteInteger("手差し", "PrnNoIndex", -1);
    EXPECT_EQ(ReadBytes(path_), "[手差し]\r\nPrnName=EPSON VP-930R\r\nPrnNoIndex=-1\r\n");
    // An empty file is treated like a missing one.
    Make("");
    f.WriteString("s", "k", "");
    EXPECT_EQ(ReadBytes(path_), "[s]\r\nk=\r\n");
}

TEST_F(ProfileTest, ExistingKeyIsReplacedInPlaceAndOtherBytesStay)
{
    // Mixed line ends, odd spacing, a comment and a blank line: none of it may change.
    const std::string before = std::string("; written by hand\n") +
                               "[hx_NIVORAprn]\r\n"
                               "  op023myzip = 111-1111  \r\n"
                               "E_AD1=東京都\n"
                               "\r\n"
                               "[連続(４インチ)]\r\n"
                               "hoxPrn_Top=12";
    ProfileFile f(Make(before));
    f.WriteString("HX_NIVORAPRN", "OP023MyZip", "222-2222");
    EXPECT_EQ(ReadBytes(path_), std::string("; written by hand\n") +
                                    "[hx_NIVORAprn]\r\n"
                                    "  op023myzip =222-2222\r\n"
                                    "E_AD1=東京都\n"
                                    "\r\n"
                                    "[連続(４インチ)]\r\n"
                                    "hoxPrn_Top=12");
    // A key on the last line without a line break stays without one.
    f.WriteInteger("連続(４インチ)", "HOXPRN_TOP", -4);
    EXPECT_EQ(ReadBytes(path_).substr(ReadBytes(path_).size() - 16), "]\r\nhoxPrn_Top=-4");
    EXPECT_EQ(f.ReadString("hx_NIVORAprn", "OP023MyZIP ", ""), "222-2222");
}

TEST_F(ProfileTest, NewKeyGoesAfterLastNonBlankLineOfItsSection)
{
    ProfileFile f(Make("[A]\r\nx=1\r\n; note\r\n\r\n\r\n[B]\r\ny=2\r\n"));
    f.WriteString("a", "z", "3");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nx=1\r\n; note\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n");
    // A section holding only its header line.
    Make("[A]\r\n\r\n[B]\r\n");
    f.WriteString("A", "k", "v");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nk=v\r\n\r\n[B]\r\n");
    // The last section, its last line without a line break.
    Make("[A]\r\nx=1\r\n[B]\r\ny=2");
    f.WriteString("B", "z", "3");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nx=1\r\n[B]\r\ny=2\r\nz=3\r\n");
    // Only the first of two sections of the same name gets the key.
    Make("[A]\r\nx=1\r\n[B]\r\n[A]\r\ny=2\r\n");
    f.WriteString("A", "y", "new");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nx=1\r\ny=new\r\n[B]\r\n[A]\r\ny=2\r\n");
    // The first of two keys of the same name is the one replaced.
    Make("[A]\r\nk=1\r\nk=2\r\n");
    f.WriteString("A", "K", "9");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nk=9\r\nk=2\r\n");
}

TEST_F(ProfileTest, NewSectionIsAppendedWithoutBlankLine)
{
    ProfileFile f(Make("[A]\r\nx=1\r\n"));
    f.WriteString("連続(４インチ)", "PrnNoIndex", "1");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nx=1\r\n[連続(４インチ)]\r\nPrnNoIndex=1\r\n");
    // A missing final CR LF is added first.
    Make("[A]\r\nx=1");
    f.WriteString("B", "y", "2");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    // Names are written without their outer blanks.
    Make("");
    f.WriteString(" C\t", "\tk ", " v ");
    EXPECT_EQ(ReadBytes(path_), "[C]\r\nk= v \r\n");
    EXPECT_EQ(f.ReadString("C", "k", "?"), "v");
}

TEST_F(ProfileTest, SameValueAgainLeavesFileUntouched)
{
    const std::string before = "[s]\r\nk=  abc  \r\nn=5\n";
    ProfileFile f(Make(before));
    const ino_t ino = Inode(path_);
    f.WriteString("S", "K", "abc");
    f.WriteString("s", "k", "  abc  ");
    f.WriteInteger("s", "n", 5);
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_EQ(Inode(path_), ino) << "the file was rewritten";
    f.WriteString("s", "k", "abd");
    EXPECT_EQ(ReadBytes(path_), "[s]\r\nk=abd\r\nn=5\n");
    EXPECT_NE(Inode(path_), ino);
}

TEST_F(ProfileTest, LineBreaksInNamesAndValuesBecomeBlanks)
{
    ProfileFile f(path_);
    f.WriteString("s", "k", "a\r\n[evil]\r\nx=1");
    f.WriteString("s", "line\nkey", "v\rw");
    f.WriteString("t\r\nu", "k", "1");
    EXPECT_EQ(ReadBytes(path_), "[s]\r\nk=a  [evil]  x=1\r\nline key=v w\r\n[t  u]\r\nk=1\r\n");
    EXPECT_EQ(f.ReadString("evil", "x", "none"), "none");
    EXPECT_EQ(f.ReadString("s", "k", ""), "a  [evil]  x=1");
    EXPECT_EQ(f.ReadString("s", "line key", ""), "v w");
}

TEST_F(ProfileTest, WrittenDoubleByteNamesAndValuesReadBack)
{
    ProfileFile f(path_);
    f.WriteString("表", "ソ", "ソ表\\");
    f.WriteString("表", "ア", "1");
    f.WriteString("表", "ヂ", "2");
    f.WriteString("ゾ", "k", "3");
    EXPECT_EQ(ReadBytes(path_), "[表]\r\nソ=ソ表\\\r\nア=1\r\nヂ=2\r\n[ゾ]\r\nk=3\r\n");
    EXPECT_EQ(f.ReadString("表", "ソ", ""), "ソ表\\");
    EXPECT_EQ(f.ReadString("表", "ア", ""), "1");
    EXPECT_EQ(f.ReadString("表", "ヂ", ""), "2");
    EXPECT_EQ(f.ReadString("ゾ", "K", ""), "3");
}

TEST_F(ProfileTest, WriteThenReadRoundTripsWhatReadingKeeps)
{
    // Values whose outer blanks or quotes reading drops come back without them;
    // everything else comes back byte for byte.
    ProfileFile f(path_);
    const std::string values[] = {"", "plain", "東京都千代田区１－１", "ﾊﾝｶｸ", "a;b#c", "=x=",
                                  std::string(2047, 'w'), "\"quoted\"", " padded "};
    const std::string expected[] = {"", "plain", "東京都千代田区１－１", "ﾊﾝｶｸ", "a;b#c", "=x=",
                                    std::string(2047, 'w'), "quoted", "padded"};
    for (std::size_t i = 0; i < std::size(values); ++i)
        f.WriteString("s", "k" + std::to_string(i), values[i]);
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(f.ReadString("s", "k" + std::to_string(i), "?"), expected[i]) << i;
}
