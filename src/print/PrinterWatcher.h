// Notices printers added or removed while the program runs: runs
// VpPrinter().CheckForChanges() when the watched window is activated and at a
// fixed interval.  An activation within settleMs of the last look (the
// snapshot taken at start counts as one) is not checked again, so that
// showing the window at start does not read the printer list a second time.
// Errors of a check are logged, never thrown; the first failure after a
// check that worked is signalled (the print server went away).
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <string>

class QWidget;

namespace hoxa {

class PrinterWatcher : public QObject {
    Q_OBJECT
public:
    // Watches `window` (normally the main window); intervalMs <= 0 disables the timer.
    explicit PrinterWatcher(QWidget* window, int intervalMs = 5000, int settleMs = 2000);

    // One check now.  Returns true when a change was found.
    bool CheckNow() noexcept;
    int Checks() const { return checks_; }

signals:
    void PrintersChanged();
    void CheckFailed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer timer_;
    QElapsedTimer sinceLook_;
    int settleMs_;
    int checks_ = 0;
    std::string lastError_;  // reported once, not at every check while it lasts
};

}  // namespace hoxa
