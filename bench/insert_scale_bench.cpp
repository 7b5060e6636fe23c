// The insert run at scale, with the document's controllers locked, against headless office
// suites that the benchmark starts itself. Four modes:
//
//     insert_scale_bench scale [N...] [--unlocked-up-to M] [--batch-timeout S] [--office-only]
//                                                               (default: 1000 5000)
//         for each N small pictures: the real lumigrove-batch executable with an office of
//         its own and with --office against a running one, next to a locked and an unlocked
//         reference loop over the same bridge (unlocked only up to M pictures, default 1000:
//         its cost per picture grows with the document). The locked loop leaves each picture
//         by putting the cursor at the end of the body text, as the program does. Prints the
//         total time, the milliseconds per picture of the first and the last tenth, the time
//         from the last picture's start to the end ("end s": the lock released and the
//         document laid out; for the batch also stored and closed, and its own office ended),
//         the stored layout and the office's memory (VmRSS and VmHWM of its soffice.bin).
//     insert_scale_bench pause [N]                              (default: 1000)
//         what releasing the lock for each pause costs: the locked loops, the same loops
//         releasing and retaking the lock after every picture, the loop releasing it for each
//         selection check, the unlocked loop, and last the locked loop that reads the
//         selection under the lock (the office can abort on that).
//     insert_scale_bench cursor [N] [rounds]                    (default: 1000 5)
//         the locked loop that never reads the selection, several rounds in one office.
//     insert_scale_bench longlived [N]                          (default: 1000)
//         one office, lumigrove-batch --office --keep-open several times in a row, every
//         document left open: small runs, an N-picture run, more small runs; each stored
//         file is read back.
//
// The batch's progress lines ("[ 12%] Processing: ...") are timestamped as they arrive on
// its standard error; one picture's time is the time from its line to the next.
#include "builder/InsertRoutines.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeController.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDispatcher.h"
#include "builder/OfficeDocument.h"
#include "builder/OfficeFrame.h"
#include "builder/OfficeSession.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "core/AppError.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

// Memory of one process, in KiB, from /proc/<pid>/status.
struct Memory {
    qint64 rssKiB = 0;
    qint64 hwmKiB = 0;
};

Memory readMemory(qint64 pid) {
    Memory memory;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly)) {
        return memory;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        const auto value = [&] { return line.simplified().split(' ').value(1).toLongLong(); };
        if (line.startsWith("VmRSS:")) {
            memory.rssKiB = value();
        } else if (line.startsWith("VmHWM:")) {
            memory.hwmKiB = value();
        }
    }
    return memory;
}

qint64 parentOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    // "pid (comm) state ppid ...": the name may hold spaces, so read after its last ")".
    return text.mid(text.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
}

// The soffice.bin below `ancestor` (the batch starts it through a launcher), or 0.
qint64 officeBelow(qint64 ancestor) {
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok) {
            continue;
        }
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "soffice.bin") {
            continue;
        }
        for (qint64 up = parentOf(pid); up > 1; up = parentOf(up)) {
            if (up == ancestor) {
                return pid;
            }
        }
    }
    return 0;
}

struct Result {
    QString name;
    int pictures = 0;
    double totalMs = 0;
    // Milliseconds at which each picture began, from the start of the run.
    std::vector<double> starts;
    // The end of the last picture (for the batch: its summary line).
    double endMs = 0;
    QString layout;
    bool ok = false;
    QString note;
    Memory memory;
    // Readings of the selection in the reference loop, until it was text.
    int selectionReadings = 0;
    // The reference loop's document stored, closed and read back.
    double storeMs = 0;
};

// Milliseconds per picture over the first and the last tenth of the pictures, from the
// starts of the pictures alone: the last picture's time also holds the end of the run (the
// lock released, the document laid out, stored and closed), shown on its own.
std::pair<double, double> tenths(const Result& r) {
    const int n = static_cast<int>(r.starts.size());
    const int tenth = std::max(1, n / 10);
    if (n < 2 * tenth + 1) {
        return {0, 0};
    }
    const double first = (r.starts[tenth] - r.starts[0]) / tenth;
    const double last = (r.starts[n - 1] - r.starts[n - 1 - tenth]) / tenth;
    return {first, last};
}

bool onePerPage(const QString& layout, int pictures) {
    return layout == QStringLiteral("P") + QStringLiteral("BP").repeated(pictures - 1);
}

