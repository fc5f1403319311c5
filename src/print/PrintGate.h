// The print gate: the one way from the program to the printer.  Every print
// passes it (F11, the preview's 印刷, the margin dialog's テスト印刷, a batch of
// waybills from an order file, a reprint of journal entries), so that each asks
// the same questions in the same order and goes out as one job on the printer
// the questions named.  No widgets here: questions go through PrintAsker (the
// window answers with message boxes, tests with a script), the window's side
// through PrintGateHost.
//
// Run(request, asker) in this order, each question No by default unless said:
//   1. fixes the target: the host refreshes the printers, then the current
//      printer's name is taken and the printer held (the change check moves
//      nothing until the gate is done);
//   2. the marks: any page still marked ("確認が必要な欄があります。…", for several
//      pages "確認が必要な欄が残っている送り状があります (N 件)。…");
//   3. items off the printable area, named by the window's captions
//      ("印刷できる範囲の外に出る項目があります (おところ①、…)。このまま印刷しますか?");
//   4. the printer: a server that does not answer, a queue it does not know or
//      that refuses jobs is an error (EPrinter, nothing asked); a missing
//      registered printer, a queue not ready (its reasons and message), a
//      stopped queue, an earlier job of one of these pages still waiting on it
//      ("前の印刷が まだプリンタに届いていません (1 件)。もう一度送りますか?") are asked;
//   5. PrintRecorder::AskAboutEarlierPrints (the journal's double-print question);
//   6. the final question (request.finalQuestion, Yes by default) when
//      request.askFinal;
//   7. PrintRecorder::Prepare (which may ask about an earlier print made
//      meanwhile); a failure asks whether to print without a record;
//   8. after the last answer the printer is looked at again: a target gone or
//      no longer the one a print would use is asked about again, naming the new
//      one, with its own printer questions;
//   9. the hand-over: one job of all pages, each drawn as the single print draws
//      it, one page size for all, PrintAsker::Progress after each page (false:
//      nothing is sent); then PrintRecorder::Record with the job's number, and
//      the job is followed for a few seconds (PrintGateHost::JobNews).
// The test sheet asks only the printer questions of step 4 and is not recorded.
// Errors (no printer, a margin that is no integer, a refused job) pass to the
// caller, after PrintRecorder::Abandon when Prepare had succeeded.
//
// The main window owns the program's gate (TForm_Main::Gate(); its
// WaybillRequest(origin) is the waybill on the screen with its marks and the
// feed's registered printer).  A batch: PrintRequest::For(PrintOrigin::Batch,
// a page per waybill with its marks (otherMarks for the row's and the goods'
// reasons) and OrderRef, the registered printer), finalQuestion
// "N 件の送り状を印刷しますか?", an asker whose Progress shows the pages built and
// may cancel.  A reprint: origin Reprint, each page's reprintOf the journal
// entry it prints again.  A journal: SetRecorder with its PrintRecorder; its
// Record gets the job's number, printer and the pages as printed.  The
// GateResult says where a print stopped (the window focuses the first marked
// field after GateStop::Marks).
#pragma once

#include "base/MsgBox.h"
#include "orders/OrderRef.h"
#include "print/Spooler.h"
#include "print/Vp_d97Y_DotUnit.h"
#include "print/WaybillLayout.h"
#include "transfer/TransferCheck.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

// "印刷しますか?"
inline constexpr const char* kPrintQuestion = "印刷しますか?";

enum class PrintOrigin { F11, Preview, TestSheet, Batch, Reprint };

// One page of a print: a waybill as the window (or the batch) holds it.
struct PrintPage {
    WaybillRecord record;   // margins in it; its resolution texts are set when it is sent
    CheckResult marks;      // the check marks still standing, per destination field
    std::vector<std::string> otherMarks;  // other reasons to look at it (a batch row's own, its goods')
    OrderRef order;         // the order it came from; empty for a waybill typed by hand
    std::string reprintOf;  // uid of the journal entry this page prints again; empty: a first print

    bool Marked() const { return marks.AnyMarked() || !otherMarks.empty(); }
};

struct PrintRequest {
    PrintOrigin origin = PrintOrigin::F11;
    std::vector<PrintPage> pages;
    bool askFinal = true;                       // false for the preview's 印刷 and the test sheet
    std::string finalQuestion = kPrintQuestion;
    std::string registeredPrinter;              // the feed's registered printer (PrnName); empty: none
    std::string title = kWaybillJobTitle;       // the job's title
    PageDrawer draw;                            // empty: the waybill, as SLIP97_Prn draws it

    // A request of `origin` with the final question where that origin asks it
    // (F11, batch, reprint).
    static PrintRequest For(PrintOrigin origin, std::vector<PrintPage> pages, std::string registeredPrinter);
};

// The questions of the gate.  The window asks with AskYesNo over itself or the
// dialog that started the print.
class PrintAsker {
public:
    virtual ~PrintAsker() = default;
    virtual bool Ask(std::string_view question, DefaultAnswer def) = 0;
    // After each page built: `done` of `total`.  false cancels the print;
    // nothing reaches the printer.
    virtual bool Progress(std::size_t /*done*/, std::size_t /*total*/) { return true; }
};

