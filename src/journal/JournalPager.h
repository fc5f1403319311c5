// The rows of the journal window: a search's count at once, its ids (newest
// first) and the entries of the rows in view a page at a time, so that a table
// model answers rowCount at once and data() loads only what is shown.
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
    std::size_t Count() const { return count_; }
    // The id of a row, finding the ids up to its page first when needed (raises
    // EJournal).  0 for the last rows when entries were removed meanwhile.
    JournalId IdAt(std::size_t row) const;
    // The entry of a row, loading its page when needed (raises EJournal).  An
    // entry another station removed meanwhile comes back with only its id.
    const JournalEntry& At(std::size_t row);
    // Pages are loaded again on their next use (after an edit).
    void Forget() { pages_.clear(); used_.clear(); }

private:
    // The ids of the rows up to the end of row's page are known.
    void Reach(std::size_t row) const;

    Journal& journal_;
    std::size_t pageSize_;
    std::size_t pagesKept_;
    JournalQuery query_;
    std::size_t count_ = 0;
    // The rows' ids found so far, the entry of the last, and whether there are
    // no more to find.
    mutable std::vector<JournalId> ids_;
    mutable JournalMark last_;
    mutable bool complete_ = false;
    std::map<std::size_t, std::vector<JournalEntry>> pages_;
    std::vector<std::size_t> used_;  // page numbers, least recently used first
};

}  // namespace hoxa
