// Postal code to address: the converter's conventions on a small stand-in of the
// npm package, real codes of the committed list, the address check, and files
// that are missing or damaged.
#include "transfer/PostalCodes.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

using namespace hoxa;

namespace {

const std::string kCommitted = HOXA_SOURCE_DIR "/data/postal-codes.dat";

std::string ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Runs a Python program; its exit code is checked.
void RunPython(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(HOXA_PYTHON), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

// Runs the converter on its sources (the stand-in package by default); the
// bytes it wrote.
std::string ConvertFixture(const QString& out, QStringList sources = {QStringLiteral(HOXA_TEST_DATA "/postal/package")})
{
    RunPython(QStringList{QStringLiteral(HOXA_SOURCE_DIR "/tools/postal/make_postal_data.py")} + sources +
              QStringList{QStringLiteral("-o"), out});
    return ReadBytes(out);
}

// A data file around a body, its header as the converter writes it.
std::string DataFile(const std::string& body, int records)
{
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", Crc32(body));
    return "HOXA-POSTAL 1\npackage test 1\ndata -\nrecords " + std::to_string(records) + "\nbody " +
           std::to_string(body.size()) + " " + crc + "\n\n" + body;
}

struct Expected {
    std::uint32_t code;
    const char* prefecture;
    const char* city;
    const char* town;
};

void ExpectAddresses(const PostalCodeTable& t, std::initializer_list<Expected> cases)
{
    for (const Expected& e : cases) {
        const std::optional<PostalAddress> a = t.Find(e.code);
        ASSERT_TRUE(a) << FormatPostalCode(e.code);
        EXPECT_EQ(a->prefecture, e.prefecture) << FormatPostalCode(e.code);
        EXPECT_EQ(a->city, e.city) << FormatPostalCode(e.code);
        EXPECT_EQ(a->town, e.town) << FormatPostalCode(e.code);
    }
}

class ProgramTable : public ::testing::Test {
protected:
    void SetUp() override { UsePostalDataFile(kCommitted); }
    void TearDown() override { UsePostalDataFile({}); }
};

}  // namespace

TEST(PostalConverter, FollowsJapanPostsListConventionsAndGivesTheSameBytesAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string first = ConvertFixture(dir.filePath(QStringLiteral("a.dat")));
    EXPECT_EQ(ConvertFixture(dir.filePath(QStringLiteral("b.dat"))), first);

    // Loading checks that the codes ascend (the package lists 100-0005 first).
    const PostalCodeTable t = PostalCodeTable::FromBytes(first);
    ASSERT_TRUE(t.Loaded()) << t.Source();
    EXPECT_EQ(t.Source(), "jquery-jpostal-ja 9.9.9 (ver9.9 2000-01-02 2000-01-03)");
    EXPECT_EQ(t.Size(), 17u);  // the info and three-digit area records are no codes
    ExpectAddresses(t, {
        {600000, "北海道", "札幌市中央区", ""},        // 以下に掲載がない場合
        {600042, "北海道", "札幌市中央区", "大通西"},  // （１～１９丁目）
        {640941, "北海道", "札幌市中央区", "旭ケ丘"},  // split over two records
        {791573, "北海道", "富良野市", "山部西"},      // shared town before its numbers
        {1000001, "東京都", "千代田区", "千代田"},
        {1000005, "東京都", "千代田区", "丸の内"},            // （次のビルを除く）
        {1006890, "東京都", "千代田区", "大手町ＪＡビル"},    // （地階・階層不明）
        {1008176, "東京都", "千代田区", "大手町"},            // two offices at one address
        {2892156, "千葉県", "匝瑳市", ""},                    // 長岡 / 長丘: no shared town
        {3060400, "茨城県", "猿島郡境町", ""},                // 境町の次に番地がくる場合
        {4090211, "山梨県", "北都留郡小菅村", ""},            // …の次に６６４番地以降がくる場合
        {4506201, "愛知県", "名古屋市中村区", "名駅ミッドランドスクエア（高層棟）１階"},  // a building's part
        {4520961, "愛知県", "清須市", "春日"},  // several towns sharing 春日, a town of the city
        {6750000, "兵庫県", "", ""},            // 加古川市 / 加西市: the prefecture only
        {8600824, "熊本県", "熊本市", ""},      // two wards of one city
        {9813600, "宮城県", "黒川郡", ""},      // two towns of one county
    });
}

TEST(PostalConverter, ReadsJapanPostsOwnFilesAsPublished)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString csv = QStringLiteral(HOXA_TEST_DATA "/postal/japanpost/");
    const std::string bytes = ConvertFixture(dir.filePath(QStringLiteral("csv.dat")),
                                             {csv + "KEN_ALL.CSV", csv + "JIGYOSYO.CSV", QStringLiteral("--stamp"),
                                              QStringLiteral("2025-10-31")});
    const PostalCodeTable t = PostalCodeTable::FromBytes(bytes);
    ASSERT_TRUE(t.Loaded()) << t.Source();
    EXPECT_EQ(t.Source(), "japanpost KEN_ALL.CSV JIGYOSYO.CSV (2025-10-31)");
    EXPECT_EQ(t.Size(), 19u);
    ExpectAddresses(t, {
        {287901, "岩手県", "九戸郡洋野町", "種市"},   // 地割 ranges and notes
        {482402, "北海道", "余市郡仁木町", "大江"},   // a note over two records
        {640941, "北海道", "札幌市中央区", "旭ケ丘"},
        {1000301, "東京都", "利島村", ""},           // 利島村一円
        {1006801, "東京都", "千代田区", "大手町ＪＡビル１階"},  // （１階）
        {1008799, "東京都", "千代田区", "大手町"},    // jigyosyo
        {4400032, "愛知県", "豊橋市", ""},  // two towns listed in one record
        {4506290, "愛知県", "名古屋市中村区", "名駅ミッドランドスクエア（高層棟）"},
        {4520961, "愛知県", "清須市", "春日"},       // 春日 is a jigyosyo's town
        {5220317, "滋賀県", "犬上郡多賀町", "一円"},  // a place called 一円
    });
    // The same files zipped as Japan Post publishes them give the same list.
    for (const char* name : {"KEN_ALL.CSV", "JIGYOSYO.CSV"})
        RunPython({QStringLiteral("-m"), QStringLiteral("zipfile"), QStringLiteral("-c"),
                   dir.filePath(QString::fromLatin1(name).toLower().replace(QStringLiteral(".csv"), QStringLiteral(".zip"))),
                   csv + name});
    const std::string zipped = ConvertFixture(dir.filePath(QStringLiteral("zip.dat")),
                                              {dir.filePath(QStringLiteral("ken_all.zip")),
                                               dir.filePath(QStringLiteral("jigyosyo.zip"))});
    EXPECT_EQ(zipped.substr(zipped.find("\n\n")), bytes.substr(bytes.find("\n\n")));
}

