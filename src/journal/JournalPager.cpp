#include "journal/JournalPager.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace hoxa {

JournalPager::JournalPager(Journal& journal, std::size_t pageSize, std::size_t pagesKept)
    : journal_(journal), pageSize_(std::max<std::size_t>(1, pageSize)), pagesKept_(std::max<std::size_t>(1, pagesKept))
{
}

void JournalPager::Search(const JournalQuery& query)
{
    const JournalFirstPage first = journal_.SearchFirst(query, pageSize_);
    query_ = query;
    count_ = first.count;
    ids_.clear();
    for (const JournalMark& m : first.rows) ids_.push_back(m.id);
    last_ = first.rows.empty() ? JournalMark{} : first.rows.back();
    complete_ = ids_.size() >= count_;
    Forget();
}

void JournalPager::Reach(std::size_t row) const
{
    const std::size_t end = std::min(count_, (row / pageSize_ + 1) * pageSize_);
    if (complete_ || ids_.size() >= end) return;
    const std::size_t wanted = end - ids_.size();
    const std::vector<JournalMark> more = journal_.SearchAfter(query_, last_, wanted);
    for (const JournalMark& m : more) ids_.push_back(m.id);
    if (!more.empty()) last_ = more.back();
    // Fewer than wanted: entries were removed since the count was taken.
    complete_ = more.size() < wanted || ids_.size() >= count_;
}

JournalId JournalPager::IdAt(std::size_t row) const
{
    if (row >= count_) throw std::out_of_range("JournalPager::IdAt");
    Reach(row);
    return row < ids_.size() ? ids_[row] : 0;
}

const JournalEntry& JournalPager::At(std::size_t row)
{
    if (row >= count_) throw std::out_of_range("JournalPager::At");
    const std::size_t page = row / pageSize_;
    auto it = pages_.find(page);
    if (it == pages_.end()) {
        Reach(row);
        const std::size_t first = page * pageSize_;
        const std::size_t n = std::min(pageSize_, count_ - first);
        const std::size_t known = ids_.size() > first ? std::min(n, ids_.size() - first) : 0;
        const auto ids = std::span<const JournalId>(ids_).subspan(std::min(first, ids_.size()), known);
        std::vector<JournalEntry> loaded = journal_.Load(ids);
        std::vector<JournalEntry> rows(n);
        std::size_t k = 0;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (k < loaded.size() && loaded[k].id == ids[i]) rows[i] = std::move(loaded[k++]);
            else rows[i].id = ids[i];
        }
        if (pages_.size() >= pagesKept_ && !used_.empty()) {
            pages_.erase(used_.front());
            used_.erase(used_.begin());
        }
        it = pages_.emplace(page, std::move(rows)).first;
    }
    used_.erase(std::remove(used_.begin(), used_.end(), page), used_.end());
    used_.push_back(page);
    return it->second.at(row - page * pageSize_);
}

}  // namespace hoxa
