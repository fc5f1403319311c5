// A scripted spooler for the printer layer tests: printers (hidden ones too),
// per-printer papers, bins, resolutions and device modes as the test sets them,
// printers that appear and vanish, and the jobs handed over.
#pragma once

#include "base/errors.h"
#include "print/Spooler.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace hoxa::test {

class FakeSpooler : public Spooler {
public:
    struct Printer {
        std::optional<std::vector<PaperEntry>> papers;
        std::optional<std::vector<BinEntry>> bins;
        std::vector<Resolution> resolutions;
        int maxCopies = 0;
        DevMode mode;
        PrinterDetails details;
        PageGeometry page{595, 842, 18, 18, 559, 806};
        bool stopped = false;
        bool accepting = true;
        std::vector<std::string> reasons;
    };
    struct Job {
        std::string printer, title;
        DevMode mode;
        std::string pdf;  // the document's bytes as handed over
        JobState state = JobState::Completed;
        int id = 0;
    };

    std::vector<PrinterEntry> list;
    std::string defaultName;
    std::vector<std::string> ports;
    std::map<std::string, Printer> printers;
    std::vector<Job> jobs;
    bool failEnum = false;
    bool refuseJobs = false;
    JobState newJobs = JobState::Completed;  // where a job handed over stands
    int papersCalls = 0, binsCalls = 0, enumCalls = 0;

    // A printer with A4/Letter, upper/manual bins, 180 dpi and a device mode
    // holding paper, source, orientation and resolution (no scale).
    Printer& Add(const std::string& name, std::uint32_t attributes = 0) {
        list.push_back({name, attributes});
        Printer& p = printers[name];
        p.papers = std::vector<PaperEntry>{{DMPAPER_A4, "A4"}, {DMPAPER_LETTER, "Letter"}};
        p.bins = std::vector<BinEntry>{{DMBIN_UPPER, "Upper"}, {DMBIN_MANUAL, "Manual"}};
        p.resolutions = {{180, 180}};
        p.maxCopies = 99;
        p.mode.fields = DM_ORIENTATION | DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_PRINTQUALITY |
                        DM_YRESOLUTION | DM_COPIES;
        p.mode.paperSize = DMPAPER_A4;
        p.mode.defaultSource = DMBIN_UPPER;
        p.mode.printQuality = 180;
        p.mode.yResolution = 180;
        p.details = {"Fake driver " + name, "port:" + name, "room " + name, "idle"};
        ports.push_back("port:" + name);
        return p;
    }

    void Remove(const std::string& name) {
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->name == name) {
                list.erase(it);
                break;
            }
        }
    }

    std::vector<PrinterEntry> EnumPrinters() override {
        ++enumCalls;
        if (failEnum) throw EOSError("The RPC server is unavailable");
        return list;
    }
    std::string DefaultPrinter() override { return defaultName; }
    std::vector<std::string> EnumPorts() override { return ports; }
    std::optional<std::vector<PaperEntry>> Papers(const std::string& p) override {
        ++papersCalls;
        return At(p).papers;
    }
    std::optional<std::vector<BinEntry>> Bins(const std::string& p) override {
        ++binsCalls;
        return At(p).bins;
    }
    std::vector<Resolution> Resolutions(const std::string& p) override { return At(p).resolutions; }
    int MaxCopies(const std::string& p) override { return At(p).maxCopies; }
    DevMode DefaultDevMode(const std::string& p) override { return At(p).mode; }
    PrinterDetails Details(const std::string& p) override { return At(p).details; }
    PageGeometry Geometry(const std::string& p, const DevMode&) override { return At(p).page; }
    PrinterStatus Status(const std::string& p) override {
        PrinterStatus s;
        s.reachable = !failEnum;
        s.known = std::any_of(list.begin(), list.end(), [&](const PrinterEntry& e) { return e.name == p; });
        if (s.known) {
            s.stopped = printers[p].stopped;
            s.accepting = printers[p].accepting;
            s.reasons = printers[p].reasons;
        }
        return s;
    }
    int SubmitJob(const std::string& printer, const std::string& title, const std::string& pdfPath,
                  const DevMode& mode) override {
        if (refuseJobs) throw EOSError("client-error-not-possible");
        std::ifstream in(pdfPath, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        jobs.push_back({printer, title, mode, bytes, newJobs, static_cast<int>(jobs.size()) + 1});
        return jobs.back().id;
    }
    std::vector<int> PendingJobs(const std::string& printer) override {
        std::vector<int> ids;
        for (const Job& j : jobs)
            if (j.printer == printer && j.state < JobState::Canceled && j.state != JobState::Unknown) ids.push_back(j.id);
        return ids;
    }
    JobStatus JobStatusOf(int id) override {
        return id >= 1 && id <= static_cast<int>(jobs.size()) ? JobStatus{jobs[id - 1].state, {}} : JobStatus{};
    }

private:
    Printer& At(const std::string& name) {
        auto it = printers.find(name);
        if (it == printers.end()) throw EOSError("The printer name is invalid: " + name);
        return it->second;
    }
};

}  // namespace hoxa::test
