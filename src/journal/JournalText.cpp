#include "journal/JournalText.h"

#include "base/Codec.h"

#include <ctime>

namespace hoxa {

std::string FormatLocalTime(std::int64_t ms, const char* format)
{
    const std::time_t t = static_cast<std::time_t>(ms / 1000);
    std::tm tm {};
    localtime_r(&t, &tm);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &tm));
}

std::string FormatPrintTime(std::int64_t ms) { return FormatLocalTime(ms, "%m/%d %H:%M"); }

std::string DoublePrintQuestion(std::int64_t printedAtMs)
{
    return "この送り状は " + FormatPrintTime(printedAtMs) + " に印刷済みです。もう一度印刷しますか?";
}

std::string JournalFailureMessage(SqlFailure failure, bool server, std::string_view store,
                                  std::string_view detail)
{
    const std::string what = (server ? "印刷履歴のサーバー " : "印刷履歴 ") + std::string(store);
    const std::string why = detail.empty() ? std::string() : " (" + Utf8ToCp932(detail) + ")";
    switch (failure) {
    case SqlFailure::Busy:
        return what + " は別の hoxa が使用中で、5 秒待っても空きませんでした。";
    case SqlFailure::Full:
        return what + " に書き込めません。ディスクがいっぱいです" + why + "。";
    case SqlFailure::ReadOnly:
        return what + " に書き込めません。書き込みが許されていません" + why + "。";
    case SqlFailure::Damaged:
        return what + " が壊れています" + why + "。";
    case SqlFailure::Unreachable:
        return what + " に接続できません" + why + "。";
    case SqlFailure::Refused:
        return what + " に接続を断られました" + why + "。";
    case SqlFailure::Timeout:
        return what + " が 5 秒以内に応答しません。";
    case SqlFailure::Conflict:
    case SqlFailure::Io:
    case SqlFailure::Other:
        break;
    }
    return what + " を読み書きできません" + why + "。";
}

std::string DamagedJournalNotice(std::string_view file, std::string_view keptAs)
{
    return "印刷履歴 " + std::string(file) + " が壊れていたため " + std::string(keptAs) +
           " として残し、新しい印刷履歴を始めました。";
}

}  // namespace hoxa
