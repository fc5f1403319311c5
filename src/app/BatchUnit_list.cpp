// The batch window's list: opening an order file (with the mapping step for a
// header met for the first time), the filter and checks, the record of a
// row, its preview, and the print of the checked rows.
#include "app/BatchUnit.h"

#include "app/BatchModel.h"
#include "app/ColumnMappingUnit.h"
#include "app/CpEdit.h"
#include "app/Settings.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/cp932.h"
#include "orders/ColumnMappingStore.h"
#include "orders/OrderBatch.h"
#include "print/WaybillPage.h"
#include "print/WaybillPreviewUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTableView>

#include <algorithm>

namespace hoxa {

namespace {

// The folder the chooser opens in: the one a file was last opened from in
// this run, else the downloads folder, where the shops' exports land.
QString& ChooserFolder()
{
    static QString folder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    }
    return folder;
}

}  // namespace

bool TForm_Batch::OpenFile(const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool waiting = true;
    const auto stopWaiting = qScopeGuard([&waiting] {
        if (waiting) QApplication::restoreOverrideCursor();
    });

    const QFileInfo info(path);
    const OrderTable table = ReadOrderFile(QFile::encodeName(info.absoluteFilePath()).toStdString());
    ColumnMappingStore store = ColumnMappingStore::InFolder(context_.workDir);
    OrderFormat draft;
    std::optional<OrderFormat> format = FindOrderFormat(table, store, &draft);
    if (!format) {
        QApplication::restoreOverrideCursor();
        waiting = false;
        TForm_ColumnMapping mapping(this, table, draft.mapping);
        if (mapping.exec() != QDialog::Accepted) return false;
        ChooseColumns(draft, mapping.Mapping());
        format = std::move(draft);
        try {
            store.Save(table.Header(), format->mapping);
        } catch (const std::exception& e) {
            ShowAppError(this, e.what());  // this file still opens; the next one asks again
        }
    }
    model_->SetBatch(OrderBatch(table, *format, FromQString(info.fileName()), context_.zipLookup));
    ChooserFolder() = info.absolutePath();
    fileLabel_->setText(ToQString(FromQString(info.fileName()) + "　（" + std::string(MarketplaceTitle(format->market)) +
                                  "）"));
    fileLabel_->setToolTip(info.absoluteFilePath());
    markedOnly_->setChecked(false);
    if (filter_->rowCount() > 0) list_->setCurrentIndex(filter_->index(0, TBatchModel::ColPrint));
    list_->setFocus(Qt::OtherFocusReason);
    ShowCurrentReasons();
    emit fileLoaded();
    return true;
}

