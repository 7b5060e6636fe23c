#include "builder/uno/UnoOfficeBridge.h"

#include "builder/InsertRoutines.h"
#include "builder/uno/OfficeGuard.h"
#include "builder/uno/SpawnedProcess.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/UnoRuntime.h"
#include "builder/uno/UnoSession.h"
#include "builder/uno/UnoSocket.h"
#include "core/AppError.h"
#include "core/EventLoopWait.h"
#include "core/FileNames.h"
#include "core/Settings.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRetryMs = 200;
constexpr int kDefaultCallTimeoutSeconds = 60;
// How long an office asked to end may take before it is killed.
constexpr int kEndWaitMs = 10000;
constexpr int kEndPollMs = 50;
// How long a program that is closing waits for its office to say whether it holds a document.
constexpr int kIdleCheckTimeoutMs = 2000;

int callTimeoutSettingMs() {
    double seconds = GetSecondsSetting(Setting::OfficeTimeout);
    if (!(seconds > 0)) {
        seconds = kDefaultCallTimeoutSeconds;
    }
    // A limit under a millisecond is one millisecond: 0 would mean no limit of its own.
    return std::max(1, static_cast<int>(std::min(seconds, 86400.0) * 1000));
}

QString pipeConnection(const QString& pipe) {
    return QStringLiteral("pipe,name=%1;urp").arg(pipe);
}

QString exitText(int status) {
    if (WIFEXITED(status)) {
        return QStringLiteral("exit status %1").arg(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return QStringLiteral("signal %1").arg(WTERMSIG(status));
    }
    return QStringLiteral("status %1").arg(status);
}

} // namespace

UnoOfficeBridge::UnoOfficeBridge(int startTimeoutMs) : m_startTimeoutMs(startTimeoutMs) {}

UnoOfficeBridge::~UnoOfficeBridge() {
    stopWatchingStartedOffice();
    // An office started here that was neither ended nor kept for the user ends with the bridge.
    if (m_guard) {
        killStartedOffice();
    }
}

int UnoOfficeBridge::callTimeoutMs() const {
    return m_callTimeoutOverride ? *m_callTimeoutOverride : callTimeoutSettingMs();
}

qint64 UnoOfficeBridge::startedProcessId() const {
    return m_startedPid;
}

QString UnoOfficeBridge::findOfficeProgram() {
    return ::findOfficeProgram();
}

std::shared_ptr<UnoLink> UnoOfficeBridge::connectToOffice(const QString& connection,
                                                          int callTimeoutMs) {
    return UnoLink::connect(connection, callTimeoutMs);
}

std::unique_ptr<OfficeSession> UnoOfficeBridge::createServiceManager() {
    QString connection = m_connection;
    if (connection.isEmpty() && !m_ownOfficeOnly) {
        connection = GetSetting(Setting::OfficeConnection).trimmed();
    }
    const auto link = connection.isEmpty()
                          ? startedOfficeLink()
                          : UnoLink::connect(connection, callTimeoutMs(),
                                             [this](const auto& socket) { keep(socket); });
    return std::make_unique<UnoSession>(link);
}

void UnoOfficeBridge::keep(const std::shared_ptr<LinkSocket>& socket) {
    const std::lock_guard lock(m_linksMutex);
    std::erase_if(m_links, [](const std::weak_ptr<LinkSocket>& kept) { return kept.expired(); });
    m_links.push_back(socket);
    // Made after the cut: cut at once, so that the connect fails instead of waiting.
    if (m_connectionsCut) {
        socket->shutDown();
    }
}

void UnoOfficeBridge::keepStartedOffice() {
    if (m_guard) {
        m_guard->letGo();
        m_guard.reset();
    }
}

void UnoOfficeBridge::throwIfCut() const {
    if (m_connectionsCut) {
        throw AppError(QStringLiteral("The connection to the office suite was cut"),
                       OfficeError::Disconnected);
    }
}

void UnoOfficeBridge::cutConnections() {
    // Only the sockets are touched: the links and the runtime's bridges stay with the thread
    // that uses them, which sees its calls fail.
    m_connectionsCut = true;
    const std::lock_guard lock(m_linksMutex);
    for (const auto& kept : m_links) {
        if (const auto socket = kept.lock()) {
            socket->shutDown();
        }
    }
}

std::shared_ptr<UnoLink> UnoOfficeBridge::startedOfficeLink() {
    // The office started for the start-up check serves every later run, as long as it runs.
    throwIfCut();
    if (!startedOfficeRuns()) {
        forgetStartedOffice();
        startOffice();
    }
    auto link = waitUntilListening(m_startTimeoutMs);
    watchStartedOffice();
    return link;
}

