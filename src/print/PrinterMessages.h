// What the program says about printers in trouble: the printer box entry and
// guidance for a registered printer that is not there, the questions before a
// print that would not go where the user expects, and the error texts of a
// print the spooler cannot take.  Texts are CP932; the spooler's own words, when
// it gave any, follow ours on a line of their own.
#pragma once

#include "print/Spooler.h"

#include <string>
#include <string_view>

namespace hoxa {

// " (見つかりません)": the mark after a registered printer that is not installed.
inline constexpr std::string_view kMissingPrinterMark = " (見つかりません)";

// "waybillpdf (見つかりません)"
std::string MissingPrinterBoxText(std::string_view name);
// The printer name a printer box text stands for: the text without the mark.
std::string PrinterNameOfBox(std::string_view boxText);

// Guidance panel: what to do about a missing registered printer.
std::string MissingPrinterGuidance(std::string_view name);

// "登録されたプリンタ「A」が見つかりません。「B」に印刷しますか?"
std::string MissingPrinterQuestion(std::string_view registered, std::string_view target);
// "プリンタ「A」は停止中です。印刷は再開後に行われます。送りますか?"
std::string StoppedPrinterQuestion(std::string_view printer);

// Why a job cannot be sent to `printer` in this state: the print server does not
// answer, does not know the printer, or the printer refuses jobs.  Empty when
// the printer can take a job (a stopped one can).
std::string PrinterTroubleMessage(std::string_view printer, const PrinterStatus& status);
// A job the spooler did not take for another reason.
std::string SendFailedMessage(std::string_view printer, std::string_view serverReason);

// The print document could not be made or kept whole (a full temporary folder).
std::string PrintDataMessage(std::string_view detail);

}  // namespace hoxa
