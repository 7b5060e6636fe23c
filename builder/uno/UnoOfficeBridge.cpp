#include "builder/uno/UnoOfficeBridge.h"

#include "builder/uno/UnoErrors.h"
#include "builder/uno/UnoSession.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"
#include "core/EventLoopWait.h"
#include "core/Settings.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <algorithm>
#include <csignal>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr int kRetryMs = 200;

// The folder whose fundamentalrc describes the suite's runtime and types. Without it the
// local runtime lacks the suite's types and the first remote call brings the process down.
QString runtimeFolder(const QString& officeProgram) {
    if (!officeProgram.isEmpty()) {
        const QString folder = QFileInfo(officeProgram).absolutePath();
        if (QFileInfo::exists(folder + QStringLiteral("/fundamentalrc"))) {
            return folder;
        }
    }
    return QStringLiteral(LUMIGROVE_OFFICE_PROGRAM_DIR);
}

// The local end of every connection: created once per process, on first use, and kept.
css::uno::Reference<css::uno::XComponentContext> localContext() {
    static const auto* context = [] {
        // A connection whose office died is a closed pipe; writing to it must fail the
        // call, not end this program with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        rtl::OUString configured;
        if (!rtl::Bootstrap::get("URE_BOOTSTRAP", configured)) {
            const QString rc = QStringLiteral("vnd.sun.star.pathname:") +
                               runtimeFolder(UnoOfficeBridge::findOfficeProgram()) +
                               QStringLiteral("/fundamentalrc");
            rtl::Bootstrap::set("URE_BOOTSTRAP", toOUString(rc));
        }
        return new css::uno::Reference<css::uno::XComponentContext>(
            callOffice([] { return cppu::defaultBootstrap_InitialComponentContext(); }));
    }();
    return *context;
}

css::uno::Reference<css::bridge::XUnoUrlResolver> newResolver() {
    return callOffice([] { return css::bridge::UnoUrlResolver::create(localContext()); });
}

QString contextUrl(const QString& connection) {
    if (connection.startsWith(QStringLiteral("uno:"))) {
        return connection;
    }
    return QStringLiteral("uno:") + connection + QStringLiteral(";StarOffice.ComponentContext");
}

css::uno::Reference<css::uno::XComponentContext>
resolveContext(const css::uno::Reference<css::bridge::XUnoUrlResolver>& resolver,
               const QString& url) {
    return css::uno::Reference<css::uno::XComponentContext>(resolver->resolve(toOUString(url)),
                                                            css::uno::UNO_QUERY_THROW);
}

} // namespace

UnoOfficeBridge::UnoOfficeBridge(int startTimeoutMs) : m_startTimeoutMs(startTimeoutMs) {}

std::unique_ptr<OfficeSession> UnoOfficeBridge::createServiceManager() {
    const QString connection =
        !m_connection.isEmpty() ? m_connection : GetSetting(Setting::OfficeConnection).trimmed();
    const auto context = connection.isEmpty() ? startOffice() : connectToOffice(connection);
    return std::make_unique<UnoSession>(context);
}

css::uno::Reference<css::uno::XComponentContext>
UnoOfficeBridge::connectToOffice(const QString& connection) {
    const auto resolver = newResolver();
    return callOffice([&] { return resolveContext(resolver, contextUrl(connection)); });
}

css::uno::Reference<css::uno::XComponentContext> UnoOfficeBridge::startOffice() {
    const QString program = findOfficeProgram();
    if (program.isEmpty()) {
        throw AppError(QStringLiteral("No office suite installation found"),
                       OfficeError::Automation);
    }
    const auto resolver = newResolver();

    const QString pipe =
        QStringLiteral("lumigrove%1%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    QStringList arguments{QStringLiteral("--nologo"), QStringLiteral("--nodefault"),
                          QStringLiteral("--norestore"), QStringLiteral("--nolockcheck"),
                          QStringLiteral("--accept=pipe,name=%1;urp;").arg(pipe)};
    if (m_headless) {
        arguments << QStringLiteral("--headless") << QStringLiteral("--invisible");
    }
    if (!m_profileFolder.isEmpty()) {
        arguments << QStringLiteral("-env:UserInstallation=") +
                         QUrl::fromLocalFile(m_profileFolder).toString(QUrl::FullyEncoded);
    }
    // The suite outlives this program: the document it builds stays open for the user.
    QProcess office;
    office.setProgram(program);
    office.setArguments(arguments);
    office.setWorkingDirectory(QDir::homePath());
    // The suite's own chatter (java and font warnings) is not ours to show.
    office.setStandardOutputFile(QProcess::nullDevice());
    office.setStandardErrorFile(QProcess::nullDevice());
    if (!office.startDetached(&m_startedPid)) {
        throw AppError(QStringLiteral("The office suite could not be started: %1").arg(program),
                       OfficeError::Automation);
    }

    // The runtime's own bootstrap retries for ever; an office that never answers would
    // freeze the program, so the wait is bounded, and it sleeps in the event loop.
    const QDeadlineTimer deadline(m_startTimeoutMs);
    const QString url = contextUrl(QStringLiteral("pipe,name=%1;urp").arg(pipe));
    for (;;) {
        try {
            return resolveContext(resolver, url);
        } catch (const css::connection::NoConnectException&) {
            if (deadline.hasExpired()) {
                throw AppError(QStringLiteral("The office suite did not answer within %1 seconds")
                                   .arg(m_startTimeoutMs / 1000.0),
                               OfficeError::Automation);
            }
        } catch (const css::uno::Exception&) {
            throwCaughtOfficeError();
        }
        sleepInEventLoop(static_cast<int>(std::min<qint64>(kRetryMs, deadline.remainingTime())));
    }
}

QString UnoOfficeBridge::findOfficeProgram() {
    const QString unoPath = qEnvironmentVariable("UNO_PATH");
    if (!unoPath.isEmpty()) {
        const QFileInfo program(QDir(unoPath).filePath(QStringLiteral("soffice")));
        return program.isExecutable() ? program.absoluteFilePath() : QString();
    }
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (onPath.isEmpty()) {
        return QString();
    }
    // The suite's own "soffice" lies in its program folder, beside its runtime; PATH
    // usually holds a link to it.
    const QString resolved = QFileInfo(onPath).canonicalFilePath();
    return resolved.isEmpty() ? onPath : resolved;
}

std::shared_ptr<OfficeBridge> makeUnoOfficeBridge(const QString& connection,
                                                  const QString& profileFolder) {
    auto bridge = std::make_shared<UnoOfficeBridge>();
    if (connection.isEmpty()) {
        bridge->setHeadless(true);
        bridge->setProfileFolder(profileFolder);
    } else {
        bridge->setConnection(connection);
    }
    return bridge;
}
