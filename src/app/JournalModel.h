// The journal window's list: a search's entries, newest first, on a model that
// loads only the rows the view shows (a page at a time, JournalPager), so that
// a journal of 100,000 entries opens at once.
#pragma once

#include "journal/JournalPager.h"

#include <QAbstractTableModel>

#include <cstddef>

namespace hoxa {

class TJournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TJournalModel(Journal& journal, QObject* parent = nullptr);

    // Runs the search; the list shows its entries.  Raises EJournal.
    void Search(const JournalQuery& query);
    std::size_t Count() const { return pager_.Count(); }
    JournalId IdAt(int row) const { return pager_.IdAt(static_cast<std::size_t>(row)); }
    // The entry of a row (raises EJournal).
    const JournalEntry& EntryAt(int row) { return pager_.At(static_cast<std::size_t>(row)); }
    // The shown rows are read again from the journal (after an edit).
    void Reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // Rows could not be read (the journal's message, CP932 made QString); said
    // once until the next search.
    void loadFailed(const QString& message);

private:
    mutable JournalPager pager_;
    mutable bool failed_ = false;
};

}  // namespace hoxa
