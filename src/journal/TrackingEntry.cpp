#include "journal/TrackingEntry.h"

#include "base/cp932.h"
#include "journal/JournalText.h"

namespace hoxa {

std::string TrackingHeldQuestion(std::string_view number, const JournalEntry& holder, std::size_t holders)
{
    const std::string name = Trim(holder.waybill.custo1);
    std::string text = "伝票番号 " + FormatTrackingNumber(number) + " は " + FormatPrintTime(holder.printedAt) +
                       " に印刷した" + (name.empty() ? std::string() : " " + name + " 様の") + "送り状に入力済みです";
    if (holders > 1) text += " (ほか " + IntToStr(static_cast<long long>(holders - 1)) + " 件)";
    return text + "。この送り状にも入力しますか?";
}

TrackingResult StoreTracking(Journal& journal, JournalId id, const TrackingCheck& check,
                             const std::function<bool(const std::string&)>& ask)
{
    if (!check.Ok()) return {TrackingOutcome::Refused, check.error};
    const std::vector<JournalEntry> holders = journal.HoldersOfTracking(check.number, id);
    if (!holders.empty() && !ask(TrackingHeldQuestion(check.number, holders.front(), holders.size())))
        return {TrackingOutcome::Declined, {}};
    journal.SetTracking(id, check.number);
    return {TrackingOutcome::Stored, {}};
}

}  // namespace hoxa