QString layoutOfFile(const QString& odt) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {"-p", odt, "content.xml"});
    unzip.waitForFinished(120000);
    StoredDocument document;
    document.analyse(QString::fromUtf8(unzip.readAllStandardOutput()));
    return document.layout;
}

QString makePictures(const QString& folder, int count) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("pic-%1.png").arg(i, 5, 10, QLatin1Char('0')));
        if (QFile::exists(path)) {
            continue;
        }
        QImage image(16 + i % 9, 12 + i % 7, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((i * 41) % 360, 180, 200));
        image.setPixel(0, 0, qRgb(i % 256, (i / 256) % 256, 7));
        image.save(path, "PNG");
    }
    return folder;
}

QStringList picturesIn(const QString& folder, int count) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths.append(
            QDir(folder).filePath(QStringLiteral("pic-%1.png").arg(i, 5, 10, QLatin1Char('0'))));
    }
    return paths;
}

// The real executable; `officePid` is the running office's process for --office, or 0 when
// the batch starts its own (then found below the batch's process).
Result runBatchExecutable(const QString& name, const QString& folder, int count, const QString& out,
                          const QString& connection, qint64 officePid, bool keepOpen = false,
                          int timeoutSeconds = 0) {
    Result r;
    r.name = name;
    r.pictures = count;
    QProcess batch;
    QStringList arguments{"--ext", "png", "-o", out};
    if (!connection.isEmpty()) {
        arguments << "--office" << connection;
    }
    if (keepOpen) {
        arguments << "--keep-open";
    }
    if (timeoutSeconds > 0) {
        arguments << "--timeout" << QString::number(timeoutSeconds);
    }
    arguments << folder;
    QElapsedTimer clock;
    QByteArray pending;
    QStringList tail;
    qint64 office = officePid;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        // The office of the batch's own restarts once on a new profile (the first process
        // only sets the profile up): look again whenever the one found has ended.
        if (officePid == 0 && batch.processId() > 0 &&
            (office == 0 || !QFile::exists(QStringLiteral("/proc/%1/status").arg(office)))) {
            office = officeBelow(batch.processId());
        }
        const Memory now = readMemory(office);
        if (now.hwmKiB > 0) {
            r.memory.hwmKiB = std::max(r.memory.hwmKiB, now.hwmKiB);
            r.memory.rssKiB = std::max(r.memory.rssKiB, now.rssKiB);
        }
    });
    QObject::connect(&batch, &QProcess::readyReadStandardError, [&] {
        const double at = clock.nsecsElapsed() / 1e6;
        pending += batch.readAllStandardError();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (line.startsWith('[') && line.contains("] Processing: ")) {
                r.starts.push_back(at);
            } else {
                r.endMs = at;
                tail.append(QString::fromUtf8(line));
            }
        }
    });
    QEventLoop loop;
    QObject::connect(&batch, &QProcess::finished, &loop, &QEventLoop::quit);
    clock.start();
    batch.start(QCoreApplication::applicationDirPath() + QStringLiteral("/lumigrove-batch"),
                arguments);
    sampler.start(250);
    loop.exec();
    sampler.stop();
    r.totalMs = clock.nsecsElapsed() / 1e6;
    // The summary line ends the last picture (store and, for its own office, its end too).
    r.layout = layoutOfFile(out);
    r.ok = batch.exitCode() == 0 && onePerPage(r.layout, count);
    r.note = tail.isEmpty() ? QString() : tail.constLast();
    return r;
}

// Held: the lock over the loop, the selection read under it (the suite can abort on that).
// HeldCursorToEnd: the lock over the loop, the picture left by putting the cursor at the end
// of the body text, the selection never read.
// CursorToEndReleasedAfterEachPicture: as HeldCursorToEnd, the lock released and retaken after
// every picture (what a pause spent unlocked costs).
enum class Lock {
    None,
    Held,
    HeldCursorToEnd,
    CursorToEndReleasedAfterEachPicture,
    ReleasedAfterEachPicture,
    ReleasedForSelection
};

