#include "journal/JournalPager.h"

#include <algorithm>
#include <span>

namespace hoxa {

JournalPager::JournalPager(Journal& journal, std::size_t pageSize, std::size_t pagesKept)
    : journal_(journal), pageSize_(std::max<std::size_t>(1, pageSize)), pagesKept_(std::max<std::size_t>(1, pagesKept))
{
}

void JournalPager::Search(const JournalQuery& query)
{
    ids_ = journal_.Search(query);
    Forget();
}

const JournalEntry& JournalPager::At(std::size_t row)
{
    const std::size_t page = row / pageSize_;
    auto it = pages_.find(page);
    if (it == pages_.end()) {
        const std::size_t first = page * pageSize_;
        const std::span<const JournalId> ids(ids_.data() + first, std::min(pageSize_, ids_.size() - first));
        std::vector<JournalEntry> loaded = journal_.Load(ids);
        std::vector<JournalEntry> rows(ids.size());
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
