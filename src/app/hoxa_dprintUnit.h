// The main window: destination, sender, goods, dates, paste area, printer group,
// guidance panel and function-key bar.  Its parts live in files by concern:
//   hoxa_dprintUnit.cpp           construction, start and save sequences, exit
//   hoxa_dprintUnit_look.cpp      fonts, colours, tabs and button pictures
//   hoxa_dprintUnit_keys.cpp      the common key map and the tab order
//   hoxa_dprintUnit_fields.cpp    entry fields, guidance, half-width conversion, memo
//   hoxa_dprintUnit_sender.cpp    the ten sender slots
//   hoxa_dprintUnit_transfer.cpp  the address text transfer
//   hoxa_dprintUnit_printer.cpp   the printer group and the margin dialog's view of it
//   hoxa_dprintUnit_print.cpp     the print command, the print preview, the print gate's window side
//   hoxa_dprintUnit_journal.cpp   the journal of prints: its recorder on the gate, F8 履歴, recall, reprint
//   hoxa_dprintUnit_postal.cpp    the postal-code fill
//   hoxa_dprintUnit_check.cpp     the check after a transfer
//   hoxa_dprintUnit_batch.cpp     the batch window's opening: F9, dropped files, the command line
//   hoxa_dprintUnit_batchprint.cpp  the batch window's print through the gate
#pragma once

#include "app/BatchUnit.h"
#include "journal/JournalSettings.h"
#include "print/FeedPaper.h"
#include "print/PrintGate.h"
#include "print/SLIP97YPrnUnit.h"
#include "print/WaybillLayout.h"
#include "transfer/TransferCheck.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Ui {
class TForm_Main;
}

class QIcon;
class QKeyEvent;

namespace hoxa {

class TCpEdit;
class PrinterWatcher;
class JournalRecorder;

class TForm_Main : public QWidget, private MarginDialogHost, private PrintGateHost {
    Q_OBJECT
public:
    explicit TForm_Main(QWidget* parent = nullptr);
    ~TForm_Main() override;

    // The controls of the form, by their object names.
    ::Ui::TForm_Main* ui() const { return ui_; }
    template <class T>
    T* Control(const char* objectName) const
    {
        return findChild<T*>(QString::fromLatin1(objectName));
    }

    // The working directory recorded at first show (Label_CurrentDir), as the
    // bytes the file functions take.
    std::string WorkingDir() const override;

    // The guidance panel's text (CP932).
    void SetGuidance(std::string_view text);
    std::string Guidance() const;

    // A later start asked for this window: restore it if minimised and raise it.
    void BringToFront();

    // What the margin dialog reads and writes of this window.
    MarginDialogHost& PrinterState() { return *this; }

    // Start and save sequences.
    void FormShow();
    void FormDestroy();

    // Function keys and the common key map.
    void SpeedButton_F2Click();
    void SpeedButton_F10Click();  // the print preview
    void SpeedButton_F11Click();

    // The gate every print of this window passes (the batch and the reprint
    // too), and a request for the waybill on the screen: its record, its marks,
    // the feed's registered printer.
    PrintGate& Gate() { return gate_; }
    PrintRequest WaybillRequest(PrintOrigin origin) const;

    // Key handling of the fields.  A key-down handler looks at the key code and
    // answers true when it took the key; a key-press handler looks at the typed
    // character and answers true when it discards it.
    bool FormKeyDown(QWidget* control, int key);
    bool Edit_ZipKeyDown(QWidget* control, int key);
    bool Edit_G3KeyDown(QWidget* control, int key);
    bool FormKeyPress(const QKeyEvent& e);
    bool Edit_de_dateKeyPress(const QKeyEvent& e);

    // Entering a field: its guidance text, the caret after its last character.
    void Edit_ZipEnter();
    void Edit_Add1Enter();
    void Edit_Add2Enter();
    void Edit_Custo1Enter();
    void Edit_telEnter();
    void Edit_MyZipEnter();
    void Edit_MyADD1Enter();
    void Edit_MyADD2Enter();
    void Edit_MyEnter();
    void Edit_MyTELEnter();
    void Edit_G1Enter(TCpEdit* sender);  // shared by the three goods lines
    void Memo1Enter();

