#include "batch/BatchCommand.h"

#include "batch/BatchHost.h"
#include "batch/BatchInterrupt.h"
#include "batch/BatchOptions.h"
#include "builder/InsertRoutines.h"
#include "builder/InsertRun.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDocument.h"
#include "core/AppError.h"
#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/HandlerTrap.h"
#include "intake/DroppedPaths.h"
#include "intake/PosixFileSystem.h"
#include "piclist/PictureListModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kProgram[] = "lumigrove-batch";
// How long a call into the office may go on after an interrupt before its connection is
// cut. Cutting ends only our connection: a user's office runs on.
constexpr int kInterruptGraceMs = 2000;

// A name beside the output that no other run picks: the document is written there and
// renamed into place only when complete.
QString temporaryNameBeside(const QFileInfo& out) {
    return out.absolutePath() + QStringLiteral("/.") + out.completeBaseName() +
           QStringLiteral(".lumigrove-%1-%2.")
               .arg(QCoreApplication::applicationPid())
               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')) +
           out.suffix();
}

// The PDF filter downsamples pictures to 300 dpi and re-encodes JPEGs by default; a PDF
// of photos is made to keep them: the original JPEG bytes and every pixel, PNGs lossless.
OfficeArguments filterDataFor(const OutputFormat& format) {
    if (format.extension != QLatin1String("pdf")) {
        return {};
    }
    return {{QStringLiteral("ReduceImageResolution"), false},
            {QStringLiteral("UseLosslessCompression"), true}};
}

// Why the folder search passed over a file, as the disk tells it now.
QString skipReason(const QString& path, const QString& why) {
    const QByteArray bytes = encodeFileName(path);
    struct stat own {};
    struct stat target {};
    if (::lstat(bytes.constData(), &own) != 0) {
        return why;
    }
    if (S_ISLNK(own.st_mode) && ::stat(bytes.constData(), &target) != 0) {
        return QStringLiteral("broken symbolic link");
    }
    const struct stat& info = S_ISLNK(own.st_mode) ? target : own;
    if (S_ISFIFO(info.st_mode)) {
        return QStringLiteral("not a regular file (a fifo)");
    }
    if (S_ISSOCK(info.st_mode)) {
        return QStringLiteral("not a regular file (a socket)");
    }
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        return QStringLiteral("not a regular file (a device)");
    }
    return why;
}

struct Skipped {
    QString path;
    QString why;
};

} // namespace

