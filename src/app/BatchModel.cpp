#include "app/BatchModel.h"

#include "app/CpEdit.h"
#include "app/hoxa_dprintUnit.h"
#include "base/Codec.h"
#include "base/cp932.h"
#include "transfer/HalfWidth.h"

#include <algorithm>

namespace hoxa {

namespace {

QString Joined(const std::vector<std::string>& reasons, std::string_view glue)
{
    std::string text;
    for (const auto& r : reasons) {
        if (!text.empty()) text += glue;
        text += r;
    }
    return ToQString(text);
}

}  // namespace

TBatchModel::TBatchModel(QObject* parent) : QAbstractTableModel(parent) {}

void TBatchModel::SetBatch(OrderBatch batch)
{
    beginResetModel();
    batch_ = std::move(batch);
    checked_.assign(batch_.Size(), 1);
    printed_.assign(batch_.Size(), 0);
    checkedCount_ = batch_.Size();
    endResetModel();
    emit rowsStateChanged();
}

void TBatchModel::SetChecked(std::size_t row, bool checked) { SetChecked(std::vector<std::size_t>{row}, checked); }

void TBatchModel::SetChecked(const std::vector<std::size_t>& rows, bool checked)
{
    std::size_t first = SIZE_MAX, last = 0;
    for (const std::size_t row : rows) {
        if (Checked(row) == checked) continue;
        checked_[row] = checked;
        checkedCount_ += checked ? 1 : -1;
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (first > last) return;
    emit dataChanged(index(static_cast<int>(first), ColPrint), index(static_cast<int>(last), ColPrint),
                     {Qt::CheckStateRole});
    emit rowsStateChanged();
}

void TBatchModel::SetPrinted(std::size_t row, bool printed) { SetPrinted(std::vector<std::size_t>{row}, printed); }

void TBatchModel::SetPrinted(const std::vector<std::size_t>& rows, bool printed)
{
    if (rows.empty()) return;
    for (const std::size_t row : rows) printed_[row] = printed;
    if (printed) SetChecked(rows, false);
    const auto [first, last] = std::minmax_element(rows.begin(), rows.end());
    RowsChanged(*first, *last);
}

void TBatchModel::RowsChanged(std::size_t first, std::size_t last)
{
    emit dataChanged(index(static_cast<int>(first), 0), index(static_cast<int>(last), ColumnCount - 1));
    emit rowsStateChanged();
}

std::optional<WaybillField> TBatchModel::FieldOf(int column)
{
    if (column < ColZip || column > ColG3) return std::nullopt;
    return static_cast<WaybillField>(column - ColZip);
}

int TBatchModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(batch_.Size());
}

int TBatchModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TBatchModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    const std::size_t r = static_cast<std::size_t>(index.row());
    const BatchRow& row = batch_.Row(r);
    const int column = index.column();
    const std::optional<WaybillField> field = FieldOf(column);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (field) return ToQString(row.Field(*field));
        if (column == ColOrderId) return ToQString(row.ref.orderId);
        if (column == ColMarks) return Joined(row.AllReasons(), "、");
        if (column == ColPrinted && Printed(r)) return ToQString("印刷済");
        return {};
    case Qt::CheckStateRole:
        if (column == ColPrint) return Checked(r) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::BackgroundRole:
        if (field ? !row.Reasons(*field).empty() : column == ColMarks && row.Marked()) return CheckMarkFill();
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        // A marked field its own reasons; any other cell of a marked row all of them.
        if (field && !row.Reasons(*field).empty()) return Joined(row.Reasons(*field), "\n");
        if (row.Marked()) return Joined(row.AllReasons(), "\n");
        return {};
    case PrintedRole:
        return Printed(r);
    case MarkedRole:
        return row.Marked();
    default:
        return {};
    }
}

QVariant TBatchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // The line of the file where the waybill's order begins.
        if (section < 0 || static_cast<std::size_t>(section) >= batch_.Size()) return {};
        const std::size_t line = batch_.Row(static_cast<std::size_t>(section)).line;
        if (role == Qt::DisplayRole) return QString::number(line);
        if (role == Qt::ToolTipRole) return ToQString("ファイルの " + IntToStr(static_cast<long long>(line)) + " 行目");
        return {};
    }
    if (role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
    if (const auto field = FieldOf(section)) return ToQString(WaybillFieldCaption(*field));
    static constexpr const char* captions[] = {"印刷", "確認", "注文番号"};
    if (section < ColZip) return ToQString(captions[section]);
    return ToQString("印刷済");
}

Qt::ItemFlags TBatchModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ColPrint) f |= Qt::ItemIsUserCheckable;
    if (FieldOf(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool TBatchModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid()) return false;
    const std::size_t r = static_cast<std::size_t>(index.row());
    if (role == PrintedRole) {
        SetPrinted(r, value.toBool());
        return true;
    }
    if (role == Qt::CheckStateRole && index.column() == ColPrint) {
        SetChecked(r, static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
        return true;
    }
    const std::optional<WaybillField> field = FieldOf(index.column());
    if (role != Qt::EditRole || !field) return false;
    // The edited field's marks go, and the row is checked again: other
    // fields' marks may come or go with it (postal code against address).
    batch_.Edit(r, *field, FromQString(value.toString()));
    RowsChanged(r, r);
    return true;
}

// ------------------------------------------------------------------ filter

TMarkedRowsFilter::TMarkedRowsFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(false);
}

void TMarkedRowsFilter::SetMarkedOnly(bool on)
{
    markedOnly_ = on;
    invalidateFilter();
}

bool TMarkedRowsFilter::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    return !markedOnly_ || sourceModel()->index(row, 0, parent).data(TBatchModel::MarkedRole).toBool();
}

// ------------------------------------------------------------------ editing

QWidget* TBatchFieldDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const
{
    const std::optional<WaybillField> field = TBatchModel::FieldOf(index.column());
    if (!field) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* edit = new TCpEdit(parent);
    edit->setFrame(false);
    edit->SetMaxBytes(static_cast<int>(WaybillFieldLimit(*field)));
    const bool number = *field == WaybillField::Zip || *field == WaybillField::Tel;
    const bool goods = *field >= WaybillField::G1;
    edit->SetImeMode(number ? ImeMode::Disabled : goods ? ImeMode::Open : ImeMode::Hiragana);
    if (number) edit->SetPasteConversion([](std::string_view s) { return ToHalfWidth(s); });
    auto* self = const_cast<TBatchFieldDelegate*>(this);  // createEditor is const, the signal is not
    connect(edit, &TCpEdit::charsReplaced, self, [self, column = index.column()] { emit self->charsReplaced(column); });
    return edit;
}

void TBatchFieldDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* edit = qobject_cast<TCpEdit*>(editor)) edit->SetText(FromQString(index.data(Qt::EditRole).toString()));
    else QStyledItemDelegate::setEditorData(editor, index);
}

void TBatchFieldDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* edit = qobject_cast<TCpEdit*>(editor);
    if (!edit) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // Leaving a field unchanged is no edit: its marks stay.
    if (edit->isModified()) model->setData(index, edit->text(), Qt::EditRole);
}

}  // namespace hoxa
