#include "journal/JournalRecorder.h"

#include "base/cp932.h"
#include "journal/JournalText.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace hoxa {

namespace {

// A print of `pages` pages of which `printed` were printed before, the latest at printedAt.
std::string EarlierPrintQuestion(std::size_t pages, std::size_t printed, std::int64_t printedAt)
{
    if (pages == 1) return DoublePrintQuestion(printedAt);
    return IntToStr(static_cast<long long>(pages)) + " 件のうち " + IntToStr(static_cast<long long>(printed)) +
           " 件の送り状は印刷済みです (最後は " + FormatPrintTime(printedAt) + ")。もう一度印刷しますか?";
}

std::vector<JournalEntry> EntriesOfPrint(const PrintRequest& request, const std::string& printer, int paperFeed)
{
    // The pages of one job share a batch: "伝票番号入力" walks them in print order.
    const bool batch = request.origin == PrintOrigin::Batch || request.pages.size() > 1;
    const std::string batchUid = batch ? NewJournalUid() : std::string();
    const std::string station = StationName();
    std::vector<JournalEntry> entries;
    entries.reserve(request.pages.size());
    for (const PrintPage& page : request.pages) {
        JournalEntry& e = entries.emplace_back();
        e.station = station;
        e.printer = printer;
        e.paperFeed = paperFeed;
        e.waybill = page.record;
        e.order = page.order;
        e.batch = batchUid;
        e.reprintOf = page.reprintOf;
    }
    return entries;
}

int Dpi(const std::string& text)
{
    std::int32_t v = 0;
    return TryStrToInt(text, v) ? v : 0;
}

}  // namespace

JournalRecorder::JournalRecorder(Journal& journal, std::function<int()> paperFeed,
                                 std::function<void(const std::string&)> notice)
    : journal_(journal), paperFeed_(std::move(paperFeed)), notice_(std::move(notice))
{
}

void JournalRecorder::Notify()
{
    if (const std::string text = journal_.TakeNotice(); !text.empty() && notice_) notice_(text);
}

bool JournalRecorder::AskAboutEarlierPrints(const PrintRequest& request, const std::string&, PrintAsker& asker)
{
    lookupFailure_.clear();
    confirmedOrders_.clear();
    std::vector<std::pair<WaybillRecord, OrderRef>> asked;
    std::vector<std::size_t> pageOf;  // the page of each look-up
    for (std::size_t i = 0; i < request.pages.size(); ++i) {
        const PrintPage& p = request.pages[i];
        if (!p.reprintOf.empty()) continue;
        asked.emplace_back(p.record, p.order);
        pageOf.push_back(i);
    }
    if (asked.empty()) return true;
    std::vector<std::optional<EarlierPrint>> earlier;
    try {
        earlier = journal_.FindEarlierPrints(asked, NowMs());
    } catch (const EJournal& e) {
        lookupFailure_ = e.what();  // Prepare says so, without waiting for the store a second time
        return true;
    }
    Notify();
    std::size_t printed = 0;
    std::int64_t latest = 0;
    for (const auto& e : earlier) {
        if (!e) continue;
        ++printed;
        latest = std::max(latest, e->printedAt);
    }
    if (printed == 0) return true;
    if (!asker.Ask(EarlierPrintQuestion(request.pages.size(), printed, latest), DefaultAnswer::No)) return false;
    for (std::size_t k = 0; k < earlier.size(); ++k)
        if (earlier[k] && earlier[k]->sameOrder) confirmedOrders_.insert(pageOf[k]);
    return true;
}

PrintRecorder::Readiness JournalRecorder::Prepare(const PrintRequest& request, const std::string& printer,
                                                  PrintAsker& asker)
{
    pending_.clear();
    const std::set<std::size_t> confirmed = std::exchange(confirmedOrders_, {});  // this print's answers only
    if (!lookupFailure_.empty()) return {std::exchange(lookupFailure_, {})};
    std::vector<JournalEntry> entries = EntriesOfPrint(request, printer, paperFeed_ ? paperFeed_() : 0);
    try {
        // Another station may print the same order between the question and
        // now: its claim wins, and this print is asked about as one printed
        // before; Yes prints it as a reprint of that print.
        for (int round = 0; round < 3; ++round) {
            const Recording rec = journal_.Prepare(entries);
            if (!rec.notice.empty() && notice_) notice_(rec.notice);
            if (rec.conflicts.empty()) {
                pending_ = rec.ids;
                return {};
            }
            std::int64_t latest = 0;
            std::size_t unasked = 0;  // conflicts the clerk has not answered for yet
            for (const auto& [i, p] : rec.conflicts) {
                if (confirmed.count(i)) continue;
                ++unasked;
                latest = std::max(latest, p.printedAt);
            }
            if (unasked && !asker.Ask(EarlierPrintQuestion(entries.size(), unasked, latest), DefaultAnswer::No))
                return {{}, true};
            for (const auto& [i, p] : rec.conflicts) entries[i].reprintOf = p.uid;
        }
        return {"印刷履歴に記録できません。同じ注文がほかの端末で続けて印刷されています。"};
    } catch (const EJournal& e) {
        return {e.what()};
    }
}

void JournalRecorder::Record(const SentJob& job)
{
    const std::vector<JournalId> ids = std::exchange(pending_, {});
    if (ids.empty()) return;
    const WaybillRecord& first = job.pages.empty() ? WaybillRecord{} : job.pages.front().record;
    try {
        journal_.Commit(ids, job.id, job.printer, Dpi(first.dpix), Dpi(first.dpiy));
    } catch (const EJournal& e) {
        // The entries stay pending, which counts as printed.
        throw EJournal(std::string(e.what()) + "\n送り状は印刷に送りました。印刷履歴には「送信中」として残ります。");
    }
}

void JournalRecorder::Abandon(const PrintRequest&)
{
    const std::vector<JournalId> ids = std::exchange(pending_, {});
    if (ids.empty()) return;
    try {
        journal_.Abandon(ids);
    } catch (const EJournal&) {
        // Left pending: such an entry counts as printed, which errs on the safe
        // side of the double-print question; the print's own outcome is what
        // the clerk needs to hear now.
    }
}

}  // namespace hoxa
