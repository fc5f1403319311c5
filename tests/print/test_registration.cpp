// The feed sections of hoxa_q310.ini and the rules the registration applies to
// the stored index, the stored printer name and the margins.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/test_profile_util.h"
#include "print/PrinterRegistration.h"

#include <sys/stat.h>

#include <string>
#include <vector>

namespace hoxa {
namespace {

using testutil::ReadBytes;
using testutil::TempDir;
using testutil::WriteBytes;

class FeedFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string Ini() const { return dir.File("hoxa_q310.ini"); }
};

TEST_F(FeedFile, MissingFileSectionOrKeyGivesPrinterZeroAndMarginsZero)
{
    FeedRegistration r = ReadFeedRegistration(dir.Path(), kFeedManual);
    EXPECT_EQ(r.prnName, "");
    EXPECT_EQ(r.prnNoIndex, "0");
    EXPECT_EQ(r.top, "0");
    EXPECT_EQ(r.left, "0");
    EXPECT_FALSE(testutil::Exists(Ini())) << "reading creates nothing";

    // The other feed registered, this one not; and a section with one key only.
    WriteBytes(Ini(), "[連続(４インチ)]\r\nPrnName=Dot\r\nPrnNoIndex=2\r\nhoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n"
                      "[手差し]\r\nhoxPrn_Left=7\r\n");
    r = ReadFeedRegistration(dir.Path(), kFeedManual);
    EXPECT_EQ(r.prnNoIndex, "0");
    EXPECT_EQ(r.top, "0");
    EXPECT_EQ(r.left, "7");
    r = ReadFeedRegistration(dir.Path(), kFeedContinuous);
    EXPECT_EQ(r.prnName, "Dot");
    EXPECT_EQ(r.prnNoIndex, "2");
    EXPECT_EQ(r.top, "12");
    EXPECT_EQ(r.left, "-4");

    // The empty section name of a feed box without selection matches nothing.
    r = ReadFeedRegistration(dir.Path(), "");
    EXPECT_EQ(r.prnNoIndex, "0");
    EXPECT_EQ(r.left, "0");
}

TEST_F(FeedFile, ValuesOfOlderFilesAreReadAsTheyStand)
{
    WriteBytes(Ini(), "[手差し]\r\nPrnNoIndex=abc\r\nhoxPrn_Top=12.5\r\nhoxPrn_Left=3.\r\n");
    const FeedRegistration r = ReadFeedRegistration(dir.Path(), kFeedManual);
    EXPECT_EQ(r.prnNoIndex, "abc");
    EXPECT_EQ(r.top, "12.5");
    EXPECT_EQ(r.left, "3.");
}

TEST_F(FeedFile, FirstWriteCreatesOnlyTheFeedsSectionInKeyOrder)
{
    WriteFeedRegistration(dir.Path(), kFeedContinuous, {"  EPSON VP-D500 ", "1", "-5", ""});
    EXPECT_EQ(ReadBytes(Ini()),
              "[連続(４インチ)]\r\nPrnName=EPSON VP-D500\r\nPrnNoIndex=1\r\nhoxPrn_Top=-5\r\nhoxPrn_Left=\r\n");
    const FeedRegistration back = ReadFeedRegistration(dir.Path(), kFeedContinuous);
    EXPECT_EQ(back.prnName, "EPSON VP-D500");
    EXPECT_EQ(back.top, "-5");
    EXPECT_EQ(back.left, "") << "an empty margin is stored empty, not replaced by the default";
}

TEST_F(FeedFile, RewritingOneFeedKeepsTheOtherSectionAndForeignKeys)
{
    WriteBytes(Ini(), "; printers of the shop\r\n"
                      "[手差し]\r\nPrnName=A\r\nNote=keep me\r\nPrnNoIndex=0\r\nhoxPrn_Top=0\r\nhoxPrn_Left=0\r\n"
                      "[連続(４インチ)]\r\nPrnName=B\r\nPrnNoIndex=1\r\nhoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n");
    WriteFeedRegistration(dir.Path(), kFeedManual, {"C", "2", "3", "4"});
    EXPECT_EQ(ReadBytes(Ini()),
              "; printers of the shop\r\n"
              "[手差し]\r\nPrnName=C\r\nNote=keep me\r\nPrnNoIndex=2\r\nhoxPrn_Top=3\r\nhoxPrn_Left=4\r\n"
              "[連続(４インチ)]\r\nPrnName=B\r\nPrnNoIndex=1\r\nhoxPrn_Top=12\r\nhoxPrn_Left=-4\r\n");
}

TEST_F(FeedFile, UnwritableFileRaisesTheSettingsFileError)
{
    ASSERT_EQ(::mkdir(Ini().c_str(), 0755), 0);  // a folder where the file should be
    try {
        WriteFeedRegistration(dir.Path(), kFeedManual, {"A", "0", "0", "0"});
        FAIL() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), Ini() + " に書き込めません");
    }
}