    // Entry fields.
    void Edit_Warning();
    void Edit_Cls();
    void Edit_Cls_My();
    void Edit_ZipChange();
    void Edit_telChange();
    void SpeedButton_ZIP2Click();
    void SpeedButton_TEL2Click();
    void BitBtn_CLSClick();
    void BitBtn_MemoCLSClick();
    void BitBtn_WebHelpClick();
    void BitBtn_SendMailClick();

    // Sender slots.
    void BitBtn_MyClick();
    void SpeedButton_readMyClick();
    void PageControl_MyChange();
    void CheckBox_MyClick();

    // Address text transfer (also Alt+T), and Ctrl+Shift+V: the clipboard into
    // the paste area, then the transfer.
    void BitBtn_1Click();
    void PasteAndTransfer();

    // Check after a transfer (hoxa_dprintUnit_check.cpp): doubtful destination
    // fields are marked until edited, cleared or transferred again; a print asks
    // first, and No focuses the first marked field with its reason.
    void MarkDoubtfulFields(const Lines& pasted);
    void ClearCheckMarks();
    void FocusFirstMarkedField();
    const CheckResult& CheckMarks() const { return checkMarks_; }

    // Printer group.
    void SpeedButton_PRNSETClick();
    void SpeedButton_PrnIdGetClick();
    void ComboBox_SELChange();
    void BitBtn_PrnSetClick();
    void BitBtn_PrnSet2Click();

    // The values the print reads, from the controls; the date as yyyy/MM/dd
    // whatever the locale.
    WaybillRecord CurrentWaybill() const override;

    // Postal-code fill.
    void Edit_ZipEdited();
    void Edit_MyZipEdited();
    void PostalFill(TCpEdit* zipField, TCpEdit* addressField);

    // Printer state.
    // Whether the printer the current feed's registration names (its PrnName,
    // read with the feed's section) is not among the visible printers now, or
    // the print server does not answer.
    bool RegisteredPrinterMissing();
    // The change check saw another printer list: the feed's printer is looked
    // up again by its registered name, and the printer, paper and bin boxes
    // show what a print would now use.
    void VpPrinterChange();
    // Runs VpPrinterChange whenever `watcher` sees a change, and shows a print
    // server that stopped answering.
    void WatchPrinters(PrinterWatcher& watcher);

    // The batch window (hoxa_dprintUnit_batch.cpp).
    void SpeedButton_F9Click();
    // Opens the batch window "一括印刷" with the order file (empty: with its
    // file chooser) and keeps its size when it closes.  While one is open, it
    // comes to the front and says that it is.
    void OpenBatch(const QString& file);
    // OpenBatch once the events handled now are done (a drop, a later start's request).
    void OpenBatchLater(const QString& file);
    TForm_Batch* BatchWindow() const { return batch_; }
    // The print that the batch window's 印刷 hands its checked rows to
    // (PrintBatch from the start); while there is none, 印刷 there is disabled.
    void SetBatchPrint(BatchPrintHook print) { batchPrint_ = std::move(print); }
    // The batch's print (hoxa_dprintUnit_batchprint.cpp): one job through the
    // gate, a page per waybill in the order given with its marks and order, on
    // the feed's registered printer; the questions over `parent`, the last
    // "N 件の送り状を印刷しますか?" when `askFinal`; a progress bar with 中止 while
    // more than a few pages are built.
    BatchPrintResult PrintBatch(QWidget* parent, const std::vector<BatchWaybill>& waybills, bool askFinal);

