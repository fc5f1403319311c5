// The check after a transfer: which of the five destination fields a clerk must
// look at before printing, and why.  A pure function of the pasted lines and the
// fields as the transfer left them; all texts are CP932.
#pragma once

#include "transfer/Transfer.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

// The destination fields, in the order of the window.
enum class DestField : std::size_t { Zip, Add1, Add2, Custo1, Tel };
inline constexpr std::size_t kDestFields = 5;

struct DestinationFields {
    std::string zip, add1, add2, custo1, tel;
    const std::string& Get(DestField f) const;
};

// Does this postal code belong to this address?  nullopt when it cannot tell
// (unknown code, no data).
using ZipAddressLookup = std::function<std::optional<bool>(std::string_view zip, std::string_view address)>;

struct CheckResult {
    // Per field, the reasons to look at it (short CP932 texts), first found first.
    std::array<std::vector<std::string>, kDestFields> reasons;

    const std::vector<std::string>& Reasons(DestField f) const { return reasons[static_cast<std::size_t>(f)]; }
    bool Marked(DestField f) const { return !Reasons(f).empty(); }
    bool AnyMarked() const;
    // The field to fix first and its first reason: the first marked field in
    // window order, passing over postal code and address that only disagree
    // with each other while another field has a reason of its own (the broken
    // address, not the right postal code beside it).  Zip and "" when none.
    DestField FirstField() const;
    std::string FirstReason() const;
};

// The reasons, as they are shown.
namespace check_reason {
inline constexpr std::string_view kZipShape = "郵便番号が 123-4567 の形ではありません";
inline constexpr std::string_view kZipMissing = "郵便番号が取り込まれていません";
inline constexpr std::string_view kZipSeveral = "貼り付けに郵便番号がいくつもあります";
inline constexpr std::string_view kZipAddress = "郵便番号と住所が合いません";
inline constexpr std::string_view kZipEmpty = "郵便番号がありません";
inline constexpr std::string_view kTelShape = "電話番号が 0 で始まる10～11桁ではありません";
inline constexpr std::string_view kTelMissing = "電話番号が取り込まれていません";
inline constexpr std::string_view kTelShop = "お店や窓口の電話番号のようです";
inline constexpr std::string_view kNameEmpty = "おなまえがありません";
inline constexpr std::string_view kNameDigits = "おなまえに数字があります";
inline constexpr std::string_view kNameMail = "おなまえに＠があります";
inline constexpr std::string_view kNameAddress = "おなまえに住所の語があります";
inline constexpr std::string_view kNameHonorific = "おなまえに敬称があります";
inline constexpr std::string_view kNameLabel = "おなまえに見出しや項目名があります";
inline constexpr std::string_view kNameSign = "おなまえに記号があります";
inline constexpr std::string_view kNameSentence = "おなまえが文になっています";
inline constexpr std::string_view kAddrEmpty = "おところがありません";
inline constexpr std::string_view kAddrStart = "おところが都道府県や市区町村で始まっていません";
inline constexpr std::string_view kAddrTel = "おところに電話番号があります";
inline constexpr std::string_view kAddrZip = "おところに郵便番号があります";
inline constexpr std::string_view kAddrNote = "おところにメモや項目名があります";
inline constexpr std::string_view kAddrCompany = "おところに会社名があります";
inline constexpr std::string_view kAddrCut = "おところが途中で切れています";
inline constexpr std::string_view kAddrNoNumber = "おところに番地がありません";
inline constexpr std::string_view kAddrGoods = "おところに品名や数量があります";
inline constexpr std::string_view kAddr2NotAddress = "おところ②が建物名などに見えません";
inline constexpr std::string_view kAddr2Person = "おところ②に部署と担当者の名前があります";
// Followed by the line itself: 使われていない行があります：「のし：不要」
inline constexpr std::string_view kLineUnused = "使われていない行があります";
inline constexpr std::string_view kLabelInWord = "語の中の「様」や「tel」が消されました";
}  // namespace check_reason

// Checks the fields a transfer of `pasted` (the paste area's lines before the
// transfer) gave.  `lookup`, when given, compares postal code and address.
// With no pasted lines (fields that came from elsewhere) only the rules that
// look at the fields themselves apply.
CheckResult CheckTransfer(const Lines& pasted, const DestinationFields& fields,
                          const ZipAddressLookup& lookup = {});

}  // namespace hoxa
