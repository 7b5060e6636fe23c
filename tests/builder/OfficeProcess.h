#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// A headless office suite for one test program: a private profile, a pipe name unique to
// this run, and a process that is killed when the fixture goes away, or with the test
// program should that die first.
class OfficeProcess {
public:
    OfficeProcess();
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Starts the suite and waits until it answers on its pipe; false with `error` set when
    // it does not within a minute. Starting again after kill() uses a new pipe name.
    bool start(QString* error);
    // Kills the suite at once, the way a crash would end it, and waits until it is gone.
    void kill();
    bool isRunning() const;
    // Starts the suite the way a person's desktop does instead: with its windows, on the
    // profile of the HOME in `environment` (which also names the DISPLAY).
    void setWindowed(const QProcessEnvironment& environment) {
        m_windowedEnvironment = environment;
    }
    // The suite's process (soffice.bin), or 0 when it is not running.
    qint64 processId() const;

    // The connection for the setting OfficeConnection.
    QString connection() const;
    // The suite's profile folder, as a file URL.
    QString profileUrl() const;

private:
    bool launch(QString* error);

    QTemporaryDir m_profile;
    QString m_pipe;
    std::unique_ptr<QProcess> m_process;
    std::optional<QProcessEnvironment> m_windowedEnvironment;
};
