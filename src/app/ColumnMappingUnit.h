// The column-mapping step "列の割り当て" for an order file of a shape the
// program does not know, or of a known export that lacks columns a waybill
// needs: for each waybill field the clerk picks a column, or
// up to four columns that are joined, seeing a sample of each column and of
// what the field would take.  The batch window keeps the result per header
// (ColumnMappingStore).
#pragma once

#include "orders/OrderFile.h"
#include "orders/OrderFormats.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace hoxa {

class TForm_ColumnMapping : public QDialog {
    Q_OBJECT
public:
    static constexpr std::size_t kJoinedColumns = 4;

    // table: the file's cells, which must outlive the dialog; start: the
    // columns chosen when it opens (what a known export's header gave).
    TForm_ColumnMapping(QWidget* parent, const OrderTable& table, const ColumnMapping& start = {});

    // The columns chosen so far (OK is enabled once the mapping is usable).
    ColumnMapping Mapping() const;
    // The box for the field's k-th column (k < kJoinedColumns): item 0 is
    // "（なし）", item c + 1 the file's column c.
    QComboBox* ColumnBox(OrderField field, std::size_t k) const;

private:
    void Update();

    const OrderTable& table_;
    std::array<std::array<QComboBox*, kJoinedColumns>, kOrderFields> boxes_{};
    std::array<QLabel*, kOrderFields> samples_{};
    QPushButton* ok_ = nullptr;
};

}  // namespace hoxa