TEST(PostalData, CommittedListHoldsRealCodes)
{
    const PostalCodeTable t = PostalCodeTable::FromFile(kCommitted);
    ASSERT_TRUE(t.Loaded()) << t.Source();
    EXPECT_EQ(t.Source().rfind("jquery-jpostal-ja ", 0), 0u) << t.Source();
    EXPECT_GT(t.Size(), 100000u);
    ExpectAddresses(t, {
        {1000001, "東京都", "千代田区", "千代田"},
        {5300001, "大阪府", "大阪市北区", "梅田"},
        {600000, "北海道", "札幌市中央区", ""},
        {9071801, "沖縄県", "八重山郡与那国町", "与那国"},
        {4520961, "愛知県", "清須市", "春日"},
    });
    EXPECT_FALSE(t.Find(9999999));
    EXPECT_FALSE(t.Find(0));
}

TEST(PostalCode, OnlyCompleteHalfWidthCodesAreRead)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> code;
    } cases[] = {
        {"1000001", 1000001}, {"100-0001", 1000001}, {"060-0000", 600000}, {"0600000", 600000},
        {"100-000", {}},      {"10000011", {}},      {"1000-001", {}},     {"100--0001", {}},
        {"100-00a1", {}},     {"１００-0001", {}},   {" 100-0001", {}},    {"100ｰ0001", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParsePostalCode(c.text), c.code) << c.text;
    EXPECT_EQ(FormatPostalCode(600000), "060-0000");
}

TEST(PostalCode, EveryCommonWritingOfACodeInTheFieldIsRead)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> code;
    } cases[] = {
        {"100-0001", 1000001},   {"1000001", 1000001},    {"〒100-0001", 1000001},  {"〒 100-0001 ", 1000001},
        {"100ー0001", 1000001},  {"100ｰ0001", 1000001},   {"100‐0001", 1000001},   {"100―0001", 1000001},
        {"100－0001", 1000001},  {"100 0001", 1000001},   {"１００－０００１", 1000001}, {"　100 - 0001", 1000001},
        {"100-000", {}},         {"100--0001", {}},       {"〒〒100-0001", {}},     {"100-0001 東京都", {}},
        {"1000-001", {}},        {"100~0001", {}},        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadPostalCode(c.text), c.code) << c.text;
}

TEST_F(ProgramTable, LooksUpEitherFormOfACode)
{
    EXPECT_FALSE(PostalCodesLoaded());
    const std::optional<PostalAddress> a = LookUpPostalCode("100-0001");
    EXPECT_TRUE(PostalCodesLoaded());
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Full(), "東京都千代田区千代田");
    ASSERT_TRUE(LookUpPostalCode("1000001"));
    EXPECT_EQ(LookUpPostalCode("1000001")->Full(), a->Full());
    EXPECT_FALSE(LookUpPostalCode("999-9999"));
}

