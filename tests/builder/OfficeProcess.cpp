#include "tests/builder/OfficeProcess.h"

#include "builder/uno/UnoOfficeBridge.h"
#include "builder/uno/UnoRuntime.h"
#include "core/AppError.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QRandomGenerator>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <sys/prctl.h>

namespace {

const QString kOfficeBinary = QStringLiteral(LUMIGROVE_OFFICE_PROGRAM_DIR "/soffice.bin");
// A new profile on which the extensions are not marked synced makes the suite ask for a
// restart once it has set the profile up.
constexpr int kRestartRequested = 81;
constexpr int kStartTimeoutMs = 60000;

} // namespace

OfficeProcess::OfficeProcess()
    : m_profile(QDir::tempPath() + QStringLiteral("/lumigrove-office-XXXXXX")) {}

OfficeProcess::~OfficeProcess() {
    kill();
}

QString OfficeProcess::connection() const {
    return QStringLiteral("pipe,name=%1;urp").arg(m_pipe);
}

QString OfficeProcess::profileUrl() const {
    return QUrl::fromLocalFile(m_profile.path()).toString();
}

bool OfficeProcess::isRunning() const {
    return m_process && m_process->state() != QProcess::NotRunning;
}

qint64 OfficeProcess::processId() const {
    return isRunning() ? m_process->processId() : 0;
}

bool OfficeProcess::launch(QString* error) {
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(kOfficeBinary);
    QStringList arguments{QStringLiteral("--norestore"), QStringLiteral("--nologo"),
                          QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
                          QStringLiteral("--accept=%1;").arg(connection())};
    if (m_windowedEnvironment) {
        m_process->setProcessEnvironment(*m_windowedEnvironment);
        // A person's office has been started before: its profile is set up.
        markExtensionsSynced(m_windowedEnvironment->value(QStringLiteral("HOME")) +
                                 QStringLiteral("/.config/libreoffice/4"),
                             QStringLiteral(LUMIGROVE_OFFICE_PROGRAM_DIR));
    } else {
        arguments << QStringLiteral("--headless") << QStringLiteral("--invisible")
                  << QStringLiteral("-env:UserInstallation=") + profileUrl();
        markExtensionsSynced(m_profile.path(), QStringLiteral(LUMIGROVE_OFFICE_PROGRAM_DIR));
    }
    m_process->setArguments(arguments);
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    // Should the test program die without cleaning up, the suite goes with it.
    m_process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process->start();
    if (!m_process->waitForStarted()) {
        *error = QStringLiteral("cannot start %1: %2").arg(kOfficeBinary, m_process->errorString());
        return false;
    }
    return true;
}

bool OfficeProcess::start(QString* error) {
    kill();
    m_pipe = QStringLiteral("lumigrove_test_%1_%2")
                 .arg(QCoreApplication::applicationPid())
                 .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    if (!m_profile.isValid() || !launch(error)) {
        return false;
    }
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning) {
            if (m_process->exitCode() != kRestartRequested) {
                *error = QStringLiteral("the office suite ended with %1 before it answered")
                             .arg(m_process->exitCode());
                return false;
            }
            if (!launch(error)) {
                return false;
            }
        }
        try {
            UnoOfficeBridge::connectToOffice(connection());
            return true;
        } catch (const AppError&) {
            m_process->waitForFinished(200);
        }
    }
    *error = QStringLiteral("the office suite did not answer within a minute");
    return false;
}

void OfficeProcess::kill() {
    if (!m_process) {
        return;
    }
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(10000);
    }
    m_process.reset();
}
