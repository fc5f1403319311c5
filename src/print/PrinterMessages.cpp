#include "print/PrinterMessages.h"

namespace hoxa {

namespace {

std::string Quoted(std::string_view name) { return "「" + std::string(name) + "」"; }

// Our words, then the print server's reason when it gave one.
std::string WithReason(std::string text, std::string_view reason)
{
    if (!reason.empty()) text += "\n印刷サーバーの応答: " + std::string(reason);
    return text;
}

}  // namespace

std::string MissingPrinterBoxText(std::string_view name) { return std::string(name) + std::string(kMissingPrinterMark); }

std::string PrinterNameOfBox(std::string_view boxText)
{
    if (boxText.size() >= kMissingPrinterMark.size() &&
        boxText.substr(boxText.size() - kMissingPrinterMark.size()) == kMissingPrinterMark)
        boxText.remove_suffix(kMissingPrinterMark.size());
    return std::string(boxText);
}

std::string MissingPrinterGuidance(std::string_view name)
{
    return Quoted(name) + "が見つかりません。つなぎ直すか、セットするプリンタを登録し直してください";
}

std::string MissingPrinterQuestion(std::string_view registered, std::string_view target)
{
    return "登録されたプリンタ" + Quoted(registered) + "が見つかりません。" + Quoted(target) + "に印刷しますか?";
}

std::string StoppedPrinterQuestion(std::string_view printer)
{
    return "プリンタ" + Quoted(printer) + "は停止中です。印刷は再開後に行われます。送りますか?";
}

std::string PrinterTroubleMessage(std::string_view printer, const PrinterStatus& status)
{
    // An unreachable server has no reason of its own; what the C library says
    // then (a socket error) is not the cause.
    if (!status.reachable)
        return "印刷サーバー(CUPS)につながらないため、プリンタ" + Quoted(printer) +
               "に送れません。印刷サーバーが動いているか確かめてください";
    if (!status.known)
        return WithReason("プリンタ" + Quoted(printer) + "が見つかりません。削除されたか、名前が変わったようです",
                          status.reason);
    if (!status.accepting)
        return WithReason("プリンタ" + Quoted(printer) + "は印刷を受け付けない設定になっています。"
                          "プリンタの管理画面で受け付けを再開してください",
                          status.reason);
    return {};
}

std::string SendFailedMessage(std::string_view printer, std::string_view serverReason)
{
    return WithReason("プリンタ" + Quoted(printer) + "に印刷を送れませんでした", serverReason);
}

std::string PrintDataMessage(std::string_view detail)
{
    return "印刷データを作れなかったため、印刷しませんでした。一時フォルダの空きを確かめてください\n" +
           std::string(detail);
}

}  // namespace hoxa
