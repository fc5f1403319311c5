// One running copy per user.  The first copy listens on a local socket named
// with the user id; a later start connects to it, asks it to bring its window
// to the front and ends.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace hoxa {

// "hoxa_Nivora-<uid>" (a socket in QDir::tempPath()).
QString InstanceServerName();

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running copy (it listens from here on).
    // False when another copy runs: it has been asked to come to the front, and
    // this process should end without creating a window or touching a file.
    bool Acquire();

    // Called in the running copy each time a later start asks for the window.
    void SetActivateHandler(std::function<void()> handler) { onActivate_ = std::move(handler); }

private:
    static bool AskRunningCopy(int timeoutMs);
    void OnNewConnection();

    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivate_;
};

}  // namespace hoxa
