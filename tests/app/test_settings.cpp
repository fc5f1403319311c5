// The settings file hoxa_NIVORA.ini: defaults, the keys and their order, and
// what a failed save leaves behind.
#include "app/Settings.h"

#include "base/Profile.h"
#include "base/errors.h"
#include "../base/test_profile_util.h"

#include <gtest/gtest.h>

using namespace hoxa;
using namespace hoxa::testutil;

namespace {

const char* const kFirstRun = "[hx_NIVORAprn]\r\n"
                              "Addr_Font=1\r\n"
                              "E_ZIP=\r\n"
                              "E_AD1=\r\n"
                              "E_AD2=\r\n"
                              "E_CUS=\r\n"
                              "E_TEL=\r\n"
                              "E_G1=\r\n"
                              "E_G2=\r\n"
                              "E_G3=\r\n"
                              "OP023My=\r\n"
                              "OP023MyZip=\r\n"
                              "OP023MyADD1=\r\n"
                              "OP023MyADD2=\r\n"
                              "OP023MyTEL=\r\n"
                              "ComboBox_SEL=0\r\n";

MainSettings Filled()
{
    MainSettings s;
    s.AddrFont = 2;
    s.My = "株式会社　ソフト表示";
    s.MyZip = "123-4567";
    s.MyADD1 = "東京都千代田区丸の内１－１";
    s.MyADD2 = "ﾃｽﾄﾋﾞﾙ 5F";
    s.MyTEL = "03-1234-5678";
    s.Zip = "987-6543";
    s.Add1 = "大阪府大阪市北区梅田２－２";
    s.Add2 = "\"引用\"ビル";
    s.Custo1 = "山田　太郎";
    s.Tel = "06-9876-5432";
    s.G1 = "書籍";
    s.G2 = "";
    s.G3 = "ワレモノ注意";
    s.PaperFeed = 1;
    return s;
}

}  // namespace

TEST(Settings, PathIsInTheGivenFolder)
{
    EXPECT_EQ(SettingsPath("/home/u/work"), "/home/u/work/hoxa_NIVORA.ini");
    EXPECT_EQ(SettingsPath("/home/u/work/"), "/home/u/work/hoxa_NIVORA.ini");
    EXPECT_EQ(SettingsPath("/"), "/hoxa_NIVORA.ini");
}

TEST(Settings, FirstRunGivesDefaultsAndWritesFifteenKeysInOrder)
{
    TempDir dir;
    const MainSettings s = LoadSettings(dir.Path());
    EXPECT_EQ(s.PrinterIndex, "-1");
    EXPECT_EQ(s.PrnTop, "0");
    EXPECT_EQ(s.PrnLeft, "0");
    EXPECT_EQ(s.AddrFont, 1);
    EXPECT_EQ(s.PaperFeed, 0);
    for (const std::string* t : {&s.My, &s.MyZip, &s.MyADD1, &s.MyADD2, &s.MyTEL, &s.Zip, &s.Add1,
                                 &s.Add2, &s.Custo1, &s.Tel, &s.G1, &s.G2, &s.G3})
        EXPECT_EQ(*t, "");
    EXPECT_FALSE(Exists(SettingsPath(dir.Path()))) << "loading must not create the file";

    SaveSettings(dir.Path(), s);
    EXPECT_EQ(ReadBytes(SettingsPath(dir.Path())), kFirstRun);
}

TEST(Settings, SaveAndLoadRoundTrip)
{
    TempDir dir;
    const MainSettings s = Filled();
    SaveSettings(dir.Path(), s);
    const MainSettings r = LoadSettings(dir.Path());
    EXPECT_EQ(r.AddrFont, 2);
    EXPECT_EQ(r.My, s.My);
    EXPECT_EQ(r.MyZip, s.MyZip);
    EXPECT_EQ(r.MyADD1, s.MyADD1);
    EXPECT_EQ(r.MyADD2, s.MyADD2);
    EXPECT_EQ(r.MyTEL, s.MyTEL);
    EXPECT_EQ(r.Zip, s.Zip);
    EXPECT_EQ(r.Add1, s.Add1);
    // Reading drops one pair of enclosing quotes only when they enclose the whole value.
    EXPECT_EQ(r.Add2, s.Add2);
    EXPECT_EQ(r.Custo1, s.Custo1);
    EXPECT_EQ(r.Tel, s.Tel);
    EXPECT_EQ(r.G1, s.G1);
    EXPECT_EQ(r.G2, "");
    EXPECT_EQ(r.G3, s.G3);
    EXPECT_EQ(r.PaperFeed, 1);
    // The printer keys are never written.
    EXPECT_EQ(r.PrinterIndex, "-1");
    const std::string bytes = ReadBytes(SettingsPath(dir.Path()));
    EXPECT_EQ(bytes.find("NIVORAprnno"), std::string::npos);
    EXPECT_EQ(bytes.find("hx_NIVORAprn_"), std::string::npos);
}

