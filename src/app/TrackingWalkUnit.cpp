#include "app/TrackingWalkUnit.h"

#include "app/JournalUnit.h"
#include "base/Codec.h"
#include "base/DialogKeys.h"
#include "base/MsgBox.h"
#include "base/cp932.h"
#include "journal/JournalText.h"
#include "journal/TrackingEntry.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace hoxa {

namespace {

QPushButton* Button(QWidget* parent, const char* name, std::string_view caption)
{
    auto* b = new QPushButton(ToQString(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setWordWrap(true);
    return l;
}

}  // namespace

TForm_TrackingWalk::TForm_TrackingWalk(QWidget* parent, Journal& journal, const std::vector<JournalId>& ids,
                                       TrackingRule rule)
    : QDialog(parent), journal_(journal), walk_({}, rule)
{
    setObjectName(QStringLiteral("Form_TrackingWalk"));
    setWindowTitle(ToQString("伝票番号入力"));
    setModal(true);
    std::vector<JournalId> found;
    for (JournalEntry& e : journal_.Load(ids)) {
        found.push_back(e.id);
        entries_.emplace(e.id, std::move(e));
    }
    walk_ = TrackingWalk(found, rule);
    // Resumed after a break: the numbered entries at the front are passed over.
    const bool anyLeft = std::any_of(entries_.begin(), entries_.end(), [](const auto& e) { return e.second.tracking.empty(); });
    while (anyLeft && !walk_.Done() && !entries_.at(walk_.Current()).tracking.empty())
        walk_.Accept(entries_.at(walk_.Current()).tracking);

    position_ = Label(this, "Label_Position");
    entry_ = Label(this, "Label_Entry");
    offered_ = Label(this, "Label_Offered");
    number_ = new QLineEdit(this);
    number_->setObjectName(QStringLiteral("Edit_Number"));
    number_->setMaxLength(40);
    auto* spoilt = Button(this, "BitBtn_Spoilt", "書き損じ");
    spoilt->setToolTip(ToQString("この用紙は使えなかった: 次の番号に進みます"));
    auto* skip = Button(this, "BitBtn_Skip", "飛ばす");
    skip->setToolTip(ToQString("この送り状には番号を入れずに次へ進みます"));
    auto* close = Button(this, "BitBtn_Close", "閉じる");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(spoilt);
    buttons->addWidget(skip);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(position_);
    layout->addWidget(entry_);
    layout->addWidget(offered_);
    layout->addWidget(number_);
    layout->addLayout(buttons);
    setMinimumWidth(560);

    connect(number_, &QLineEdit::returnPressed, this, [this] { Guarded(this, [this] { Edit_NumberReturn(); }); });
    connect(spoilt, &QPushButton::clicked, this, [this] { BitBtn_SpoiltClick(); });
    connect(skip, &QPushButton::clicked, this, [this] { BitBtn_SkipClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    ShowCurrent();
    number_->setFocus(Qt::OtherFocusReason);
}

void TForm_TrackingWalk::ShowCurrent()
{
    if (walk_.Done()) {
        ShowNotice(this, "伝票番号を " + IntToStr(static_cast<long long>(stored_)) + " 件入力しました。");
        accept();
        return;
    }
    const JournalEntry& e = entries_.at(walk_.Current());
    position_->setText(ToQString(IntToStr(static_cast<long long>(walk_.Position() + 1)) + " / " +
                                 IntToStr(static_cast<long long>(walk_.Count())) + " 件目　" +
                                 FormatPrintTime(e.printedAt) + " 印刷"));
    std::string what = e.waybill.custo1 + " 様　" + e.waybill.zip + " " + e.waybill.add1 +
                       (e.waybill.add2.empty() ? "" : " " + e.waybill.add2);
    if (!e.order.orderId.empty()) what += "　注文番号 " + e.order.orderId;
    if (!e.tracking.empty()) what += "　(入力済み " + FormatTrackingNumber(e.tracking) + ")";
    entry_->setText(ToQString(what));
    offered_->setText(ToQString(walk_.Offered().empty()
                                    ? std::string("この送り状の伝票番号を読み取るか入力して下さい。")
                                    : "次の伝票番号 " + FormatTrackingNumber(walk_.Offered()) +
                                          " は Enter で入力します。別の番号は読み取るか入力して下さい。"));
    number_->clear();
    number_->setPlaceholderText(ToQString(FormatTrackingNumber(walk_.Offered())));
}

void TForm_TrackingWalk::Edit_NumberReturn()
{
    if (walk_.Done()) return;
    const TrackingCheck check = walk_.Propose(FromQString(number_->text()));
    const TrackingResult r = StoreTracking(journal_, walk_.Current(), check,
                                           [this](const std::string& q) { return AskYesNo(this, q, DefaultAnswer::No); });
    if (r.outcome != TrackingOutcome::Stored) {
        if (r.outcome == TrackingOutcome::Refused) ShowNotice(this, r.message);
        number_->selectAll();
        number_->setFocus(Qt::OtherFocusReason);
        return;
    }
    entries_.at(walk_.Current()).tracking = check.number;
    ++stored_;
    walk_.Accept(check.number);
    ShowCurrent();
}

void TForm_TrackingWalk::BitBtn_SpoiltClick()
{
    walk_.SkipForm();
    ShowCurrent();
    number_->setFocus(Qt::OtherFocusReason);
}

void TForm_TrackingWalk::BitBtn_SkipClick()
{
    walk_.SkipEntry();
    ShowCurrent();
    number_->setFocus(Qt::OtherFocusReason);
}

void TForm_TrackingWalk::keyPressEvent(QKeyEvent* e)
{
    if (!PressFocusedButton(this, *e)) QDialog::keyPressEvent(e);  // Escape closes
}

}  // namespace hoxa
