// The batch window: its controls, their order and keys, the sender and dates.
// Opening a file, the list, the preview and the print: BatchUnit_list.cpp.
#include "app/BatchUnit.h"

#include "app/BatchModel.h"
#include "app/CpEdit.h"
#include "base/Codec.h"
#include "base/DialogKeys.h"
#include "base/MsgBox.h"
#include "base/cp932.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace hoxa {

namespace {

constexpr QSize kDefaultSize(1100, 700);
constexpr QSize kSmallestSize(640, 420);

// Widths of the list's columns, in characters of the window font's "0".
constexpr int kColumnChars[TBatchModel::ColumnCount] = {5, 24, 18, 9, 26, 18, 16, 13, 18, 18, 18, 7};

QPushButton* Button(QWidget* parent, const char* name, std::string_view caption)
{
    auto* b = new QPushButton(ToQString(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);  // Enter presses the focused button only (keyPressEvent)
    return b;
}

}  // namespace

std::string_view MarketplaceTitle(Marketplace market)
{
    switch (market) {
    case Marketplace::Rakuten: return "楽天RMS";
    case Marketplace::Amazon: return "Amazon";
    case Marketplace::Yahoo: return "Yahoo!ショッピング";
    case Marketplace::Base: return "BASE";
    case Marketplace::Stores: return "STORES";
    case Marketplace::Shopify: return "Shopify";
    case Marketplace::EcCube: return "EC-CUBE";
    case Marketplace::Other: break;
    }
    return "列の割り当て";
}

TForm_Batch::TForm_Batch(QWidget* parent, BatchContext context, QString file, QSize size)
    : QDialog(parent), context_(std::move(context)), pendingFile_(std::move(file))
{
    setObjectName(QStringLiteral("Form_Batch"));
    setWindowTitle(ToQString("一括印刷"));
    setModal(true);
    setSizeGripEnabled(true);
    setMinimumSize(kSmallestSize);
    SetupControls();
    SetupTabOrder();

    // Where the main window's waybill stands now: the dates and check boxes start from it.
    const WaybillRecord start = BaseRecord();
    printSender_->setChecked(start.printSender);
    printDate_->setChecked(start.printDate);
    const QDate date = QDate::fromString(ToQString(start.dateText), QStringLiteral("yyyy/MM/dd"));
    date_->setDate(date.isValid() ? date : QDate::currentDate());
    const std::string* deDates[] = {&start.deDate1, &start.deDate2, &start.deDate3};
    for (int i = 0; i < 3; ++i) deDate_[i]->SetText(*deDates[i]);
    senderSlot_->setCurrentIndex(std::clamp(context_.senderSlot, 0, 9));
    ComboBox_MyChange();
    ShowCounts();

    QSize want = size.isValid() && !size.isEmpty() ? size : kDefaultSize;
    if (const QScreen* s = parent ? parent->screen() : screen()) want = want.boundedTo(s->availableGeometry().size());
    resize(want.expandedTo(kSmallestSize));
}

TForm_Batch::~TForm_Batch() = default;

void TForm_Batch::SetupControls()
{
    open_ = Button(this, "BitBtn_Open", "ファイルを開く...");
    fileLabel_ = new QLabel(this);
    fileLabel_->setObjectName(QStringLiteral("Label_File"));
    fileLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    markedOnly_ = new QCheckBox(ToQString("要確認のみ"), this);
    markedOnly_->setObjectName(QStringLiteral("CheckBox_MarkedOnly"));
    checkAll_ = Button(this, "BitBtn_CheckAll", "すべて印刷する");
    uncheckAll_ = Button(this, "BitBtn_UncheckAll", "すべて外す");
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("Label_Count"));

