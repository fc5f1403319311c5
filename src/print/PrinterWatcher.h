// Notices printers added or removed while the program runs: runs
// VpPrinter().CheckForChanges() when the watched window is activated and at a
// fixed interval.  Errors of a check are logged, never shown, never thrown.
#pragma once

#include <QObject>
#include <QTimer>

#include <string>

class QWidget;

namespace hoxa {

class PrinterWatcher : public QObject {
    Q_OBJECT
public:
    // Watches `window` (normally the main window); intervalMs <= 0 disables the timer.
    explicit PrinterWatcher(QWidget* window, int intervalMs = 5000);

    // One check now.  Returns true when a change was found.
    bool CheckNow() noexcept;
    int Checks() const { return checks_; }

signals:
    void PrintersChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer timer_;
    int checks_ = 0;
    std::string lastError_;  // reported once, not at every check while it lasts
};

}  // namespace hoxa
