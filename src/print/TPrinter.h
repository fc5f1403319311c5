// The process-wide printer object: the current printer (by raw index into the
// spooler's printer list), its device settings and one print job at a time.
//
// A job is drawn on a QPainter whose device units are the printer's dots at the
// resolution of the current device mode, with the origin at the top-left corner
// of the printable area.  The page is kept as a PDF and handed to the spooler
// at EndDoc together with the job title, paper, paper source and resolution.
#pragma once

#include "base/errors.h"
#include "print/Spooler.h"

#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace hoxa {

// Errors of the printer object itself (no printer selected, job state, a job
// the spooler refused).
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

// The device settings in use for the current printer; null means "none loaded
// yet": the printer's defaults are loaded on the next SetPrinterIndex.
using DevModeHandle = std::shared_ptr<DevMode>;

class TPrinter {
public:
    // Builds the printer list from the spooler (in the spooler's order).
    explicit TPrinter(Spooler& spooler);
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Names of all printers, hidden ones included (raw order).
    const std::vector<std::string>& Printers() const { return printers_; }

    // Raw index of the current printer.  -1 selects the system default printer;
    // reading it back gives the default's raw index, or -1 when the system has
    // no default and no printer at all.
    int PrinterIndex();
    // Selects a printer by raw index (-1: the default) and loads its default
    // device mode unless that printer is already current with settings loaded.
    // An index outside the list throws EPrinter.
    void SetPrinterIndex(int index);

    // Current device, driver and port names and the live device-mode handle.
    // The handle may be null (see DevModeHandle).
    void GetPrinter(std::string& device, std::string& driver, std::string& port,
                    DevModeHandle& mode);
    // Makes the printer named `device` current with the given device mode;
    // a null mode drops the settings so that the defaults load on next use.
    void SetPrinter(const std::string& device, const std::string& driver,
                    const std::string& port, DevModeHandle mode);

    // Dots per inch of the current device mode (the device context's
    // LOGPIXELSX / LOGPIXELSY).  Throws EPrinter when there is no printer.
    Resolution DeviceResolution();

    // The page a job on the current printer is drawn on: paper size and printable
    // area of the current device mode, in points (A4 when the spooler gives no
    // size).  Throws what the spooler throws for a printer it no longer knows.
    PageGeometry Page();

    // Job title used by the next BeginDoc.
    void SetTitle(const std::string& title) { title_ = title; }

    bool Printing() const;
    // Opens the job and its first page.  Throws EPrinter while a job is open.
    void BeginDoc();
    // Closes the page and opens the next one, of the same size; the canvas
    // keeps its units and origin.
    void NewPage();
    // Closes the page and submits the document to the spooler; returns the
    // spooler's number of the job (0 when it gives none).
    int EndDoc();
    // Drops the open job; nothing reaches the printer.
    void Abort();
    // The drawing surface of the open job; null when no job is open.
    QPainter* Canvas();

private:
    struct Job;
    DevModeHandle& EnsureMode();
    void LoadDefaults();

    Spooler& spooler_;
    std::vector<std::string> printers_;
    std::vector<std::uint32_t> attributes_;
    int index_ = -1;
    DevModeHandle mode_;
    std::string title_;
    std::unique_ptr<Job> job_;
};

// The spooler the program prints through (CUPS in the program, a fake in tests).
void SetPrinterSpooler(std::shared_ptr<Spooler> spooler);
// Throws EPrinter when none was installed.
Spooler& PrinterSpooler();

// The process-wide printer object, created from PrinterSpooler() on first use.
TPrinter& Printer();
// Discards the printer object; the next Printer() builds a new one from the
// spooler's present printer list.
void DiscardPrinter();
// The printer object when it exists, else null (does not create it).
TPrinter* PrinterIfCreated();

}  // namespace hoxa