void UnoOfficeBridge::watchStartedOffice() {
    // When the user's office already runs on the same profile, the launcher hands the
    // connection over to it and ends: it is collected then, not left a zombie until the next
    // run, and the office that answers is not ours to end.
    if (m_endWatch || m_startedPid <= 0 || QCoreApplication::instance() == nullptr) {
        return;
    }
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(m_startedPid), 0));
    if (fd < 0) {
        return; // no pidfd: the next run collects it
    }
    m_endWatch = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_endWatch.get(), &QSocketNotifier::activated, m_endWatch.get(), [this] {
        if (!startedOfficeRuns()) {
            // A killed office leaves its pipe file behind; the office it was handed over to
            // listens there.
            try {
                LinkSocket::connect(QStringLiteral("pipe,name=%1").arg(m_startedPipe), 1000);
            } catch (const AppError& e) {
                if (e.number() == OfficeError::NotListening) {
                    removeStartedPipeFile();
                }
            }
            forgetStartedOffice();
        }
        stopWatchingStartedOffice();
    });
}

void UnoOfficeBridge::stopWatchingStartedOffice() {
    if (!m_endWatch) {
        return;
    }
    const int fd = static_cast<int>(m_endWatch->socket());
    m_endWatch->setEnabled(false);
    // It may be the notifier whose signal is running: the event loop deletes it.
    if (QCoreApplication::instance() != nullptr) {
        m_endWatch.release()->deleteLater();
    } else {
        m_endWatch.reset();
    }
    ::close(fd);
}

void UnoOfficeBridge::startOffice() {
    const QString program = findOfficeProgram();
    if (program.isEmpty()) {
        throw AppError(QStringLiteral("No office suite installation found"),
                       OfficeError::Automation);
    }
    localUnoContext();

    const QString pipe =
        QStringLiteral("lumigrove%1%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    QStringList arguments{program,
                          QStringLiteral("--nologo"),
                          QStringLiteral("--nodefault"),
                          QStringLiteral("--norestore"),
                          QStringLiteral("--nolockcheck"),
                          QStringLiteral("--accept=%1;").arg(pipeConnection(pipe))};
    if (m_headless) {
        arguments << QStringLiteral("--headless") << QStringLiteral("--invisible");
    }
    if (!m_profileFolder.isEmpty()) {
        arguments << QStringLiteral("-env:UserInstallation=") + PictureFileUrl(m_profileFolder);
        markExtensionsSynced(m_profileFolder, QFileInfo(program).path());
    }
    // The office runs in a session of its own: it outlives this program (the document it
    // builds stays open for the user), a Ctrl+C in the terminal does not reach it, and its
    // whole process group (the launcher and the office proper) can be ended together. Its
    // own chatter (java and font warnings) is not ours to show.
    SpawnedProcess office(arguments);
    office.setWorkingFolder(QDir::homePath());
    // An office with a profile of ours keeps its temporary files there too, so that
    // removing the profile leaves nothing of it behind, even after it had to be killed.
    if (!m_profileFolder.isEmpty()) {
        const QString temp = m_profileFolder + QStringLiteral("/tmp");
        QDir().mkpath(temp);
        office.setEnvironmentVariable("TMPDIR", encodeFileName(temp));
    }
    const pid_t pid = office.start(QStringLiteral("The office suite"), OfficeError::StartFailed);
    m_startedPid = pid;
    m_startedPipe = pipe;
    m_guard = std::make_unique<OfficeGuard>(pid, officePipeFile(pipe), m_profileFolder);
}

std::shared_ptr<UnoLink> UnoOfficeBridge::waitUntilListening(int timeoutMs) {
    // The runtime's own bootstrap retries for ever; an office that never answers would
    // freeze the program, so the wait is bounded, and it sleeps in the event loop. An office
    // that ends meanwhile (a profile it cannot write, say) is noticed at the next retry.
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        try {
            throwIfCut();
            return UnoLink::connect(pipeConnection(m_startedPipe), callTimeoutMs(),
                                    [this](const auto& socket) { keep(socket); });
        } catch (const AppError& e) {
            if (e.number() == OfficeError::TimedOut || e.number() == OfficeError::Disconnected) {
                killStartedOffice();
                throw;
            }
            if (e.number() != OfficeError::NotListening) {
                throw;
            }
        }
        int status = 0;
        const pid_t ended = ::waitpid(static_cast<pid_t>(m_startedPid), &status, WNOHANG);
        if (ended == m_startedPid) {
            removeStartedPipeFile();
            forgetStartedOffice();
            throw AppError(QStringLiteral("The office suite could not start: %1 ended with %2 "
                                          "before it answered")
                               .arg(findOfficeProgram(), exitText(status)),
                           OfficeError::StartFailed);
        }
        if (deadline.hasExpired()) {
            killStartedOffice();
            throw AppError(QStringLiteral("The office suite did not answer within %1 seconds")
                               .arg(timeoutMs / 1000.0),
                           OfficeError::StartFailed);
        }
        sleepInEventLoop(static_cast<int>(std::min<qint64>(kRetryMs, deadline.remainingTime())));
    }
}

