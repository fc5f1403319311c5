// Tracking numbers (伝票番号): the courier's check, the forms of a scanner's or a
// clerk's input, and the walk that numbers a batch's entries after printing.
#pragma once

#include "journal/Couriers.h"
#include "journal/JournalEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

struct TrackingCheck {
    std::string number;  // 12 ASCII digits when accepted
    std::string error;   // why not (CP932, ends in "。"); empty when accepted
    bool Ok() const { return error.empty(); }
};

// Accepts 12 digits, half- or full-width, in one run or in groups of four joined
// by hyphens ("1234-5678-9012"), blanks and line ends (a scanner's Enter)
// around them; then applies the courier's rule.
TrackingCheck CheckTrackingNumber(std::string_view typed, TrackingRule rule);

// The 7DR check digit of eleven ASCII digits: their number modulo 7.
char SevenDRCheckDigit(std::string_view eleven);

// The number of the next form: the serial (the first eleven digits under 7DR,
// all twelve without a check digit) plus one, with its check digit.  Empty
// after the last serial.
std::string NextTrackingNumber(std::string_view number, TrackingRule rule);

// "1234-5678-9012" for 12 digits; other texts as they are.
std::string FormatTrackingNumber(std::string_view number);

// "伝票番号入力" after a batch: the entries in print order, one at a time.  The
// clerk scans the first form; every following entry is offered the next serial,
// which Enter takes and any scan overrides.  A spoilt form skips a number.
class TrackingWalk {
public:
    TrackingWalk(std::vector<JournalId> entries, TrackingRule rule);

    bool Done() const { return pos_ >= entries_.size(); }
    std::size_t Position() const { return pos_; }
    std::size_t Count() const { return entries_.size(); }
    JournalId Current() const { return Done() ? 0 : entries_[pos_]; }
    // The number offered to the current entry; empty before the first scan.
    const std::string& Offered() const { return offered_; }

    // What Enter in the box means: the typed number checked, or with nothing
    // typed the offered one.
    TrackingCheck Propose(std::string_view typed) const;
    // The current entry took `number` (after the journal stored it): the walk
    // moves on and offers the serial after it.
    void Accept(const std::string& number);
    // The form in the printer is spoilt: its number is skipped.
    void SkipForm();
    // The current entry gets no number now.
    void SkipEntry() { if (!Done()) ++pos_; }

private:
    std::vector<JournalId> entries_;
    TrackingRule rule_;
    std::size_t pos_ = 0;
    std::string offered_;
};

}  // namespace hoxa
