#include "builder/uno/UnoRuntime.h"

#include "builder/uno/UnoErrors.h"
#include "builder/uno/Writer1.h"

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <csignal>

namespace {

// The folder whose fundamentalrc describes the office's runtime and types. Without it the
// local runtime lacks the office's types and the first remote call brings the process down.
QString runtimeFolder(const QString& officeProgram) {
    if (!officeProgram.isEmpty()) {
        const QString folder = QFileInfo(officeProgram).absolutePath();
        if (QFileInfo::exists(folder + QStringLiteral("/fundamentalrc"))) {
            return folder;
        }
    }
    return QStringLiteral(LUMIGROVE_OFFICE_PROGRAM_DIR);
}

} // namespace

css::uno::Reference<css::uno::XComponentContext> localUnoContext() {
    static const auto* context = [] {
        // A connection whose office died is a closed pipe; writing to it must fail the
        // call, not end this program with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        rtl::OUString configured;
        if (!rtl::Bootstrap::get("URE_BOOTSTRAP", configured)) {
            const QString rc = QStringLiteral("vnd.sun.star.pathname:") +
                               runtimeFolder(findOfficeProgram()) +
                               QStringLiteral("/fundamentalrc");
            rtl::Bootstrap::set("URE_BOOTSTRAP", toOUString(rc));
        }
        // Local set-up only: nothing here reaches an office.
        try {
            return new css::uno::Reference<css::uno::XComponentContext>(
                cppu::defaultBootstrap_InitialComponentContext());
        } catch (const css::uno::Exception&) {
            throwCaughtOfficeError();
        }
    }();
    return *context;
}

QString findOfficeProgram() {
    const QString unoPath = qEnvironmentVariable("UNO_PATH");
    if (!unoPath.isEmpty()) {
        const QFileInfo program(QDir(unoPath).filePath(QStringLiteral("soffice")));
        return program.isExecutable() ? program.absoluteFilePath() : QString();
    }
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (onPath.isEmpty()) {
        return QString();
    }
    // The office's own "soffice" lies in its program folder, beside its runtime; PATH
    // usually holds a link to it.
    const QString resolved = QFileInfo(onPath).canonicalFilePath();
    return resolved.isEmpty() ? onPath : resolved;
}

// A new profile makes the office sync its bundled extensions on its first start and then
// start itself a second time. A private profile of ours takes no extensions, so it is told
// that the sync of this installation's build has been done; the office then starts once.
// Where the build cannot be read, nothing is written and the office restarts as before.
void markExtensionsSynced(const QString& profileFolder, const QString& programFolder) {
    const QString marker = profileFolder + QStringLiteral("/user/extensions/buildid");
    if (QFile::exists(marker)) {
        return;
    }
    QFile version(programFolder + QStringLiteral("/versionrc"));
    if (!version.open(QIODevice::ReadOnly)) {
        return;
    }
    QByteArray build;
    while (!version.atEnd()) {
        const QByteArray line = version.readLine().trimmed();
        if (line.startsWith("buildid=")) {
            build = line.mid(8);
        }
    }
    QFile out(marker);
    if (build.isEmpty() || !QDir().mkpath(QFileInfo(marker).path()) ||
        !out.open(QIODevice::WriteOnly)) {
        return;
    }
    out.write(build);
}
