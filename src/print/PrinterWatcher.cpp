#include "print/PrinterWatcher.h"

#include <QEvent>
#include <QWidget>
#include <QtGlobal>

#include <exception>

#include "print/VpPrinters.h"

namespace hoxa {

PrinterWatcher::PrinterWatcher(QWidget* window, int intervalMs, int settleMs)
    : QObject(window), settleMs_(settleMs) {
    sinceLook_.start();
    if (window) window->installEventFilter(this);
    connect(&timer_, &QTimer::timeout, this, [this] { CheckNow(); });
    if (intervalMs > 0) timer_.start(intervalMs);
}

bool PrinterWatcher::CheckNow() noexcept {
    ++checks_;
    sinceLook_.restart();
    std::string error;
    try {
        const bool changed = VpPrinter().CheckForChanges();
        lastError_.clear();
        if (changed) emit PrintersChanged();
        return changed;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown error";
    }
    // A print server that stays away would otherwise be reported every few seconds.
    const bool first = lastError_.empty();
    if (error != lastError_) qWarning("printer check failed: %s", error.c_str());
    lastError_ = error;
    if (first) emit CheckFailed();
    return false;
}

bool PrinterWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched == parent() && sinceLook_.elapsed() >= settleMs_)
        CheckNow();
    return false;  // never consumes the event
}

}  // namespace hoxa
