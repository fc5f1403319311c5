#include "app/PrintProgress.h"

#include "base/Codec.h"
#include "base/MsgBox.h"
#include "base/cp932.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace hoxa {

ProgressAsker::ProgressAsker(QWidget* parent) : parent_(parent) {}

ProgressAsker::~ProgressAsker() = default;

bool ProgressAsker::Ask(std::string_view question, DefaultAnswer def) { return AskYesNo(parent_, question, def); }

bool ProgressAsker::Progress(std::size_t done, std::size_t total)
{
    if (total < kProgressPages) return true;
    if (!bar_) {
        bar_ = std::make_unique<QProgressDialog>(parent_);
        bar_->setObjectName(QStringLiteral("ProgressDialog_Print"));
        bar_->setWindowTitle(ToQString(kAppTitle));
        bar_->setCancelButtonText(ToQString("中止"));
        bar_->setWindowModality(Qt::WindowModal);
        bar_->setAutoReset(false);
        bar_->setAutoClose(false);
        bar_->setMinimumDuration(0);
        bar_->setRange(0, static_cast<int>(total));
        bar_->show();
    }
    if (bar_->wasCanceled()) return false;
    // After the last page the document is still to be made and handed over.
    bar_->setLabelText(ToQString(done < total ? "送り状を作っています (" + IntToStr(static_cast<long long>(done)) +
                                                    " / " + IntToStr(static_cast<long long>(total)) + " 件)"
                                              : std::string("プリンタに送っています")));
    bar_->setValue(static_cast<int>(done));
    QCoreApplication::processEvents();
    return !bar_->wasCanceled();
}

}  // namespace hoxa