// A job handed over.
struct SentJob {
    int id = 0;                    // the spooler's number
    std::string printer;           // CP932
    PrintOrigin origin = PrintOrigin::F11;
    std::vector<PrintPage> pages;  // as printed: resolution texts set
};

// The journal's place in the gate.  Every step does nothing by default.
class PrintRecorder {
public:
    virtual ~PrintRecorder() = default;
    // After the printer questions, before the final one: questions about
    // earlier prints of these pages (the double-print question).  false: the
    // user declined and nothing is printed.
    virtual bool AskAboutEarlierPrints(const PrintRequest&, const std::string& /*printer*/, PrintAsker&)
    {
        return true;
    }
    // Just before the pages are built: makes ready to record, and may ask (an
    // earlier print that another station made meanwhile).  An empty problem
    // when it is ready; otherwise why no record can be kept (Japanese, ending
    // with "。"), and the gate asks whether to print without one.  declined:
    // the user answered No to its question, nothing is printed.
    struct Readiness {
        std::string problem;
        bool declined = false;
    };
    virtual Readiness Prepare(const PrintRequest&, const std::string& /*printer*/, PrintAsker&) { return {}; }
    // The job was accepted.  An error thrown here reaches the caller after the
    // job was reported sent.
    virtual void Record(const SentJob&) {}
    // After a successful Prepare, nothing was sent (declined, cancelled, failed).
    virtual void Abandon(const PrintRequest&) {}
};

// What the window hears from the gate.
class PrintGateHost {
public:
    enum class News { Sent, Printed, Waiting, Failed };

    virtual ~PrintGateHost() = default;
    // Looks at the printer list again now and brings the printer of the current
    // feed up to date (the registered printer looked up by name).
    virtual void RefreshPrinters() = 0;
    // The effective resolution of a waybill job (Label_dpix, Label_dpiy).
    virtual void ResolutionUsed(const std::string& /*dpix*/, const std::string& /*dpiy*/) {}
    // A job: Sent (SentGuidance) at once; then Printed (CompletedGuidance),
    // Failed (JobTroubleMessage: stopped, aborted or cancelled) or, still
    // waiting when the follow-up ends, Waiting (WaitingGuidance).
    virtual void JobNews(const SentJob& /*job*/, News /*news*/, const std::string& /*text*/) {}
};

// Where the gate stopped without printing.
enum class GateStop { None, Busy, Marks, OffArea, Printer, EarlierPrint, Final, NoRecord, Cancelled };

struct GateResult {
    GateStop stop = GateStop::None;  // None: sent
    SentJob job;                     // when sent
    bool Sent() const { return stop == GateStop::None; }
};

// The printer a print would use now, and why.
struct PrinterSituation {
    std::string registered;       // the feed's registered printer; empty: none
    std::string target;           // the current printer; empty: no printer at all
    bool registeredMissing = false;
    PrinterStatus status;         // of the target
};
PrinterSituation ReadPrinterSituation(const std::string& registered);
// One line for the preview: "登録されたプリンタ「A」が見つからないため、「B」に印刷します (停止中…)".
std::string DescribePrintTarget(const PrinterSituation& situation);

// The caption of the window's field that prints layout item `number` (1..20):
// "おところ①", "ご依頼主おなまえ", "品名" ...
std::string_view FieldCaption(int number) noexcept;
// The marks as one line: "確認が必要な欄: おなまえ (おなまえに敬称があります)、…";
// empty without marks.
std::string MarksLine(const CheckResult& marks);

class PrintGate {
public:
    explicit PrintGate(PrintGateHost& host);
    ~PrintGate();
    PrintGate(const PrintGate&) = delete;
    PrintGate& operator=(const PrintGate&) = delete;

    // The journal; null (the default) records nothing.  Not owned.
    void SetRecorder(PrintRecorder* recorder) { recorder_ = recorder; }
    // How a job is followed after the hand-over (default: every 500 ms for 8 s).
    void SetFollowUp(int intervalMs, int durationMs);

    // The questions and the hand-over (see above).  A Run while another runs
    // (a key pressed under a question) stops at once with GateStop::Busy.
    GateResult Run(const PrintRequest& request, PrintAsker& asker);
    bool Busy() const { return busy_; }

private:
    struct Sent {
        int id;
        std::string printer;
        std::vector<std::string> keys;
    };
    bool AskPrinterQuestions(const PrintRequest& request, const PrinterSituation& s, PrintAsker& asker);
    std::size_t EarlierJobsWaiting(const PrintRequest& request, const std::string& printer);
    // nullopt: cancelled through PrintAsker::Progress.
    std::optional<SentJob> Send(const PrintRequest& request, const std::string& printer, PrintAsker& asker);
    void Follow(const SentJob& job);

    PrintGateHost& host_;
    PrintRecorder* recorder_ = nullptr;
    bool busy_ = false;
    int followIntervalMs_ = 500;
    int followDurationMs_ = 8000;
    std::vector<Sent> sent_;
    QObject followers_;  // the follow-up timers
};

}  // namespace hoxa
