#include "print/TPrinter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "base/Codec.h"
#include "print/PrinterMessages.h"

namespace hoxa {

namespace {
constexpr int kFallbackDpi = 300;
// A4 in points, for a spooler that gives no paper size.
constexpr double kFallbackWidthPt = 595.0;
constexpr double kFallbackHeightPt = 842.0;
}

struct TPrinter::Job {
    QTemporaryDir dir;
    QString path;
    QBuffer pdf;  // the document is made in memory and written out whole at EndDoc
    std::string device;
    DevMode mode;
    std::unique_ptr<QPdfWriter> writer;
    std::unique_ptr<QPainter> painter;
};

TPrinter::TPrinter(Spooler& spooler) : spooler_(spooler) {
    for (const PrinterEntry& e : spooler_.EnumPrinters()) {
        printers_.push_back(e.name);
        attributes_.push_back(e.attributes);
    }
}

TPrinter::~TPrinter() = default;

int TPrinter::PrinterIndex() {
    if (index_ != -1 || printers_.empty()) return index_;
    // Resolve "the default printer": the spooler's default, else the first
    // printer that is not hidden, else the first printer.
    const std::string def = spooler_.DefaultPrinter();
    for (std::size_t i = 0; i < printers_.size(); ++i) {
        if (!def.empty() && printers_[i] == def) {
            index_ = static_cast<int>(i);
            return index_;
        }
    }
    index_ = 0;
    for (std::size_t i = 0; i < printers_.size(); ++i) {
        if ((attributes_[i] & PRINTER_ATTRIBUTE_HIDDEN) == 0) {
            index_ = static_cast<int>(i);
            break;
        }
    }
    return index_;
}

void TPrinter::SetPrinterIndex(int index) {
    if (index < -1 || index >= static_cast<int>(printers_.size()))
        throw EPrinter("Printer index out of range");
    const int before = index_;
    index_ = index;
    const int now = PrinterIndex();
    if (now != before || !mode_) {
        mode_.reset();
        if (now >= 0) LoadDefaults();
    }
}

void TPrinter::LoadDefaults() {
    const std::string& name = printers_[static_cast<std::size_t>(index_)];
    auto mode = std::make_shared<DevMode>(spooler_.DefaultDevMode(name));
    mode->deviceName = name;
    mode_ = std::move(mode);
}

void TPrinter::GetPrinter(std::string& device, std::string& driver, std::string& port,
                          DevModeHandle& mode) {
    const int i = PrinterIndex();
    if (i < 0) {
        device.clear();
        driver.clear();
        port.clear();
        mode.reset();
        return;
    }
    device = printers_[static_cast<std::size_t>(i)];
    const PrinterDetails details = spooler_.Details(device);
    driver = details.driver;
    port = details.port;
    mode = mode_;
}

void TPrinter::SetPrinter(const std::string& device, const std::string& /*driver*/,
                          const std::string& /*port*/, DevModeHandle mode) {
    for (std::size_t i = 0; i < printers_.size(); ++i) {
        if (printers_[i] == device) {
            index_ = static_cast<int>(i);
            mode_ = std::move(mode);
            if (mode_) mode_->deviceName = device;
            return;
        }
    }
    throw EPrinter("Printer selected is not valid");
}

DevModeHandle& TPrinter::EnsureMode() {
    if (!mode_) SetPrinterIndex(PrinterIndex());
    if (!mode_) throw EPrinter("There is no default printer currently selected");
    return mode_;
}

Resolution TPrinter::DeviceResolution() {
    const DevMode& m = *EnsureMode();
    Resolution r;
    if ((m.fields & DM_PRINTQUALITY) && m.printQuality > 0) {
        r.x = m.printQuality;
        r.y = ((m.fields & DM_YRESOLUTION) && m.yResolution > 0) ? m.yResolution : r.x;
        return r;
    }
    const auto list = spooler_.Resolutions(m.deviceName);
    if (!list.empty() && list.front().x > 0 && list.front().y > 0) return list.front();
    return Resolution{kFallbackDpi, kFallbackDpi};
}

PageGeometry TPrinter::Page() {
    const DevMode& mode = *EnsureMode();
    PageGeometry page = spooler_.Geometry(mode.deviceName, mode);
    if (page.width <= 0) page.width = kFallbackWidthPt;
    if (page.height <= 0) page.height = kFallbackHeightPt;
    return page;
}

bool TPrinter::Printing() const { return job_ != nullptr; }

void TPrinter::BeginDoc() {
    if (job_) throw EPrinter("Printing in progress");
    const DevMode mode = *EnsureMode();
    const Resolution dpi = DeviceResolution();
    const PageGeometry page = Page();

    auto job = std::make_unique<Job>();
    if (!job->dir.isValid())
        throw EPrinter(PrintDataMessage(FromQString(QDir::toNativeSeparators(QDir::tempPath())) + ": " +
                                        FromQString(job->dir.errorString())));
    job->path = job->dir.filePath(QStringLiteral("job.pdf"));
    job->device = mode.deviceName;
    job->mode = mode;
    job->pdf.open(QIODevice::WriteOnly);
    job->writer = std::make_unique<QPdfWriter>(&job->pdf);
    job->writer->setResolution(dpi.x);
    job->writer->setCreator(QStringLiteral("hoxa"));
    job->writer->setTitle(ToQString(title_));
    const QPageSize size(QSizeF(page.width, page.height), QPageSize::Point, QString(), QPageSize::ExactMatch);
    job->writer->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    job->painter = std::make_unique<QPainter>();
    if (!job->painter->begin(job->writer.get()))
        throw EPrinter("Cannot start the print job");
    // One unit is one horizontal dot; the vertical axis is stretched so that one
    // unit is one vertical dot as well.  The origin moves to the printable area.
    job->painter->translate(page.left * dpi.x / 72.0, page.top * dpi.x / 72.0);
    if (dpi.y != dpi.x) job->painter->scale(1.0, static_cast<double>(dpi.x) / dpi.y);
    job_ = std::move(job);
}

void TPrinter::NewPage() {
    if (!job_) throw EPrinter("Printer is not currently printing");
    const QTransform dots = job_->painter->worldTransform();
    if (!job_->writer->newPage()) throw EPrinter(PrintDataMessage("PDF のページを作れませんでした"));
    job_->painter->setWorldTransform(dots);
}

int TPrinter::EndDoc() {
    if (!job_) throw EPrinter("Printer is not currently printing");
    std::unique_ptr<Job> job = std::move(job_);
    const bool ended = job->painter->end();
    job->painter.reset();
    job->writer.reset();
    // Only a whole document is handed over: a page cut short by a full
    // temporary folder would print as a blank or half form.
    const QByteArray& pdf = job->pdf.data();
    if (!ended || !pdf.startsWith("%PDF-") || !pdf.trimmed().endsWith("%%EOF"))
        throw EPrinter(PrintDataMessage("PDF を最後まで作れませんでした"));
    QFile file(job->path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size() && file.flush();
    const QString why = file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        throw EPrinter(PrintDataMessage(FromQString(QDir::toNativeSeparators(job->path)) + ": " + FromQString(why)));
    return spooler_.SubmitJob(job->device, title_, QFile::encodeName(job->path).toStdString(), job->mode);
}

void TPrinter::Abort() {
    if (!job_) return;
    std::unique_ptr<Job> job = std::move(job_);
    job->painter->end();
}

QPainter* TPrinter::Canvas() { return job_ ? job_->painter.get() : nullptr; }

// ---------------------------------------------------------------------------

namespace {
std::shared_ptr<Spooler>& GlobalSpooler() {
    static std::shared_ptr<Spooler> spooler;
    return spooler;
}
std::unique_ptr<TPrinter>& GlobalPrinter() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}
}  // namespace

void SetPrinterSpooler(std::shared_ptr<Spooler> spooler) {
    GlobalPrinter().reset();
    GlobalSpooler() = std::move(spooler);
}

Spooler& PrinterSpooler() {
    if (!GlobalSpooler()) throw EPrinter("No print spooler installed");
    return *GlobalSpooler();
}

TPrinter& Printer() {
    auto& p = GlobalPrinter();
    if (!p) p = std::make_unique<TPrinter>(PrinterSpooler());
    return *p;
}

void DiscardPrinter() { GlobalPrinter().reset(); }

TPrinter* PrinterIfCreated() { return GlobalPrinter().get(); }

}  // namespace hoxa
