#include "batch/BatchCommand.h"

#include "batch/BatchHost.h"
#include "batch/BatchOptions.h"
#include "builder/InsertRun.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDocument.h"
#include "core/AppError.h"
#include "core/Clock.h"
#include "core/EventLoopWait.h"
#include "core/HandlerTrap.h"
#include "intake/DroppedPaths.h"
#include "intake/PosixFileSystem.h"
#include "piclist/PictureListModel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>

#include <csignal>
#include <cstdio>

namespace {

constexpr char kProgram[] = "lumigrove-batch";

// Waits, bounded, for a process that is not our child to end.
void waitForProcessEnd(qint64 pid, int timeoutMs) {
    if (pid <= 0) {
        return;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (::kill(static_cast<pid_t>(pid), 0) == 0 && !deadline.hasExpired()) {
        sleepInEventLoop(50);
    }
}

// A name beside the output that no other run picks: the document is written there and
// renamed into place only when complete.
QString temporaryNameBeside(const QFileInfo& out) {
    return out.absolutePath() + QStringLiteral("/.") + out.completeBaseName() +
           QStringLiteral(".lumigrove-%1-%2.")
               .arg(QCoreApplication::applicationPid())
               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')) +
           out.suffix();
}

// The file URL of a local path, with every character the suite would misread encoded.
QString fileUrlOf(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

} // namespace

int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             const OfficeBridgeFactory& makeOffice) {
    const ParsedCommandLine parsed = parseBatchCommandLine(arguments);
    if (parsed.action == ParsedCommandLine::Action::Help) {
        out << batchHelpText();
        out.flush();
        return 0;
    }
    if (parsed.action == ParsedCommandLine::Action::Refuse) {
        err << kProgram << ": " << parsed.message << Qt::endl
            << "Try '" << kProgram << " --help' for more information." << Qt::endl;
        return 2;
    }
    const BatchOptions& options = parsed.options;
    PosixFileSystem disk;
    if (const QString problem = checkBatchInputs(options, disk); !problem.isEmpty()) {
        err << kProgram << ": " << problem << Qt::endl;
        return 2;
    }

    QElapsedTimer timer;
    timer.start();

    // Collect the pictures exactly as a drop on the window's list would.
    PictureListModel list;
    BatchHost host(list, err);
    const ScanContext scan{disk, host, [] { QCoreApplication::processEvents(); }};
    HandlerTrap scanTrap(host, QStringLiteral("while collecting pictures "));
    AddDroppedPaths(options.paths, QStringLiteral("*.") + options.extension, list, scan,
                    [&](int line, const std::function<void()>& step) { scanTrap(line, step); });
    const int total = list.count();
    if (total == 0) {
        err << kProgram << ": no pictures found in the given paths" << Qt::endl;
        return 1;
    }
    err << "Inserting " << total << (total == 1 ? " picture" : " pictures") << Qt::endl;

    // The office: the one named, or a headless one of our own with a private profile,
    // ended afterwards.
    std::unique_ptr<QTemporaryDir> profile;
    const bool ownOffice = options.officeConnection.isEmpty();
    OfficeChoice choice{options.officeConnection, QString()};
    if (ownOffice) {
        profile = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/lumigrove-batch-office-XXXXXX"));
        choice.profileFolder = profile->path();
    }
    const std::shared_ptr<OfficeBridge> office = makeOffice(choice);
    OfficeBridge* bridge = office.get();

    SystemClock clock;
    InsertRun run(host, bridge, clock);
    run.setPauseSeconds(options.pauseSeconds);
    run.setKeepDocument(true);
    run.run();

    bool written = false;
    OfficeDocument* document = run.document();
    if (host.documentFailed() || document == nullptr) {
        err << kProgram << ": no office suite could be reached"
            << (options.officeConnection.isEmpty()
                    ? QString()
                    : QStringLiteral(" at %1").arg(options.officeConnection))
            << Qt::endl;
    } else if (run.completed()) {
        const QFileInfo target(options.outPath);
        const QString temporary = temporaryNameBeside(target);
        try {
            document->storeToUrl(fileUrlOf(temporary), options.format.filterName);
            if (std::rename(QFile::encodeName(temporary).constData(),
                            QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
                throw AppError(
                    QStringLiteral("cannot rename %1 to %2").arg(temporary, options.outPath));
            }
            written = true;
        } catch (const AppError& e) {
            err << kProgram << ": " << options.outPath << " not written: " << e.description()
                << Qt::endl;
        }
        QFile::remove(temporary);
    } else {
        err << kProgram << ": the office suite went away; " << options.outPath << " not written"
            << Qt::endl;
    }

    // Let go of the document and, when it is ours, of the office; failures here change
    // nothing about what was written.
    if (document != nullptr && !options.keepOpen && run.completed()) {
        try {
            document->close();
        } catch (const AppError&) {
        }
    }
    if (ownOffice && !options.keepOpen && run.desktop() != nullptr) {
        try {
            run.desktop()->terminate();
        } catch (const AppError&) {
        }
    }
    if (ownOffice && !options.keepOpen && bridge != nullptr) {
        waitForProcessEnd(bridge->startedProcessId(), 10000);
    }

    // The pictures that did not go in: those that failed, and those the run never reached.
    QStringList failed;
    for (int i = 1; i <= total; ++i) {
        if (host.insertedPictures().count(i) == 0) {
            failed.append(list.text(i));
        }
    }
    const int inserted = total - static_cast<int>(failed.size());
    err << "Inserted " << inserted << " of " << total << " pictures";
    if (written) {
        err << " into " << options.outPath;
    }
    err << " in " << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s" << Qt::endl;
    if (!failed.isEmpty()) {
        err << "Not inserted:" << Qt::endl;
        for (const QString& path : failed) {
            err << "  " << path << Qt::endl;
        }
    }
    return written && failed.isEmpty() ? 0 : 1;
}
