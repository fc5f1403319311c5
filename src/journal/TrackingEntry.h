// A tracking number typed or scanned for one journal entry: refused when it
// fails the courier's check, asked about when another entry holds it already,
// then stored.  The journal window and its "伝票番号入力" walk both go through it.
#pragma once

#include "journal/Journal.h"
#include "journal/Tracking.h"

#include <functional>
#include <string>
#include <string_view>

namespace hoxa {

enum class TrackingOutcome { Stored, Refused, Declined };

struct TrackingResult {
    TrackingOutcome outcome = TrackingOutcome::Refused;
    std::string message;  // why it was refused (CP932, ends in "。")
};

// Stores check.number for the entry id, or refuses it with check.error.  ask
// gets the question (No by default) when other entries hold the number.
// Raises EJournal.
TrackingResult StoreTracking(Journal& journal, JournalId id, const TrackingCheck& check,
                             const std::function<bool(const std::string&)>& ask);

// "伝票番号 1234-5678-9013 は 12/07 14:05 に印刷した 山田 太郎 様の送り状に入力済みです。…"
std::string TrackingHeldQuestion(std::string_view number, const JournalEntry& holder, std::size_t holders);

}  // namespace hoxa
