// The rows of the journal window: a search's ids (newest first) and the entries
// of the rows in view, loaded a page at a time, so that a table model answers
// rowCount at once and data() loads only what is shown.
#pragma once

#include "journal/Journal.h"

#include <cstddef>
#include <map>
#include <vector>

namespace hoxa {

class JournalPager {
public:
    explicit JournalPager(Journal& journal, std::size_t pageSize = 100, std::size_t pagesKept = 16);

    // Runs the search; raises EJournal.
    void Search(const JournalQuery& query);
    std::size_t Count() const { return ids_.size(); }
    JournalId IdAt(std::size_t row) const { return ids_.at(row); }
    // The entry of a row, loading its page when needed (raises EJournal).  An
    // entry another station removed meanwhile comes back with only its id.
    const JournalEntry& At(std::size_t row);
    // Pages are loaded again on their next use (after an edit).
    void Forget() { pages_.clear(); used_.clear(); }

private:
    Journal& journal_;
    std::size_t pageSize_;
    std::size_t pagesKept_;
    std::vector<JournalId> ids_;
    std::map<std::size_t, std::vector<JournalEntry>> pages_;
    std::vector<std::size_t> used_;  // page numbers, least recently used first
};

}  // namespace hoxa
