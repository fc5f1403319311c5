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
    s[Setting::AddrFont] = "2";
    s[Setting::My] = "株式会社　ソフト表示";
    s[Setting::MyZip] = "123-4567";
    s[Setting::MyAdd1] = "東京都千代田区丸の内１－１";
    s[Setting::MyAdd2] = "ﾃｽﾄﾋﾞﾙ 5F";
    s[Setting::MyTel] = "03-1234-5678";
    s[Setting::Zip] = "987-6543";
    s[Setting::Add1] = "大阪府大阪市北区梅田２－２";
    s[Setting::Add2] = "\"引用\"ビル";
    s[Setting::Custo1] = "山田　太郎";
    s[Setting::Tel] = "06-9876-5432";
    s[Setting::G1] = "書籍";
    s[Setting::G2] = "";
    s[Setting::G3] = "ワレモノ注意";
    s[Setting::PaperFeed] = "1";
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
    EXPECT_EQ(s[Setting::PrinterIndex], "-1");
    EXPECT_EQ(s[Setting::PrnTop], "0");
    EXPECT_EQ(s[Setting::PrnLeft], "0");
    EXPECT_EQ(s[Setting::AddrFont], "1");
    EXPECT_EQ(s[Setting::PaperFeed], "0");
    for (Setting t : {Setting::My, Setting::MyZip, Setting::MyAdd1, Setting::MyAdd2, Setting::MyTel,
                      Setting::Zip, Setting::Add1, Setting::Add2, Setting::Custo1, Setting::Tel,
                      Setting::G1, Setting::G2, Setting::G3})
        EXPECT_EQ(s[t], "");
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
    EXPECT_EQ(r[Setting::AddrFont], "2");
    EXPECT_EQ(r[Setting::My], s[Setting::My]);
    EXPECT_EQ(r[Setting::MyZip], s[Setting::MyZip]);
    EXPECT_EQ(r[Setting::MyAdd1], s[Setting::MyAdd1]);
    EXPECT_EQ(r[Setting::MyAdd2], s[Setting::MyAdd2]);
    EXPECT_EQ(r[Setting::MyTel], s[Setting::MyTel]);
    EXPECT_EQ(r[Setting::Zip], s[Setting::Zip]);
    EXPECT_EQ(r[Setting::Add1], s[Setting::Add1]);
    // Reading drops one pair of enclosing quotes only when they enclose the whole value.
    EXPECT_EQ(r[Setting::Add2], s[Setting::Add2]);
    EXPECT_EQ(r[Setting::Custo1], s[Setting::Custo1]);
    EXPECT_EQ(r[Setting::Tel], s[Setting::Tel]);
    EXPECT_EQ(r[Setting::G1], s[Setting::G1]);
    EXPECT_EQ(r[Setting::G2], "");
    EXPECT_EQ(r[Setting::G3], s[Setting::G3]);
    EXPECT_EQ(r[Setting::PaperFeed], "1");
    // The printer keys are never written.
    EXPECT_EQ(r[Setting::PrinterIndex], "-1");
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
    EXPECT_EQ(s[Setting::PrinterIndex], "2");
    EXPECT_EQ(s[Setting::PrnTop], "-15");
    EXPECT_EQ(s[Setting::PrnLeft], "0");
    EXPECT_EQ(s[Setting::AddrFont], "7");  // out of the list's range: the window shows no selection
    EXPECT_EQ(s[Setting::MyZip], "123-4567");
    EXPECT_EQ(s[Setting::Add1], "東京都港区");
    EXPECT_EQ(s[Setting::Zip], "１２３－４５６７");  // raw bytes; the window converts it
    EXPECT_EQ(s[Setting::PaperFeed], "5");

    // The window then saves -1 for "no selection" and 0 for the corrected feed.
    MainSettings out = s;
    out[Setting::AddrFont] = "-1";
    out[Setting::PaperFeed] = "0";
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
    EXPECT_EQ(LoadSettings(dir.Path())[Setting::AddrFont], "-1");
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

TEST(Settings, FailedSaveReportsThePathAndLeavesTheOldFileWhole)
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

    // Room for the first few keys only: written with one rewrite, none is.
    SaveSettings(dir.Path(), MainSettings());
    {
        FileSizeLimit limit(300);
        EXPECT_THROW(SaveSettings(dir.Path(), Filled()), EIniFileException);
    }
    EXPECT_EQ(ReadBytes(SettingsPath(dir.Path())), kFirstRun);
    EXPECT_EQ(dir.Entries().size(), 3u) << "a temporary file was left behind";  // beside notafolder and the lock
}