    // The journal of prints (hoxa_dprintUnit_journal.cpp), opened by the start
    // sequence from the folder's [hoxa_Journal]; every waybill the gate sends
    // is recorded in it.  Null before the start sequence.
    Journal* PrintJournal() const { return journal_.get(); }
    // F8 "履歴": the journal window "印刷履歴"; its size is kept in [hoxa_History].
    void SpeedButton_F8Click();
    // "呼び出し": the entry's destination, goods, dates and sender into the
    // fields.  A print from there is recorded as a reprint of the entry until
    // the destination is edited, cleared or filled anew.
    void RecallEntry(const JournalEntry& entry);
    const std::string& RecalledUid() const { return recalled_.uid; }
    // "再印刷": the entries as one job through the gate, each page a reprint of
    // its entry with the current feed's margins; true when it was sent.
    bool ReprintEntries(QWidget* parent, const std::vector<JournalEntry>& entries);
    // The rows of the batch list whose waybill the journal knows as printed
    // show 印刷済 and are unchecked.
    void MarkPrintedRows(TForm_Batch& batch);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    using KeyDownHandler = bool (TForm_Main::*)(QWidget*, int);
    using KeyPressHandler = bool (TForm_Main::*)(const QKeyEvent&);
    struct KeyHandlers {
        QObject* control;
        KeyDownHandler keyDown;
        KeyPressHandler keyPress;
    };
    struct FieldInfo {
        TCpEdit* edit;
        std::function<void()> enter;  // empty: no Enter handler of its own
        const char* what;             // the field as named in the guidance panel
    };

    // MarginDialogHost
    std::string FeedName() const override;
    std::string PrinterName() const override;
    std::string PrinterIndexText() const override;
    std::string TopMargin() const override;
    std::string LeftMargin() const override;
    void SetMargins(const std::string& top, const std::string& left) override;
    void PrintTestSheet(const WaybillRecord& rec, QWidget* dialog) override;

    // PrintGateHost
    void RefreshPrinters() override;
    void ResolutionUsed(const std::string& dpix, const std::string& dpiy) override;
    void JobNews(const SentJob& job, News news, const std::string& text) override;

    // The fill colour of an entry field or list.
    static void SetFill(QWidget* w, const QColor& colour);
    void SetupLook();
    void SetupPictures();
    void SetupFields();
    void SetupKeyMap();
    void ConnectHandlers();
    std::array<QWidget*, 12> FunctionKeys() const;
    std::vector<QWidget*> SettingControls() const;
    bool IsEntering(const QWidget* control, Qt::FocusReason reason) const;
    void EnterField(TCpEdit* edit, std::string_view guidance);
    void MoveFocus(QWidget* from, int step);
    void Memo1Change();
    void ConvertHalfWidth(TCpEdit* edit);
    void SetupPostalLookUp();
    void SetupCheckMarks();
    void ShowCheckMark(DestField field);
    void SetupBatch();
    void SetupJournal();
    void OpenJournal();

    // The printer box and the guidance for a registered printer that is
    // missing or a print server that does not answer.
    void ShowRegisteredPrinterState();
    // A print of the waybill on the screen through the gate, its questions
    // over `dialog` (or this window); true when it was sent.
    bool PrintThroughGate(PrintOrigin origin, QWidget* dialog);

    ::Ui::TForm_Main* ui_;
    std::string registeredPrinter_;  // PrnName of the current feed, trimmed; empty: none
    FeedPaper feedPaper_;            // the current feed's source and paper, put in force by the refresh
    std::string printerGuidance_;  // the missing-printer guidance last shown
    std::vector<FieldInfo> fields_;
    std::vector<KeyHandlers> keyMaps_;
    std::vector<QWidget*> tabOrder_;
    QPointer<QWidget> focusedControl_;
    bool shown_ = false;
    bool saved_ = false;
    bool memoFixing_ = false;
    bool postalProblemShown_ = false;  // the missing or damaged data was reported
    CheckResult checkMarks_;
    ZipAddressLookup zipLookup_;
    QPointer<TForm_Batch> batch_;
    BatchPrintHook batchPrint_;
    PrintGate gate_{*this};
    std::pair<int, std::string> jobGuidance_;  // the last job sent and what the panel says of it
    JournalSettings journalSettings_;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<JournalRecorder> recorder_;
    struct Recalled {
        std::string uid;  // the entry a print of the fields prints again; empty: none
        OrderRef order;
    } recalled_;
    // Said by the next entering instead of the control's own guidance: what a
    // dialog did to the fields outlives the focus coming back from it.
    std::string pendingGuidance_;
};

// The program's window icon.
QIcon ApplicationIcon();

// The fill of a field or cell the clerk should look at (the check's marks).
QColor CheckMarkFill();

// The maker's web page and the support mail link the two buttons open.
QString WebHelpUrl();
QString SupportMailUrl();

}  // namespace hoxa
