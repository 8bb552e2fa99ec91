#include "app_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

namespace velkarn::test {

namespace {

constexpr const char* kTracePrefix = "velkarn-trace: ";

// Owns the virtual desktop for the whole test binary; ended by gtest's
// environment tear-down so no Xvfb outlives the tests.
class DesktopEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        for (QProcess* p : {m_trayer.get(), m_xvfb.get()}) {
            if (p && p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(3000);
            }
        }
        m_trayer.reset();
        m_xvfb.reset();
    }

    QString Display() {
        if (m_tried)
            return m_display;
        m_tried = true;
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
            QStandardPaths::findExecutable("trayer").isEmpty())
            return {};
        for (int n = 140; n < 200 && m_display.isEmpty(); ++n) {
            if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)) ||
                QFile::exists(QString("/tmp/.X%1-lock").arg(n)))
                continue;
            m_xvfb = std::make_unique<QProcess>();
            m_xvfb->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            m_xvfb->setStandardOutputFile(QProcess::nullDevice());
            m_xvfb->start("Xvfb",
                          {QString(":%1").arg(n), "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
            if (!m_xvfb->waitForStarted(3000))
                return {};
            // The display is ready once its socket exists.
            QElapsedTimer t;
            t.start();
            while (!QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)) && t.elapsed() < 5000 &&
                   m_xvfb->state() == QProcess::Running)
                QThread::msleep(50);
            if (m_xvfb->state() != QProcess::Running)
                continue;
            m_display = QString(":%1").arg(n);
        }
        if (m_display.isEmpty())
            return {};
        m_trayer = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        m_trayer->setProcessEnvironment(env);
        m_trayer->setStandardOutputFile(QProcess::nullDevice());
        m_trayer->setStandardErrorFile(QProcess::nullDevice());
        m_trayer->start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                                   "120", "--height", "28", "--transparent", "false"});
        m_trayer->waitForStarted(3000);
        // The tray host needs a moment to claim the tray selection.
        QThread::msleep(700);
        return m_display;
    }

private:
    bool m_tried = false;
    QString m_display;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_trayer;
};

DesktopEnvironment* Desktop() {
    static DesktopEnvironment* env = [] {
        auto* e = new DesktopEnvironment;
        ::testing::AddGlobalTestEnvironment(e); // gtest owns it
        return e;
    }();
    return env;
}

// Registered before main runs, so gtest knows to tear the desktop down.
[[maybe_unused]] const bool kRegistered = (Desktop(), true);

} // namespace

ProcessTestLock::ProcessTestLock() {
    const std::string path = "/tmp/velkarn-ui-process-tests-" + std::to_string(getuid()) + ".lock";
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_EX);
}

ProcessTestLock::~ProcessTestLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString BinFolder() {
    return QString::fromUtf8(VELKARN_BIN_DIR);
}

QString VirtualDisplay() {
    return Desktop()->Display();
}

AppHome::AppHome() {
    QDir root(m_dir.path());
    for (const char* d : {"run", "data", "config", "state"})
        root.mkpath(d);
    QFile::setPermissions(m_dir.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QProcessEnvironment AppHome::Environment(bool plugged) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", RuntimeFolder());
    env.insert("XDG_DATA_HOME", DataFolder());
    env.insert("XDG_CONFIG_HOME", m_dir.path() + "/config");
    env.insert("XDG_STATE_HOME", m_dir.path() + "/state");
    env.insert("HOME", m_dir.path());
    env.insert("PYLONET_SIM_STATE", m_dir.path() + "/sim.state");
    env.insert("PYLONET_SIM_PLUGGED", plugged ? "1" : "0");
    env.insert("VELKARN_SERVICE_LIBRARY", BinFolder() + "/libpylonet-sim.so");
    env.insert("VELKARN_TRACE", "1");
    env.remove("QT_QPA_PLATFORM");
    env.remove("WAYLAND_DISPLAY");
    env.insert("DISPLAY", VirtualDisplay());
    return env;
}

AppProcess::~AppProcess() {
    // SIGTERM ends the program through its exit sequence, so its named
    // events do not outlive the test.
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

bool AppProcess::Start(const QProcessEnvironment& env, const QStringList& args) {
    m_process.setProcessEnvironment(env);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(BinFolder() + "/velkarn", args);
    return m_process.waitForStarted(5000);
}

void AppProcess::Collect(int waitMs) {
    if (m_process.state() != QProcess::NotRunning)
        m_process.waitForReadyRead(waitMs);
    m_output += QString::fromUtf8(m_process.readAllStandardError());
}

QStringList AppProcess::TraceLines() {
    Collect(0);
    QStringList lines;
    for (const QString& line : m_output.split('\n')) {
        if (!line.startsWith(kTracePrefix))
            continue;
        QString text = line.mid(static_cast<int>(strlen(kTracePrefix)));
        // Drop the time stamp " (+12 ms)".
        const int stamp = text.lastIndexOf(" (+");
        if (stamp >= 0 && text.endsWith(" ms)"))
            text.truncate(stamp);
        lines << text;
    }
    return lines;
}

bool AppProcess::WaitForTrace(const QString& text, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    for (;;) {
        for (const QString& line : TraceLines()) {
            if (line.contains(text))
                return true;
        }
        if (t.elapsed() > timeoutMs)
            return false;
        if (m_process.state() == QProcess::NotRunning)
            return false;
        Collect(50);
    }
}

int AppProcess::CountTrace(const QString& text, int settleMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < settleMs && m_process.state() != QProcess::NotRunning)
        Collect(50);
    int n = 0;
    for (const QString& line : TraceLines())
        n += line.contains(text) ? 1 : 0;
    return n;
}

int AppProcess::WaitForExit(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (m_process.state() != QProcess::NotRunning && t.elapsed() < timeoutMs)
        Collect(50);
    Collect(0);
    if (m_process.state() != QProcess::NotRunning)
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

int RunVelkarn(const QProcessEnvironment& env, const QStringList& args, int timeoutMs) {
    AppProcess p;
    if (!p.Start(env, args))
        return -1;
    return p.WaitForExit(timeoutMs);
}

int RunSimCtl(const QProcessEnvironment& env, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(BinFolder() + "/pylonet-sim-ctl", args);
    if (!p.waitForFinished(10000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace velkarn::test
