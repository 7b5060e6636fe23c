#include "builder/uno/OfficeGuard.h"

#include "builder/uno/SpawnedProcess.h"
#include "core/AppError.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A line on standard input lets the office go; the end of the input without one (the program
// is gone) kills the office's group and removes what it leaves. The guard waits a moment for the
// group to be gone before removing the profile, so that no dying process writes into it again.
constexpr char kGuardScript[] =
    "if read -r _; then exit 0; fi\n"
    "kill -KILL -\"$1\" \"$1\" 2>/dev/null\n"
    "n=0\n"
    "while [ $n -lt 20 ] && kill -0 -\"$1\" 2>/dev/null; do sleep 0.1; n=$((n + 1)); done\n"
    "rm -f -- \"$2\"\n"
    "[ -z \"$3\" ] || rm -rf -- \"$3\"\n";

// How long a guard may take to end before it is left to be collected at exit: one let go ends
// at once, one that ends the office waits for the office's group to be gone.
constexpr int kGuardEndWaitMs = 1000;
constexpr int kGuardKillWaitMs = 3000;

} // namespace

OfficeGuard::OfficeGuard(pid_t officePid, const QString& pipeFile, const QString& profileFolder) {
    int ends[2] = {-1, -1};
    // Both ends close on exec: the office and every other program started from here must not
    // hold the writing end, or the guard would never see this program's end.
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return;
    }
    SpawnedProcess guard({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                          QString::fromLatin1(kGuardScript), QStringLiteral("lumigrove-guard"),
                          QString::number(officePid), pipeFile, profileFolder});
    guard.setInput(ends[0]);
    try {
        m_guard = guard.start(QStringLiteral("The office's guard"), 0);
        m_pipe = ends[1];
    } catch (const AppError&) {
        ::close(ends[1]);
    }
    ::close(ends[0]);
}

OfficeGuard::~OfficeGuard() {
    if (m_pipe >= 0) {
        ::close(m_pipe);
        m_pipe = -1;
        collect(kGuardKillWaitMs);
    }
}

void OfficeGuard::letGo() {
    if (m_pipe < 0) {
        return;
    }
    [[maybe_unused]] const ssize_t written = ::write(m_pipe, "let go\n", 7);
    ::close(m_pipe);
    m_pipe = -1;
    collect(kGuardEndWaitMs);
}

void OfficeGuard::collect(int waitMs) {
    // The guard is not left a zombie beside the program.
    const QDeadlineTimer deadline(waitMs);
    while (m_guard > 0) {
        const pid_t ended = ::waitpid(m_guard, nullptr, WNOHANG);
        if (ended == m_guard || (ended < 0 && errno != EINTR) || deadline.hasExpired()) {
            m_guard = 0;
        } else {
            QThread::msleep(5);
        }
    }
}
