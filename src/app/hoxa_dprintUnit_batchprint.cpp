// The batch window's print: its waybills through the gate as one job, a page
// each in list order, with the questions of every print and the count last.
#include "app/hoxa_dprintUnit.h"

#include "app/PrintProgress.h"
#include "base/cp932.h"

namespace hoxa {

BatchPrintResult TForm_Main::PrintBatch(QWidget* parent, const std::vector<BatchWaybill>& waybills, bool askFinal)
{
    std::vector<PrintPage> pages(waybills.size());
    for (std::size_t i = 0; i < waybills.size(); ++i) {
        pages[i].record = waybills[i].record;
        pages[i].marks = waybills[i].marks;
        pages[i].otherMarks = waybills[i].otherMarks;
        pages[i].order = waybills[i].ref;
    }
    PrintRequest request = PrintRequest::For(PrintOrigin::Batch, std::move(pages), registeredPrinter_);
    request.askFinal = askFinal;
    request.finalQuestion = IntToStr(static_cast<long long>(waybills.size())) + " 件の送り状を印刷しますか?";
    ProgressAsker asker(parent ? parent : this);
    const GateResult r = gate_.Run(request, asker);
    return r.Sent() ? BatchPrintResult::Sent
           : r.stop == GateStop::Marks ? BatchPrintResult::MarksDeclined
                                       : BatchPrintResult::NotSent;
}

}  // namespace hoxa
