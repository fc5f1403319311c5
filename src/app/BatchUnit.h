// The batch window "一括印刷": a shop's order file (CSV/TSV) made into one
// checked waybill per order, listed in file order.  The clerk looks at the
// marked rows, edits fields in place, picks the sender slot, the dates and
// what to print, previews a row (F10) and prints the checked rows (印刷)
// through the main window's print.  The order-file work is the pure core in
// src/orders; this window only wires controls to it.
#pragma once

#include "app/SenderSlot.h"
#include "orders/OrderRef.h"
#include "print/WaybillLayout.h"
#include "transfer/TransferCheck.h"

#include <QDialog>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

namespace hoxa {

class TBatchModel;
class TCpEdit;
class TMarkedRowsFilter;

// One waybill of a batch print.
struct BatchWaybill {
    std::size_t row = 0;      // its row in the list (file order)
    WaybillRecord record;     // what its page prints
    OrderRef ref;             // the order it came from
    CheckResult marks;        // the reasons to look at its destination fields
    std::vector<std::string> otherMarks;  // the row's own reasons and its goods lines' (CP932)
};

// What became of a batch print: the job accepted, nothing sent, or nothing
// sent because the clerk wants to look at the marked waybills first.
enum class BatchPrintResult { Sent, NotSent, MarksDeclined };

// The main window's print of a batch: prints the waybills as one job, one page
// each in the order given, after its own questions over `parent` (marks,
// printer, and with `askFinal` the count).  Errors are raised to the caller,
// who shows them.
using BatchPrintHook = std::function<BatchPrintResult(QWidget* parent, const std::vector<BatchWaybill>& waybills,
                                                      bool askFinal)>;

// What the batch window takes from the main window.
struct BatchContext {
    std::string workDir;  // the working folder (local 8-bit bytes)
    // The main window's waybill now: its margins and resolution go into every
    // page; its sender check box, dates and desired date are where the
    // window's own start.
    std::function<WaybillRecord()> currentWaybill;
    int senderSlot = 0;          // the slot chosen at first (the main window's tab)
    ZipAddressLookup zipLookup;  // postal code against address, for the check
    BatchPrintHook print;        // empty: the window cannot print
    // Where a print would go now and why (the preview's printer line).
    std::function<std::string()> printTarget;
};

class TForm_Batch : public QDialog {
    Q_OBJECT
public:
    // parent: the main window; file: the order file to open as soon as the
    // window shows (empty: the file chooser opens then); size: the size to open
    // with, an empty size for the default.
    TForm_Batch(QWidget* parent, BatchContext context, QString file, QSize size);
    ~TForm_Batch() override;

    TBatchModel& Model() const { return *model_; }
    QTableView* List() const { return list_; }

    // Reads the order file and lists its waybills, after the mapping step when
    // its header is neither a known export's nor one mapped before.  false when
    // the clerk cancelled the mapping step; the list is then left as it was.
    // A file that cannot be read raises EOrderFile, and nothing of it is kept.
    bool OpenFile(const QString& path);
    // "ファイルを開く": the file chooser (*.csv *.tsv *.txt), then OpenFile.
    void BitBtn_OpenClick();

    // "要確認のみ": only the marked rows are listed.  A row that an edit
    // clears stays in sight until the filter is applied again.
    void CheckBox_MarkedOnlyClick();
    // "すべて印刷する" / "すべて外す": every row listed (under the filter: the marked ones).
    void SetListedChecked(bool checked);
    // The sender slot chosen: its file is read now.
    void ComboBox_MyChange();

    // The row under the cursor (a row of the model), if any.
    std::optional<std::size_t> CurrentRow() const;
    // What the page of a row prints: the main window's margins and
    // resolution, the sender, dates and check boxes of this window, the row's
    // destination and goods.
    WaybillRecord RecordOf(std::size_t row) const;
    // F10 / "プレビュー": the current row in the single waybill's preview.
    void SpeedButton_F10Click();
    // The checked rows, in list order, as a print takes them.
    std::vector<BatchWaybill> CheckedWaybills() const;
    // "印刷" (F11): the checked rows through the main window's print.
    void BitBtn_PrintClick();
    // A line in the guidance (a job sent), until the cursor moves (CP932).
    void ShowGuidance(std::string_view text);

signals:
    // A file has been listed (the rows are all checked and none printed).
    void fileLoaded();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void SetupControls();
    void SetupTabOrder();
    void ShowCounts();
    void ShowCurrentReasons();
    void CommitEdit();
    WaybillRecord BaseRecord() const;
    BatchWaybill WaybillOf(std::size_t row, const WaybillRecord& base) const;
    // Hands the waybills to the main window's print; the accepted ones show
    // 印刷済, and No to the marks question puts the cursor on the first marked
    // one.  From `preview` (its 印刷): the questions over it, without the
    // count, looking having been the answer.
    bool PrintWaybills(const std::vector<BatchWaybill>& waybills, QWidget* preview = nullptr);

    BatchContext context_;
    QString pendingFile_;
    bool shown_ = false;
    SenderLines sender_;
    TBatchModel* model_ = nullptr;
    TMarkedRowsFilter* filter_ = nullptr;
    QTableView* list_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* guidance_ = nullptr;
    QLabel* senderLabel_ = nullptr;
    QCheckBox* markedOnly_ = nullptr;
    QCheckBox* printSender_ = nullptr;
    QComboBox* senderSlot_ = nullptr;
    QCheckBox* printDate_ = nullptr;
    QDateEdit* date_ = nullptr;
    TCpEdit* deDate_[3] = {};
    QPushButton* open_ = nullptr;
    QPushButton* checkAll_ = nullptr;
    QPushButton* uncheckAll_ = nullptr;
    QPushButton* preview_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* close_ = nullptr;
};

// The name of the export a file was recognised as ("楽天RMS", "Amazon", ...;
// "列の割り当て" for Other), CP932.
std::string_view MarketplaceTitle(Marketplace market);

}  // namespace hoxa
