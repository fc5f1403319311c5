// The journal window's actions on the selected entries: 呼び出し, 再印刷, 削除,
// the tracking number, 伝票番号入力, 発送CSV and サーバーへコピー.
#include "app/JournalUnit.h"

#include "app/JournalModel.h"
#include "app/TrackingWalkUnit.h"
#include "base/AtomicFile.h"
#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/cp932.h"
#include "journal/TrackingEntry.h"
#include "journal/UploadFiles.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTableView>

#include <algorithm>

namespace hoxa {

namespace {

// Where the upload files go: the folder chosen last in this run, else the
// downloads folder, from where the shop uploads them.
QString& UploadFolder()
{
    static QString folder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    }
    return folder;
}

void ByPrintTime(std::vector<JournalEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const JournalEntry& a, const JournalEntry& b) {
        return a.printedAt != b.printedAt ? a.printedAt < b.printedAt : a.id < b.id;
    });
}

}  // namespace

void TForm_Journal::BitBtn_RecallClick()
{
    const std::vector<JournalEntry> entries = SelectedEntries();
    if (entries.size() != 1) {
        if (!entries.empty()) ShowNotice(this, "呼び出す送り状を 1 件だけ選んで下さい。");
        return;
    }
    if (context_.recall) context_.recall(entries.front());
    accept();
}

void TForm_Journal::BitBtn_ReprintClick()
{
    std::vector<JournalEntry> entries = SelectedEntries();
    if (entries.empty() || !context_.reprint) return;
    ByPrintTime(entries);  // the forms come out in the order they were first printed
    if (context_.reprint(this, entries)) Search();
}

void TForm_Journal::BitBtn_DeleteClick()
{
    const std::vector<JournalId> ids = SelectedIds();
    if (ids.empty()) return;
    const std::string question = "選んだ " + IntToStr(static_cast<long long>(ids.size())) +
                                 " 件の印刷履歴を削除しますか? 削除した履歴は元に戻せません。";
    if (!AskYesNo(this, question, DefaultAnswer::No)) return;
    context_.journal->Remove(ids);
    list_->clearSelection();
    Search();
}

void TForm_Journal::Edit_TrackingReturn()
{
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid()) return;
    const JournalEntry entry = model_->EntryAt(current.row());
    const std::string typed = FromQString(tracking_->text());
    bool stored = false;  // else what was typed stays in the box to be put right
    if (Trim(typed).empty()) {
        stored = !entry.tracking.empty() && AskYesNo(this, "この送り状の伝票番号を消しますか?", DefaultAnswer::No);
        if (stored) context_.journal->SetTracking(entry.id, {});
    } else {
        const TrackingResult r = StoreTracking(*context_.journal, entry.id, CheckTrackingNumber(typed, Rule()),
                                               [this](const std::string& q) { return AskYesNo(this, q, DefaultAnswer::No); });
        if (r.outcome == TrackingOutcome::Refused) ShowNotice(this, r.message);
        stored = r.outcome == TrackingOutcome::Stored;
    }
    guidance_->setText(!stored ? QString() : ToQString(Trim(typed).empty() ? "伝票番号を消しました" : "伝票番号を入力しました"));
    model_->Reload();
    if (stored) ShowCurrent();
    tracking_->selectAll();
    tracking_->setFocus(Qt::OtherFocusReason);
}

void TForm_Journal::BitBtn_WalkClick()
{
    // The current entry's batch in print order; without one, the selected entries.
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid()) return;
    const std::string batch = model_->EntryAt(current.row()).batch;
    std::vector<JournalId> ids;
    if (!batch.empty()) {
        ids = context_.journal->BatchEntries(batch);
    } else {
        std::vector<JournalEntry> entries = SelectedEntries();
        ByPrintTime(entries);
        for (const JournalEntry& e : entries) ids.push_back(e.id);
    }
    if (ids.empty()) return;
    TForm_TrackingWalk walk(this, *context_.journal, ids, Rule());
    walk.exec();
    model_->Reload();
    ShowCurrent();
}

void TForm_Journal::BitBtn_UploadClick()
{
    const std::vector<JournalEntry> entries = SelectedEntries();
    UploadSet set = MakeUploadFiles(entries, CourierByKey(context_.settings.courier),
                                    FromQString(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    if (set.files.empty()) {
        ShowNotice(this, "発送CSVに書ける送り状がありません。注文番号と伝票番号のある送り状を選んで下さい。");
        return;
    }
    // One file: its name is the clerk's choice; several: a folder for them all.
    const bool one = set.files.size() == 1;
    QFileDialog chooser(this, ToQString(one ? "発送CSVの保存先" : "発送CSVを保存するフォルダ"), UploadFolder());
    chooser.setObjectName(QStringLiteral("FileDialog_Upload"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(one ? QFileDialog::AnyFile : QFileDialog::Directory);
    if (one) chooser.selectFile(QString::fromLocal8Bit(set.files.front().fileName));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const QFileInfo chosen(chooser.selectedFiles().front());
    QString dir = chosen.absoluteFilePath();
    if (one) {
        dir = chosen.absolutePath();
        set.files.front().fileName = QFile::encodeName(chosen.fileName()).toStdString();
    }
    UploadFolder() = dir;
    if (const std::string error = WriteUploadFiles(QFile::encodeName(dir).toStdString(), set); !error.empty()) {
        ShowAppError(this, error);
        return;
    }
    ShowNotice(this, UploadSummary(set));
}

void TForm_Journal::BitBtn_CopyClick()
{
    if (!QFileInfo::exists(QFile::decodeName(PathIn(context_.workDir, kJournalFileName).c_str()))) {
        ShowNotice(this, std::string("この PC には印刷履歴 ") + kJournalFileName + " がありません。");
        return;
    }
    const std::string question = std::string("この PC の印刷履歴 ") + kJournalFileName + " を " +
                                 context_.journal->StoreName() + " にコピーしますか? すでにある履歴は重ねてコピーしません。";
    if (!AskYesNo(this, question)) return;
    Journal local({context_.workDir, {}});
    CopyCount copied;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        copied = local.CopyInto(*context_.journal);
    }
    if (const std::string notice = local.TakeNotice(); !notice.empty()) ShowNotice(this, notice);
    ShowNotice(this, "印刷履歴を " + IntToStr(static_cast<long long>(copied.copied)) + " 件コピーしました (" +
                         IntToStr(static_cast<long long>(copied.present)) + " 件はすでにありました)。");
    Search();
}

}  // namespace hoxa
