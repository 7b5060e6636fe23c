#pragma once

#include <QString>

#include <sys/types.h>

// Ties an office this program started to the program's life. The office runs in a session of
// its own, so that it can outlive the program on purpose (it holds a document left for the
// user); without a guard it would also outlive a program that was killed (SIGKILL, a crash),
// and stay invisible with its pipe and private profile behind. The guard is a small process of
// its own that holds the reading end of a pipe whose writing end only this program holds: when
// the program ends without letting go first, the pipe reads its end and the guard kills the
// office's process group, then removes the office's pipe file and its private profile.
class OfficeGuard {
public:
    // Guards the office whose process group leader is `officePid`. `pipeFile` is the socket
    // file of the pipe it listens on; `profileFolder`, when not empty, its private profile,
    // removed with it.
    OfficeGuard(pid_t officePid, const QString& pipeFile, const QString& profileFolder);
    // Still guarding, the guard ends the office now.
    ~OfficeGuard();
    OfficeGuard(const OfficeGuard&) = delete;
    OfficeGuard& operator=(const OfficeGuard&) = delete;

    // The office is no longer the guard's: it has been ended, or it is to outlive the program.
    void letGo();
    // Whether a guard process runs; none where it could not be started (the office then runs
    // unguarded, as it would without this).
    bool guarding() const { return m_pipe >= 0; }

private:
    void collect(int waitMs);

    int m_pipe = -1;
    pid_t m_guard = 0;
};
