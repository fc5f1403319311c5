// The batch window's list: one row per waybill of an order file, in file
// order, on a model that the table view asks only for the rows it shows.
// Each row has its check box "印刷", its marks (the reasons, also as tooltips,
// in amber like the main window's), the order id, the waybill's fields, which
// the clerk edits in place with the main window's limits and conversions, and
// "印刷済" once its waybill has been printed.
#pragma once

#include "orders/OrderBatch.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>

#include <cstddef>
#include <optional>
#include <vector>

namespace hoxa {

class TBatchModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColPrint, ColMarks, ColOrderId,
        ColZip, ColAdd1, ColAdd2, ColName, ColTel, ColG1, ColG2, ColG3,  // the waybill's fields, in WaybillField order
        ColPrinted,
        ColumnCount
    };
    // Of every cell of a row: whether its waybill has been printed (bool);
    // setting it true also takes the row's check away, so that a second
    // 印刷 does not print it again (the journal sets it for orders printed
    // before the file was opened).
    static constexpr int PrintedRole = Qt::UserRole + 1;
    // Of every cell of a row: whether the row has marks (bool).
    static constexpr int MarkedRole = Qt::UserRole + 2;

    explicit TBatchModel(QObject* parent = nullptr);

    // A new list: every row checked, none printed.
    void SetBatch(OrderBatch batch);
    const OrderBatch& Batch() const { return batch_; }
    std::size_t Size() const { return batch_.Size(); }

    bool Checked(std::size_t row) const { return checked_[row] != 0; }
    void SetChecked(std::size_t row, bool checked);
    // The same for many rows at once (one change of the counts, not one per row).
    void SetChecked(const std::vector<std::size_t>& rows, bool checked);
    std::size_t CheckedCount() const { return checkedCount_; }
    bool Printed(std::size_t row) const { return printed_[row] != 0; }
    void SetPrinted(std::size_t row, bool printed);
    void SetPrinted(const std::vector<std::size_t>& rows, bool printed);

    // The field a column shows and edits; nullopt for the other columns.
    static std::optional<WaybillField> FieldOf(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // A check, a mark or a printed state changed (the counts and the print button follow).
    void rowsStateChanged();

private:
    void RowsChanged(std::size_t first, std::size_t last);

    OrderBatch batch_;
    std::vector<char> checked_, printed_;
    std::size_t checkedCount_ = 0;
};

// The list as shown: every row, or only the marked ones ("要確認のみ").  Rows
// are not dropped or added as they change, only when the filter is applied
// again, so that a row the clerk has just put right stays in sight.
class TMarkedRowsFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TMarkedRowsFilter(QObject* parent = nullptr);
    void SetMarkedOnly(bool on);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    bool markedOnly_ = false;
};

// Edits a field cell in one of the main window's fields: its byte limit, its
// input-method mode, postal code and telephone pasted in half-width; the model
// converts and checks the text as the main window does (OrderBatch::Edit).
class TBatchFieldDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    // A typed or pasted character CP932 cannot hold became 〓 in this field.
    void charsReplaced(int column);
};

}  // namespace hoxa