TEST(PrinterIniPath, JoinsFolderAndName)
{
    EXPECT_EQ(PrinterIniPath("/home/shop"), "/home/shop/hoxa_q310.ini");
    EXPECT_EQ(PrinterIniPath("/home/shop/"), "/home/shop/hoxa_q310.ini");
    EXPECT_EQ(PrinterIniPath("/"), "/hoxa_q310.ini");
}

TEST(IndexOrZero, IntegersAsStrToIntReadsThemEverythingElseZero)
{
    EXPECT_EQ(IndexOrZero("3"), 3);
    EXPECT_EQ(IndexOrZero("-1"), -1);
    EXPECT_EQ(IndexOrZero(" 2"), 2);
    EXPECT_EQ(IndexOrZero("$10"), 16);
    EXPECT_EQ(IndexOrZero(""), 0);
    EXPECT_EQ(IndexOrZero("abc"), 0);
    EXPECT_EQ(IndexOrZero("1.5"), 0);
    EXPECT_EQ(IndexOrZero("99999999999"), 0);
}

TEST(ResolvePrinterIndex, FollowsAPrinterThatMovedInTheList)
{
    const std::vector<std::string> names = {"PDF", "EPSON VP-D500", "Office"};
    // The index still names the stored printer.
    EXPECT_EQ(ResolvePrinterIndex("1", "EPSON VP-D500", names), "1");
    // A printer before it was removed: the number now names another printer.
    EXPECT_EQ(ResolvePrinterIndex("2", "EPSON VP-D500", names), "1");
    // Beyond the list.
    EXPECT_EQ(ResolvePrinterIndex("7", "EPSON VP-D500", names), "1");
    EXPECT_EQ(ResolvePrinterIndex("-1", "Office", names), "2");
    // Blanks around the stored name do not matter.
    EXPECT_EQ(ResolvePrinterIndex("0", " Office ", names), "2");
}

TEST(ResolvePrinterIndex, KeepsTheStoredTextWhenTheNameDoesNotHelp)
{
    const std::vector<std::string> names = {"PDF", "EPSON VP-D500"};
    EXPECT_EQ(ResolvePrinterIndex("5", "", names), "5") << "no name stored";
    EXPECT_EQ(ResolvePrinterIndex("5", "Gone", names), "5") << "the printer is gone: the refresh falls back";
    EXPECT_EQ(ResolvePrinterIndex("0", "Gone", names), "0");
    EXPECT_EQ(ResolvePrinterIndex("abc", "PDF", names), "abc") << "a damaged index still shows its error";
    EXPECT_EQ(ResolvePrinterIndex("1", "epson vp-d500", names), "1") << "names compare exactly";
    EXPECT_EQ(ResolvePrinterIndex("3", "EPSON VP-D500", {}), "3");
}

TEST(IsRegistrableMargin, IntegersAndTheEmptyBoxOnly)
{
    for (const char* ok : {"", "0", "5", "-5", "12", "-0", "123456789", "-123456789", "007"})
        EXPECT_TRUE(IsRegistrableMargin(ok)) << ok;
    for (const char* bad : {"12.5", "12.", ".5", "-", "-.", "1-", " 5", "5 ", "$10", "0x10", "1,000",
                            "9999999999", "-2147483649", "５"})
        EXPECT_FALSE(IsRegistrableMargin(bad)) << bad;
    EXPECT_TRUE(IsRegistrableMargin("2147483647"));
    EXPECT_TRUE(IsRegistrableMargin("-2147483648"));
}

}  // namespace
}  // namespace hoxa