int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             const OfficeBridgeFactory& makeOffice, BatchInterrupt* interrupt) {
    ParsedCommandLine parsed = parseBatchCommandLine(arguments);
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
    BatchOptions& options = parsed.options;
    // Messages name OUT as the caller wrote it.
    const QString outAsGiven = options.outPath;
    // Everything named on the command line is the caller's, relative to the caller's folder;
    // the office has a working folder of its own.
    resolvePaths(options, callerWorkingFolder());
    PosixFileSystem disk;
    if (const QString problem = checkBatchInputs(options, disk); !problem.isEmpty()) {
        err << kProgram << ": " << problem << Qt::endl;
        return 2;
    }
    auto interrupted = [interrupt] { return interrupt != nullptr && interrupt->signal() != 0; };

    QElapsedTimer timer;
    timer.start();

    // Collect the pictures exactly as a drop on the window's list would; what the folder
    // search passes over is summed up at the end, and OUT is never one of them.
    PictureListModel list;
    BatchHost host(list, err);
    QList<Skipped> skipped;
    ScanContext scan{disk, host, [] { QCoreApplication::processEvents(); }};
    scan.skipped = [&](const QString& path, const QString& why) {
        skipped.append({path, skipReason(path, why)});
    };
    HandlerTrap scanTrap(host, QStringLiteral("while collecting pictures "));
    AddDroppedPaths(options.paths, QStringLiteral("*.") + options.extension, list, scan,
                    [&](int line, const std::function<void()>& step) { scanTrap(line, step); });
    for (int i = list.count(); i >= 1; --i) {
        if (sameFile(list.text(i), options.outPath)) {
            list.remove(i);
        }
    }
    if (options.sort != PictureSort::None) {
        list.reorder(pictureOrder(list.entries(), options.sort));
    }
    const int total = list.count();
    auto printSkipped = [&] {
        if (skipped.isEmpty()) {
            return;
        }
        err << "Passed over in the folders:" << Qt::endl;
        for (const Skipped& file : std::as_const(skipped)) {
            err << "  " << displayFileName(file.path) << " (" << file.why << ")" << Qt::endl;
        }
    };
    if (total == 0) {
        err << kProgram << ": no pictures found in the given paths" << Qt::endl;
        printSkipped();
        return 1;
    }
    err << "Inserting " << total << (total == 1 ? " picture" : " pictures") << Qt::endl;

    // The office: the one named, or a headless one of our own with a private profile,
    // ended afterwards.
    std::unique_ptr<QTemporaryDir> profile;
    const bool ownOffice = options.officeConnection.isEmpty();
    OfficeChoice choice{options.officeConnection, QString(),
                        static_cast<int>(options.timeoutSeconds * 1000)};
    if (ownOffice) {
        profile = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/lumigrove-batch-office-XXXXXX"));
        choice.profileFolder = profile->path();
    }
    const std::shared_ptr<OfficeBridge> office = makeOffice(choice);
    if (interrupt != nullptr) {
        interrupt->arm([office] { office->cutConnections(); }, kInterruptGraceMs);
    }
    host.setStopRequest(interrupted);

    SystemClock clock;
    InsertRun run(host, office.get(), clock);
    run.setPauseSeconds(options.pauseSeconds);
    run.setLayout(options.layout);
    run.setKeepDocument(true);
    if (!interrupted()) {
        run.run();
    }
    const int inserted = static_cast<int>(host.insertedPictures().size());

    bool written = false;
    OfficeDocument* document = run.document();
    if (interrupted()) {
        err << kProgram << ": interrupted; " << displayFileName(outAsGiven) << " not written"
            << Qt::endl;
    } else if (host.documentFailed() || document == nullptr) {
        err << kProgram << ": no office suite could be reached"
            << (options.officeConnection.isEmpty()
                    ? QString()
                    : QStringLiteral(" at %1").arg(options.officeConnection))
            << Qt::endl;
    } else if (!run.completed()) {
        err << kProgram << ": the office suite went away; " << displayFileName(outAsGiven)
            << " not written" << Qt::endl;
    } else if (inserted == 0) {
        err << kProgram << ": no picture went in; " << displayFileName(outAsGiven) << " not written"
            << Qt::endl;
    } else {
        const QFileInfo target(options.outPath);
        const QString temporary = temporaryNameBeside(target);
        try {
            document->storeToFile(temporary, options.format.filterName,
                                  filterDataFor(options.format),
                                  storeTimeLimitMs(options.timeoutSeconds, inserted));
            if (interrupted()) {
                throw AppError(QStringLiteral("interrupted"));
            }
            if (std::rename(encodeFileName(temporary).constData(),
                            encodeFileName(target.absoluteFilePath()).constData()) != 0) {
                throw AppError(QStringLiteral("cannot rename %1 to %2: %3")
                                   .arg(displayFileName(temporary),
                                        displayFileName(options.outPath),
                                        QString::fromLocal8Bit(std::strerror(errno))));
            }
            written = true;
        } catch (const AppError& e) {
            err << kProgram << ": " << displayFileName(outAsGiven)
                << " not written: " << e.description() << Qt::endl;
        }
        ::unlink(encodeFileName(temporary).constData());
    }

    // Let go of the document and, when it is ours, of the office; failures here change
    // nothing about what was written. An interrupted run leaves nothing behind either.
    const bool keep = options.keepOpen && !interrupted();
    if (document != nullptr && !keep) {
        try {
            document->close();
        } catch (const AppError&) {
        }
    }
    if (ownOffice && !keep) {
        office->endStartedOffice(false);
    }
    if (interrupt != nullptr) {
        interrupt->disarm();
    }

    // The pictures that did not go in: those that failed, and those the run never reached.
    QStringList failed;
    for (int i = 1; i <= total; ++i) {
        if (host.insertedPictures().count(i) == 0) {
            failed.append(list.text(i));
        }
    }
    err << "Inserted " << inserted << " of " << total << " pictures";
    if (written) {
        err << " into " << displayFileName(outAsGiven);
    }
    err << " in " << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s" << Qt::endl;
    if (!failed.isEmpty()) {
        err << "Not inserted:" << Qt::endl;
        for (const QString& path : std::as_const(failed)) {
            err << "  " << displayFileName(path) << Qt::endl;
        }
    }
    printSkipped();
    if (interrupted()) {
        return 128 + interrupt->signal();
    }
    return written && failed.isEmpty() ? 0 : 1;
}
