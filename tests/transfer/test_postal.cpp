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

// Runs the converter on the stand-in package; the bytes it wrote.
std::string ConvertFixture(const QString& out)
{
    QProcess p;
    p.start(QStringLiteral(HOXA_PYTHON), {QStringLiteral(HOXA_SOURCE_DIR "/tools/postal/make_postal_data.py"),
                                          QStringLiteral(HOXA_TEST_DATA "/postal/package"), QStringLiteral("-o"), out});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
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
    EXPECT_EQ(t.Size(), 11u);  // the info and three-digit area records are no codes
    ExpectAddresses(t, {
        {600000, "北海道", "札幌市中央区", ""},        // 以下に掲載がない場合
        {600042, "北海道", "札幌市中央区", "大通西"},  // （１～１９丁目）
        {640941, "北海道", "札幌市中央区", "旭ケ丘"},  // split over two records
        {791573, "北海道", "富良野市", "山部西"},      // shared part, not into the number
        {1000001, "東京都", "千代田区", "千代田"},
        {1000005, "東京都", "千代田区", "丸の内"},            // （次のビルを除く）
        {1006890, "東京都", "千代田区", "大手町ＪＡビル"},    // （地階・階層不明）
        {1008176, "東京都", "千代田区", "大手町"},            // two offices at one address
        {3060400, "茨城県", "猿島郡境町", ""},                // 境町の次に番地がくる場合
        {4520961, "愛知県", "清須市", "春日"},                // several towns: their shared part
        {8600824, "熊本県", "熊本市", ""},                    // two wards
    });
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
