#include "journal/Tracking.h"

#include "base/cp932.h"
#include "transfer/HalfWidth.h"

#include <cstdint>

namespace hoxa {

namespace {

constexpr std::size_t kDigits = 12;

bool AllDigits(std::string_view s)
{
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The serial of a number as an integer, and its width.
std::size_t SerialWidth(TrackingRule rule) { return rule == TrackingRule::SevenDR ? 11 : 12; }

}  // namespace

char SevenDRCheckDigit(std::string_view eleven)
{
    std::uint64_t n = 0;
    for (char c : eleven) n = n * 10 + static_cast<std::uint64_t>(c - '0');
    return static_cast<char>('0' + n % 7);
}

TrackingCheck CheckTrackingNumber(std::string_view typed, TrackingRule rule)
{
    // The hyphen ‐ and the minus sign − that an input method gives read as "-".
    const std::string half = ToHalfWidth(typed);
    std::string s;
    for (std::size_t i = 0; i < half.size();) {
        const std::size_t n = CharLenAt(half, i);
        const std::string_view ch(half.data() + i, n);
        i += n;
        if (ch == "\x81\x5D" || ch == "\x81\x7C") s += '-';
        else s.append(ch);
    }
    s = Trim(s);
    // Groups of four joined by hyphens, exactly as printed on the form.
    if (s.size() == 14 && s[4] == '-' && s[9] == '-') s = s.substr(0, 4) + s.substr(5, 4) + s.substr(10);
    if (s.size() != kDigits || !AllDigits(s))
        return {{}, "伝票番号は 12 桁の数字です (4 桁ごとのハイフンは入れても構いません)。"};
    if (rule == TrackingRule::SevenDR && SevenDRCheckDigit(std::string_view(s).substr(0, 11)) != s[11])
        return {{}, "伝票番号 " + FormatTrackingNumber(s) +
                        " は正しくありません。最後の桁 (チェック数字) が合いません。読み取りか入力を確かめて下さい。"};
    return {s, {}};
}

std::string NextTrackingNumber(std::string_view number, TrackingRule rule)
{
    const std::size_t width = SerialWidth(rule);
    if (number.size() != kDigits || !AllDigits(number)) return {};
    std::string serial(number.substr(0, width));
    // Add one from the right; all nines have no next.
    std::size_t i = width;
    while (i > 0 && serial[i - 1] == '9') serial[--i] = '0';
    if (i == 0) return {};
    ++serial[i - 1];
    return rule == TrackingRule::SevenDR ? serial + SevenDRCheckDigit(serial) : serial;
}

std::string FormatTrackingNumber(std::string_view number)
{
    if (number.size() != kDigits || !AllDigits(number)) return std::string(number);
    return std::string(number.substr(0, 4)) + "-" + std::string(number.substr(4, 4)) + "-" +
           std::string(number.substr(8));
}

TrackingWalk::TrackingWalk(std::vector<JournalId> entries, TrackingRule rule)
    : entries_(std::move(entries)), rule_(rule)
{
}

TrackingCheck TrackingWalk::Propose(std::string_view typed) const
{
    if (Trim(typed).empty()) {
        if (offered_.empty()) return {{}, "最初の送り状の伝票番号を読み取るか入力して下さい。"};
        return {offered_, {}};
    }
    return CheckTrackingNumber(typed, rule_);
}

void TrackingWalk::Accept(const std::string& number)
{
    if (Done()) return;
    ++pos_;
    offered_ = NextTrackingNumber(number, rule_);
}

void TrackingWalk::SkipForm()
{
    if (!offered_.empty()) offered_ = NextTrackingNumber(offered_, rule_);
}

}  // namespace hoxa