void TForm_Batch::BitBtn_OpenClick()
{
    QFileDialog chooser(this, ToQString("注文ファイルを開く"), ChooserFolder(),
                        ToQString("注文ファイル (*.csv *.tsv *.txt *.CSV *.TSV *.TXT);;すべてのファイル (*)"));
    chooser.setObjectName(QStringLiteral("FileDialog_Orders"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    OpenFile(chooser.selectedFiles().front());
}

void TForm_Batch::CheckBox_MarkedOnlyClick()
{
    CommitEdit();
    const std::optional<std::size_t> current = CurrentRow();
    filter_->SetMarkedOnly(markedOnly_->isChecked());
    // The row under the cursor stays there when it is still listed.
    QModelIndex at = current ? filter_->mapFromSource(model_->index(static_cast<int>(*current), 0)) : QModelIndex();
    if (!at.isValid() && filter_->rowCount() > 0) at = filter_->index(0, 0);
    if (at.isValid()) list_->setCurrentIndex(at);
    ShowCounts();
}

void TForm_Batch::SetListedChecked(bool checked)
{
    std::vector<std::size_t> rows;
    rows.reserve(static_cast<std::size_t>(filter_->rowCount()));
    for (int r = 0; r < filter_->rowCount(); ++r)
        rows.push_back(static_cast<std::size_t>(filter_->mapToSource(filter_->index(r, 0)).row()));
    model_->SetChecked(rows, checked);
}

std::optional<std::size_t> TForm_Batch::CurrentRow() const
{
    const QModelIndex source = filter_->mapToSource(list_->currentIndex());
    if (!source.isValid()) return std::nullopt;
    return static_cast<std::size_t>(source.row());
}

void TForm_Batch::ShowCounts()
{
    const OrderBatch& batch = model_->Batch();
    std::string text = "送り状 " + IntToStr(static_cast<long long>(batch.Size())) + " 件　要確認 " +
                       IntToStr(static_cast<long long>(batch.MarkedCount())) + " 件　印刷する " +
                       IntToStr(static_cast<long long>(model_->CheckedCount())) + " 件";
    if (markedOnly_->isChecked()) text += "　（" + IntToStr(filter_->rowCount()) + " 件を表示）";
    countLabel_->setText(ToQString(text));
    const bool any = batch.Size() > 0;
    for (QWidget* w : std::initializer_list<QWidget*>{markedOnly_, checkAll_, uncheckAll_, preview_}) w->setEnabled(any);
    // Without the main window's print (BatchContext::print) 印刷 stays disabled.
    print_->setEnabled(context_.print && model_->CheckedCount() > 0);
}

// The guidance line: the reasons of the row under the cursor.
void TForm_Batch::ShowCurrentReasons()
{
    const std::optional<std::size_t> row = CurrentRow();
    std::string text;
    if (row) {
        for (const std::string& r : model_->Batch().Row(*row).AllReasons()) text += (text.empty() ? "" : "、") + r;
        if (!text.empty()) text = "要確認: " + text;
    }
    guidance_->setText(ToQString(text));
}

void TForm_Batch::ShowGuidance(std::string_view text) { guidance_->setText(ToQString(text)); }

// An edit still open in the list is taken (as leaving the cell takes it).
void TForm_Batch::CommitEdit()
{
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != list_ && list_->isAncestorOf(focus)) list_->setFocus(Qt::OtherFocusReason);
}

WaybillRecord TForm_Batch::RecordOf(std::size_t row) const { return WaybillOf(row, BaseRecord()).record; }

BatchWaybill TForm_Batch::WaybillOf(std::size_t row, const WaybillRecord& base) const
{
    BatchWaybill w;
    w.row = row;
    WaybillRecord& r = w.record;
    r = base;
    r.myZip = sender_[0];
    r.myAdd1 = sender_[1];
    r.myAdd2 = sender_[2];
    r.my = sender_[3];
    r.myTel = sender_[4];
    r.printSender = printSender_->isChecked();
    const QDate d = date_->date();
    r.dateText = FormatWaybillDate(d.year(), d.month(), d.day());
    r.printDate = printDate_->isChecked();
    r.deDate1 = deDate_[0]->Text();
    r.deDate2 = deDate_[1]->Text();
    r.deDate3 = deDate_[2]->Text();
    const BatchRow& source = model_->Batch().Row(row);
    FillWaybill(source, r);
    w.ref = source.ref;
    w.marks = source.DestinationMarks();
    w.otherMarks = source.OtherReasons();
    return w;
}

std::vector<BatchWaybill> TForm_Batch::CheckedWaybills() const
{
    const WaybillRecord base = BaseRecord();
    std::vector<BatchWaybill> out;
    out.reserve(model_->CheckedCount());
    for (std::size_t r = 0; r < model_->Size(); ++r)
        if (model_->Checked(r)) out.push_back(WaybillOf(r, base));
    return out;
}

void TForm_Batch::SpeedButton_F10Click()
{
    CommitEdit();
    const std::optional<std::size_t> row = CurrentRow();
    if (!row) return;
    const WaybillPage page = PreviewOfPrint(RecordOf(*row));
    const PreviewSize stored = LoadPreviewSize(context_.workDir);
    // Its 印刷 prints this row through the same print as 印刷 (which asks the
    // questions), and is refused while there is none.
    std::string marks;
    for (const std::string& r : model_->Batch().Row(*row).AllReasons()) marks += (marks.empty() ? "確認が必要: " : "、") + r;
    const PreviewNotes notes{context_.printTarget ? context_.printTarget() : std::string(), marks};
    TForm_WaybillPreview preview(
        this, page, notes,
        [this, r = *row](QWidget* dialog) { return PrintWaybills({WaybillOf(r, BaseRecord())}, dialog); },
        QSize(stored.width, stored.height));
    if (auto* print = preview.findChild<QPushButton*>(QStringLiteral("BitBtn_Print"))) print->setEnabled(bool(context_.print));
    preview.exec();
    SavePreviewSize(context_.workDir, {preview.width(), preview.height()});
    list_->setFocus(Qt::OtherFocusReason);
}

void TForm_Batch::BitBtn_PrintClick()
{
    CommitEdit();
    PrintWaybills(CheckedWaybills());
}

bool TForm_Batch::PrintWaybills(const std::vector<BatchWaybill>& waybills, QWidget* preview)
{
    if (!context_.print || waybills.empty()) return false;
    const BatchPrintResult result = context_.print(preview ? preview : this, waybills, !preview);
    if (result == BatchPrintResult::MarksDeclined && !preview) {
        // As F11 in the main window focuses the first marked field: the cursor
        // on the first marked row, whose reasons the guidance shows.
        const auto marked = std::find_if(waybills.begin(), waybills.end(), [](const BatchWaybill& w) {
            return w.marks.AnyMarked() || !w.otherMarks.empty();
        });
        const QModelIndex at = marked == waybills.end() ? QModelIndex()
                               : filter_->mapFromSource(model_->index(static_cast<int>(marked->row), TBatchModel::ColMarks));
        if (at.isValid()) list_->setCurrentIndex(at);
        list_->setFocus(Qt::OtherFocusReason);
    }
    if (result != BatchPrintResult::Sent) return false;
    std::vector<std::size_t> rows;
    for (const BatchWaybill& w : waybills) rows.push_back(w.row);
    const QString sent = guidance_->text();  // where the job went, kept over the rows' change
    model_->SetPrinted(rows, true);
    guidance_->setText(sent);
    return true;
}

}  // namespace hoxa
