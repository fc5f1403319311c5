// What the program says about printers in trouble: the printer box entry and
// guidance for a registered printer that is not there, the questions before a
// print that would not go where the user expects or would wait in the queue,
// the error texts of a print the spooler cannot take, and what became of a job
// handed over.  Texts are CP932; our sentences end with "。" (the error box adds
// no full stop to them), the spooler's own words, when it gave any, follow in
// a sentence of their own.
#pragma once

#include "print/Spooler.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

// " (見つかりません)": the mark after a registered printer that is not installed.
inline constexpr std::string_view kMissingPrinterMark = " (見つかりません)";

// "waybillpdf (見つかりません)"
std::string MissingPrinterBoxText(std::string_view name);
// The printer name a printer box text stands for: the text without the mark.
std::string PrinterNameOfBox(std::string_view boxText);

// Guidance panel: what to do about a missing registered printer.
std::string MissingPrinterGuidance(std::string_view name);
// Guidance panel: "プリント サーバー(localhost)に接続できません"
std::string ServerAwayGuidance(std::string_view server);

// "登録されたプリンタ「A」が見つかりません。「B」に印刷しますか?"
std::string MissingPrinterQuestion(std::string_view registered, std::string_view target);
// "プリンタ「A」は停止中です。印刷は再開後に行われます。送りますか?"
std::string StoppedPrinterQuestion(std::string_view printer);
// What in the spooler's reasons says the printer cannot print now ("オフライン",
// "用紙がありません", or the keyword itself), in our words; empty when nothing does.
std::vector<std::string> NotReadyReasons(const PrinterStatus& status);
// "プリンタ「A」は印刷できる状態ではありません (オフライン)。…このまま送りますか?"
std::string NotReadyQuestion(std::string_view printer, const PrinterStatus& status);
// "前の印刷が まだプリンタに届いていません (1 件)。もう一度送りますか?", after the
// spooler's words about the printer when it gave any.
std::string PendingJobsQuestion(std::string_view printer, std::size_t jobs, std::string_view serverReason);
// The printer a question named is gone or another one would be used now:
// "…「B」に印刷しますか?"
std::string TargetChangedQuestion(std::string_view before, std::string_view now, bool beforeGone);

// Why a job cannot be sent to `printer` in this state: the print server does not
// answer, does not know the printer, or the printer refuses jobs.  Empty when
// the printer can take a job (a stopped one can).
std::string PrinterTroubleMessage(std::string_view printer, const PrinterStatus& status);
// A job the spooler did not take for another reason.
std::string SendFailedMessage(std::string_view printer, std::string_view serverReason);

// The print document could not be made or kept whole (a full temporary folder).
std::string PrintDataMessage(std::string_view detail);

// Guidance panel after a hand-over: "「waybill24」に送りました (ジョブ 12)"
std::string SentGuidance(std::string_view printer, int job);
// Guidance panel: the job has been printed.
std::string CompletedGuidance(std::string_view printer, int job);
// Guidance panel: the job is still waiting a few seconds after the hand-over.
std::string WaitingGuidance(std::string_view printer, int job, std::string_view serverReason);
// Error box: a job the spooler stopped, aborted or cancelled.
std::string JobTroubleMessage(std::string_view printer, int job, const JobStatus& status);

}  // namespace hoxa
