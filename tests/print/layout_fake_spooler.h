// A scripted spooler for the print job tests: one or more printers with a fixed
// device mode and page, and the submitted jobs kept (PDF copied) for inspection.
#pragma once

#include "base/Codec.h"
#include "base/errors.h"
#include "print/Spooler.h"

#include <QFile>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace hoxa::test {

class LayoutFakeSpooler : public Spooler {
public:
    struct Job {
        std::string printer;
        std::string title;
        QString pdfCopy;
        DevMode mode;
    };

    std::vector<PrinterEntry> printers{{"hoxa_dot", 0}};
    DevMode mode;
    PageGeometry page{612, 792, 18, 9, 576, 774};
    QString keepDir;            // where submitted PDFs are copied
    bool refuseJobs = false;
    std::vector<Job> jobs;
    int submitted = 0;

    LayoutFakeSpooler()
    {
        mode.fields = DM_PAPERSIZE | DM_SCALE | DM_PRINTQUALITY | DM_YRESOLUTION;
        mode.paperSize = DMPAPER_LETTER;
        mode.scale = 100;
        mode.printQuality = 180;
        mode.yResolution = 180;
    }

    std::vector<PrinterEntry> EnumPrinters() override { return printers; }
    std::string DefaultPrinter() override { return printers.empty() ? std::string() : printers[0].name; }
    std::vector<std::string> EnumPorts() override { return {"usb://fake"}; }
    std::optional<std::vector<PaperEntry>> Papers(const std::string&) override
    {
        return std::vector<PaperEntry>{{DMPAPER_LETTER, "Letter"}};
    }
    std::optional<std::vector<BinEntry>> Bins(const std::string&) override { return std::nullopt; }
    std::vector<Resolution> Resolutions(const std::string&) override
    {
        return {{mode.printQuality, mode.yResolution}};
    }
    int MaxCopies(const std::string&) override { return 1; }
    DevMode DefaultDevMode(const std::string&) override { return mode; }
    PrinterDetails Details(const std::string&) override { return {"Fake 24-pin", "usb://fake", "", ""}; }
    PageGeometry Geometry(const std::string&, const DevMode&) override { return page; }
    PrinterStatus Status(const std::string&) override { return {}; }
    std::vector<int> PendingJobs(const std::string&) override { return {}; }
    JobStatus JobStatusOf(int) override { return {JobState::Completed, {}}; }
    int SubmitJob(const std::string& printer, const std::string& title, const std::string& pdfPath,
                  const DevMode& m) override
    {
        if (refuseJobs) throw EOSError("client-error-not-possible");
        Job j{printer, title, {}, m};
        if (!keepDir.isEmpty()) {
            j.pdfCopy = keepDir + QStringLiteral("/job%1.pdf").arg(++submitted);
            QFile::remove(j.pdfCopy);
            if (!QFile::copy(ToQString(pdfPath), j.pdfCopy)) j.pdfCopy.clear();
        }
        jobs.push_back(j);
        return static_cast<int>(jobs.size());
    }
};

}  // namespace hoxa::test
