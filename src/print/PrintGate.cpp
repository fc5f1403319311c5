#include "print/PrintGate.h"

#include "base/cp932.h"
#include "print/PrinterMessages.h"
#include "print/TPrinter.h"
#include "print/VpPrinters.h"
#include "print/WaybillPage.h"

#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace hoxa {

namespace {

constexpr char kNoRecordQuestion[] = "記録を残さずに印刷しますか?";
// How often the printer may change under the questions before the gate gives up.
constexpr int kTargetRounds = 3;

// The printer layer, null when it was never created.
TVpPrinter* Layer()
{
    try {
        return &VpPrinter();
    } catch (const EVpPrinter&) {
        return nullptr;
    }
}

// Holds the current printer while it lives, when there is one.
std::unique_ptr<TVpPrinter::PrinterHold> Hold()
{
    TVpPrinter* layer = Layer();
    return layer ? std::make_unique<TVpPrinter::PrinterHold>(*layer) : nullptr;
}

// A printer the spooler no longer knows.
PrinterStatus GoneStatus()
{
    PrinterStatus s;
    s.known = false;
    return s;
}

bool IsWaybill(PrintOrigin origin) { return origin != PrintOrigin::TestSheet; }

// Passes the questions on and notes whether any was asked.
class NotingAsker : public PrintAsker {
public:
    explicit NotingAsker(PrintAsker& asker) : asker_(asker) {}
    bool asked = false;
    bool Ask(std::string_view question, DefaultAnswer def) override
    {
        asked = true;
        return asker_.Ask(question, def);
    }
    bool Progress(std::size_t done, std::size_t total) override { return asker_.Progress(done, total); }

private:
    PrintAsker& asker_;
};

// What makes two pages the same print: what the form shows (not margins or
// resolution), and whether it is a waybill or a test sheet.
std::string PageKey(const PrintRequest& request, const WaybillRecord& r)
{
    const std::string parts[] = {r.zip, r.add1, r.add2, r.custo1, r.tel, r.myZip, r.myAdd1, r.myAdd2, r.my, r.myTel,
                                 r.g1, r.g2, r.g3, r.dateText, r.deDate1, r.deDate2, r.deDate3};
    std::string key = IsWaybill(request.origin) ? "W" : "T";
    key += r.printSender ? '1' : '0';
    key += r.printDate ? '1' : '0';
    for (const std::string& p : parts) key += '\0' + p;
    return key;
}

// The window's captions of the items off the printable area on any page, each
// once; empty when every item fits or the printer's page cannot be read (the
// printer questions say why).
std::vector<std::string> OffAreaItems(const std::vector<PrintPage>& pages)
{
    JobResolution r;
    PageGeometry geometry;
    try {
        r = CurrentJobResolution();
        geometry = Printer().Page();
    } catch (const EPrinter&) {
        return {};
    } catch (const EOSError&) {
        return {};
    } catch (const EVpPrinter&) {
        return {};
    }
    std::vector<std::string> names;
    for (const PrintPage& p : pages) {
        WaybillRecord rec = p.record;
        rec.dpix = IntToStr(r.effective.x);
        rec.dpiy = IntToStr(r.effective.y);
        for (const PageRow& row : ComputeWaybillPage(rec, r.device, geometry).rows) {
            const std::string name(FieldCaption(row.number));
            if (row.outside && row.prints && std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
    }
    return names;
}

std::string MarkedQuestion(std::size_t pages, std::size_t marked)
{
    if (pages == 1) return "確認が必要な欄があります。このまま印刷しますか?";
    return "確認が必要な欄が残っている送り状があります (" + std::to_string(marked) + " 件)。このまま印刷しますか?";
}

std::string OffAreaQuestion(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : "、") + n;
    return "印刷できる範囲の外に出る項目があります (" + list + ")。このまま印刷しますか?";
}

}  // namespace

PrintRequest PrintRequest::For(PrintOrigin origin, std::vector<PrintPage> pages, std::string registeredPrinter)
{
    PrintRequest r;
    r.origin = origin;
    r.pages = std::move(pages);
    r.askFinal = origin == PrintOrigin::F11 || origin == PrintOrigin::Batch || origin == PrintOrigin::Reprint;
    r.registeredPrinter = std::move(registeredPrinter);
    return r;
}

std::string_view FieldCaption(int number) noexcept
{
    static constexpr std::string_view kCaptions[] = {
        "日付", "日付", "ご希望お届け日", "ご希望お届け日", "ご希望お届け日", "でんわ", "郵便番号", "郵便番号",
        "おところ①", "おところ②", "おなまえ", "品名", "品名", "品名", "ご依頼主でんわ", "ご依頼主郵便番号",
        "ご依頼主郵便番号", "ご依頼主おところ", "ご依頼主おところ", "ご依頼主おなまえ"};
    return number >= 1 && number <= 20 ? kCaptions[number - 1] : std::string_view();
}

std::string MarksLine(const CheckResult& marks)
{
    static constexpr std::string_view kDestCaptions[kDestFields] = {"郵便番号", "おところ①", "おところ②", "おなまえ",
                                                                    "でんわ"};
    std::string line;
    for (std::size_t f = 0; f < kDestFields; ++f) {
        if (marks.reasons[f].empty()) continue;
        std::string reasons;
        for (const std::string& r : marks.reasons[f]) reasons += (reasons.empty() ? "" : "、") + r;
        line += (line.empty() ? "確認が必要な欄: " : "　") + std::string(kDestCaptions[f]) + " (" + reasons + ")";
    }
    return line;
}

PrinterSituation ReadPrinterSituation(const std::string& registered)
{
    PrinterSituation s;
    s.registered = registered;
    TVpPrinter* layer = Layer();
    if (!layer) return s;  // the print reports it
    TVpPrinter& vp = *layer;
    std::vector<std::string> names;
    try {
        names = vp.GetPrinterNames();
        const int i = vp.GetIndex();
        if (i >= 0 && static_cast<std::size_t>(i) < names.size()) s.target = names[static_cast<std::size_t>(i)];
    } catch (const EVpPrinterNoPrinter&) {
    }
    s.registeredMissing = !registered.empty() &&
                          (vp.ServerAway() || std::none_of(names.begin(), names.end(), [&](const std::string& n) {
                               return Trim(n) == registered;
                           }));
    if (!s.target.empty()) s.status = PrinterSpooler().Status(s.target);
    return s;
}

std::string DescribePrintTarget(const PrinterSituation& s)
{
    if (s.target.empty()) return "印刷できるプリンタがありません";
    const std::string target = "「" + s.target + "」に印刷します";
    std::string line = s.registeredMissing ? "登録されたプリンタ「" + s.registered + "」が見つからないため、" + target
                       : s.registered.empty() ? "プリンタが登録されていないため、" + target
                                              : target;
    std::string state;
    if (!s.status.reachable) state = "印刷サーバーにつながりません";
    else if (!s.status.known) state = "印刷サーバーにないプリンタです";
    else if (!s.status.accepting) state = "印刷を受け付けていません";
    else if (s.status.stopped) state = "停止中です。印刷は再開後に行われます";
    for (const std::string& r : NotReadyReasons(s.status)) state += (state.empty() ? "" : "、") + r;
    return state.empty() ? line : line + " (" + state + ")";
}

// ------------------------------------------------------------------- the gate

PrintGate::PrintGate(PrintGateHost& host) : host_(host) {}

PrintGate::~PrintGate() = default;

void PrintGate::SetFollowUp(int intervalMs, int durationMs)
{
    followIntervalMs_ = intervalMs;
    followDurationMs_ = durationMs;
}

GateResult PrintGate::Run(const PrintRequest& request, PrintAsker& questions)
{
    GateResult result;
    if (busy_) {
        result.stop = GateStop::Busy;
        return result;
    }
    busy_ = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{busy_};
    const auto stop = [&result](GateStop at) {
        result.stop = at;
        return result;
    };
    const bool waybill = IsWaybill(request.origin);
    NotingAsker asker(questions);

    // 1: the target, held from the first question to the hand-over.
    host_.RefreshPrinters();
    auto hold = Hold();
    PrinterSituation situation = ReadPrinterSituation(request.registeredPrinter);
    std::string target = situation.target;

    // 2, 3
    if (waybill) {
        const auto marked = std::count_if(request.pages.begin(), request.pages.end(),
                                          [](const PrintPage& p) { return p.Marked(); });
        if (marked > 0 && !asker.Ask(MarkedQuestion(request.pages.size(), static_cast<std::size_t>(marked)),
                                     DefaultAnswer::No))
            return stop(GateStop::Marks);
        if (!target.empty()) {
            const std::vector<std::string> off = OffAreaItems(request.pages);
            if (!off.empty() && !asker.Ask(OffAreaQuestion(off), DefaultAnswer::No)) return stop(GateStop::OffArea);
        }
    }
    // 4, 5, 6
    if (!AskPrinterQuestions(request, situation, asker)) return stop(GateStop::Printer);
    if (waybill && recorder_ && !recorder_->AskAboutEarlierPrints(request, target, asker))
        return stop(GateStop::EarlierPrint);
    if (request.askFinal && !asker.Ask(request.finalQuestion, DefaultAnswer::Yes)) return stop(GateStop::Final);

    // 7
    bool prepared = false;
    if (waybill && recorder_) {
        const PrintRecorder::Readiness ready = recorder_->Prepare(request, target, asker);
        if (ready.declined) return stop(GateStop::EarlierPrint);
        prepared = ready.problem.empty();
        if (!prepared && !asker.Ask(ready.problem + "\n" + kNoRecordQuestion, DefaultAnswer::No))
            return stop(GateStop::NoRecord);
    }
    const auto abandon = [&] {
        if (prepared) recorder_->Abandon(request);
    };
    std::optional<SentJob> sent;
    try {
        // 8: the printer may have changed under the questions.
        for (int round = 0; asker.asked && !target.empty(); ++round) {
            hold.reset();
            host_.RefreshPrinters();
            hold = Hold();
            situation = ReadPrinterSituation(request.registeredPrinter);
            if (situation.target == target && situation.status.known) break;
            if (situation.target.empty() || round == kTargetRounds)
                throw EPrinter(PrinterTroubleMessage(target, GoneStatus()));
            const std::vector<std::string>& names = VpPrinter().GetPrinterNames();
            const bool gone = std::find(names.begin(), names.end(), target) == names.end() || !situation.status.known;
            situation.registeredMissing = false;  // the question names the printer it goes to
            if (!asker.Ask(TargetChangedQuestion(target, situation.target, gone), DefaultAnswer::No) ||
                !AskPrinterQuestions(request, situation, asker)) {
                abandon();
                return stop(GateStop::Printer);
            }
            target = situation.target;
        }
        // 9
        sent = Send(request, target, asker);
    } catch (...) {
        abandon();
        throw;
    }
    if (!sent) {
        abandon();
        return stop(GateStop::Cancelled);
    }
    hold.reset();
    result.job = std::move(*sent);
    host_.JobNews(result.job, PrintGateHost::News::Sent, SentGuidance(result.job.printer, result.job.id));
    Follow(result.job);
    if (waybill && recorder_) recorder_->Record(result.job);
    return result;
}

bool PrintGate::AskPrinterQuestions(const PrintRequest& request, const PrinterSituation& s, PrintAsker& asker)
{
    if (s.target.empty()) return true;  // the job reports that there is no printer
    const auto ask = [&](const std::string& question) { return asker.Ask(question, DefaultAnswer::No); };
    if (!s.status.reachable) throw EPrinter(PrinterTroubleMessage(s.target, s.status));
    if (s.registeredMissing && !ask(MissingPrinterQuestion(s.registered, s.target))) return false;
    if (const std::string trouble = PrinterTroubleMessage(s.target, s.status); !trouble.empty()) throw EPrinter(trouble);
    if (!NotReadyReasons(s.status).empty() && !ask(NotReadyQuestion(s.target, s.status))) return false;
    if (s.status.stopped && !ask(StoppedPrinterQuestion(s.target))) return false;
    if (const std::size_t waiting = EarlierJobsWaiting(request, s.target); waiting > 0)
        return ask(PendingJobsQuestion(s.target, waiting, s.status.reason));
    return true;
}

std::size_t PrintGate::EarlierJobsWaiting(const PrintRequest& request, const std::string& printer)
{
    if (std::none_of(sent_.begin(), sent_.end(), [&](const Sent& s) { return s.printer == printer; })) return 0;
    const std::vector<int> pending = PrinterSpooler().PendingJobs(printer);
    // Jobs of this printer that have ended are forgotten.
    std::erase_if(sent_, [&](const Sent& s) {
        return s.printer == printer && std::find(pending.begin(), pending.end(), s.id) == pending.end();
    });
    std::size_t waiting = 0;
    for (const Sent& s : sent_) {
        if (s.printer != printer) continue;
        const bool same = std::any_of(request.pages.begin(), request.pages.end(), [&](const PrintPage& p) {
            return std::find(s.keys.begin(), s.keys.end(), PageKey(request, p.record)) != s.keys.end();
        });
        waiting += same;
    }
    return waiting;
}

std::optional<SentJob> PrintGate::Send(const PrintRequest& request, const std::string& printer, PrintAsker& asker)
{
    SentJob job;
    job.printer = printer;
    job.origin = request.origin;
    job.pages = request.pages;
    // The job goes to the current printer, which the hold kept at the target.
    if (!printer.empty()) {
        const std::vector<std::string>& names = VpPrinter().GetPrinterNames();
        const int i = VpPrinter().GetIndex();
        if (i < 0 || static_cast<std::size_t>(i) >= names.size() || names[static_cast<std::size_t>(i)] != printer)
            throw EPrinter(PrinterTroubleMessage(printer, GoneStatus()));
    }
    std::vector<WaybillRecord> records;
    for (const PrintPage& p : request.pages) records.push_back(p.record);
    const WriteResolution written = [&](const std::string& x, const std::string& y) {
        if (IsWaybill(request.origin)) host_.ResolutionUsed(x, y);
    };
    const std::optional<int> id = PrintRecordsJob(records, request.title, request.draw, written,
                                                  [&](std::size_t done, std::size_t total) {
                                                      return asker.Progress(done, total);
                                                  });
    if (!id) return std::nullopt;
    job.id = *id;
    for (std::size_t i = 0; i < records.size(); ++i) job.pages[i].record = records[i];
    Sent sent{job.id, printer, {}};
    for (const PrintPage& p : request.pages) sent.keys.push_back(PageKey(request, p.record));
    if (job.id > 0) sent_.push_back(std::move(sent));
    return job;
}

void PrintGate::Follow(const SentJob& job)
{
    if (job.id <= 0 || followDurationMs_ <= 0) return;
    auto* timer = new QTimer(&followers_);
    // The news takes the job without its pages: what the window shows needs
    // only its number and printer.
    const SentJob brief{job.id, job.printer, job.origin, {}};
    const int ticks = std::max(1, followDurationMs_ / std::max(1, followIntervalMs_));
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, brief, ticks, tick = 0]() mutable {
        std::optional<std::pair<PrintGateHost::News, std::string>> news;
        try {
            const JobStatus status = PrinterSpooler().JobStatusOf(brief.id);
            switch (status.state) {
            case JobState::Completed:
                news.emplace(PrintGateHost::News::Printed, CompletedGuidance(brief.printer, brief.id));
                break;
            case JobState::Stopped:
            case JobState::Aborted:
            case JobState::Canceled:
                news.emplace(PrintGateHost::News::Failed, JobTroubleMessage(brief.printer, brief.id, status));
                break;
            default:
                if (++tick < ticks) return;
                // Why it waits: the job's words, else the printer's now.  A job
                // being printed with nothing said against it is no news.
                const std::string why =
                    status.reason.empty() ? PrinterSpooler().Status(brief.printer).reason : status.reason;
                const bool printing = status.state == JobState::Processing && why.empty();
                if (status.state != JobState::Unknown && !printing)
                    news.emplace(PrintGateHost::News::Waiting, WaitingGuidance(brief.printer, brief.id, why));
                break;
            }
        } catch (const std::exception&) {
            if (++tick < ticks) return;  // asked again at the next tick
        }
        timer->stop();
        timer->deleteLater();
        if (news) host_.JobNews(brief, news->first, news->second);
    });
    timer->start(followIntervalMs_);
}

}  // namespace hoxa
