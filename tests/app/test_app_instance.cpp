// The program as a process: one copy per user and display (a second start hands over to the
// running one and ends without touching its folder, also when both start at the
// same moment or a crashed copy left its socket behind), and a plain message
// instead of a crash when there is no display.
#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QString kProgram = QStringLiteral(HOXA_BINARY_DIR "/hoxa_Nivora");

class Instance : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        for (const char* d : {"tmp", "home", "run", "a", "b"}) ASSERT_TRUE(QDir(root.path()).mkdir(QString::fromLatin1(d)));
        QFile::setPermissions(Dir("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override
    {
        for (auto& p : procs) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }
    QString Dir(const char* name) const { return root.filePath(QString::fromLatin1(name)); }
    // The copies started here all show their windows on this display, unless told otherwise.
    static constexpr char kDisplay[] = ":91";
    QString SocketPath(const char* display = kDisplay) const
    {
        return Dir("tmp") + QStringLiteral("/hoxa_Nivora-%1-%2")
                                .arg(::getuid())
                                .arg(hoxa::DisplayKey(QStringLiteral("offscreen"), QString::fromLatin1(display), {}));
    }

    QProcess* Start(const char* workDir, const char* display = kDisplay, const QStringList& args = {})
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), Dir("home"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Dir("run"));
        env.insert(QStringLiteral("TMPDIR"), Dir("tmp"));
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(Dir(workDir));
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(kProgram, args);
        EXPECT_TRUE(p->waitForStarted(5000));
        procs.push_back(std::move(p));
        return procs.back().get();
    }
    bool WaitListening(int ms, const char* display = kDisplay) const
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (QFileInfo(SocketPath(display)).exists()) return true;
            QTest::qWait(20);
        }
        return false;
    }
    static bool Running(QProcess* p) { return p->state() == QProcess::Running; }
    QStringList Files(const char* workDir) const
    {
        return QDir(Dir(workDir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    void Write(const char* workDir, const char* name, const QByteArray& bytes) const
    {
        QFile f(Dir(workDir) + QLatin1Char('/') + QString::fromUtf8(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir root;
    std::vector<std::unique_ptr<QProcess>> procs;
};

// Sees a file opened by any process.
class OpenWatch {
public:
    explicit OpenWatch(const QString& path) : fd_(::inotify_init1(IN_NONBLOCK))
    {
        EXPECT_GE(::inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_OPEN), 0);
    }
    ~OpenWatch() { ::close(fd_); }
    bool Seen(int ms)
    {
        QElapsedTimer t;
        t.start();
        char event[4096];
        for (; t.elapsed() < ms; QTest::qWait(20))
            if (::read(fd_, event, sizeof event) > 0) return true;
        return false;
    }

private:
    int fd_;
};

constexpr char kOrders[] = "order-id\trecipient-name\tship-postal-code\tship-state\tship-city\tship-address-1\n"
                           "1\tA\t100-0001\tTokyo\tChiyoda\t1-1\n";

}  // namespace

TEST_F(Instance, SecondStartHandsOverAndEndsWithoutFiles)
{
    ASSERT_TRUE(QFileInfo::exists(kProgram));
    QProcess* first = Start("a");
    ASSERT_TRUE(WaitListening(10000));
    QProcess* second = Start("b");
    ASSERT_TRUE(second->waitForFinished(8000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(Files("b").isEmpty()) << Files("b").join(u' ').toStdString();
    QTest::qWait(200);
    EXPECT_TRUE(Running(first));
}

TEST_F(Instance, OneCopyPerDisplay)
{
    QProcess* first = Start("a", ":91");
    ASSERT_TRUE(WaitListening(10000, ":91"));
    // Another display (a second seat, a remote desktop) gets a copy of its own.
    QProcess* other = Start("b", ":92");
    ASSERT_TRUE(WaitListening(10000, ":92")) << other->readAll().toStdString();
    EXPECT_TRUE(Running(other));
    // Screen 0 of the first display is that display: handed over.
    QProcess* again = Start("b", ":91.0");
    ASSERT_TRUE(again->waitForFinished(8000));
    EXPECT_EQ(again->exitCode(), 0);
    EXPECT_TRUE(Running(first));
    EXPECT_TRUE(Running(other));
}

TEST_F(Instance, OrderFileOnTheCommandLineOpensOnceTheWindowIsUp)
{
    Write("a", "my0.txt", "\r\n\r\n\r\n\r\n\r\n");  // a start that shows no box
    Write("a", "orders.txt", kOrders);
    OpenWatch watch(Dir("a") + QStringLiteral("/orders.txt"));
    QProcess* first = Start("a", kDisplay, {QStringLiteral("orders.txt")});
    EXPECT_TRUE(watch.Seen(10000)) << first->readAll().toStdString();
}

TEST_F(Instance, SecondStartHandsItsOrderFileToTheRunningCopy)
{
    QProcess* first = Start("a");
    ASSERT_TRUE(WaitListening(10000));
    Write("b", "orders.txt", kOrders);
    OpenWatch watch(Dir("b") + QStringLiteral("/orders.txt"));
    // Named relative to the second start's folder, opened by the first copy.
    QProcess* second = Start("b", kDisplay, {QStringLiteral("orders.txt")});
    ASSERT_TRUE(second->waitForFinished(8000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(watch.Seen(10000));
    EXPECT_EQ(Files("b"), QStringList{QStringLiteral("orders.txt")});
    EXPECT_TRUE(Running(first));
}

TEST(InstanceName, DisplayKey)
{
    const struct {
        const char *platform, *display, *wayland, *key;
    } cases[] = {
        {"xcb", ":0", "", "_0"},
        {"xcb", ":0.1", "", "_0"},
        {"xcb", "unix:0", "", "_0"},
        {"xcb", "localhost:10.0", "", "localhost_10"},
        {"xcb", ":1", "wayland-0", "_1"},
        {"wayland", ":0", "wayland-1", "wayland-1"},
        {"wayland", ":0", "/run/user/1000/wayland-1", "_run_user_1000_wayland-1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hoxa::DisplayKey(QString::fromLatin1(c.platform), QString::fromLatin1(c.display),
                                   QString::fromLatin1(c.wayland))
                      .toStdString(),
                  c.key)
            << c.platform << " " << c.display << " " << c.wayland;
    // A name too long for a socket path comes by its hash, still one per display.
    const QString longA = QStringLiteral("/run/user/1000/some/very/long/folder/wayland-0");
    const QString longB = QStringLiteral("/run/user/1000/some/very/long/folder/wayland-1");
    EXPECT_LE(hoxa::DisplayKey(QStringLiteral("wayland"), {}, longA).size(), 32);
    EXPECT_NE(hoxa::DisplayKey(QStringLiteral("wayland"), {}, longA),
              hoxa::DisplayKey(QStringLiteral("wayland"), {}, longB));
}

TEST_F(Instance, TwoStartsAtTheSameMomentLeaveOneRunning)
{
    QProcess* a = Start("a");
    QProcess* b = Start("b");
    QElapsedTimer t;
    t.start();
    while (Running(a) && Running(b) && t.elapsed() < 10000) QTest::qWait(50);
    QTest::qWait(1000);
    EXPECT_NE(Running(a), Running(b));
    QProcess* ended = Running(a) ? b : a;
    EXPECT_EQ(ended->exitCode(), 0) << ended->readAll().toStdString();
}

TEST_F(Instance, SocketLeftByACrashedCopyIsCleanedUp)
{
    // A bound socket nobody listens on, as a killed copy leaves it.
    const QByteArray path = QFile::encodeName(SocketPath());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(SocketPath()));

    QProcess* first = Start("a");
    QTest::qWait(1500);
    EXPECT_TRUE(Running(first)) << first->readAll().toStdString();
    // It now answers: a second start ends.
    QProcess* second = Start("b");
    ASSERT_TRUE(second->waitForFinished(8000));
    EXPECT_TRUE(Running(first));
}

TEST_F(Instance, RunningCopyIsAskedForItsWindow)
{
    // In this process: the socket lives in TMPDIR, pointed into the test folder.
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const QByteArray oldDisplay = qgetenv("DISPLAY");
    qputenv("TMPDIR", QFile::encodeName(Dir("tmp")));
    qputenv("DISPLAY", kDisplay);
    int asked = 0;
    // (QTRY_COMPARE would not fail a gtest case.)
    const auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 150 && !done(); ++i) QTest::qWait(20);
    };
    {
        hoxa::SingleInstance running;
        ASSERT_TRUE(running.Acquire());
        running.SetActivateHandler([&asked] { ++asked; });
        EXPECT_TRUE(QFileInfo::exists(SocketPath()));
        hoxa::SingleInstance later;
        EXPECT_FALSE(later.Acquire());
        waitFor([&] { return asked == 1; });
        EXPECT_EQ(asked, 1);
        hoxa::SingleInstance third;
        EXPECT_FALSE(third.Acquire());
        waitFor([&] { return asked == 2; });
        EXPECT_EQ(asked, 2);
        // A file comes with the request, whatever its name holds.
        QString opened;
        running.SetOpenHandler([&opened](const QString& file) { opened = file; });
        const QString file = Dir("b") + QStringLiteral(u"/注文 一覧%20\n.csv");
        hoxa::SingleInstance withFile;
        EXPECT_FALSE(withFile.Acquire(file));
        waitFor([&] { return !opened.isEmpty(); });
        EXPECT_EQ(opened.toStdString(), file.toStdString());
        EXPECT_EQ(asked, 3);
    }
    // Once the running copy is gone, a new start runs.
    hoxa::SingleInstance next;
    EXPECT_TRUE(next.Acquire());
    if (oldTmp.isNull()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", oldTmp);
    if (oldDisplay.isNull()) qunsetenv("DISPLAY");
    else qputenv("DISPLAY", oldDisplay);
}

TEST_F(Instance, NoDisplaySaysHowToStartIt)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(v));
    env.insert(QStringLiteral("TMPDIR"), Dir("tmp"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(Dir("a"));
    p.start(kProgram, {});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("xvfb-run -a"))) << err.toStdString();
    EXPECT_TRUE(Files("a").isEmpty());
}
