#include "batch/BatchCommand.h"

#include "batch/BatchHost.h"
#include "batch/BatchInterrupt.h"
#include "batch/BatchOptions.h"
#include "batch/BatchPaths.h"
#include "builder/InsertRoutines.h"
#include "builder/InsertRun.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDocument.h"
#include "core/AppError.h"
#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/HandlerTrap.h"
#include "core/ProgramVersion.h"
#include "intake/DroppedPaths.h"
#include "intake/PosixFileSystem.h"
#include "piclist/PictureListModel.h"
#include "prepare/CaptionFacts.h"
#include "prepare/PreparedPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kProgram = kBatchCommandName;
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
// of photos is made to keep them as they went in: the JPEG bytes and every pixel, PNGs
// lossless. Pictures made smaller went in at the size wanted already.
OfficeArguments filterDataFor(const OutputFormat& format) {
    if (format.extension != QLatin1String("pdf")) {
        return {};
    }
    return {{QStringLiteral("ReduceImageResolution"), false},
            {QStringLiteral("UseLosslessCompression"), true}};
}

constexpr char kLocationRemedy[] = "--strip-metadata removes it";

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

// One run of the command on options that passed the checks: the list and the office it
// uses, and what the summary needs to tell.
class BatchJob {
public:
    BatchJob(const BatchOptions& options, const QString& outAsGiven, QTextStream& err,
             BatchInterrupt* interrupt)
        : m_options(options), m_outAsGiven(outAsGiven), m_err(err), m_interrupt(interrupt),
          m_host(m_list, err), m_stage(options.pictures) {
        m_timer.start();
        m_stage.setLocationRemedy(QString::fromLatin1(kLocationRemedy));
    }

    // Collects the pictures, inserts them, stores the document and sums up; returns the exit
    // status.
    int run(FileSystem& disk, const OfficeBridgeFactory& makeOffice);

private:
    bool interrupted() const { return m_interrupt != nullptr && m_interrupt->signal() != 0; }
    void collectPictures(FileSystem& disk);
    void chooseOffice(const OfficeBridgeFactory& makeOffice);
    int insertPictures(InsertRun& run);
    bool storeDocument(InsertRun& run, int inserted);
    void storeInto(OfficeDocument& document, const QString& temporary, const QString& target,
                   int inserted);
    void letGo(OfficeDocument* document);
    int summarise(int inserted, bool written);
    void printSkipped();

    const BatchOptions& m_options;
    // Messages name OUT as the caller wrote it.
    const QString m_outAsGiven;
    QTextStream& m_err;
    BatchInterrupt* m_interrupt;
    QElapsedTimer m_timer;
    PictureListModel m_list;
    BatchHost m_host;
    QList<Skipped> m_skipped;
    std::unique_ptr<QTemporaryDir> m_profile;
    bool m_ownOffice = false;
    std::shared_ptr<OfficeBridge> m_office;
    PreparedPictures m_stage;
};

int BatchJob::run(FileSystem& disk, const OfficeBridgeFactory& makeOffice) {
    collectPictures(disk);
    const int total = m_list.count();
    if (total == 0) {
        m_err << kProgram << ": no pictures found in the given paths" << Qt::endl;
        printSkipped();
        return 1;
    }
    m_err << "Inserting " << total << (total == 1 ? " picture" : " pictures") << Qt::endl;
    chooseOffice(makeOffice);
    SystemClock clock;
    InsertRun run(m_host, m_office.get(), clock);
    const int inserted = insertPictures(run);
    const bool written = storeDocument(run, inserted);
    letGo(run.document());
    return summarise(inserted, written);
}

// Collects the pictures exactly as a drop on the window's list would; what the folder search
// passes over is summed up at the end, and OUT is never one of them.
void BatchJob::collectPictures(FileSystem& disk) {
    ScanContext scan{disk, m_host, [] { QCoreApplication::processEvents(); }};
    scan.skipped = [this](const QString& path, const QString& why) {
        m_skipped.append({path, skipReason(path, why)});
    };
    HandlerTrap scanTrap(m_host, QStringLiteral("while collecting pictures "));
    AddDroppedPaths(m_options.paths, QStringLiteral("*.") + m_options.extension, m_list, scan,
                    [&](int line, const std::function<void()>& step) { scanTrap(line, step); });
    for (int i = m_list.count(); i >= 1; --i) {
        if (sameFile(m_list.text(i), m_options.outPath)) {
            m_list.remove(i);
        }
    }
    if (m_options.sort != PictureSort::None) {
        m_list.reorder(pictureOrder(m_list.entries(), m_options.sort));
    }
}