bool UnoOfficeBridge::startedOfficeRuns() {
    if (m_startedPid <= 0) {
        return false;
    }
    int status = 0;
    const pid_t answer = ::waitpid(static_cast<pid_t>(m_startedPid), &status, WNOHANG);
    if (answer == 0) {
        return true;
    }
    if (answer == m_startedPid) {
        return false;
    }
    // Reaped elsewhere already: ask the process itself.
    return ::kill(static_cast<pid_t>(m_startedPid), 0) == 0;
}

void UnoOfficeBridge::killStartedOffice() {
    if (m_startedPid <= 0) {
        return;
    }
    const auto pid = static_cast<pid_t>(m_startedPid);
    // The group holds the launcher and the office proper; a stopped office dies too.
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    removeStartedPipeFile();
    forgetStartedOffice();
}

void UnoOfficeBridge::removeStartedPipeFile() {
    ::unlink(encodeFileName(officePipeFile(m_startedPipe)).constData());
}

void UnoOfficeBridge::forgetStartedOffice() {
    stopWatchingStartedOffice();
    keepStartedOffice();
    m_startedPid = 0;
    m_startedPipe.clear();
}

void UnoOfficeBridge::endStartedOffice(bool onlyIfIdle) {
    if (m_startedPid <= 0) {
        return;
    }
    if (!startedOfficeRuns()) {
        removeStartedPipeFile();
        forgetStartedOffice();
        return;
    }
    if (m_connectionsCut && !onlyIfIdle) {
        // Its calls were cut because it did not answer in time: asking it to end would only
        // wait again.
        killStartedOffice();
        return;
    }
    try {
        // A program that is closing, or whose calls were cut, does not wait long for an answer.
        const int limit = onlyIfIdle || m_connectionsCut
                              ? std::min(callTimeoutMs(), kIdleCheckTimeoutMs)
                              : callTimeoutMs();
        const auto link = UnoLink::connect(pipeConnection(m_startedPipe), limit);
        const bool idle = link->call([&] {
            const auto desktop = css::frame::Desktop::create(link->context());
            const bool holdsDocument =
                desktop->getComponents()->createEnumeration()->hasMoreElements();
            if (onlyIfIdle && holdsDocument) {
                return false;
            }
            desktop->terminate();
            return true;
        });
        if (!idle) {
            // It holds a document the user is to see: it stays, after this program too.
            keepStartedOffice();
            return;
        }
    } catch (const AppError&) {
        if (onlyIfIdle) {
            // Whether it holds a document cannot be told: leave it be.
            keepStartedOffice();
            return;
        }
        // It does not answer: asking it again would only wait again.
        killStartedOffice();
        return;
    }
    const QDeadlineTimer deadline(kEndWaitMs);
    while (startedOfficeRuns() && !deadline.hasExpired()) {
        sleepInEventLoop(kEndPollMs);
    }
    if (startedOfficeRuns()) {
        killStartedOffice();
        return;
    }
    removeStartedPipeFile();
    forgetStartedOffice();
}

std::shared_ptr<UnoOfficeBridge>
makeUnoOfficeBridge(const QString& connection, const QString& profileFolder, int callTimeoutMs) {
    // A first start with a new profile can take a while on a slow machine; a longer call
    // limit given by the user is a longer start limit too.
    auto bridge = std::make_shared<UnoOfficeBridge>(
        std::max(UnoOfficeBridge::kDefaultStartTimeoutMs, callTimeoutMs));
    if (connection.isEmpty()) {
        bridge->setOwnOfficeOnly(true);
        bridge->setHeadless(true);
        bridge->setProfileFolder(profileFolder);
    } else {
        bridge->setConnection(connection);
    }
    if (callTimeoutMs > 0) {
        bridge->setCallTimeoutMs(callTimeoutMs);
    }
    return bridge;
}
