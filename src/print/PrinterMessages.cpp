#include "print/PrinterMessages.h"

#include <utility>

namespace hoxa {

namespace {

std::string Quoted(std::string_view name) { return "「" + std::string(name) + "」"; }

// The print server's words as a sentence of their own; empty without any.
std::string ServerSaid(std::string_view reason)
{
    return reason.empty() ? std::string() : "印刷サーバーの応答は「" + std::string(reason) + "」です。";
}

// Our words, then the print server's reason on a line of its own when it gave one.
std::string WithReason(std::string text, std::string_view reason)
{
    if (!reason.empty()) text += "\n" + ServerSaid(reason);
    return text;
}

std::string JobName(std::string_view printer, int job)
{
    return Quoted(printer) + "のジョブ " + std::to_string(job);
}

// The state reasons that keep a printer from printing, by keyword without its
// severity suffix, in our words.
constexpr std::pair<std::string_view, std::string_view> kNotReady[] = {
    {"offline", "オフライン"},
    {"connecting-to-device", "プリンタに接続できていません"},
    {"media-empty", "用紙がありません"},
    {"media-needed", "用紙がありません"},
    {"media-jam", "紙詰まり"},
    {"door-open", "カバーが開いています"},
    {"cover-open", "カバーが開いています"},
    {"interlock-open", "カバーが開いています"},
    {"input-tray-missing", "給紙トレイがありません"},
    {"output-area-full", "排紙トレイがいっぱいです"},
    {"marker-supply-empty", "インクやリボンがありません"},
    {"toner-empty", "インクやリボンがありません"},
    {"shutdown", "電源が切れています"},
    {"timed-out", "プリンタが応答しません"},
};

bool EndsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

}  // namespace

std::string MissingPrinterBoxText(std::string_view name) { return std::string(name) + std::string(kMissingPrinterMark); }

std::string PrinterNameOfBox(std::string_view boxText)
{
    if (EndsWith(boxText, kMissingPrinterMark)) boxText.remove_suffix(kMissingPrinterMark.size());
    return std::string(boxText);
}

std::string MissingPrinterGuidance(std::string_view name)
{
    return Quoted(name) + "が見つかりません。つなぎ直すか、セットするプリンタを登録し直してください";
}

std::string ServerAwayGuidance(std::string_view server)
{
    return "プリント サーバー(" + std::string(server) + ")に接続できません";
}

std::string MissingPrinterQuestion(std::string_view registered, std::string_view target)
{
    return "登録されたプリンタ" + Quoted(registered) + "が見つかりません。" + Quoted(target) + "に印刷しますか?";
}

std::string StoppedPrinterQuestion(std::string_view printer)
{
    return "プリンタ" + Quoted(printer) + "は停止中です。印刷は再開後に行われます。送りますか?";
}

std::vector<std::string> NotReadyReasons(const PrinterStatus& status)
{
    std::vector<std::string> said;
    for (std::string_view keyword : status.reasons) {
        const bool error = EndsWith(keyword, "-error");
        for (std::string_view suffix : {"-report", "-warning", "-error"})
            if (EndsWith(keyword, suffix)) keyword.remove_suffix(suffix.size());
        std::string words = error ? std::string(keyword) : std::string();
        for (const auto& [k, ours] : kNotReady)
            if (k == keyword) words = ours;
        bool known = false;
        for (const std::string& s : said) known = known || s == words;
        if (!words.empty() && !known) said.push_back(words);
    }
    return said;
}

std::string NotReadyQuestion(std::string_view printer, const PrinterStatus& status)
{
    std::string why;
    for (const std::string& r : NotReadyReasons(status)) why += (why.empty() ? "" : "、") + r;
    return WithReason("プリンタ" + Quoted(printer) + "は印刷できる状態ではありません (" + why + ")。", status.reason) +
           "\nこのまま送りますか?";
}

std::string PendingJobsQuestion(std::string_view printer, std::size_t jobs, std::string_view serverReason)
{
    const std::string said =
        serverReason.empty() ? std::string() : "プリンタ" + Quoted(printer) + "について、" + ServerSaid(serverReason) + "\n";
    return said + "前の印刷が まだプリンタに届いていません (" + std::to_string(jobs) + " 件)。もう一度送りますか?";
}

std::string TargetChangedQuestion(std::string_view before, std::string_view now, bool beforeGone)
{
    return (beforeGone ? "プリンタ" + Quoted(before) + "が見つからなくなりました。"
                       : "印刷するプリンタが" + Quoted(before) + "から変わりました。") +
           Quoted(now) + "に印刷しますか?";
}

std::string PrinterTroubleMessage(std::string_view printer, const PrinterStatus& status)
{
    // An unreachable server has no reason of its own; what the C library says
    // then (a socket error) is not the cause.
    if (!status.reachable)
        return "印刷サーバー(CUPS)につながらないため、プリンタ" + Quoted(printer) +
               "に送れません。印刷サーバーが動いているか確かめてください。";
    if (!status.known)
        return WithReason("プリンタ" + Quoted(printer) + "が見つかりません。削除されたか、名前が変わったようです。",
                          status.reason);
    if (!status.accepting)
        return WithReason("プリンタ" + Quoted(printer) + "は印刷を受け付けない設定になっています。"
                          "プリンタの管理画面で受け付けを再開してください。",
                          status.reason);
    return {};
}

std::string SendFailedMessage(std::string_view printer, std::string_view serverReason)
{
    return WithReason("プリンタ" + Quoted(printer) + "に印刷を送れませんでした。", serverReason);
}

std::string PrintDataMessage(std::string_view detail)
{
    return "印刷データを作れなかったため、印刷しませんでした (" + std::string(detail) +
           ")。一時フォルダの空きを確かめてください。";
}

std::string SentGuidance(std::string_view printer, int job)
{
    return Quoted(printer) + "に送りました (ジョブ " + std::to_string(job) + ")";
}

std::string CompletedGuidance(std::string_view printer, int job)
{
    return JobName(printer, job) + " を印刷しました";
}

std::string WaitingGuidance(std::string_view printer, int job, std::string_view serverReason)
{
    std::string text = JobName(printer, job) + " はまだプリンタに届いていません";
    if (!serverReason.empty()) text += ": " + std::string(serverReason);
    return text;
}

std::string JobTroubleMessage(std::string_view printer, int job, const JobStatus& status)
{
    std::string what;
    switch (status.state) {
    case JobState::Stopped: what = " は印刷サーバーで止まっています。まだ印刷されていません。"; break;
    case JobState::Aborted: what = " は印刷サーバーで中止されました。印刷されていません。"; break;
    case JobState::Canceled: what = " は取り消されました。印刷されていません。"; break;
    default: return {};
    }
    return WithReason(JobName(printer, job) + what, status.reason) +
           "\nプリンタの接続と設定を確かめてください。";
}

}  // namespace hoxa