// The office: the one named, or a headless one of our own with a private profile, ended
// afterwards.
void BatchJob::chooseOffice(const OfficeBridgeFactory& makeOffice) {
    m_ownOffice = m_options.officeConnection.isEmpty();
    // A limit under a millisecond is one millisecond: 0 would make the office read the
    // window's OfficeTimeout setting, which the batch never reads.
    OfficeChoice choice{m_options.officeConnection, QString(),
                        std::max(1, static_cast<int>(m_options.timeoutSeconds * 1000))};
    if (m_ownOffice) {
        m_profile = std::make_unique<QTemporaryDir>(
            QDir::tempPath() + QStringLiteral("/lumigrove-batch-office-XXXXXX"));
        choice.profileFolder = m_profile->path();
        m_stage.setFolderParent(m_profile->path());
    }
    m_office = makeOffice(choice);
    if (m_interrupt != nullptr) {
        const std::shared_ptr<OfficeBridge> office = m_office;
        m_interrupt->arm([office] { office->cutConnections(); }, kInterruptGraceMs);
    }
    m_host.setStopRequest([this] { return interrupted(); });
}

// Runs the window's insert run; returns how many pictures went in.
int BatchJob::insertPictures(InsertRun& run) {
    run.setPauseSeconds(m_options.pauseSeconds);
    run.setLayout(m_options.layout);
    run.setCaptionFacts(readCaptionFacts);
    run.setStage(&m_stage);
    run.setKeepDocument(true);
    if (!interrupted()) {
        run.run();
    }
    return static_cast<int>(m_host.insertedPictures().size());
}

// Stores the document at OUT when the run got that far; true when OUT was written.
bool BatchJob::storeDocument(InsertRun& run, int inserted) {
    const QString shownOut = displayFileName(m_outAsGiven);
    OfficeDocument* document = run.document();
    if (interrupted()) {
        m_err << kProgram << ": interrupted; " << shownOut << " not written" << Qt::endl;
    } else if (run.stageFailed()) {
        m_err << kProgram << ": the pictures cannot be prepared; " << shownOut << " not written"
              << Qt::endl;
    } else if (m_host.documentFailed() && !m_host.officeFailed()) {
        // The office was there and said why it opened no document (a template it cannot
        // open): the run's report is the one.
    } else if (m_host.documentFailed() || document == nullptr) {
        m_err << kProgram << ": no office suite could be reached"
              << (m_options.officeConnection.isEmpty()
                      ? QString()
                      : QStringLiteral(" at %1").arg(m_options.officeConnection))
              << Qt::endl;
    } else if (!run.completed()) {
        m_err << kProgram << ": the office suite went away; " << shownOut << " not written"
              << Qt::endl;
    } else if (inserted == 0) {
        m_err << kProgram << ": no picture went in; " << shownOut << " not written" << Qt::endl;
    } else {
        // Written through a link, as file tools write: the temporary file goes beside the
        // file at the link's end and replaces that one; the link stays.
        const QString target = outputTarget(m_options.outPath);
        if (target.isEmpty()) {
            m_err << kProgram << ": " << shownOut
                  << " not written: a symbolic link there cannot be followed" << Qt::endl;
            return false;
        }
        const QString temporary = temporaryNameBeside(QFileInfo(target));
        bool written = false;
        try {
            storeInto(*document, temporary, target, inserted);
            written = true;
        } catch (const AppError& e) {
            m_err << kProgram << ": " << shownOut << " not written: " << e.description()
                  << Qt::endl;
        }
        ::unlink(encodeFileName(temporary).constData());
        return written;
    }
    return false;
}