// The tightest loop that gets every picture in, one per page, over the same bridge.
// `relockEvery` > 0 releases and retakes a held lock after that many pictures.
Result referenceLoop(const QString& name, const QString& connection, const QStringList& pictures,
                     Lock lock, int relockEvery = 0) {
    Result r;
    r.name = name;
    r.pictures = static_cast<int>(pictures.size());
    const auto office = makeUnoOfficeBridge(connection, QString());
    QElapsedTimer clock;
    clock.start();
    try {
        const auto session = office->createServiceManager();
        const auto desktop = session->createDesktop();
        const auto document = desktop->loadComponentFromURL(
            QStringLiteral("private:factory/swriter"), QStringLiteral("_blank"), 0, {});
        const auto dispatcher = session->createDispatchHelper();
        const auto controller = document->getCurrentController();
        const auto frame = controller->getFrame();
        const OfficeArguments pageBreak{{QStringLiteral("Kind"), short(3)},
                                        {QStringLiteral("TemplateName"), QString()},
                                        {QStringLiteral("PageNumber"), short(0)}};
        OfficeArguments picture{{QStringLiteral("FileName"), QString()},
                                {QStringLiteral("FilterName"), QStringLiteral("<All formats>")},
                                {QStringLiteral("AsLink"), false},
                                {QStringLiteral("Style"), QStringLiteral("Graphics")}};
        const OfficeArguments none;
        if (lock != Lock::None) {
            document->lockControllers();
        }
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            r.starts.push_back(clock.nsecsElapsed() / 1e6);
            picture[0].value = PictureFileUrl(pictures[i]);
            dispatcher->executeDispatch(*frame, QStringLiteral(".uno:InsertGraphic"), QString(), 0,
                                        picture);
            dispatcher->executeDispatch(*frame, QStringLiteral(".uno:SetAnchorToChar"), QString(),
                                        0, none);
            if (lock == Lock::HeldCursorToEnd ||
                lock == Lock::CursorToEndReleasedAfterEachPicture) {
                controller->selectEndOfBodyText();
            } else {
                dispatcher->executeDispatch(*frame, QStringLiteral(".uno:Escape"), QString(), 0,
                                            none);
                if (lock == Lock::ReleasedForSelection) {
                    document->unlockControllers(0);
                }
                ++r.selectionReadings;
                while (!controller->selectionIsText()) {
                    ++r.selectionReadings;
                }
                if (lock == Lock::ReleasedForSelection) {
                    document->lockControllers();
                }
            }
            const bool relock = (lock == Lock::ReleasedAfterEachPicture) ||
                                (lock == Lock::CursorToEndReleasedAfterEachPicture) ||
                                ((lock == Lock::Held || lock == Lock::HeldCursorToEnd) &&
                                 relockEvery > 0 && (i + 1) % relockEvery == 0);
            if (relock) {
                document->unlockControllers(0);
                document->lockControllers();
            }
            if (i + 1 < pictures.size()) {
                dispatcher->executeDispatch(*frame, QStringLiteral(".uno:InsertBreak"), QString(),
                                            0, pageBreak);
            }
        }
        if (lock != Lock::None) {
            document->unlockControllers(0);
        }
        r.ok = true;
    } catch (const AppError& e) {
        r.note = e.description();
    }
    r.totalMs = clock.nsecsElapsed() / 1e6;
    r.endMs = r.totalMs;
    return r;
}

// Stores the one document open in the office and reads its layout back.
void checkStored(Result& r, const QString& connection, const QString& path) {
    QString error;
    QElapsedTimer clock;
    clock.start();
    const StoredDocument stored = StoredDocument::storeOpenDocument(connection, path, &error);
    r.storeMs = clock.nsecsElapsed() / 1e6;
    r.layout = stored.layout;
    r.ok = r.ok && error.isEmpty() && onePerPage(r.layout, r.pictures);
    if (!error.isEmpty()) {
        r.note = error;
    }
}

void print(const Result& r) {
    const auto [first, last] = tenths(r);
    const double end = r.starts.empty() ? 0.0 : (r.endMs - r.starts.back()) / 1000.0;
    std::printf("%-44s %6d %9.1f %8.2f %8.2f %6.2f %7.2f  %5lld / %-5lld  %s%s%s\n",
                qPrintable(r.name), r.pictures, r.totalMs / 1000.0, first, last,
                first > 0 ? last / first : 0.0, end, r.memory.rssKiB / 1024, r.memory.hwmKiB / 1024,
                r.ok ? "one per page" : "NOT one per page", r.note.isEmpty() ? "" : "  ",
                qPrintable(r.note));
    std::fflush(stdout);
}

void printHeader() {
    std::printf("%-44s %6s %9s %8s %8s %6s %7s  %13s  %s\n", "", "pics", "total s", "1st 10%",
                "last 10%", "ratio", "end s", "RSS/HWM MiB", "stored");
}

