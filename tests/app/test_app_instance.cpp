// The program as a process: one copy per user (a second start hands over to the
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

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
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
    QString SocketPath() const { return Dir("tmp") + QStringLiteral("/hoxa_Nivora-%1").arg(::getuid()); }

    QProcess* Start(const char* workDir)
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), Dir("home"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Dir("run"));
        env.insert(QStringLiteral("TMPDIR"), Dir("tmp"));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(Dir(workDir));
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(kProgram, {});
        EXPECT_TRUE(p->waitForStarted(5000));
        procs.push_back(std::move(p));
        return procs.back().get();
    }
    bool WaitListening(int ms) const
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (QFileInfo(SocketPath()).exists()) return true;
            QTest::qWait(20);
        }
        return false;
    }
    static bool Running(QProcess* p) { return p->state() == QProcess::Running; }
    QStringList Files(const char* workDir) const
    {
        return QDir(Dir(workDir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QTemporaryDir root;
    std::vector<std::unique_ptr<QProcess>> procs;
};

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
    qputenv("TMPDIR", QFile::encodeName(Dir("tmp")));
    int asked = 0;
    {
        hoxa::SingleInstance running;
        ASSERT_TRUE(running.Acquire());
        running.SetActivateHandler([&asked] { ++asked; });
        EXPECT_TRUE(QFileInfo::exists(SocketPath()));
        hoxa::SingleInstance later;
        EXPECT_FALSE(later.Acquire());
        QTRY_COMPARE_WITH_TIMEOUT(asked, 1, 3000);
        hoxa::SingleInstance third;
        EXPECT_FALSE(third.Acquire());
        QTRY_COMPARE_WITH_TIMEOUT(asked, 2, 3000);
    }
    // Once the running copy is gone, a new start runs.
    hoxa::SingleInstance next;
    EXPECT_TRUE(next.Acquire());
    if (oldTmp.isNull()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", oldTmp);
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
