// The whole address transfer on a typical pasted delivery block, and the check
// that follows it.
#include "transfer/PostalCodes.h"
#include "transfer/Transfer.h"
#include "transfer/TransferCheck.h"

#include <benchmark/benchmark.h>

namespace {

const hoxa::Lines kSevenLines = {
    "お届け先：〒150-0001",
    "ご住所：東京都渋谷区神宮前9-8-7",
    "架空マンション1203号室",
    "お名前：架空　花子　様",
    "カクウ　ハナコ",
    "電話番号：03-0000-1234",
    "携帯：090-0000-5678",
};

const hoxa::Lines kSixteenLines = {
    "ご注文ありがとうございます。",
    "",
    "■お届け先",
    "〒530-0001 大阪府大阪市北区梅田9丁目1-2 架空ビル5F",
    "株式会社架空商事 御中",
    "ご担当：架空 次郎 様",
    "TEL：０６－００００－５６７８",
    "kakuu@example.co.jp",
    "",
    "■ご注文者",
    "架空 花子",
    "〒150-0001",
    "東京都渋谷区神宮前9-8-7",
    "03-0000-1234",
    "https://www.example.jp/",
    "以上",
};

void BM_TransferSevenLines(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::TransferText(kSevenLines));
}
BENCHMARK(BM_TransferSevenLines);

void BM_TransferSixteenLines(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::TransferText(kSixteenLines));
}
BENCHMARK(BM_TransferSixteenLines);

}  // namespace

namespace {

// The check after a transfer, on the fields the transfer gave: once with the
// seven lines of a clean block, once with the sixteen lines of a whole mail
// (more lines to trace, most of them marked).
void CheckAfterTransfer(benchmark::State& state, const hoxa::Lines& lines, const hoxa::ZipAddressLookup& lookup = {})
{
    const hoxa::TransferResult r = hoxa::TransferText(lines);
    const hoxa::DestinationFields fields{r.zip, r.add1, r.add2, r.custo1, r.tel};
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::CheckTransfer(lines, fields, lookup));
}

void BM_CheckSevenLines(benchmark::State& state) { CheckAfterTransfer(state, kSevenLines); }
BENCHMARK(BM_CheckSevenLines);

void BM_CheckSixteenLines(benchmark::State& state) { CheckAfterTransfer(state, kSixteenLines); }
BENCHMARK(BM_CheckSixteenLines);

// As the window checks: postal code and address compared through the data
// (loaded before the timing).
void BM_CheckSixteenLinesWithPostalData(benchmark::State& state)
{
    hoxa::UsePostalDataFile(HOXA_POSTAL_DATA);
    benchmark::DoNotOptimize(hoxa::LookUpPostalCode("100-0001"));
    CheckAfterTransfer(state, kSixteenLines, &hoxa::AddressMatchesPostalCode);
}
BENCHMARK(BM_CheckSixteenLinesWithPostalData);

}  // namespace