std::optional<int> option(QStringList& args, const QString& name) {
    const qsizetype at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size()) {
        return std::nullopt;
    }
    const int value = args.at(at + 1).toInt();
    args.remove(at, 2);
    return value;
}

int scale(QStringList args, const QTemporaryDir& work, OfficeProcess& suite) {
    const int unlockedUpTo = option(args, QStringLiteral("--unlocked-up-to")).value_or(1000);
    // The batch's limit for one call to the office (its --timeout), when not its default.
    const int batchTimeout = option(args, QStringLiteral("--batch-timeout")).value_or(0);
    // Only the batch against the running office.
    const bool officeOnly = args.removeAll(QStringLiteral("--office-only")) > 0;
    std::vector<int> counts;
    for (const QString& arg : args) {
        counts.push_back(arg.toInt());
    }
    if (counts.empty()) {
        counts = {1000, 5000};
    }
    printHeader();
    int stored = 0;
    for (const int count : counts) {
        const QString folder =
            makePictures(work.filePath(QStringLiteral("pics-%1").arg(count)), count);
        const QStringList pictures = picturesIn(folder, count);
        const auto out = [&] { return work.filePath(QStringLiteral("out-%1.odt").arg(++stored)); };
        if (!officeOnly) {
            Result own = runBatchExecutable(QStringLiteral("lumigrove-batch (own office)"), folder,
                                            count, out(), QString(), 0, false, batchTimeout);
            print(own);
        }
        Result shared =
            runBatchExecutable(QStringLiteral("lumigrove-batch --office"), folder, count, out(),
                               suite.connection(), suite.processId(), false, batchTimeout);
        print(shared);
        if (officeOnly) {
            QDir(folder).removeRecursively();
            continue;
        }
        Result locked = referenceLoop(QStringLiteral("reference loop, locked"), suite.connection(),
                                      pictures, Lock::HeldCursorToEnd);
        locked.memory = readMemory(suite.processId());
        checkStored(locked, suite.connection(), out());
        print(locked);
        if (count <= unlockedUpTo) {
            Result unlocked = referenceLoop(QStringLiteral("reference loop, unlocked"),
                                            suite.connection(), pictures, Lock::None);
            unlocked.memory = readMemory(suite.processId());
            checkStored(unlocked, suite.connection(), out());
            print(unlocked);
        }
        QDir(folder).removeRecursively();
    }
    return 0;
}

int pause(QStringList args, const QTemporaryDir& work, OfficeProcess& suite) {
    const int count = args.isEmpty() ? 1000 : args.at(0).toInt();
    const QStringList pictures =
        picturesIn(makePictures(work.filePath(QStringLiteral("pics")), count), count);
    printHeader();
    int stored = 0;
    for (const auto& [name, lock] :
         {std::pair{"locked, cursor put at the end", Lock::HeldCursorToEnd},
          std::pair{"cursor put at the end, lock released and retaken after each picture",
                    Lock::CursorToEndReleasedAfterEachPicture},
          std::pair{"lock released and retaken after each picture", Lock::ReleasedAfterEachPicture},
          std::pair{"lock released for each selection check", Lock::ReleasedForSelection},
          std::pair{"unlocked", Lock::None},
          // Last: the suite can abort on a selection read under the lock.
          std::pair{"locked, selection read", Lock::Held}}) {
        Result r = referenceLoop(QString::fromLatin1(name), suite.connection(), pictures, lock);
        checkStored(r, suite.connection(), work.filePath(QStringLiteral("p%1.odt").arg(++stored)));
        r.memory = readMemory(suite.processId());
        print(r);
        std::printf("    %.2f selection readings per picture\n",
                    double(r.selectionReadings) / r.pictures);
        const int n = static_cast<int>(r.starts.size());
        for (const int at : {100, 500, 1000, 2000, 5000}) {
            if (at + 10 < n) {
                std::printf("    pictures %d-%d: %.2f ms each\n", at, at + 10,
                            (r.starts[at + 10] - r.starts[at]) / 10);
            }
        }
    }
    return 0;
}

