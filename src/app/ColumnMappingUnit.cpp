#include "app/ColumnMappingUnit.h"

#include "base/Codec.h"
#include "base/cp932.h"
#include "orders/ColumnSamples.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace hoxa {

namespace {

constexpr std::size_t kSampleBytes = 24;  // of a column's sample in its box's item

}  // namespace

TForm_ColumnMapping::TForm_ColumnMapping(QWidget* parent, const OrderTable& table, const ColumnMapping& start)
    : QDialog(parent), table_(table)
{
    setObjectName(QStringLiteral("Form_ColumnMapping"));
    setWindowTitle(ToQString("列の割り当て"));
    setModal(true);

    const std::string opening = start != ColumnMapping{}
                                    ? "見出しから分かった列は選んであります。足りない欄に使う列を選んでください。"
                                    : "この見出しのファイルは初めてです。送り状の欄ごとに、使う列を選んでください。";
    auto* intro = new QLabel(ToQString(opening +
                                       "続けて選んだ列はつないで使います。おところ①とおなまえは必ず選んでください。"
                                       "割り当ては次に同じ見出しのファイルを開くときにも使います。"),
                             this);
    intro->setWordWrap(true);

    // Each column once, by its number and name, with a sample value.
    QStringList items{ToQString("（なし）")};
    const auto& header = table.Header();
    for (std::size_t c = 0; c < header.size(); ++c) {
        std::string item = IntToStr(static_cast<long long>(c + 1)) + ": " + header[c];
        const std::string sample = ColumnSample(table, c, kSampleBytes);
        if (!sample.empty()) item += "（" + sample + "）";
        items << ToQString(item);
    }

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(ToQString("送り状の欄"), this), 0, 0);
    grid->addWidget(new QLabel(ToQString("使う列"), this), 0, 1, 1, static_cast<int>(kJoinedColumns));
    grid->addWidget(new QLabel(ToQString("見本"), this), 0, 1 + static_cast<int>(kJoinedColumns));
    for (std::size_t f = 0; f < kOrderFields; ++f) {
        const int row = static_cast<int>(f) + 1;
        auto* caption = new QLabel(ToQString(OrderFieldCaption(static_cast<OrderField>(f))), this);
        grid->addWidget(caption, row, 0);
        for (std::size_t k = 0; k < kJoinedColumns; ++k) {
            auto* box = new QComboBox(this);
            box->setObjectName(QStringLiteral("ComboBox_Column%1_%2").arg(f).arg(k));
            box->addItems(items);
            box->setMinimumContentsLength(10);
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            if (k == 0) caption->setBuddy(box);
            if (k < start.columns[f].size() && start.columns[f][k] < header.size())
                box->setCurrentIndex(static_cast<int>(start.columns[f][k]) + 1);
            connect(box, &QComboBox::currentIndexChanged, this, &TForm_ColumnMapping::Update);
            boxes_[f][k] = box;
            grid->addWidget(box, row, 1 + static_cast<int>(k));
        }
        samples_[f] = new QLabel(this);
        samples_[f]->setObjectName(QStringLiteral("Label_Sample%1").arg(f));
        samples_[f]->setMinimumWidth(200);
        grid->addWidget(samples_[f], row, 1 + static_cast<int>(kJoinedColumns));
    }

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(ToQString("決定"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("BitBtn_OK"));
    buttons->addButton(ToQString("キャンセル"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("BitBtn_Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    Update();
    boxes_[0][0]->setFocus(Qt::OtherFocusReason);
}

QComboBox* TForm_ColumnMapping::ColumnBox(OrderField field, std::size_t k) const
{
    return boxes_[static_cast<std::size_t>(field)][k];
}

ColumnMapping TForm_ColumnMapping::Mapping() const
{
    ColumnMapping m;
    for (std::size_t f = 0; f < kOrderFields; ++f)
        for (const QComboBox* box : boxes_[f]) {
            if (box->currentIndex() <= 0) break;  // the boxes after an empty one do not count
            m.columns[f].push_back(static_cast<std::size_t>(box->currentIndex() - 1));
        }
    return m;
}

// A field's further boxes open once the one before has a column; the samples
// and OK follow the choice.
void TForm_ColumnMapping::Update()
{
    const ColumnMapping m = Mapping();
    for (std::size_t f = 0; f < kOrderFields; ++f) {
        for (std::size_t k = 1; k < kJoinedColumns; ++k)
            boxes_[f][k]->setEnabled(boxes_[f][k - 1]->isEnabled() && boxes_[f][k - 1]->currentIndex() > 0);
        samples_[f]->setText(ToQString(FieldSample(table_, static_cast<OrderField>(f), m.columns[f])));
    }
    ok_->setEnabled(m.Usable());
}

}  // namespace hoxa
