// Drives the real velkarn executable as a child process for the tests that
// need whole processes (single instance, /Kill, start-up with and without
// the keyboard): a virtual X display with a tray host shared by the test
// binary, a private home per test (XDG folders, simulated-keyboard state)
// and a child whose trace lines (VELKARN_TRACE=1) the test waits for.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace velkarn::test {

// Held by a whole-process test for its length. A second start finds a
// running copy by its program name, machine-wide, so two tests each running
// velkarn at once would find each other's copy; the tests take turns.
class ProcessTestLock {
public:
    ProcessTestLock();
    ~ProcessTestLock();
    ProcessTestLock(const ProcessTestLock&) = delete;
    ProcessTestLock& operator=(const ProcessTestLock&) = delete;

private:
    int m_fd = -1;
};

// Xvfb plus the trayer tray host, started once for the test binary. Empty
// display when Xvfb or trayer is missing (the tests then skip).
QString VirtualDisplay();

// A private home: runtime, data, config and state folders and the simulated
// keyboard's state file, all inside one temporary folder.
class AppHome {
public:
    AppHome();
    QString Root() const { return m_dir.path(); }
    QString DataFolder() const { return m_dir.path() + "/data"; }
    QString RuntimeFolder() const { return m_dir.path() + "/run"; }
    // The environment for velkarn and pylonet-sim-ctl in this home.
    QProcessEnvironment Environment(bool plugged) const;

private:
    QTemporaryDir m_dir;
};

class AppProcess {
public:
    ~AppProcess();
    bool Start(const QProcessEnvironment& env, const QStringList& args = {});
    // Waits until a trace line containing text has appeared (counting lines
    // seen before the call too).
    bool WaitForTrace(const QString& text, int timeoutMs = 15000);
    // Collects output for a while, then counts the trace lines containing text.
    int CountTrace(const QString& text, int settleMs = 0);
    QStringList TraceLines();
    // Exit code, or -1 when it has not ended within the time-out.
    int WaitForExit(int timeoutMs = 15000);
    qint64 Pid() const { return m_process.processId(); }
    QString Output() const { return m_output; }

private:
    void Collect(int waitMs);
    QProcess m_process;
    QString m_output;
};

// Runs velkarn to its end (second starts, /Kill); its exit code, or -1.
int RunVelkarn(const QProcessEnvironment& env, const QStringList& args, int timeoutMs = 15000);
// Runs pylonet-sim-ctl with one command; its exit code.
int RunSimCtl(const QProcessEnvironment& env, const QStringList& args);

QString BinFolder();

} // namespace velkarn::test
