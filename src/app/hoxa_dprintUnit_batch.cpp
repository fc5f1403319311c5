// Where the batch window opens from: F9 "一括印刷", an order file dropped on
// the main window, and a file named on the command line (of this start or of a
// later one, which hands it over).  The window's size is kept in
// hoxa_NIVORA.ini under [hoxa_Batch].
#include "app/hoxa_dprintUnit.h"

#include "ui_hoxa_dprintUnit.h"

#include "app/Settings.h"
#include "base/MsgBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace hoxa {

namespace {

// One local file dropped anywhere on the window opens the batch window; the
// entry fields and the paste memo, which would take its name as text, never
// see it.  Anything else dropped is left to them.
class FileDropFilter : public QObject {
public:
    explicit FileDropFilter(TForm_Main* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(e);
            const QString file = DroppedFile(drop->mimeData());
            if (file.isEmpty()) return QObject::eventFilter(watched, e);
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // After the drop has ended: the window that opens is modal.
            if (e->type() == QEvent::Drop) form_->OpenBatchLater(file);
            return true;
        }
        default:
            return QObject::eventFilter(watched, e);
        }
    }

private:
    static QString DroppedFile(const QMimeData* data)
    {
        if (!data || !data->hasUrls()) return {};
        const QList<QUrl> urls = data->urls();
        return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
    }

    TForm_Main* form_;
};

}  // namespace

void TForm_Main::SetupBatch()
{
    batchPrint_ = [this](QWidget* parent, const std::vector<BatchWaybill>& waybills, bool askFinal) {
        return PrintBatch(parent, waybills, askFinal);
    };
    connect(ui_->SpeedButton_F9, &QToolButton::clicked, this, [this] { Guarded(this, [this] { SpeedButton_F9Click(); }); });
    setAcceptDrops(true);
    auto* drops = new FileDropFilter(this);
    installEventFilter(drops);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(drops);
}

void TForm_Main::SpeedButton_F9Click() { OpenBatch({}); }

void TForm_Main::OpenBatchLater(const QString& file)
{
    QTimer::singleShot(0, this, [this, file] { Guarded(this, [this, file] { OpenBatch(file); }); });
}

void TForm_Main::OpenBatch(const QString& file)
{
    if (batch_) {
        batch_->raise();
        batch_->activateWindow();
        ShowNotice(batch_, "一括印刷の画面はすでに開いています。いまの一覧を閉じてから、もう一度開いてください。");
        return;
    }
    BatchContext context;
    context.workDir = WorkingDir();
    context.currentWaybill = [this] { return CurrentWaybill(); };
    context.senderSlot = ui_->PageControl_My->currentIndex();
    context.zipLookup = zipLookup_;
    context.print = batchPrint_;
    context.printTarget = [this] { return DescribePrintTarget(ReadPrinterSituation(registeredPrinter_)); };
    const PreviewSize stored = LoadBatchSize(WorkingDir());
    TForm_Batch batch(this, std::move(context), file, QSize(stored.width, stored.height));
    batch_ = &batch;
    connect(&batch, &TForm_Batch::fileLoaded, this, [this, &batch] { Guarded(&batch, [&] { MarkPrintedRows(batch); }); });
    batch.exec();
    SaveBatchSize(WorkingDir(), {batch.width(), batch.height()});
}

}  // namespace hoxa