TEST(Settings, SavingTheSameEntriesAgainDoesNotRewrite)
{
    TempDir dir;
    SaveSettings(dir.Path(), Filled());
    const ino_t ino = Inode(SettingsPath(dir.Path()));
    SaveSettings(dir.Path(), Filled());
    EXPECT_EQ(Inode(SettingsPath(dir.Path())), ino);
}

TEST(Settings, OddValuesFromAPreparedFile)
{
    TempDir dir;
    const std::string path = SettingsPath(dir.Path());
    WriteBytes(path, "[hx_NIVORAprn]\r\n"
                     "NIVORAprnno=0x2\r\n"
                     "hx_NIVORAprn_Top=-15\r\n"
                     "hx_NIVORAprn_Left=abc\r\n"
                     "Addr_Font=7\r\n"
                     "op023myzip=123-4567\r\n"
                     "E_AD1=東京都港区   \r\n"
                     "E_ZIP=１２３－４５６７\r\n"
                     "ComboBox_SEL=5\r\n");
    const MainSettings s = LoadSettings(dir.Path());
    EXPECT_EQ(s.PrinterIndex, "2");
    EXPECT_EQ(s.PrnTop, "-15");
    EXPECT_EQ(s.PrnLeft, "0");
    EXPECT_EQ(s.AddrFont, 7);  // out of the list's range: the window shows no selection
    EXPECT_EQ(s.MyZip, "123-4567");
    EXPECT_EQ(s.Add1, "東京都港区");
    EXPECT_EQ(s.Zip, "１２３－４５６７");  // raw bytes; the window converts it
    EXPECT_EQ(s.PaperFeed, 5);

    // The window then saves -1 for "no selection" and 0 for the corrected feed.
    MainSettings out = s;
    out.AddrFont = -1;
    out.PaperFeed = 0;
    SaveSettings(dir.Path(), out);
    const std::string bytes = ReadBytes(path);
    // Existing keys keep their place and spelling; the printer keys stay as they
    // were, and so does a value that reads the same (the blanks after 港区).
    const std::string kept = "[hx_NIVORAprn]\r\n"
                             "NIVORAprnno=0x2\r\n"
                             "hx_NIVORAprn_Top=-15\r\n"
                             "hx_NIVORAprn_Left=abc\r\n"
                             "Addr_Font=-1\r\n"
                             "op023myzip=123-4567\r\n"
                             "E_AD1=東京都港区   \r\n"
                             "E_ZIP=１２３－４５６７\r\n";
    EXPECT_EQ(bytes.substr(0, kept.size()), kept);
    EXPECT_NE(bytes.find("ComboBox_SEL=0\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("OP023MyZip"), std::string::npos);
    EXPECT_EQ(LoadSettings(dir.Path()).AddrFont, -1);
}

TEST(Settings, OtherSectionsAndLinesAreLeftAlone)
{
    TempDir dir;
    const std::string path = SettingsPath(dir.Path());
    const std::string other = "[手差し]\r\nPrnNoIndex=3\r\n";
    WriteBytes(path, other);
    SaveSettings(dir.Path(), Filled());
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(0, other.size()), other);
    EXPECT_EQ(bytes.substr(other.size(), 16), "[hx_NIVORAprn]\r\n");
    EXPECT_EQ(ProfileFile(path).ReadString("手差し", "PrnNoIndex", ""), "3");
}

TEST(Settings, FailedSaveReportsThePathAndKeepsEarlierKeys)
{
    TempDir dir;
    WriteBytes(dir.File("notafolder"), "x");
    const std::string bad = dir.File("notafolder");
    try {
        SaveSettings(bad, Filled());
        ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), SettingsPath(bad) + " に書き込めません");
    }

    // Room for the first few keys only: those stay written, the rest are not.
    const std::string path = SettingsPath(dir.Path());
    {
        FileSizeLimit limit(60);
        EXPECT_THROW(SaveSettings(dir.Path(), Filled()), EIniFileException);
    }
    const std::string bytes = ReadBytes(path);
    EXPECT_LE(bytes.size(), 60u);
    EXPECT_EQ(bytes.substr(0, 29), "[hx_NIVORAprn]\r\nAddr_Font=2\r\n");
    EXPECT_NE(bytes.find("E_ZIP=987-6543\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("ComboBox_SEL"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(dir.Entries().size(), 2u) << "a temporary file was left behind";
}
