// The journal window: its controls, their order and keys, the search.  The
// actions on the selected entries: JournalUnit_actions.cpp.
#include "app/JournalUnit.h"

#include "app/JournalModel.h"
#include "base/Codec.h"
#include "base/DialogKeys.h"
#include "base/MsgBox.h"
#include "base/cp932.h"
#include "journal/JournalColumns.h"
#include "journal/Tracking.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace hoxa {

namespace {

constexpr QSize kDefaultSize(1000, 620);
constexpr QSize kSmallestSize(640, 400);
// How long typing in the search box pauses before the list follows.
constexpr int kSearchDelayMs = 250;

// Widths of the list's columns, in characters of the window font's "0".
constexpr int kColumnChars[kJournalColumnCount] = {17, 7, 16, 34, 14, 20, 16, 16, 16, 14, 12};

QPushButton* Button(QWidget* parent, const char* name, std::string_view caption)
{
    auto* b = new QPushButton(ToQString(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);  // Enter presses the focused button only (keyPressEvent)
    return b;
}

QLabel* Label(QWidget* parent, const char* name, std::string_view text = {})
{
    auto* l = new QLabel(ToQString(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QDateEdit* DateBox(QWidget* parent, const char* name)
{
    auto* d = new QDateEdit(QDate::currentDate(), parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    return d;
}

}  // namespace

TForm_Journal::TForm_Journal(QWidget* parent, JournalContext context, QSize size)
    : QDialog(parent), context_(std::move(context))
{
    setObjectName(QStringLiteral("Form_Journal"));
    setWindowTitle(ToQString("印刷履歴"));
    setModal(true);
    setSizeGripEnabled(true);
    setMinimumSize(kSmallestSize);
    SetupControls();
    Guarded(this, [this] { Search(); });

    QSize want = size.isValid() && !size.isEmpty() ? size : kDefaultSize;
    if (const QScreen* s = parent ? parent->screen() : screen()) want = want.boundedTo(s->availableGeometry().size());
    resize(want.expandedTo(kSmallestSize));
}

TForm_Journal::~TForm_Journal() = default;

void TForm_Journal::SetupControls()
{
    store_ = Label(this, "Label_Store", "記録先: " + context_.journal->StoreName());
    store_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* searchLabel = Label(this, "Label_Search", "検索(&S)");
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("Edit_Search"));
    search_->setPlaceholderText(ToQString("おなまえ・でんわ・郵便番号・おところ・注文番号・伝票番号"));
    searchLabel->setBuddy(search_);
    period_ = new QCheckBox(ToQString("期間"), this);
    period_->setObjectName(QStringLiteral("CheckBox_Period"));
    from_ = DateBox(this, "DateEdit_From");
    from_->setDate(QDate::currentDate().addDays(-30));
    until_ = DateBox(this, "DateEdit_Until");
    count_ = Label(this, "Label_Count");

    model_ = new TJournalModel(*context_.journal, this);
    list_ = new QTableView(this);
    list_->setObjectName(QStringLiteral("TableView_Journal"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    list_->setTabKeyNavigation(false);
    // Fixed row heights and column widths: the view never measures the rows'
    // texts, so that only the rows in sight are read from the journal.
    const QFontMetrics fm(list_->font());
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < kJournalColumnCount; ++c)
        list_->setColumnWidth(c, kColumnChars[c] * fm.horizontalAdvance(QLatin1Char('0')) + 8);
    list_->installEventFilter(this);
    search_->installEventFilter(this);

    auto* trackingLabel = Label(this, "Label_Tracking", "伝票番号(&T)");
    tracking_ = new QLineEdit(this);
    tracking_->setObjectName(QStringLiteral("Edit_Tracking"));
    tracking_->setMaxLength(40);
    tracking_->setFixedWidth(20 * fm.horizontalAdvance(QLatin1Char('0')));
    tracking_->setToolTip(ToQString("読み取るか入力して Enter (4 桁ごとのハイフンは入れても構いません)"));
    trackingLabel->setBuddy(tracking_);
    guidance_ = Label(this, "Label_Guidance");

    recall_ = Button(this, "BitBtn_Recall", "呼び出し");
    reprint_ = Button(this, "BitBtn_Reprint", "再印刷");
    delete_ = Button(this, "BitBtn_Delete", "削除");
    walk_ = Button(this, "BitBtn_Walk", "伝票番号入力");
    upload_ = Button(this, "BitBtn_Upload", "発送CSV");
    copy_ = Button(this, "BitBtn_Copy", "サーバーへコピー");
    copy_->setVisible(!context_.settings.server.empty());
    close_ = Button(this, "BitBtn_Close", "閉じる");

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_, 1);
    searchRow->addSpacing(12);
    searchRow->addWidget(period_);
    searchRow->addWidget(from_);
    searchRow->addWidget(new QLabel(ToQString("～"), this));
    searchRow->addWidget(until_);
    searchRow->addSpacing(12);
    searchRow->addWidget(count_);
    auto* trackingRow = new QHBoxLayout;
    trackingRow->addWidget(trackingLabel);
    trackingRow->addWidget(tracking_);
    trackingRow->addWidget(guidance_, 1);
    auto* buttonRow = new QHBoxLayout;
    for (QPushButton* b : {recall_, reprint_, delete_, walk_, upload_, copy_}) buttonRow->addWidget(b);
    buttonRow->addStretch(1);
    buttonRow->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(store_);
    layout->addLayout(searchRow);
    layout->addWidget(list_, 1);
    layout->addLayout(trackingRow);
    layout->addLayout(buttonRow);

    QWidget* order[] = {search_, period_, from_, until_, list_, tracking_, recall_, reprint_,
                        delete_, walk_,   upload_, copy_, close_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    searchTimer_ = new QTimer(this);
    searchTimer_->setSingleShot(true);
    searchTimer_->setInterval(kSearchDelayMs);
    const auto later = [this] { searchTimer_->start(); };
    connect(searchTimer_, &QTimer::timeout, this, [this] { Guarded(this, [this] { Search(); }); });
    connect(search_, &QLineEdit::textChanged, this, later);
    connect(period_, &QCheckBox::toggled, this, later);
    connect(from_, &QDateEdit::dateChanged, this, [this, later] { if (period_->isChecked()) later(); });
    connect(until_, &QDateEdit::dateChanged, this, [this, later] { if (period_->isChecked()) later(); });
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        Guarded(this, [this] { Search(); });
        list_->setFocus(Qt::OtherFocusReason);
    });
    connect(tracking_, &QLineEdit::returnPressed, this, [this] { Guarded(this, [this] { Edit_TrackingReturn(); }); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TForm_Journal::ShowCurrent);
    connect(list_, &QTableView::doubleClicked, this, [this] { Guarded(this, [this] { BitBtn_RecallClick(); }); });
    connect(model_, &TJournalModel::loadFailed, this, [this](const QString& m) { ShowAppError(this, FromQString(m)); });
    const std::pair<QPushButton*, void (TForm_Journal::*)()> actions[] = {
        {recall_, &TForm_Journal::BitBtn_RecallClick}, {reprint_, &TForm_Journal::BitBtn_ReprintClick},
        {delete_, &TForm_Journal::BitBtn_DeleteClick}, {walk_, &TForm_Journal::BitBtn_WalkClick},
        {upload_, &TForm_Journal::BitBtn_UploadClick}, {copy_, &TForm_Journal::BitBtn_CopyClick},
    };
    for (const auto& [button, handler] : actions)
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    list_->setFocus(Qt::OtherFocusReason);
}

JournalQuery TForm_Journal::Query() const
{
    JournalQuery q;
    q.text = FromQString(search_->text());
    if (period_->isChecked()) {
        const QDate from = std::min(from_->date(), until_->date());
        const QDate until = std::max(from_->date(), until_->date()).addDays(1);
        q.from = LocalDayStartMs(from.year(), from.month(), from.day());
        q.until = LocalDayStartMs(until.year(), until.month(), until.day());
    }
    return q;
}

void TForm_Journal::Search()
{
    searchTimer_->stop();
    // The entry under the cursor stays there when it is still listed.
    const QModelIndex current = list_->currentIndex();
    const JournalId was = current.isValid() ? model_->IdAt(current.row()) : 0;
    try {
        model_->Search(Query());
    } catch (const EJournal&) {
        ShowNotices();
        throw;
    }
    ShowNotices();
    int row = 0;
    for (int r = 0; was && r < model_->rowCount(); ++r)
        if (model_->IdAt(r) == was) row = r;
    if (model_->rowCount() > 0) list_->setCurrentIndex(model_->index(row, 0));
    count_->setText(ToQString(IntToStr(static_cast<long long>(model_->Count())) + " 件"));
    ShowCurrent();
}

void TForm_Journal::ShowNotices()
{
    if (const std::string notice = context_.journal->TakeNotice(); !notice.empty()) ShowNotice(this, notice);
}

// The current entry's tracking number in the box, ready to be scanned over.
void TForm_Journal::ShowCurrent()
{
    const QModelIndex current = list_->currentIndex();
    std::string number;
    if (current.isValid()) {
        try {
            number = FormatTrackingNumber(model_->EntryAt(current.row()).tracking);
        } catch (const EJournal&) {
            // the list says so
        }
    }
    tracking_->setText(ToQString(number));
    tracking_->selectAll();
    const bool any = current.isValid();
    for (QWidget* w : std::initializer_list<QWidget*>{recall_, reprint_, delete_, walk_, upload_, tracking_})
        w->setEnabled(any);
}

std::vector<JournalId> TForm_Journal::SelectedIds() const
{
    std::vector<int> rows;
    for (const QModelIndex& i : list_->selectionModel()->selectedRows()) rows.push_back(i.row());
    if (rows.empty() && list_->currentIndex().isValid()) rows.push_back(list_->currentIndex().row());
    std::sort(rows.begin(), rows.end());
    std::vector<JournalId> ids;
    ids.reserve(rows.size());
    for (int r : rows) ids.push_back(model_->IdAt(r));
    return ids;
}

std::vector<JournalEntry> TForm_Journal::SelectedEntries() const
{
    const std::vector<JournalId> ids = SelectedIds();
    return context_.journal->Load(ids);
}

TrackingRule TForm_Journal::Rule() const { return CourierByKey(context_.settings.courier).rule; }

void TForm_Journal::keyPressEvent(QKeyEvent* e)
{
    if (!PressFocusedButton(this, *e)) QDialog::keyPressEvent(e);  // Escape closes
}

bool TForm_Journal::eventFilter(QObject* watched, QEvent* e)
{
    if ((watched != list_ && watched != search_) || e->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, e);
    const auto* key = static_cast<QKeyEvent*>(e);
    if (key->modifiers() & ~Qt::KeypadModifier) return QDialog::eventFilter(watched, e);
    // Down from the search box goes on into the list, as from a browser's search field.
    if (watched == search_) {
        if (key->key() != Qt::Key_Down && key->key() != Qt::Key_PageDown) return QDialog::eventFilter(watched, e);
        list_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Guarded(this, [this] { BitBtn_RecallClick(); });
        return true;
    case Qt::Key_Delete:
        Guarded(this, [this] { BitBtn_DeleteClick(); });
        return true;
    default:
        return QDialog::eventFilter(watched, e);
    }
}

}  // namespace hoxa
