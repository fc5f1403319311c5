// The whole address transfer on a typical pasted delivery block.
#include "transfer/Transfer.h"

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
