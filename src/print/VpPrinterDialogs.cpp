#include "print/VpPrinterDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "base/Codec.h"
#include "print/PaperSize.h"
#include "print/VpPrinters.h"

namespace hoxa {

namespace {

// Raw snapshot position of the printer chosen in the box.
int RawOf(const QComboBox* box) { return box->currentData().toInt(); }

void SelectData(QComboBox* box, int value) {
    const int i = box->findData(value);
    if (i >= 0) box->setCurrentIndex(i);
}

}  // namespace

PrinterSetupForm::PrinterSetupForm(QWidget* parent, bool printDialog) : QDialog(parent) {
    setWindowTitle(printDialog ? QStringLiteral(u"印刷") : QStringLiteral(u"プリンタの設定"));

    TVpPrinter& vp = VpPrinter();
    vp.CheckNoPrinter();
    const TVpAllPrintersInfo& snap = vp.Snapshot();

    auto* top = new QVBoxLayout(this);
    auto* printerBox = new QGroupBox(QStringLiteral(u"プリンタ"), this);
    auto* pf = new QFormLayout(printerBox);
    printer_ = new QComboBox(printerBox);
    printer_->setObjectName(QStringLiteral("printerCombo"));
    for (std::uint32_t i = 0; i < snap.Count(); ++i)
        if (!snap.IsHidden(i)) printer_->addItem(ToQString(snap.GetName(i)), static_cast<int>(i));
    status_ = new QLabel(printerBox);
    status_->setObjectName(QStringLiteral("statusLabel"));
    location_ = new QLabel(printerBox);
    location_->setObjectName(QStringLiteral("locationLabel"));
    pf->addRow(QStringLiteral(u"プリンタ名(&N):"), printer_);
    pf->addRow(QStringLiteral(u"状態:"), status_);
    pf->addRow(QStringLiteral(u"場所:"), location_);
    top->addWidget(printerBox);

    auto* row = new QHBoxLayout;
    auto* paperBox = new QGroupBox(QStringLiteral(u"用紙"), this);
    auto* ff = new QFormLayout(paperBox);
    paper_ = new QComboBox(paperBox);
    paper_->setObjectName(QStringLiteral("paperCombo"));
    source_ = new QComboBox(paperBox);
    source_->setObjectName(QStringLiteral("sourceCombo"));
    customRow_ = new QWidget(paperBox);
    auto* cr = new QHBoxLayout(customRow_);
    cr->setContentsMargins(0, 0, 0, 0);
    customWidth_ = new QDoubleSpinBox(customRow_);
    customWidth_->setObjectName(QStringLiteral("customWidthSpin"));
    customLength_ = new QDoubleSpinBox(customRow_);
    customLength_->setObjectName(QStringLiteral("customLengthSpin"));
    customUnit_ = new QComboBox(customRow_);
    customUnit_->setObjectName(QStringLiteral("customUnitCombo"));
    customUnit_->addItems({QStringLiteral("mm"), QStringLiteral("inch")});
    cr->addWidget(customWidth_);
    cr->addWidget(new QLabel(QStringLiteral(u"×"), customRow_));
    cr->addWidget(customLength_);
    cr->addWidget(customUnit_);
    ff->addRow(QStringLiteral(u"サイズ(&Z):"), paper_);
    ff->addRow(QStringLiteral(u"幅×長さ(&W):"), customRow_);
    ff->addRow(QStringLiteral(u"給紙方法(&S):"), source_);
    row->addWidget(paperBox);
    auto* orientBox = new QGroupBox(QStringLiteral(u"印刷の向き"), this);
    auto* of = new QVBoxLayout(orientBox);
    portrait_ = new QRadioButton(QStringLiteral(u"縦(&O)"), orientBox);
    portrait_->setObjectName(QStringLiteral("portraitRadio"));
    landscape_ = new QRadioButton(QStringLiteral(u"横(&A)"), orientBox);
    landscape_->setObjectName(QStringLiteral("landscapeRadio"));
    of->addWidget(portrait_);
    of->addWidget(landscape_);
    row->addWidget(orientBox);
    top->addLayout(row);

    if (printDialog) {
        auto* cf = new QFormLayout;
        copies_ = new QSpinBox(this);
        copies_->setObjectName(QStringLiteral("copiesSpin"));
        copies_->setRange(1, 999);
        cf->addRow(QStringLiteral(u"部数(&C):"), copies_);
        top->addLayout(cf);
    }

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("buttonBox"));
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral(u"OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral(u"キャンセル"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons_);

    // Open on the current printer.
    const int visible = vp.GetIndex();
    if (visible >= 0 && visible < printer_->count()) printer_->setCurrentIndex(visible);
    FillPrinter(RawOf(printer_));
    connect(printer_, &QComboBox::currentIndexChanged, this, [this](int) { FillPrinter(RawOf(printer_)); });
    connect(paper_, &QComboBox::currentIndexChanged, this,
            [this](int) { customRow_->setEnabled(paper_->currentData().toInt() == kCustomPaperEntry); });
    connect(customUnit_, &QComboBox::currentIndexChanged, this, [this](int) {
        // The size stays the same length on paper in the other unit.
        const bool inches = customUnit_->currentIndex() == 1;
        const CustomPaper before{customWidth_->value(), customLength_->value(), !inches};
        SetCustomUnit(inches);
        customWidth_->setValue(FromPoints(WidthPoints(before), inches));
        customLength_->setValue(FromPoints(LengthPoints(before), inches));
    });
}

void PrinterSetupForm::SetCustomUnit(bool inches) {
    const QSignalBlocker block(customUnit_);
    customUnit_->setCurrentIndex(inches ? 1 : 0);
    // A hundredth of a millimetre, a thousandth of an inch: a form length that
    // is off by less is lost in the printer's dots.
    for (QDoubleSpinBox* box : {customWidth_, customLength_}) box->setDecimals(inches ? 3 : 2);
    customWidth_->setRange(FromPoints(customRange_.minWidth, inches), FromPoints(customRange_.maxWidth, inches));
    customLength_->setRange(FromPoints(customRange_.minLength, inches), FromPoints(customRange_.maxLength, inches));
}

void PrinterSetupForm::ShowCustomPaper(const CustomPaper& paper) {
    SetCustomUnit(paper.inches);
    customWidth_->setValue(paper.width);
    customLength_->setValue(paper.length);
}

CustomPaper PrinterSetupForm::TypedCustomPaper() const {
    return CustomPaper{customWidth_->value(), customLength_->value(), customUnit_->currentIndex() == 1};
}

void PrinterSetupForm::FillPrinter(int raw) {
    paper_->clear();
    source_->clear();
    status_->clear();
    location_->clear();
    if (raw < 0) return;
    TVpPrinter& vp = VpPrinter();
    Spooler& spooler = PrinterSpooler();
    const std::string name = vp.Snapshot().GetName(static_cast<std::uint32_t>(raw));

    const PrinterDetails details = spooler.Details(name);
    status_->setText(ToQString(details.status));
    location_->setText(ToQString(details.location));

    // The settings in force for the current printer, the defaults for another.
    std::string device, driver, port;
    DevModeHandle current;
    Printer().GetPrinter(device, driver, port, current);
    const DevMode mode = (current && device == name) ? *current : spooler.DefaultDevMode(name);

    if (auto papers = spooler.Papers(name); papers && (mode.fields & DM_PAPERSIZE)) {
        for (const PaperEntry& e : *papers) paper_->addItem(ToQString(e.name), static_cast<int>(e.number));
        SelectData(paper_, static_cast<std::uint16_t>(mode.paperSize));
    }
    // The user's own size where the driver takes one: it opens on the size in
    // force, else on the paper's size in millimetres.
    const auto range = spooler.CustomPaperSizes(name);
    customRow_->setVisible(range.has_value());
    if (range) {
        customRange_ = *range;
        paper_->addItem(QStringLiteral(u"ユーザー定義サイズ"), kCustomPaperEntry);
        if (HasCustomPaper(mode)) {
            ShowCustomPaper(mode.customPaper);
            SelectData(paper_, kCustomPaperEntry);
        } else {
            const PageGeometry page = spooler.Geometry(name, mode);
            ShowCustomPaper({FromPoints(page.width, false), FromPoints(page.height, false), false});
        }
    }
    customRow_->setEnabled(paper_->currentData().toInt() == kCustomPaperEntry);
    paper_->setEnabled(paper_->count() > 0);
    if (auto bins = spooler.Bins(name); bins && (mode.fields & DM_DEFAULTSOURCE)) {
        for (const BinEntry& e : *bins) source_->addItem(ToQString(e.name), static_cast<int>(e.number));
        SelectData(source_, static_cast<std::uint16_t>(mode.defaultSource));
    }
    source_->setEnabled(source_->count() > 0);
    const bool landscape = (mode.fields & DM_ORIENTATION) && mode.orientation == DMORIENT_LANDSCAPE;
    landscape_->setChecked(landscape);
    portrait_->setChecked(!landscape);
    portrait_->setEnabled(mode.fields & DM_ORIENTATION);
    landscape_->setEnabled(mode.fields & DM_ORIENTATION);
    if (copies_) {
        const int max = spooler.MaxCopies(name);
        copies_->setRange(1, max > 0 ? std::min(max, 9999) : 999);
        copies_->setValue((mode.fields & DM_COPIES) && mode.copies > 0 ? mode.copies : 1);
        copies_->setEnabled(mode.fields & DM_COPIES);
    }
}

void PrinterSetupForm::Apply() {
    const int raw = RawOf(printer_);
    if (raw < 0) return;
    const std::string name = VpPrinter().Snapshot().GetName(static_cast<std::uint32_t>(raw));
    Spooler& spooler = PrinterSpooler();
    TPrinter& printer = Printer();

    std::string device, driver, port;
    DevModeHandle current;
    printer.GetPrinter(device, driver, port, current);
    auto mode = std::make_shared<DevMode>((current && device == name) ? *current : spooler.DefaultDevMode(name));
    if (paper_->currentIndex() >= 0 && paper_->currentData().toInt() == kCustomPaperEntry) {
        SetCustomPaper(*mode, TypedCustomPaper());
    } else if ((mode->fields & DM_PAPERSIZE) && paper_->currentIndex() >= 0) {
        mode->paperSize = static_cast<std::int16_t>(paper_->currentData().toInt());
        ClearCustomPaper(*mode);
    }
    if ((mode->fields & DM_DEFAULTSOURCE) && source_->currentIndex() >= 0)
        mode->defaultSource = static_cast<std::int16_t>(source_->currentData().toInt());
    if (mode->fields & DM_ORIENTATION)
        mode->orientation = landscape_->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (copies_ && (mode->fields & DM_COPIES)) mode->copies = static_cast<std::int16_t>(copies_->value());
    const PrinterDetails details = spooler.Details(name);
    printer.SetPrinter(name, details.driver, details.port, mode);
}

TVpPrinterSetupDialog::TVpPrinterSetupDialog(QWidget* parent) : QObject(parent), parent_(parent) {}

bool TVpPrinterSetupDialog::Execute() {
    PrinterSetupForm form(parent_, IsPrintDialog());
    if (form.exec() != QDialog::Accepted) return false;
    form.Apply();
    VpPrinter().Refresh();
    return true;
}

}  // namespace hoxa
