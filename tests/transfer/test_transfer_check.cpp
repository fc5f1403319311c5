// The check after a transfer: its rules on short cases, and how well it tells
// the transfers that need a correction from those that are right on two corpora
// of pasted order mails with a clerk's reading of each.
#include "transfer/TransferCheck.h"

#include "transfer/HalfWidth.h"
#include "transfer/PostalCodes.h"
#include "transfer/corpus.h"

#include <algorithm>
#include <cstdio>
#include <map>

using namespace hoxa;
using namespace hoxa::corpus;

namespace {

// How a clerk compares a field with what should be there: width and blanks do
// not matter, nor the hyphens and brackets of a telephone number.
std::string Plain(const std::string& s, bool tel = false)
{
    std::string out;
    for (const char c : ToHalfWidth(s)) {
        if (static_cast<unsigned char>(c) <= 0x20) continue;
        if (tel && (c == '-' || c == '(' || c == ')')) continue;
        out.push_back(c);
    }
    return out;
}

struct Rates {
    int wrong = 0, wrongMarked = 0, right = 0, rightMarked = 0;
    double Hit() const { return wrong ? 100.0 * wrongMarked / wrong : 100.0; }
    double FalseAlarm() const { return right ? 100.0 * rightMarked / right : 0.0; }
};

const char* const kFieldNames[] = {"zip", "add1", "add2", "name", "tel"};

// Runs the transfer and the check on every block; `readings` are the clerk's.
Rates Measure(const std::vector<Block>& blocks, const std::map<std::string, Block>& readings, const char* corpus)
{
    UsePostalDataFile(HOXA_SOURCE_DIR "/data/postal-codes.dat");
    Rates rates;
    for (const auto& b : blocks) {
        if (b.refused) continue;
        const auto it = readings.find(b.title);
        if (it == readings.end()) {
            ADD_FAILURE() << corpus << ": no reading for" << b.title;
            continue;
        }
        const Block& clerk = it->second;
        const TransferResult r = TransferText(b.input);
        std::string wrongFields;
        if (Plain(r.zip) != Plain(clerk.zip)) wrongFields += " zip";
        // A company or department on おところ② right after the address reads as
        // it does in front of the name.
        const std::string address = Plain(r.add1 + r.add2), wantAddress = Plain(clerk.add1 + clerk.add2);
        const std::string name = Plain(r.custo1), wantName = Plain(clerk.custo1);
        const std::string moved = address.substr(std::min(address.size(), wantAddress.size()));
        const bool companyOnAdd2 = !moved.empty() && !name.empty() && address.rfind(wantAddress, 0) == 0 &&
                                   wantName == moved + name;
        if (address != wantAddress && !companyOnAdd2) wrongFields += " address";
        if (name != wantName && !companyOnAdd2) wrongFields += " name";
        if (Plain(r.tel, true) != Plain(clerk.tel, true)) wrongFields += " tel";
        // As in the window: postal code and address compared through the committed data.
        const CheckResult c = CheckTransfer(b.input, {r.zip, r.add1, r.add2, r.custo1, r.tel}, &AddressMatchesPostalCode);
        const bool wrong = !wrongFields.empty(), marked = c.AnyMarked();
        (wrong ? rates.wrong : rates.right)++;
        (wrong ? rates.wrongMarked : rates.rightMarked) += marked;
        if (wrong != marked || std::getenv("HOXA_CHECK_LIST")) {
            std::string why;
            for (std::size_t f = 0; f < kDestFields; ++f)
                for (const auto& reason : c.reasons[f]) why += std::string(" ") + kFieldNames[f] + ":" + Utf8(reason);
            std::printf("%s %s line %d:%s\n   wrong:%s\n   marks:%s\n   got: %s | %s | %s | %s | %s\n",
                        corpus, wrong ? (marked ? "hit" : "MISSED") : (marked ? "FALSE ALARM" : "ok"), b.line,
                        b.title.c_str(), wrongFields.c_str(), why.c_str(), Utf8(r.zip).c_str(), Utf8(r.add1).c_str(),
                        Utf8(r.add2).c_str(), Utf8(r.custo1).c_str(), Utf8(r.tel).c_str());
        }
    }
    std::printf("%s: %d transfers need a correction, %d marked (%.1f %%); %d are right, %d marked (%.1f %%)\n",
                corpus, rates.wrong, rates.wrongMarked, rates.Hit(), rates.right, rates.rightMarked,
                rates.FalseAlarm());
    return rates;
}

std::map<std::string, Block> ByTitle(const std::vector<Block>& blocks)
{
    std::map<std::string, Block> out;
    for (const auto& b : blocks) out[b.title] = b;
    return out;
}

}  // namespace

