// One running copy per user and display.  The first copy listens on a local
// socket named with the user id and the display it shows its window on; a later
// start on the same display connects to it, asks it to bring its window to the
// front and ends; a start that names an order file hands the file over with
// it.  A start on another display (a second seat, a remote desktop)
// runs a copy of its own, whose window that display's user can see.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace hoxa {

// The display part of the name: $WAYLAND_DISPLAY on Wayland, else $DISPLAY
// without its screen number (":0.1" and "unix:0" are ":0"), reduced to the
// characters a socket name may hold.
QString DisplayKey(const QString& platform, const QString& x11Display, const QString& waylandDisplay);

// "hoxa_Nivora-<uid>-<display>" (a socket in QDir::tempPath()) for the Qt
// platform in use.
QString InstanceServerName();

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running copy (it listens from here on).
    // False when another copy runs: it has been asked to come to the front (and
    // to open `file`, an absolute path, when one is given), and this process
    // should end without creating a window or touching a file.
    bool Acquire(const QString& file = {});

    // Called in the running copy each time a later start asks for the window.
    void SetActivateHandler(std::function<void()> handler) { onActivate_ = std::move(handler); }
    // Called in the running copy, after the activate handler, with the file a
    // later start named.
    void SetOpenHandler(std::function<void(const QString& file)> handler) { onOpen_ = std::move(handler); }

private:
    static bool AskRunningCopy(int timeoutMs, const QByteArray& request);
    void OnNewConnection();

    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivate_;
    std::function<void(const QString&)> onOpen_;
};

}  // namespace hoxa
