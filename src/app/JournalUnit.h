// The journal window "印刷履歴" (F8 "履歴"): every waybill printed, newest
// first, with the store in use (the local file or the server).  A search box
// (name, telephone, postal code, any part of the address, order id or tracking
// number) and a date range narrow the list.  On the selected entries:
// "呼び出し" loads one into the main window, "再印刷" prints them again as one
// job, "削除" removes them; the tracking number (伝票番号) of an entry is typed
// or scanned below the list, "伝票番号入力" walks a batch's entries in print
// order, "発送CSV" writes the marketplaces' upload files; "サーバーへコピー"
// (only with a server) copies the local file's entries onto it.  The journal's
// work is the pure code in src/journal; this window only wires controls to it.
#pragma once

#include "journal/Journal.h"
#include "journal/JournalSettings.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class QKeyEvent;

namespace hoxa {

class TJournalModel;

// What the journal window takes from the main window.
struct JournalContext {
    std::string workDir;        // the working folder (local 8-bit bytes)
    Journal* journal = nullptr; // the program's journal
    JournalSettings settings;   // the server (empty: the local file) and the courier
    // "呼び出し": the entry into the main window.
    std::function<void(const JournalEntry&)> recall;
    // "再印刷": the entries, in print order, through the main window's print
    // gate with `parent` asking; true when the job was sent.
    std::function<bool(QWidget* parent, const std::vector<JournalEntry>&)> reprint;
};

class TForm_Journal : public QDialog {
    Q_OBJECT
public:
    // size: the size to open with, an empty size for the default.
    TForm_Journal(QWidget* parent, JournalContext context, QSize size);
    ~TForm_Journal() override;

    TJournalModel& Model() const { return *model_; }
    QTableView* List() const { return list_; }

    // The search box and the date range, as the journal takes them.
    JournalQuery Query() const;
    // Runs the search now (the box runs it shortly after typing stops).
    void Search();
    // The selected rows' ids in list order; the current row's when none is selected.
    std::vector<JournalId> SelectedIds() const;

    void BitBtn_RecallClick();   // 呼び出し
    void BitBtn_ReprintClick();  // 再印刷
    void BitBtn_DeleteClick();   // 削除
    // Enter in the tracking-number box: the current entry's 伝票番号 (an empty
    // box clears it, after a question).
    void Edit_TrackingReturn();
    void BitBtn_WalkClick();     // 伝票番号入力
    void BitBtn_UploadClick();   // 発送CSV
    void BitBtn_CopyClick();     // サーバーへコピー

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void SetupControls();
    void ShowCurrent();
    void ShowNotices();
    std::vector<JournalEntry> SelectedEntries() const;
    TrackingRule Rule() const;

    JournalContext context_;
    TJournalModel* model_ = nullptr;
    QTableView* list_ = nullptr;
    QLabel* store_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* guidance_ = nullptr;
    QLineEdit* search_ = nullptr;
    QCheckBox* period_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* until_ = nullptr;
    QLineEdit* tracking_ = nullptr;
    QPushButton* recall_ = nullptr;
    QPushButton* reprint_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* walk_ = nullptr;
    QPushButton* upload_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* close_ = nullptr;
    QTimer* searchTimer_ = nullptr;
};

}  // namespace hoxa
