#include "app/JournalModel.h"

#include "base/Codec.h"
#include "journal/JournalColumns.h"

#include <QTimer>

namespace hoxa {

TJournalModel::TJournalModel(Journal& journal, QObject* parent) : QAbstractTableModel(parent), pager_(journal) {}

void TJournalModel::Search(const JournalQuery& query)
{
    beginResetModel();
    failed_ = false;
    try {
        pager_.Search(query);  // a failed search keeps the last list
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void TJournalModel::Reload()
{
    pager_.Forget();
    failed_ = false;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kJournalColumnCount - 1));
}

int TJournalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(pager_.Count());
}

int TJournalModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kJournalColumnCount; }

QVariant TJournalModel::data(const QModelIndex& index, int role) const
{
    // After a failure the rows stay blank until the next search: a server that
    // does not answer is waited for once, not once per cell.
    if (failed_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    try {
        const JournalEntry& e = pager_.At(static_cast<std::size_t>(index.row()));
        return ToQString(JournalCellText(e, static_cast<JournalColumn>(index.column())));
    } catch (const std::exception& e) {
        // Never into the view's painting: said once, after it.
        if (!failed_) {
            failed_ = true;
            const QString message = ToQString(e.what());
            auto* self = const_cast<TJournalModel*>(this);
            QTimer::singleShot(0, self, [self, message] { emit self->loadFailed(message); });
        }
        return {};
    }
}

QVariant TJournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kJournalColumnCount)
        return {};
    return ToQString(JournalColumnTitle(static_cast<JournalColumn>(section)));
}

}  // namespace hoxa
