// The waybill layout: what the print reads from the main window, and where each
// item lands on the page, in printer dots.  No drawing here; see WaybillDraw.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hoxa {

// The values of the main window that the print reads (CP932 texts).
struct WaybillRecord {
    // Destination.
    std::string zip;     // Edit_Zip
    std::string add1;    // Edit_Add1
    std::string add2;    // Edit_Add2
    std::string custo1;  // Edit_Custo1
    std::string tel;     // Edit_tel

    // Sender, printed only when printSender (CheckBox_My).
    std::string myZip;   // Edit_MyZip
    std::string myAdd1;  // Edit_MyADD1
    std::string myAdd2;  // Edit_MyADD2
    std::string my;      // Edit_My
    std::string myTel;   // Edit_MyTEL
    bool printSender = true;

    // Goods lines Edit_G1 .. Edit_G3.
    std::string g1, g2, g3;

    // Waybill date as "yyyy/MM/dd" (see FormatWaybillDate), printed only when
    // printDate (CheckBox_Date_1).
    std::string dateText;
    bool printDate = true;

    // Desired delivery date: month, day, free field (Edit_de_date1..3).
    std::string deDate1, deDate2, deDate3;

    // Margins in printer dots (Label_Prn_Top, Label_Prn_Left); empty counts as 0.
    std::string prnTop, prnLeft;

    // Effective resolution in dpi (Label_dpix, Label_dpiy).
    std::string dpix, dpiy;
};

enum class WaybillFace { Mincho, Lucida };

// One text of the page.  x, y: top-left corner of the text cell in printer dots,
// margins included.  Kept 64-bit so that an extreme margin cannot overflow.
struct WaybillItem {
    int number = 0;  // 1..20, the row of the layout table
    std::int64_t x = 0;
    std::int64_t y = 0;
    WaybillFace face = WaybillFace::Mincho;
    int points = 0;
    std::string text;  // CP932; an empty text is listed but draws nothing
};

// The font names the waybill asks for (CP932): "ＭＳ Ｐ明朝", "Lucida Sans Unicode".
std::string_view FaceName(WaybillFace face) noexcept;

// The name of item `number` (1..20) as the preview and the test sheet show it
// where the item prints nothing: "お届け先郵便番号", "ご依頼主おなまえ" ...  Empty for
// another number.
std::string_view ItemCaption(int number) noexcept;

// truncate(x + 0.5) for x >= 0, truncate(x - 0.5) otherwise.  Values beyond the
// 32-bit range saturate instead of being undefined.
std::int32_t RoundHalfAway(long double x) noexcept;

// Dots per layout unit (1/160 inch) times 10000: dpi / 160 * 10000 rounded to the
// nearest integer, ties to even (180 -> 11250, 203 -> 12688, 201 -> 12562).
std::int64_t ResolutionFactor(std::int32_t dpi) noexcept;

// Layout units to dots: RoundHalfAway(factor * units / 10000) + margin.
std::int64_t UnitsToDots(std::int64_t factor, int units, std::int32_t margin) noexcept;

// Effective resolution: device dpi * 100 / scale (integer division).  A scale of
// 0 or below cannot be meant and counts as 100.
std::int64_t EffectiveResolution(std::int32_t deviceDpi, int scale) noexcept;

// The waybill date text "yyyy/MM/dd", whatever the locale.
std::string FormatWaybillDate(int year, int month, int day);

// The two printed parts of a postal code.  The first part is bytes 1-3.  The
// second part is four bytes from byte 5 when byte 4 is a separator ("123-4567"),
// and from byte 4 when byte 4 is a digit, i.e. a code typed without its hyphen
// ("1234567" -> "123", "4567").  A double-byte character is never cut in half.
std::pair<std::string, std::string> SplitPostalCode(std::string_view zip);

// The items of the page in table order: 1-2 only with printDate, 15-20 only with
// printSender.  Reads the resolution and margin texts with StrToInt, so a bad
// text raises EConvertError before anything is listed.
std::vector<WaybillItem> ComputeWaybillLayout(const WaybillRecord& rec);

}  // namespace hoxa
