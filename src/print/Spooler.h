// The print spooler as the printer layer sees it: the installed printers, their
// papers, paper sources, resolutions and default device mode, and the hand-over
// of a finished job.  Numbers keep the meaning they have on Windows (DMPAPER_,
// DMBIN_, DM_ field flags), so that values stored in settings files stay valid.
// The program uses CupsSpooler; tests use a scripted fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hoxa {

// Attribute bit of a printer that is left out of every visible list.
inline constexpr std::uint32_t PRINTER_ATTRIBUTE_HIDDEN = 0x20;

// Field flags of a device mode (which of its fields the driver supports).
inline constexpr std::uint32_t DM_ORIENTATION = 0x1;
inline constexpr std::uint32_t DM_PAPERSIZE = 0x2;
inline constexpr std::uint32_t DM_PAPERLENGTH = 0x4;
inline constexpr std::uint32_t DM_PAPERWIDTH = 0x8;
inline constexpr std::uint32_t DM_SCALE = 0x10;
inline constexpr std::uint32_t DM_COPIES = 0x100;
inline constexpr std::uint32_t DM_DEFAULTSOURCE = 0x200;
inline constexpr std::uint32_t DM_PRINTQUALITY = 0x400;
inline constexpr std::uint32_t DM_COLOR = 0x800;
inline constexpr std::uint32_t DM_DUPLEX = 0x1000;
inline constexpr std::uint32_t DM_YRESOLUTION = 0x2000;
inline constexpr std::uint32_t DM_TTOPTION = 0x4000;
inline constexpr std::uint32_t DM_COLLATE = 0x8000;
inline constexpr std::uint32_t DM_FORMNAME = 0x10000;
inline constexpr std::uint32_t DM_LOGPIXELS = 0x20000;
inline constexpr std::uint32_t DM_PANNINGWIDTH = 0x08000000;
inline constexpr std::uint32_t DM_PANNINGHEIGHT = 0x10000000;

// Orientation values.
inline constexpr std::int16_t DMORIENT_PORTRAIT = 1;
inline constexpr std::int16_t DMORIENT_LANDSCAPE = 2;

// Paper numbers of the standard sizes; other sizes count from DMPAPER_USER.
inline constexpr std::uint16_t DMPAPER_LETTER = 1;
inline constexpr std::uint16_t DMPAPER_LEGAL = 5;
inline constexpr std::uint16_t DMPAPER_EXECUTIVE = 7;
inline constexpr std::uint16_t DMPAPER_A3 = 8;
inline constexpr std::uint16_t DMPAPER_A4 = 9;
inline constexpr std::uint16_t DMPAPER_A5 = 11;
inline constexpr std::uint16_t DMPAPER_B4 = 12;
inline constexpr std::uint16_t DMPAPER_B5 = 13;
inline constexpr std::uint16_t DMPAPER_FANFOLD_US = 39;
inline constexpr std::uint16_t DMPAPER_JAPANESE_POSTCARD = 43;
inline constexpr std::uint16_t DMPAPER_A6 = 70;
inline constexpr std::uint16_t DMPAPER_USER = 256;

// Paper source (bin) numbers; other sources count from DMBIN_USER.
inline constexpr std::uint16_t DMBIN_UPPER = 1;
inline constexpr std::uint16_t DMBIN_LOWER = 2;
inline constexpr std::uint16_t DMBIN_MIDDLE = 3;
inline constexpr std::uint16_t DMBIN_MANUAL = 4;
inline constexpr std::uint16_t DMBIN_ENVELOPE = 5;
inline constexpr std::uint16_t DMBIN_ENVMANUAL = 6;
inline constexpr std::uint16_t DMBIN_AUTO = 7;
inline constexpr std::uint16_t DMBIN_TRACTOR = 8;
inline constexpr std::uint16_t DMBIN_SMALLFMT = 9;
inline constexpr std::uint16_t DMBIN_LARGEFMT = 10;
inline constexpr std::uint16_t DMBIN_LARGECAPACITY = 11;
inline constexpr std::uint16_t DMBIN_CASSETTE = 14;
inline constexpr std::uint16_t DMBIN_FORMSOURCE = 15;
inline constexpr std::uint16_t DMBIN_USER = 256;

// A page size of the user's own (a driver's custom size), as typed: width and
// length in millimetres or in inches.
struct CustomPaper {
    double width = 0, length = 0;
    bool inches = false;

    bool operator==(const CustomPaper&) const = default;
};

// What a driver accepts as custom page sizes, in points (1/72 inch).
struct CustomPaperRange {
    double minWidth = 0, minLength = 0, maxWidth = 0, maxLength = 0;
};

