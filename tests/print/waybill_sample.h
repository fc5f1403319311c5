// A waybill with every field filled and every text distinct, shared by the
// layout, job and read-back tests and the print benchmark.
#pragma once

#include "print/WaybillLayout.h"

namespace hoxa::test {

inline WaybillRecord SampleWaybill(const char* dpi = "180")
{
    WaybillRecord r;
    r.zip = "123-4567";
    r.add1 = "東京都千代田区丸の内１－１";
    r.add2 = "丸の内ビル３Ｆ";
    r.custo1 = "山田太郎";
    r.tel = "03-1234-5678";
    r.myZip = "987-6543";
    r.myAdd1 = "大阪府大阪市北区梅田２－２";
    r.myAdd2 = "梅田ハイツ１０１";
    r.my = "ニボラ商店";
    r.myTel = "06-9876-5432";
    r.g1 = "衣料品";
    r.g2 = "雑貨ABC";
    r.g3 = "食品～冷蔵";
    r.dateText = "2026/11/07";
    r.deDate1 = "12";
    r.deDate2 = "24";
    // Latin text in the Latin face: kanji there come from a fallback face, whose
    // own ascent pdftotext would use for the top of the cell.
    r.deDate3 = "AM";
    r.prnTop = "0";
    r.prnLeft = "0";
    r.dpix = dpi;
    r.dpiy = dpi;
    return r;
}

}  // namespace hoxa::test