TEST_F(ProgramTable, AddressMatchesPrefectureAndCityOfTheCode)
{
    const struct {
        const char* zip;
        const char* address;
        std::optional<bool> matches;
    } cases[] = {
        {"100-0001", "東京都千代田区千代田1-1", true},
        {"1000001", "千代田区千代田1-1", true},  // without the prefecture
        {"100-0001", "　東京都 千代田区", true},    // blanks
        {"100-0001", "東京都港区芝公園", false},
        {"100-0001", "大阪府千代田区", false},
        {"100-0001", "東京都", false},
        {"907-1801", "沖縄県八重山郡与那国町与那国", true},
        {"907-1801", "沖縄県与那国町", true},  // county left out
        {"530-0001", "北区梅田1-1", true},     // the ward of a designated city on its own
        {"530-0001", "中央区梅田1-1", false},
        {"989-0501", "宮城県刈田郡七ケ宿町柏木山", true},  // ケ for ヶ
        {"860-0824", "熊本県熊本市南区十禅寺", true},      // the code's two wards share 熊本市
        {"335-0000", "埼玉県戸田市", true},               // two cities: the prefecture only
        {"675-0000", "加東市", false},                    // nor a city beginning like one of them
        {"154-0004", "東京都世田谷区三軒茶屋2-13-9", false},  // another town of the city
        {"154-0024", "東京都世田谷区三軒茶屋2-13-9", true},
        {"223-0061", "横浜市港北区日吉本町1-2", false},     // 日吉本町 is not 日吉
        {"065-0012", "札幌市東区北12条東7丁目", true},      // 北十二条東
        {"904-0411", "沖縄県国頭郡恩納村字恩納2870", true},
        {"600-8008", "京都市下京区四条通烏丸東入長刀鉾町20", true},
        {"150-6001", "東京都渋谷区恵比寿4-20-3", true},      // a building's code
        {"430-0944", "静岡県浜松市中区田町327-6", true},     // the ward before 2024
        {"999-9999", "東京都千代田区", std::nullopt},
        {"100-000", "東京都千代田区", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(AddressMatchesPostalCode(c.zip, c.address), c.matches) << c.zip;
}

TEST(PostalData, MissingOrDamagedFileGivesNoLookUpAndOneLineToShow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string good = ReadBytes(QString::fromStdString(kCommitted));
    std::string flipped = good;
    flipped[flipped.size() / 2] ^= 0x40;
    const std::string body = "=東京都\t千代田区\n1000000\n1000001\t千代田\n";
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the check value of CRC-32
    ASSERT_TRUE(PostalCodeTable::FromBytes(DataFile(body, 2)).Loaded());  // the helper itself is sound
    const auto withRecords = [&](const char* count) {
        std::string f = DataFile(body, 2);
        return f.replace(f.find("records 2\n"), 10, std::string("records ") + count + "\n");
    };

    const struct {
        const char* what;
        std::string bytes;
    } damaged[] = {
        {"empty", ""},
        {"cut short", good.substr(0, good.size() - 100)},
        {"a flipped bit", flipped},
        {"other first line", "HOXA-POSTAL 2" + good.substr(13)},
        {"record count", DataFile(body, 3)},
        {"codes out of order", DataFile("=東京都\t千代田区\n1000001\t千代田\n1000000\n", 2)},
        {"code before any area", DataFile("1000000\n=東京都\t千代田区\n1000001\t千代田\n", 2)},
        {"bad code", DataFile("=東京都\t千代田区\n100000x\n", 1)},
        {"last line not ended", DataFile("=東京都\t千代田区\n1000000", 1)},
        {"a record count no body holds", withRecords("1000000000000000000")},
        {"bytes CP932 does not hold", DataFile("=東京都\t千代田区\n1000001\t\x80\xFF\n", 1)},
        {"a control byte in a town", DataFile("=東京都\t千代田区\n1000001\t千\x01\n", 1)},
        {"header not text", "HOXA-POSTAL 1\npackage \x93\x8C\n" + DataFile(body, 2).substr(14)},
    };
    for (const auto& d : damaged) {
        const QString path = dir.filePath(QStringLiteral("damaged.dat"));
        WriteBytes(path, d.bytes);
        const PostalCodeTable t = PostalCodeTable::FromFile(path.toStdString());
        EXPECT_EQ(t.Status(), PostalDataStatus::Damaged) << d.what;
        EXPECT_FALSE(t.Find(1000001)) << d.what;
        EXPECT_EQ(t.Problem(), "郵便番号データ(postal-codes.dat)が壊れているため、住所の自動入力はできません") << d.what;

        UsePostalDataFile(path.toStdString());
        EXPECT_FALSE(LookUpPostalCode("100-0001")) << d.what;
        EXPECT_EQ(AddressMatchesPostalCode("100-0001", "東京都千代田区"), std::nullopt) << d.what;
    }
    const PostalCodeTable missing = PostalCodeTable::FromFile(dir.filePath(QStringLiteral("none.dat")).toStdString());
    EXPECT_EQ(missing.Status(), PostalDataStatus::Missing);
    EXPECT_EQ(missing.Problem(), "郵便番号データ(postal-codes.dat)が見つからないため、住所の自動入力はできません");
    UsePostalDataFile({});
}
