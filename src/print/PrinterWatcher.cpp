#include "print/PrinterWatcher.h"

#include <QEvent>
#include <QWidget>
#include <QtGlobal>

#include <exception>

#include "print/VpPrinters.h"

namespace hoxa {

PrinterWatcher::PrinterWatcher(QWidget* window, int intervalMs) : QObject(window) {
    if (window) window->installEventFilter(this);
    connect(&timer_, &QTimer::timeout, this, [this] { CheckNow(); });
    if (intervalMs > 0) timer_.start(intervalMs);
}

bool PrinterWatcher::CheckNow() noexcept {
    ++checks_;
    try {
        const bool changed = VpPrinter().CheckForChanges();
        if (changed) emit PrintersChanged();
        return changed;
    } catch (const std::exception& e) {
        qWarning("printer check failed: %s", e.what());
    } catch (...) {
        qWarning("printer check failed");
    }
    return false;
}

bool PrinterWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched == parent()) CheckNow();
    return false;  // never consumes the event
}

}  // namespace hoxa
