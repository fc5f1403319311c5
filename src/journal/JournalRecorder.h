// The journal in the print gate: every waybill handed to CUPS is written as
// pending before the job is sent (Prepare) and marked printed with the job's
// number once CUPS has taken it (Record); nothing stays behind when nothing was
// sent (Abandon).  Before that, the double-print question: a waybill whose
// order was printed before, or whose destination was printed in the last 14
// days, is asked about, No by default.  A batch is asked about once, naming
// how many of its pages were printed before.  Pages that print a journal entry
// again (reprintOf) are not asked about: reprinting is what the clerk chose.
#pragma once

#include "journal/Journal.h"
#include "print/PrintGate.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace hoxa {

class JournalRecorder : public PrintRecorder {
public:
    // paperFeed: the window's paper feed now (0 手差し, 1 連続(４インチ)).
    // notice: shows a notice the journal has for the user (a damaged file set
    // aside and a new one started).
    JournalRecorder(Journal& journal, std::function<int()> paperFeed,
                    std::function<void(const std::string&)> notice);

    bool AskAboutEarlierPrints(const PrintRequest& request, const std::string& printer, PrintAsker& asker) override;
    Readiness Prepare(const PrintRequest& request, const std::string& printer, PrintAsker& asker) override;
    void Record(const SentJob& job) override;
    void Abandon(const PrintRequest& request) override;

private:
    void Notify();

    Journal& journal_;
    std::function<int()> paperFeed_;
    std::function<void(const std::string&)> notice_;
    std::vector<JournalId> pending_;  // prepared, not yet recorded or abandoned
    std::string lookupFailure_;       // why the look-up before the questions failed
    // The pages whose order was printed before and which the clerk chose to
    // print again: their order's claim is not asked about a second time.
    std::set<std::size_t> confirmedOrders_;
};

}  // namespace hoxa
