// The journal of prints on the main window: opened from the folder's
// [hoxa_Journal] settings and put on the print gate, so that every waybill the
// gate sends is recorded; F8 "履歴" opens the journal window; an entry called
// back into the fields, reprinted, or looked up for a batch's rows.
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/BatchModel.h"
#include "app/CpEdit.h"
#include "app/JournalUnit.h"
#include "app/Settings.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "journal/JournalRecorder.h"
#include "journal/JournalText.h"
#include "orders/OrderBatch.h"

#include <QApplication>
#include <QDate>

namespace hoxa {

namespace {

// Rows looked up in the journal per call: each call ends within the journal's time-out.
constexpr std::size_t kLookupChunk = 500;

}  // namespace

void TForm_Main::SetupJournal()
{
    auto& u = *ui_;
    connect(u.SpeedButton_F8, &QToolButton::clicked, this, [this] { Guarded(this, [this] { SpeedButton_F8Click(); }); });
    // An edited destination is another waybill: its print is no reprint.
    for (TCpEdit* edit : {u.Edit_Zip, u.Edit_Add1, u.Edit_Add2, u.Edit_Custo1, u.Edit_tel})
        connect(edit, &QLineEdit::textEdited, this, [this] { recalled_ = {}; });
}

void TForm_Main::OpenJournal()
{
    journalSettings_ = LoadJournalSettings(WorkingDir());
    journal_ = std::make_unique<Journal>(JournalPlaceFor(WorkingDir(), journalSettings_));
    recorder_ = std::make_unique<JournalRecorder>(
        *journal_, [this] { return ui_->ComboBox_SEL->currentIndex(); },
        [this](const std::string& notice) {
            QWidget* over = QApplication::activeModalWidget();
            ShowNotice(over ? over : this, notice);
        });
    gate_.SetRecorder(recorder_.get());
}

void TForm_Main::SpeedButton_F8Click()
{
    if (!journal_) return;
    JournalContext context;
    context.workDir = WorkingDir();
    context.journal = journal_.get();
    context.settings = journalSettings_;
    context.recall = [this](const JournalEntry& e) { RecallEntry(e); };
    context.reprint = [this](QWidget* parent, const std::vector<JournalEntry>& entries) {
        return ReprintEntries(parent, entries);
    };
    const PreviewSize stored = LoadJournalWindowSize(WorkingDir());
    TForm_Journal window(this, std::move(context), QSize(stored.width, stored.height));
    window.exec();
    SaveJournalWindowSize(WorkingDir(), {window.width(), window.height()});
}

void TForm_Main::RecallEntry(const JournalEntry& entry)
{
    auto& u = *ui_;
    const WaybillRecord& w = entry.waybill;
    const std::pair<TCpEdit*, const std::string*> texts[] = {
        {u.Edit_Zip, &w.zip},       {u.Edit_Add1, &w.add1},     {u.Edit_Add2, &w.add2},     {u.Edit_Custo1, &w.custo1},
        {u.Edit_tel, &w.tel},       {u.Edit_G1, &w.g1},         {u.Edit_G2, &w.g2},         {u.Edit_G3, &w.g3},
        {u.Edit_de_date1, &w.deDate1}, {u.Edit_de_date2, &w.deDate2}, {u.Edit_de_date3, &w.deDate3},
        {u.Edit_MyZip, &w.myZip},   {u.Edit_MyADD1, &w.myAdd1}, {u.Edit_MyADD2, &w.myAdd2}, {u.Edit_My, &w.my},
        {u.Edit_MyTEL, &w.myTel},
    };
    for (const auto& [edit, text] : texts) edit->SetText(*text);
    const QDate date = QDate::fromString(ToQString(w.dateText), QStringLiteral("yyyy/MM/dd"));
    if (date.isValid()) u.DateTimePicker_1->setDate(date);
    u.CheckBox_Date_1->setChecked(w.printDate);
    u.CheckBox_My->setChecked(w.printSender);
    ClearCheckMarks();
    Edit_Warning();
    recalled_ = {entry.uid, entry.order};
    const std::string said = FormatPrintTime(entry.printedAt) + " に印刷した送り状を呼び出しました。F11 で印刷すると再印刷として記録します";
    // The focus reaches 品名 when the journal window has gone: that entering says it.
    if (focusedControl_ != u.Edit_G1) pendingGuidance_ = said;
    u.Edit_G1->setFocus(Qt::OtherFocusReason);
    SetGuidance(said);
}

void TForm_Main::MarkPrintedRows(TForm_Batch& batch)
{
    if (!journal_) return;
    const OrderBatch& rows = batch.Model().Batch();
    std::vector<std::size_t> printed;
    const std::int64_t now = NowMs();
    for (std::size_t at = 0; at < rows.Size(); at += kLookupChunk) {
        std::vector<std::pair<WaybillRecord, OrderRef>> chunk;
        for (std::size_t r = at; r < std::min(rows.Size(), at + kLookupChunk); ++r) {
            WaybillRecord w;
            FillWaybill(rows.Row(r), w);
            chunk.emplace_back(std::move(w), rows.Row(r).ref);
        }
        const auto earlier = journal_->FindEarlierPrints(chunk, now);
        for (std::size_t i = 0; i < earlier.size(); ++i)
            if (earlier[i]) printed.push_back(at + i);
    }
    if (const std::string notice = journal_->TakeNotice(); !notice.empty()) ShowNotice(&batch, notice);
    batch.Model().SetPrinted(printed, true);
}

}  // namespace hoxa