// The device settings of one printer (the fields of a DEVMODE this program uses).
// A field only counts when its flag is set in `fields`.
struct DevMode {
    std::string deviceName;
    std::uint32_t fields = 0;
    std::int16_t orientation = DMORIENT_PORTRAIT;
    std::int16_t paperSize = 0;       // paper number
    std::int16_t defaultSource = 0;   // bin number
    std::int16_t scale = 100;         // percent
    std::int16_t copies = 1;
    std::int16_t printQuality = 0;    // x resolution in dpi
    std::int16_t yResolution = 0;     // y resolution in dpi
    // With DM_PAPERWIDTH and DM_PAPERLENGTH both set: the custom size, in force
    // instead of paperSize.
    CustomPaper customPaper;

    bool operator==(const DevMode&) const = default;
};

// One record of the printer list.
struct PrinterEntry {
    std::string name;           // CP932
    std::uint32_t attributes = 0;

    bool operator==(const PrinterEntry&) const = default;
};

// A paper or paper source as the driver lists it: number and display name.
struct PaperEntry {
    std::uint16_t number = 0;
    std::string name;           // CP932
};
using BinEntry = PaperEntry;

struct Resolution {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Resolution&) const = default;
};

// What the printer dialogs show about a printer.
struct PrinterDetails {
    std::string driver;         // make and model, CP932
    std::string port;           // device address
    std::string location;       // CP932
    std::string status;         // CP932, for example "待機中"
};

// What the spooler says about one printer at this moment.
struct PrinterStatus {
    bool reachable = true;   // the spooler answered at all
    bool known = true;       // the spooler knows the printer
    bool accepting = true;   // the printer takes new jobs
    bool stopped = false;    // it takes jobs but holds them until it is started again
    std::string reason;      // the spooler's own words (CP932); empty when it gave none
    // Why the printer is in this state, as the spooler's keywords
    // ("offline-report", "connecting-to-device", "media-empty-error"); "none"
    // is left out.
    std::vector<std::string> reasons;
};

// Where a job stands.  Stopped: the spooler holds it after a failure of the
// printer's back end; Canceled and Aborted end it without printing.
enum class JobState { Unknown, Pending, Held, Processing, Stopped, Canceled, Aborted, Completed };

struct JobStatus {
    JobState state = JobState::Unknown;
    std::string reason;    // the spooler's own words about the job or its printer (CP932)
};

// The page a job is drawn on, in points (1/72 inch): paper size and the
// printable area (left and top offsets, width and height) on it.
struct PageGeometry {
    double width = 0, height = 0;
    double left = 0, top = 0, printableWidth = 0, printableHeight = 0;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // Every printer in a stable order.  May throw EOSError when the spooler
    // cannot be asked; an unreachable spooler with no printers is an empty list.
    virtual std::vector<PrinterEntry> EnumPrinters() = 0;
    // Name of the system default printer, empty when there is none.
    virtual std::string DefaultPrinter() = 0;
    // Port names in the spooler's order (duplicates possible).
    virtual std::vector<std::string> EnumPorts() = 0;

    // Capabilities of one printer.  An empty optional is a driver that gives
    // no such list.
    virtual std::optional<std::vector<PaperEntry>> Papers(const std::string& printer) = 0;
    virtual std::optional<std::vector<BinEntry>> Bins(const std::string& printer) = 0;
    virtual std::vector<Resolution> Resolutions(const std::string& printer) = 0;
    virtual int MaxCopies(const std::string& printer) = 0;  // 0 or less: unknown
    virtual DevMode DefaultDevMode(const std::string& printer) = 0;
    virtual PrinterDetails Details(const std::string& printer) = 0;

    // The custom page sizes the printer's driver accepts; empty when it takes
    // none.
    virtual std::optional<CustomPaperRange> CustomPaperSizes(const std::string& /*printer*/) { return std::nullopt; }

    // Page and printable area for the paper (or the custom size) and the
    // orientation of a device mode.
    virtual PageGeometry Geometry(const std::string& printer, const DevMode& mode) = 0;

    // The printer's state now (never remembered: asked anew on every call).
    virtual PrinterStatus Status(const std::string& printer) = 0;

    // Forgets what was read about the printers' capabilities, so that the next
    // question reads them again.  The printer layer calls it when the printer
    // list changed.
    virtual void Forget() {}

    // Hands a finished PDF document (pdfPath: a local file name) to the printer
    // as one job named `title`, with the paper (or the custom size), paper
    // source and resolution of `mode`.  Returns the
    // job's number (0 when the spooler gives none).  Throws on failure.
    virtual int SubmitJob(const std::string& printer, const std::string& title,
                          const std::string& pdfPath, const DevMode& mode) = 0;

    // The numbers of this user's jobs on `printer` that have not ended yet
    // (waiting, held, being printed or stopped), oldest first.  Asked anew on
    // every call; empty when the spooler cannot tell.
    virtual std::vector<int> PendingJobs(const std::string& printer) = 0;
    // Where job `id` stands now; Unknown when the spooler cannot tell.
    virtual JobStatus JobStatusOf(int id) = 0;
    // The print server as the user knows it ("localhost", "printhost").
    virtual std::string ServerName() { return "localhost"; }
};

}  // namespace hoxa
