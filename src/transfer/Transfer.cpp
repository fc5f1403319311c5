#include "transfer/Transfer.h"

#include "base/cp932.h"
#include "transfer/HalfWidth.h"
#include "transfer/TransferSteps.h"

namespace hoxa {

namespace {

// A line of more than this many characters that shows a sign of an address is
// an address line; a shorter one competes for the name.
constexpr std::size_t kNameMaxChars = 6;

// The slots a transfer fills, each by the first line that qualifies.
struct Slots {
    std::string zip, tel, prefecture, address1, address2, name;
};

void TakeZipAndTel(Lines& work, Slots& slots)
{
    for (auto& line : work) {
        const std::string_view kind = ClassifyZipTel(line);
        std::string* slot = kind == kKindZip ? &slots.zip : kind == kKindTel ? &slots.tel : nullptr;
        if (!slot) continue;
        if (slot->empty()) *slot = line;
        line.clear();
    }
}

void TakePrefectureAddressAndName(const Lines& work, Slots& slots)
{
    for (const auto& line : work) {
        if (line.empty()) continue;
        if (IsPrefecture(line)) {
            if (slots.prefecture.empty()) slots.prefecture = line;
            continue;
        }
        const bool addressLike = AddressScore(line) > 0 && CountChars(line) > kNameMaxChars;
        if (addressLike) {
            if (slots.address1.empty()) slots.address1 = line;
            else if (slots.address2.empty()) slots.address2 = line;
        } else if (slots.name.empty()) {
            slots.name = line;
        }
    }
}

}  // namespace

Lines SplitMemoLines(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t brk = text.find_first_of("\r\n", start);
        if (brk == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, brk - start));
        start = brk + 1;
        if (text[brk] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::string JoinMemoLines(const Lines& lines)
{
    // Every line ends with its line break, so that empty lines at the end are
    // kept when the text is split again.
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TransferResult TransferText(const Lines& memoLines)
{
    TransferResult result;
    const Lines compact = CompactLines(memoLines);
    if (compact.empty()) {
        result.empty = true;
        return result;  // the paste area is left empty, the fields untouched
    }

    result.memo = SplitZipLines(StripLabels(compact));

    Lines work;
    work.reserve(result.memo.size());
    for (const auto& line : result.memo) work.push_back(Trim(line));

    Slots slots;
    TakeZipAndTel(work, slots);
    TakePrefectureAddressAndName(work, slots);

    result.zip = ToHalfWidth(slots.zip);
    result.add1 = Trim(slots.prefecture) + Trim(slots.address1);
    result.add2 = slots.address2;
    result.custo1 = slots.name;
    result.tel = ToHalfWidth(slots.tel);
    return result;
}

}  // namespace hoxa