// Writes the document at `temporary` and renames it to `target`, the file OUT names; throws
// AppError when either fails or an interrupt came meanwhile.
void BatchJob::storeInto(OfficeDocument& document, const QString& temporary, const QString& target,
                         int inserted) {
    document.storeToFile(
        temporary, m_options.format.filterName, filterDataFor(m_options.format),
        storeTimeLimitMs(m_options.timeoutSeconds, inserted, m_stage.bytesHanded()), target);
    if (interrupted()) {
        throw AppError(QStringLiteral("interrupted"));
    }
    if (std::rename(encodeFileName(temporary).constData(), encodeFileName(target).constData()) !=
        0) {
        throw AppError(QStringLiteral("cannot rename %1 to %2: %3")
                           .arg(displayFileName(temporary), displayFileName(m_options.outPath),
                                QString::fromLocal8Bit(std::strerror(errno))));
    }
}

// Lets go of the document and, when it is ours, of the office; failures here change nothing
// about what was written. An interrupted run leaves nothing behind either.
void BatchJob::letGo(OfficeDocument* document) {
    const bool keep = m_options.keepOpen && !interrupted();
    if (document != nullptr && !keep) {
        try {
            document->close();
        } catch (const AppError&) {
        }
    }
    if (m_ownOffice) {
        if (keep) {
            m_office->keepStartedOffice();
        } else {
            m_office->endStartedOffice(false);
        }
    }
    if (m_interrupt != nullptr) {
        m_interrupt->disarm();
    }
}

// Sums up what went in and what did not; returns the exit status.
int BatchJob::summarise(int inserted, bool written) {
    // The pictures that did not go in: those that failed, and those the run never reached.
    const int total = m_list.count();
    QStringList failed;
    for (int i = 1; i <= total; ++i) {
        if (m_host.insertedPictures().count(i) == 0) {
            failed.append(m_list.text(i));
        }
    }
    m_err << "Inserted " << inserted << " of " << total << " pictures";
    if (written) {
        m_err << " into " << displayFileName(m_outAsGiven);
    }
    m_err << " in " << QString::number(m_timer.elapsed() / 1000.0, 'f', 1) << " s" << Qt::endl;
    if (const QString location = m_stage.doneNote(); !location.isEmpty()) {
        m_err << location << Qt::endl;
    }
    if (const QStringList notes = m_stage.notes(); !notes.isEmpty()) {
        m_err << "Prepared for the office:" << Qt::endl;
        for (const QString& note : notes) {
            m_err << "  " << note << Qt::endl;
        }
    }
    if (!failed.isEmpty()) {
        m_err << "Not inserted:" << Qt::endl;
        for (const QString& path : std::as_const(failed)) {
            m_err << "  " << displayFileName(path) << Qt::endl;
        }
    }
    printSkipped();
    if (interrupted()) {
        return 128 + m_interrupt->signal();
    }
    return written && failed.isEmpty() ? 0 : 1;
}

void BatchJob::printSkipped() {
    if (m_skipped.isEmpty()) {
        return;
    }
    m_err << "Passed over in the folders:" << Qt::endl;
    for (const Skipped& file : std::as_const(m_skipped)) {
        m_err << "  " << displayFileName(file.path) << " (" << file.why << ")" << Qt::endl;
    }
}

} // namespace

int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             const OfficeBridgeFactory& makeOffice, BatchInterrupt* interrupt) {
    ParsedCommandLine parsed = parseBatchCommandLine(arguments);
    if (parsed.action == ParsedCommandLine::Action::Help) {
        out << batchHelpText();
        out.flush();
        return 0;
    }
    if (parsed.action == ParsedCommandLine::Action::Version) {
        out << kProgram << ' ' << programVersion() << Qt::endl;
        return 0;
    }
    if (parsed.action == ParsedCommandLine::Action::Refuse) {
        err << kProgram << ": " << parsed.message << Qt::endl
            << "Try '" << kProgram << " --help' for more information." << Qt::endl;
        return 2;
    }
    BatchOptions& options = parsed.options;
    const QString outAsGiven = options.outPath;
    // Everything named on the command line is the caller's, relative to the caller's folder;
    // the office has a working folder of its own.
    resolvePaths(options, callerWorkingFolder());
    PosixFileSystem disk;
    if (const QString problem = checkBatchInputs(options, disk); !problem.isEmpty()) {
        err << kProgram << ": " << problem << Qt::endl;
        return 2;
    }
    return BatchJob(options, outAsGiven, err, interrupt).run(disk, makeOffice);
}
