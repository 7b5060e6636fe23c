#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include <sys/types.h>

// A program started in a session of its own: it outlives the program that started it, a
// Ctrl+C in the terminal does not reach it, and its whole process group can be ended
// together. Its standard streams are /dev/null (its input may be given), its signal mask is
// empty, and every other
// file descriptor is passed on as it is (only those marked close-on-exec are not).
class SpawnedProcess {
public:
    // `command` is the program's path (not looked up in PATH), then its arguments; each is
    // handed over by its bytes (see encodeFileName).
    explicit SpawnedProcess(QStringList command);

    // The folder it starts in; without one, the caller's.
    void setWorkingFolder(const QString& folder) { m_workingFolder = folder; }
    // Gives the variable this value in place of the one inherited, if any; it comes after
    // the inherited ones.
    void setEnvironmentVariable(const QByteArray& name, const QByteArray& value);
    // Its standard input is this descriptor (a copy of it) instead of /dev/null.
    void setInput(int fd) { m_input = fd; }

    // Starts it and returns its process id. Throws AppError numbered `errorNumber`, "`what`
    // could not be started: PROGRAM: REASON", when it cannot be started.
    pid_t start(const QString& what, int errorNumber) const;

private:
    QStringList m_command;
    QString m_workingFolder;
    int m_input = -1;
    std::vector<std::pair<QByteArray, QByteArray>> m_environment;
};
