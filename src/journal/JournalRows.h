// The journal's table as the stores hold it: the schema with its migrations,
// an entry as a row and back, and the keys the journal looks entries up by.
// Only the journal's own files include this.
#pragma once

#include "journal/JournalEntry.h"
#include "journal/SqlConnection.h"

#include <string>
#include <string_view>

namespace hoxa {

inline constexpr int kJournalSchemaVersion = 3;

// Creates the tables, or brings older ones up to this version (or target); the
// first station to connect does it, the others wait for it.  A journal of a
// newer version raises EJournal.
void MigrateJournal(SqlConnection& c, const std::string& storeName, int target = kJournalSchemaVersion);

// The columns of an entry as SELECT lists them (the row's id first) and as
// INSERT takes them ($1 ... $41, see EntryParams).
extern const char* const kEntrySelect;
extern const char* const kEntryInsert;

// The INSERT's parameters; the order claim only when claimOrder.
SqlParams EntryParams(const JournalEntry& e, bool claimOrder);
JournalEntry EntryFromRow(const SqlRow& row);

// The UTF-8 texts entries are looked up by.  DestinationKey: postal code, name
// and telephone after half-width conversion without blanks, the postal code and
// telephone also without hyphens, so that "0312345678" is "03-1234-5678" (empty
// when all three are).  OrderKey: marketplace and order id (empty without an order id).
// SearchText: the texts a search looks into, each in its search form:
// half-width, no blanks or hyphens, ASCII letters small, so that a typed
// "090-1234-5678" finds "０９０１２３４５６７８".
std::string DestinationKey(const WaybillRecord& w);
std::string OrderKey(const OrderRef& o);
std::string SearchText(const JournalEntry& e);

// What finds a typed text (CP932) in the search texts: its search form, that
// as a LIKE pattern (escape character "!"), both empty for a text without
// characters, and whether it holds three word characters in a row, so that a
// server's trigram index can find it.
struct SearchPattern {
    std::string text;
    std::string like;
    bool trigrams = false;
};
SearchPattern SearchPatternOf(std::string_view cp932);

}  // namespace hoxa