// The locked loop with the lock held throughout and released every `every` pictures, each
// document then stored: where the layout that the lock defers is done.
int steps(QStringList args, const QTemporaryDir& work, OfficeProcess& suite) {
    const int count = args.isEmpty() ? 5000 : args.at(0).toInt();
    const int every = args.size() < 2 ? 500 : args.at(1).toInt();
    const QStringList pictures =
        picturesIn(makePictures(work.filePath(QStringLiteral("pics")), count), count);
    printHeader();
    int stored = 0;
    for (const int relock : {0, every}) {
        Result r = referenceLoop(QStringLiteral("locked, released every %1").arg(relock),
                                 suite.connection(), pictures, Lock::HeldCursorToEnd, relock);
        r.memory = readMemory(suite.processId());
        checkStored(r, suite.connection(), work.filePath(QStringLiteral("s%1.odt").arg(++stored)));
        print(r);
        std::printf("    stored, closed and read back in %.1f s\n", r.storeMs / 1000.0);
    }
    return 0;
}

int cursorRounds(QStringList args, const QTemporaryDir& work, OfficeProcess& suite) {
    const int count = args.isEmpty() ? 1000 : args.at(0).toInt();
    const int rounds = args.size() < 2 ? 5 : args.at(1).toInt();
    const QStringList pictures =
        picturesIn(makePictures(work.filePath(QStringLiteral("pics")), count), count);
    printHeader();
    int failures = 0;
    for (int round = 1; round <= rounds; ++round) {
        Result r = referenceLoop(QStringLiteral("locked, cursor to the end, round %1").arg(round),
                                 suite.connection(), pictures, Lock::HeldCursorToEnd);
        r.memory = readMemory(suite.processId());
        if (suite.isRunning()) {
            // Stores every document open so far; each round's is the last one.
            checkStored(r, suite.connection(), work.filePath(QStringLiteral("c%1.odt").arg(round)));
        } else {
            r.ok = false;
            r.note = QStringLiteral("the office died");
        }
        print(r);
        failures += r.ok ? 0 : 1;
        if (!suite.isRunning()) {
            break;
        }
    }
    return failures == 0 ? 0 : 1;
}

int longLived(QStringList args, const QTemporaryDir& work, OfficeProcess& suite) {
    const int count = args.isEmpty() ? 1000 : args.at(0).toInt();
    printHeader();
    // Every run leaves its document open in the office (--keep-open); each is checked in the
    // file the batch stored.
    const QString folder = makePictures(work.filePath(QStringLiteral("pics")), count);
    int failures = 0;
    const auto runOne = [&](int n, int index) {
        const QString subset = work.filePath(QStringLiteral("run-%1").arg(index));
        QDir().mkpath(subset);
        for (int i = 0; i < n; ++i) {
            const QString name = QStringLiteral("pic-%1.png").arg(i, 5, 10, QLatin1Char('0'));
            QFile::link(QDir(folder).filePath(name), QDir(subset).filePath(name));
        }
        Result r = runBatchExecutable(
            QStringLiteral("run %1 (%2 documents open before)").arg(index).arg(index - 1), subset,
            n, work.filePath(QStringLiteral("run-%1.odt").arg(index)), suite.connection(),
            suite.processId(), true);
        if (!suite.isRunning()) {
            r.ok = false;
            r.note = QStringLiteral("the office died");
        }
        print(r);
        failures += r.ok ? 0 : 1;
        return r.ok;
    };
    int index = 0;
    for (int i = 0; i < 8; ++i) {
        if (!runOne(20 + 5 * i, ++index)) {
            return 1;
        }
    }
    if (!runOne(count, ++index)) {
        return 1;
    }
    for (int i = 0; i < 3; ++i) {
        if (!runOne(30, ++index)) {
            return 1;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    QStringList args = app.arguments().mid(1);
    const QString mode = args.isEmpty() ? QStringLiteral("scale") : args.takeFirst();
    OfficeProcess suite;
    QString error;
    if (!suite.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("office pid %lld, started with %lld KiB RSS\n", suite.processId(),
                readMemory(suite.processId()).rssKiB);
    int status = 2;
    if (mode == QLatin1String("scale")) {
        status = scale(args, work, suite);
    } else if (mode == QLatin1String("pause")) {
        status = pause(args, work, suite);
    } else if (mode == QLatin1String("steps")) {
        status = steps(args, work, suite);
    } else if (mode == QLatin1String("cursor")) {
        status = cursorRounds(args, work, suite);
    } else if (mode == QLatin1String("longlived")) {
        status = longLived(args, work, suite);
    } else {
        std::fprintf(stderr, "usage: insert_scale_bench scale|pause|longlived [N...]\n");
    }
    suite.kill();
    return status;
}