namespace why = check_reason;

struct RuleCase {
    const char* what;
    const char* pasted;  // lines separated by '/'
    std::vector<std::pair<DestField, std::string_view>> marks;  // empty: nothing marked
};

Lines Split(const std::string& joined)
{
    Lines lines;
    std::size_t start = 0;
    for (std::size_t bar; (bar = joined.find('/', start)) != std::string::npos; start = bar + 1)
        lines.push_back(joined.substr(start, bar - start));
    lines.push_back(joined.substr(start));
    return lines;
}

TEST(TransferCheckRules, EachRuleOnAShortPaste)
{
    using F = DestField;
    const RuleCase cases[] = {
        {"clean", "〒150-0001/東京都渋谷区神宮前9-8-7/架空ハイツ101/架空 花子 様/03-0000-1234", {}},
        {"reading and notes are not needed", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/カクウ ハナコ/"
         "03-0000-1234/お届け希望時間：午前中", {}},
        {"no telephone given at all", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子", {}},
        {"blanks only", "　/　　", {}},
        {"surname holding a building character", "〒150-0001/東京都渋谷区神宮前9-8-7/二階堂 隆/03-0000-1234", {}},
        {"surname with 村, given name with 町", "〒150-0001/東京都渋谷区神宮前9-8-7/木村 町子/03-0000-1234", {}},
        {"postal code without hyphen", "〒1500001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234",
         {{F::Zip, why::kZipMissing}, {F::Add1, why::kAddrStart}, {F::Add1, why::kAddrZip}}},
        {"separator taken for the postal code", "--------/〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234",
         {{F::Zip, why::kZipShape}, {F::Zip, why::kZipMissing}}},
        {"two postal codes", "〒150-0001/〒150-0002/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234",
         {{F::Zip, why::kZipSeveral}}},
        {"telephone with a note", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/090-0000-1234（日中）",
         {{F::Tel, why::kTelMissing}, {F::Add2, why::kAddrNote}}},
        {"ten digits without hyphens", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/0300001234",
         {{F::Tel, why::kTelMissing}, {F::Add2, why::kAddrTel}}},
        {"telephone of twelve digits", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/090-0000-12345",
         {{F::Tel, why::kTelShape}}},
        {"telephone on a line past the seventh", "〒150-0001/東京都渋谷区神宮前9-8-7/架空ハイツ101/架空 花子/"
         "カクウ ハナコ/ご注文番号 1/お支払 代引/電話 03-0000-1234", {{F::Tel, why::kTelMissing}}},
        {"extension on a line of its own", "〒150-0001/東京都渋谷区神宮前9-8-7/架空商事株式会社/03-0000-1234/内線 12",
         {{F::Tel, why::kLineUnused}}},
        {"name missing, Latin name in the address", "〒150-0001/東京都渋谷区神宮前9-8-7/FUJITA TARO/03-0000-1234",
         {{F::Custo1, why::kNameEmpty}, {F::Add2, why::kAddr2NotAddress}}},
        {"room number taken for the name", "〒150-0001/東京都渋谷区神宮前9-8-7/101号/架空 花子/03-0000-1234",
         {{F::Custo1, why::kNameDigits}, {F::Custo1, why::kNameAddress}, {F::Custo1, why::kLineUnused}}},
        {"building taken for the name", "〒150-0001/東京都渋谷区神宮前9-8-7/メゾン神宮前/架空 花子/03-0000-1234",
         {{F::Custo1, why::kNameAddress}, {F::Custo1, why::kLineUnused}}},
        {"honorific the transfer keeps", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子 さま/03-0000-1234",
         {{F::Custo1, why::kNameHonorific}}},
        {"company with 御中", "〒150-0001/東京都渋谷区神宮前9-8-7/架空商事株式会社 御中/03-0000-1234",
         {{F::Custo1, why::kNameHonorific}}},
        {"heading taken for the name", "お届け先情報/〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234",
         {{F::Custo1, why::kNameLabel}, {F::Custo1, why::kLineUnused}}},
        {"bracketed heading taken for the name", "【お届け先】/〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234",
         {{F::Custo1, why::kNameSign}, {F::Custo1, why::kLineUnused}}},
        {"greeting taken for the name", "お世話になります。/〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234",
         {{F::Custo1, why::kNameSentence}, {F::Custo1, why::kNameSign}, {F::Custo1, why::kLineUnused}}},
        {"full-width at sign in the name", "〒150-0001/東京都渋谷区神宮前9-8-7/hanako＠example/03-0000-1234",
         {{F::Custo1, why::kNameMail}, {F::Custo1, why::kNameSign}}},
        {"order line taken for the address", "ご注文番号 12345/〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234",
         {{F::Add1, why::kAddrStart}, {F::Add1, why::kAddrNote}}},
        {"fax in the address", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/TEL 03-0000-1234/FAX 03-0000-1235",
         {{F::Add2, why::kAddrTel}, {F::Add2, why::kAddrNote}}},
        {"company on おところ② above the person", "〒150-0001/東京都渋谷区神宮前9-8-7/架空ビル5F 架空商事株式会社/"
         "総務 架空 花子/03-0000-1234", {}},
        {"company in the first address line", "〒150-0001/東京都渋谷区神宮前9-8-7 架空商事株式会社/架空 花子/03-0000-1234",
         {{F::Add1, why::kAddrCompany}}},
        {"address without its number", "〒150-0001/東京都渋谷区神宮前/架空 花子/03-0000-1234",
         {{F::Add1, why::kAddrNoNumber}}},
        {"address broken at a hyphen", "〒060-0808/北海道札幌市北区北8条西5丁目-/2-11 架空ハイツ310/架空 花子/011-000-0000",
         {{F::Add1, why::kAddrCut}}},
        {"address lost behind a postal code", "〒880-0000 宮崎県宮崎市架空町1-1/架空 花子/架空ビル/1F/0985-00-1111/"
         "ご不在時は宅配ボックスへ/090-0000-3333", {{F::Add1, why::kAddrEmpty}, {F::Add2, why::kLineUnused}}},
        {"person line lost behind the company", "〒150-0001/東京都渋谷区神宮前9-8-7/架空商事株式会社/総務部 架空 花子/03-0000-1234",
         {{F::Custo1, why::kLineUnused}}},
        {"様 inside a place name", "〒058-0204/北海道様似郡様似町栄町85/架空 花子/0146-00-0000",
         {{F::Add1, why::kLabelInWord}}},
        {"tel inside a Latin word", "〒107-0062/東京都港区南青山4-17-3/Estelle南青山 602/架空 花子/03-0000-0000",
         {{F::Add2, why::kLabelInWord}}},
        // Right waybills with what a check could take for a fault.
        {"readings, country, options and the shop's number left over", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/"
         "かくう はなこ/Hanako Kakuu/03-0000-1234/日本/のし：不要/ギフト包装：なし/お問い合わせ 0120-000-123", {}},
        {"note words inside a town name", "〒289-1131/千葉県八街市希望ケ丘12-8/架空 花子/043-000-1234", {}},
        {"a given name holding ます", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 ますみ/03-0000-1234", {}},
        {"a post office holds the parcel", "〒048-1592/北海道虻田郡ニセコ町字東山/ニセコ郵便局留/架空 花子/080-0000-1234", {}},
        // Faults of the classes a check can miss.
        {"katakana shop name away from the name", "架空 花子/〒150-0001/東京都渋谷区神宮前9-8-7/カクウソレイユ/03-0000-1234",
         {{F::Add2, why::kLineUnused}}},
        {"department and person on おところ②", "〒150-0001/東京都渋谷区神宮前9-8-7/架空物産株式会社/物流課 今村 花子 様/"
         "03-0000-1234", {{F::Add2, why::kAddr2Person}}},
        {"building ending in タワー taken for the name", "〒150-0001/東京都渋谷区神宮前9-8-7/神宮前タワー/架空 花子/03-0000-1234",
         {{F::Custo1, why::kNameAddress}, {F::Custo1, why::kLineUnused}}},
        {"様 inside a place name not listed", "〒083-0004/北海道中川郡池田町様舞152/架空 花子/015-000-0000",
         {{F::Add1, why::kLabelInWord}}},
        {"the shop's free dial taken for the telephone", "〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/0120-000-123",
         {{F::Tel, why::kTelShop}}},
        {"goods line in おところ②", "〒150-0001/東京都渋谷区神宮前9-8-7/架空りんご 5kg 1箱/架空 花子/03-0000-1234",
         {{F::Add2, why::kAddrGoods}}},
        {"no postal code at all", "東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234", {{F::Zip, why::kZipEmpty}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Lines lines = Split(c.pasted);
        const TransferResult r = TransferText(lines);
        const CheckResult check = CheckTransfer(lines, {r.zip, r.add1, r.add2, r.custo1, r.tel});
        std::array<bool, kDestFields> want{};
        for (const auto& [field, reason] : c.marks) {
            want[static_cast<std::size_t>(field)] = true;
            // A reason that names its line begins with the reason.
            const auto& got = check.Reasons(field);
            EXPECT_NE(std::find_if(got.begin(), got.end(), [&](const std::string& r) { return r.rfind(reason, 0) == 0; }),
                      got.end())
                << kFieldNames[static_cast<std::size_t>(field)] << " lacks " << Utf8(std::string(reason));
        }
        for (std::size_t f = 0; f < kDestFields; ++f)
            EXPECT_EQ(check.Marked(static_cast<DestField>(f)), want[f])
                << kFieldNames[f] << ": " << (check.reasons[f].empty() ? "" : Utf8(check.reasons[f].front()));
    }
}

TEST(TransferCheckRules, PostalCodeAndAddressThroughTheLookUp)
{
    const Lines lines = Split("〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234");
    const DestinationFields fields{"150-0001", "東京都渋谷区神宮前9-8-7", "", "架空 花子", "03-0000-1234"};
    std::string askedZip, askedAddress;
    const auto answering = [&](std::optional<bool> answer) {
        return [&, answer](std::string_view zip, std::string_view address) {
            askedZip = zip;
            askedAddress = address;
            return answer;
        };
    };
    const CheckResult disagree = CheckTransfer(lines, fields, answering(false));
    EXPECT_EQ(askedZip, "150-0001");
    EXPECT_EQ(askedAddress, "東京都渋谷区神宮前9-8-7");
    EXPECT_EQ(disagree.Reasons(DestField::Zip), std::vector<std::string>{std::string(why::kZipAddress)});
    EXPECT_EQ(disagree.Reasons(DestField::Add1), std::vector<std::string>{std::string(why::kZipAddress)});
    EXPECT_EQ(disagree.FirstReason(), why::kZipAddress);
    EXPECT_FALSE(CheckTransfer(lines, fields, answering(true)).AnyMarked());
    EXPECT_FALSE(CheckTransfer(lines, fields, answering(std::nullopt)).AnyMarked());
    EXPECT_FALSE(CheckTransfer(lines, fields).AnyMarked());
    // A postal code of the wrong shape is not looked up.
    askedZip.clear();
    CheckTransfer(lines, {"1500001", fields.add1, "", fields.custo1, fields.tel}, answering(false));
    EXPECT_EQ(askedZip, "");
}

TEST(TransferCheckRules, FirstReasonPointsAtTheFieldToFixAndFieldsAloneAreChecked)
{
    // The address is broken, the postal code beside it right: the address first.
    const DestinationFields fields{"150-0001", "架空商事株式会社 渋谷区神宮前9-8-7", "", "架空 花子", "03-0000-1234"};
    const auto disagree = [](std::string_view, std::string_view) { return std::optional<bool>(false); };
    const CheckResult c = CheckTransfer(Split("〒150-0001/架空商事株式会社 渋谷区神宮前9-8-7/架空 花子/03-0000-1234"),
                                        fields, disagree);
    EXPECT_TRUE(c.Marked(DestField::Zip));
    EXPECT_EQ(c.FirstField(), DestField::Add1);
    EXPECT_EQ(c.FirstReason(), why::kAddrStart);
    // The unused line is named.
    const Lines extension = Split("〒150-0001/東京都渋谷区神宮前9-8-7/架空 花子/03-0000-1234/内線 12");
    const TransferResult r = TransferText(extension);
    EXPECT_EQ(CheckTransfer(extension, {r.zip, r.add1, r.add2, r.custo1, r.tel}).Reasons(DestField::Tel),
              std::vector<std::string>{"使われていない行があります：「内線 12」"});
    // Fields from elsewhere, no paste: only what the fields show.
    EXPECT_FALSE(CheckTransfer({}, {"150-0001", "東京都渋谷区神宮前9-8-7", "", "架空 花子", "03-0000-1234"}).AnyMarked());
    const CheckResult noZip = CheckTransfer({}, {"", "東京都渋谷区神宮前9-8-7", "", "架空 花子", "03-0000-1234"});
    EXPECT_EQ(noZip.Reasons(DestField::Zip), std::vector<std::string>{std::string(why::kZipEmpty)});
    EXPECT_FALSE(noZip.Marked(DestField::Custo1) || noZip.Marked(DestField::Add1) || noZip.Marked(DestField::Tel));
}

// Pastes as shops meet them: marks on at least 95 % of the transfers that need
// a correction and on at most 3 % of the right ones.
TEST(TransferCheckCorpus, RealisticPastesMarkTheTransfersThatNeedACorrection)
{
    for (const std::string name : {"order-mails", "web-orders", "held-out-pastes", "fresh-pastes"}) {
        const auto pastes = Load(HOXA_TEST_DATA "/" + name + ".txt");
        ASSERT_GE(pastes.size(), 30u) << name;
        const Rates r = Measure(pastes, ByTitle(pastes), name.c_str());
        EXPECT_GE(r.Hit(), 95.0) << name;
        EXPECT_LE(r.FalseAlarm(), 3.0) << name;
    }
}

TEST(TransferCheckCorpus, DeliveryBlocksMarkTheTransfersThatNeedACorrection)
{
    const auto blocks = Load(HOXA_TEST_DATA "/delivery-blocks.txt");
    const Rates r = Measure(blocks, ByTitle(Load(HOXA_TEST_DATA "/delivery-blocks-clerk.txt")), "delivery-blocks");
    EXPECT_GE(r.Hit(), 95.0);
    // Made-up places, edge cases rather than realistic pastes; two right blocks
    // are marked on purpose: two postal codes to choose from, and none at all.
    EXPECT_LE(r.rightMarked, 2);
}