    model_ = new TBatchModel(this);
    filter_ = new TMarkedRowsFilter(this);
    filter_->setSourceModel(model_);
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("TableView_Orders"));
    list_->setModel(filter_);
    auto* delegate = new TBatchFieldDelegate(list_);
    list_->setItemDelegate(delegate);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    list_->setWordWrap(false);
    list_->setTabKeyNavigation(false);  // Tab leaves the list, as in the other controls
    // Fixed row heights and column widths: the view never measures the rows'
    // texts, so that scrolling a long list stays smooth.
    const QFontMetrics fm(list_->font());
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < TBatchModel::ColumnCount; ++c)
        list_->setColumnWidth(c, kColumnChars[c] * fm.horizontalAdvance(QLatin1Char('0')) + 8);
    list_->installEventFilter(this);

    guidance_ = new QLabel(this);
    guidance_->setObjectName(QStringLiteral("Label_Guidance"));
    guidance_->setFrameShape(QFrame::Box);
    guidance_->setAutoFillBackground(true);
    QPalette help = guidance_->palette();
    help.setColor(QPalette::Window, help.color(QPalette::ToolTipBase));
    help.setColor(QPalette::WindowText, help.color(QPalette::ToolTipText));
    guidance_->setPalette(help);
    guidance_->setMinimumHeight(fm.height() + 8);

    printSender_ = new QCheckBox(ToQString("ご依頼主"), this);
    printSender_->setObjectName(QStringLiteral("CheckBox_My"));
    printSender_->setToolTip(ToQString("チェックをはずすとご依頼主を印字しません"));
    senderSlot_ = new QComboBox(this);
    senderSlot_->setObjectName(QStringLiteral("ComboBox_My"));
    for (int i = 1; i <= 10; ++i) senderSlot_->addItem(QStringLiteral(u"依頼主%1").arg(i));
    senderLabel_ = new QLabel(this);
    senderLabel_->setObjectName(QStringLiteral("Label_MySender"));

    printDate_ = new QCheckBox(ToQString("日付"), this);
    printDate_->setObjectName(QStringLiteral("CheckBox_Date_1"));
    printDate_->setToolTip(ToQString("チェックをはずすと日付を印字しません"));
    date_ = new QDateEdit(this);
    date_->setObjectName(QStringLiteral("DateTimePicker_1"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    RequestImeMode(date_, ImeMode::Disabled);
    date_->installEventFilter(this);
    auto* deDateLabel = new QLabel(ToQString("ご希望お届け日"), this);
    for (int i = 0; i < 3; ++i) {
        deDate_[i] = new TCpEdit(this);
        deDate_[i]->setObjectName(QStringLiteral("Edit_de_date%1").arg(i + 1));
        deDate_[i]->SetMaxBytes(2);
        deDate_[i]->SetImeMode(i < 2 ? ImeMode::Disabled : ImeMode::Hiragana);
        deDate_[i]->setFixedWidth(4 * fm.horizontalAdvance(QLatin1Char('0')) + 8);
        if (i < 2) deDate_[i]->installEventFilter(this);  // month and day: digits only
    }
    deDateLabel->setBuddy(deDate_[0]);

    preview_ = Button(this, "BitBtn_Preview", "プレビュー(F10)");
    print_ = Button(this, "BitBtn_Print", "印刷");
    close_ = Button(this, "BitBtn_Close", "閉じる");

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(open_);
    fileRow->addWidget(fileLabel_, 1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(markedOnly_);
    listRow->addSpacing(16);
    listRow->addWidget(checkAll_);
    listRow->addWidget(uncheckAll_);
    listRow->addStretch(1);
    listRow->addWidget(countLabel_);
    auto* senderRow = new QHBoxLayout;
    senderRow->addWidget(printSender_);
    senderRow->addWidget(senderSlot_);
    senderRow->addWidget(senderLabel_, 1);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(printDate_);
    dateRow->addWidget(date_);
    dateRow->addSpacing(16);
    dateRow->addWidget(deDateLabel);
    for (TCpEdit* e : deDate_) dateRow->addWidget(e);
    dateRow->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(preview_);
    buttonRow->addWidget(print_);
    buttonRow->addStretch(1);
    buttonRow->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(listRow);
    layout->addWidget(list_, 1);
    layout->addWidget(guidance_);
    layout->addLayout(senderRow);
    layout->addLayout(dateRow);
    layout->addLayout(buttonRow);

    auto guard = [this](void (TForm_Batch::*handler)()) {
        return [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(open_, &QPushButton::clicked, this, guard(&TForm_Batch::BitBtn_OpenClick));
    connect(markedOnly_, &QCheckBox::toggled, this, guard(&TForm_Batch::CheckBox_MarkedOnlyClick));
    connect(checkAll_, &QPushButton::clicked, this, [this] { SetListedChecked(true); });
    connect(uncheckAll_, &QPushButton::clicked, this, [this] { SetListedChecked(false); });
    connect(senderSlot_, &QComboBox::currentIndexChanged, this, guard(&TForm_Batch::ComboBox_MyChange));
    connect(preview_, &QPushButton::clicked, this, guard(&TForm_Batch::SpeedButton_F10Click));
    connect(print_, &QPushButton::clicked, this, guard(&TForm_Batch::BitBtn_PrintClick));
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(model_, &TBatchModel::rowsStateChanged, this, &TForm_Batch::ShowCounts);
    connect(model_, &TBatchModel::dataChanged, this, &TForm_Batch::ShowCurrentReasons);
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TForm_Batch::ShowCurrentReasons);
    connect(delegate, &TBatchFieldDelegate::charsReplaced, this, [this](int column) {
        const auto field = TBatchModel::FieldOf(column);
        if (field)
            guidance_->setText(ToQString(std::string(WaybillFieldCaption(*field)) + "に使えない文字があったため〓に置き換えました"));
    });
}

void TForm_Batch::SetupTabOrder()
{
    QWidget* order[] = {list_,        markedOnly_, checkAll_,  uncheckAll_, printSender_, senderSlot_,
                        printDate_,   date_,       deDate_[0], deDate_[1],  deDate_[2],   preview_,
                        print_,       close_,      open_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    list_->setFocus(Qt::OtherFocusReason);
}

void TForm_Batch::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (shown_) return;
    shown_ = true;
    // Once the window is up: the file it was opened with, or the chooser.
    QTimer::singleShot(0, this, [this] {
        Guarded(this, [this] {
            const QString file = std::exchange(pendingFile_, QString());
            if (file.isEmpty()) BitBtn_OpenClick();
            else OpenFile(file);
        });
    });
}

void TForm_Batch::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_F10:
        Guarded(this, [this] { SpeedButton_F10Click(); });
        return;
    case Qt::Key_F11:
        if (print_->isEnabled()) Guarded(this, [this] { BitBtn_PrintClick(); });
        return;
    default:
        if (!PressFocusedButton(this, *e)) QDialog::keyPressEvent(e);  // Escape closes
    }
}

bool TForm_Batch::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, e);
    const auto* key = static_cast<QKeyEvent*>(e);
    if (watched == list_ && key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
        // Space on any cell of a row turns its 印刷 check over.
        if (const auto row = CurrentRow()) model_->SetChecked(*row, !model_->Checked(*row));
        return true;
    }
    // Tab leaves the date picker (Qt's date edit would step through its sections).
    if (watched == date_ && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
        focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
        return true;
    }
    if ((watched == deDate_[0] || watched == deDate_[1]) && RefusesNonDigit(*key)) return true;
    return QDialog::eventFilter(watched, e);
}

void TForm_Batch::ComboBox_MyChange()
{
    const int slot = senderSlot_->currentIndex();
    try {
        sender_ = ReadSlot(SlotPath(context_.workDir, slot));
    } catch (const std::exception& e) {
        // Shown beside the slot rather than in a box: choosing a slot is not yet using it.
        sender_ = {};
        senderLabel_->setText(ToQString(std::string("読めません: ") + e.what()));
        return;
    }
    const std::string name = Trim(sender_[3]);
    const std::string place = Trim(Trim(sender_[0]) + " " + Trim(Trim(sender_[1]) + " " + Trim(sender_[2])));
    senderLabel_->setText(ToQString(name.empty() && place.empty() ? "（登録されていません）" : name + "　" + place));
}

WaybillRecord TForm_Batch::BaseRecord() const
{
    return context_.currentWaybill ? context_.currentWaybill() : WaybillRecord{};
}

}  // namespace hoxa
