// lumigrove-batch as a person uses it: the built program run from a folder of the person's
// own with relative paths, beside an office suite the person has open with unsaved work,
// stopped, interrupted, and fed files that are no pictures. Judged only by what the person
// sees: the files and their bytes, exit statuses, the text on standard error, and the
// processes left running.
#include "batch/BatchOptions.h"
#include "tests/acceptance/UserDocuments.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"
#include "tests/support/OfficePipes.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kBatchProgram = QStringLiteral(LUMIGROVE_BATCH_PROGRAM);
const QString kUserText = QStringLiteral("Minutes of the garden club, not saved yet");
// The --timeout of the stopped-office runs.
constexpr int kTimeoutMs = 3000;
// How long the batch waits for an office of its own to end before it kills it.
constexpr int kOwnOfficeEndWaitMs = 10000;
// A call still waiting on the office this long after Ctrl+C has its connection cut.
constexpr int kCutAfterSignalMs = 2000;
// The folder an office of the program's own gets its profile in, below $TMPDIR.
const QString kOwnProfilePrefix = QStringLiteral("lumigrove-batch-office-");

// One process as /proc tells it.
struct ProcessInfo {
    qint64 pid = 0;
    qint64 parent = 0;
    qint64 session = 0;
    char state = '?';
};

QList<ProcessInfo> allProcesses() {
    QList<ProcessInfo> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric) {
            continue;
        }
        const QByteArray stat = fileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
        // "pid (name) state ppid pgrp session ...": the name may hold anything, up to the
        // last ")".
        const qsizetype close = stat.lastIndexOf(')');
        if (close < 0) {
            continue;
        }
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() < 4) {
            continue;
        }
        found.append({pid, fields.at(1).toLongLong(), fields.at(3).toLongLong(),
                      fields.at(0).isEmpty() ? '?' : fields.at(0).at(0)});
    }
    return found;
}

// The processor time a process has used, in clock ticks (user and system).
qint64 processorTicks(qint64 pid) {
    const QByteArray stat = fileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields.at(11).toLongLong() + fields.at(12).toLongLong() : 0;
}

QByteArray commandLineOf(qint64 pid) {
    QByteArray line = fileBytes(QStringLiteral("/proc/%1/cmdline").arg(pid));
    line.replace('\0', ' ');
    return line;
}

// The live (not yet reaped) processes of the given sessions.
QList<qint64> processesInSessions(const QSet<qint64>& sessions) {
    QList<qint64> found;
    for (const ProcessInfo& process : allProcesses()) {
        if (sessions.contains(process.session) && process.state != 'Z') {
            found.append(process.pid);
        }
    }
    return found;
}

// The folder a person works in: their pictures, their output, their $TMPDIR and settings.
QProcessEnvironment userEnvironment(const QString& folder, const QString& tmp,
                                    const QString& config) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), tmp);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    // A shell sets PWD to the folder it runs in.
    env.insert(QStringLiteral("PWD"), folder);
    return env;
}

// lumigrove-batch started as a person starts it in a terminal, watched while it runs: its
// standard error as it comes, and the office it starts for itself. That office runs in a
// session of its own, led by a child of the batch whose command line names a profile
// below the test's own $TMPDIR; nothing else is ever taken for it.
class BatchRun {
public:
    BatchRun(const QString& program, const QStringList& args, const QString& folder,
             const QString& tmp, const QString& config)
        : m_tmp(tmp) {
        m_process.setWorkingDirectory(folder);
        m_process.setProcessEnvironment(userEnvironment(folder, tmp, config));
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(program, args);
        m_process.waitForStarted();
        m_pid = m_process.processId();
    }
    ~BatchRun() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    qint64 pid() const { return m_pid; }
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // Waits until standard error holds `count` lines that begin with `prefix`.
    bool waitForLines(const QString& prefix, int count, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            watch(50);
            if (linesStartingWith(prefix) >= count) {
                return true;
            }
            if (!running()) {
                return false;
            }
        }
        return false;
    }

    // Waits for the end; false when the program is still running after `timeoutMs` (it is
    // then killed).
    bool finish(int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (running() && timer.elapsed() < timeoutMs) {
            watch(50);
        }
        if (running()) {
            m_process.kill();
            m_process.waitForFinished(10000);
            return false;
        }
        m_err += QString::fromUtf8(m_process.readAllStandardError());
        return true;
    }

    // The exit status; -1 for a crash, which no case expects.
    int status() const {
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    const QString& err() const { return m_err; }
    const QSet<qint64>& officeSessions() const { return m_officeSessions; }

    // Looks for the office the batch started for itself.
    void findOwnOffice() {
        if (m_pid <= 0 || !running()) {
            return;
        }
        const QByteArray profile = QFile::encodeName(m_tmp + QLatin1Char('/') + kOwnProfilePrefix);
        for (const ProcessInfo& process : allProcesses()) {
            if (process.parent == m_pid && process.session == process.pid &&
                commandLineOf(process.pid).contains(profile)) {
                m_officeSessions.insert(process.session);
            }
        }
    }

private:
    void watch(int ms) {
        m_process.waitForReadyRead(ms);
        m_err += QString::fromUtf8(m_process.readAllStandardError());
        findOwnOffice();
    }

    int linesStartingWith(const QString& prefix) const {
        int count = 0;
        for (const QString& line : m_err.split(QLatin1Char('\n'))) {
            count += line.startsWith(prefix) ? 1 : 0;
        }
        return count;
    }

    QProcess m_process;
    QString m_tmp;
    qint64 m_pid = 0;
    QString m_err;
    QSet<qint64> m_officeSessions;
};

// A line the README shows, as a pattern: the seconds taken may differ, and unless
// `asTyped` the output's name may stand behind a folder.
QRegularExpression shapeOf(const QString& line, const QString& outName, bool asTyped) {
    const QRegularExpression variable(QStringLiteral("\\d+\\.\\d+(?= s$)|(?<= into )") +
                                      QRegularExpression::escape(outName) +
                                      QStringLiteral("(?= )"));
    QString pattern = QStringLiteral("^");
    qsizetype done = 0;
    for (auto match = variable.globalMatch(line); match.hasNext();) {
        const auto part = match.next();
        pattern += QRegularExpression::escape(line.mid(done, part.capturedStart() - done));
        if (part.captured() == outName) {
            pattern += (asTyped ? QString() : QStringLiteral("(?:.*/)?")) +
                       QRegularExpression::escape(outName);
        } else {
            pattern += QStringLiteral("\\d+\\.\\d");
        }
        done = part.capturedEnd();
    }
    return QRegularExpression(pattern + QRegularExpression::escape(line.mid(done)) +
                              QLatin1Char('$'));
}

} // namespace

class TestAcceptanceBatch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_tmp = folder(QStringLiteral("tmp"));
        m_config = folder(QStringLiteral("config"));
        ensureUserOffice();
        // The setting written as a person writes it, comma and all: the batch must never
        // read it.
        QVERIFY(
            writeBytes(m_config + QStringLiteral("/Vantrell.conf"),
                       "[Lumigrove]\nOfficeConnection=" + m_office.connection().toUtf8() + "\n"));
    }

    void cleanupTestCase() {
        for (const qint64 pid : std::as_const(m_stopped)) {
            ::kill(static_cast<pid_t>(pid), SIGCONT);
        }
        // Offices that a batch of this test started and left behind.
        for (const qint64 pid : processesInSessions(m_ownOfficeSessions)) {
            ::kill(static_cast<pid_t>(pid), SIGCONT);
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
        m_office.kill();
    }

    void readmeWorkedExample_asWritten_data() {
        QTest::addColumn<QString>("marker");
        // The first runs exactly as written, with an office of the batch's own; it is also the
        // case of that office: started, ended, nothing left, the user's office never given a
        // document. The other two are about the layout: they run as written on the user's
        // office (--office added), so that the suite starts no more offices than it must.
        QTest::addColumn<bool>("ownOffice");
        QTest::newRow("one per page")
            << QStringLiteral("lumigrove-batch --ext jpg -o samples.pdf") << true;
        QTest::newRow("album") << QStringLiteral("lumigrove-batch --ext jpg --sort name --caption "
                                                 "stem --per-page 2 --fit -o album.pdf")
                               << false;
        QTest::newRow("page setup")
            << QStringLiteral("lumigrove-batch --paper a5 --orientation auto --fit -o pages.pdf")
            << false;
    }

    void readmeWorkedExample_asWritten() {
        QFETCH(QString, marker);
        QFETCH(bool, ownOffice);
        ensureUserOffice();
        // The example as README.md tells it: the commands after "$ " and what they print.
        const QString readme = QString::fromUtf8(fileBytes(LUMIGROVE_SOURCE_DIR "/README.md"));
        QVERIFY(!readme.isEmpty());
        const QRegularExpression blocks(QStringLiteral("```sh\\n(.*?)```"),
                                        QRegularExpression::DotMatchesEverythingOption);
        QString example;
        for (auto match = blocks.globalMatch(readme); match.hasNext();) {
            const QString block = match.next().captured(1);
            if (block.contains(marker)) {
                example = block;
            }
        }
        QVERIFY2(!example.isEmpty(), "README.md has no worked example of lumigrove-batch");
        QList<QPair<QString, QStringList>> steps;
        for (const QString& line : example.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QLatin1String("$ "))) {
                steps.append({line.mid(2), {}});
            } else if (!steps.isEmpty()) {
                steps.last().second.append(line);
            }
        }
        QCOMPARE(steps.size(), 2);
        const QString command = steps.at(0).first;
        const QStringList printed = steps.at(0).second;
        QVERIFY2(command.startsWith(QLatin1String("build/release/bin/lumigrove-batch ")),
                 qPrintable(command));
        QVERIFY2(command.contains(QLatin1String(" build/release/bin/Samples")),
                 qPrintable(command));
        const QStringList words = QProcess::splitCommand(command);
        const QString outName = words.value(words.indexOf(QStringLiteral("-o")) + 1);
        QVERIFY2(outName.endsWith(QLatin1String(".pdf")), qPrintable(command));
        QVERIFY2(steps.at(1).first.startsWith(QLatin1String("pdfinfo ")),
                 qPrintable(steps.at(1).first));

        // The repository's layout after scripts/run: the program and its samples in
        // build/release/bin, the command given from the top.
        const QString top =
            folder(QStringLiteral("readme-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
        const QString bin = top + QStringLiteral("/build/release/bin");
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::link(kBatchProgram, bin + QStringLiteral("/lumigrove-batch")));
        const QString samples =
            QFileInfo(kBatchProgram).absolutePath() + QStringLiteral("/Samples");
        QVERIFY(QFileInfo(samples).isDir());
        QVERIFY(QFile::link(samples, bin + QStringLiteral("/Samples")));

        // The shell runs the command line as written.
        const QString program = QStringLiteral("build/release/bin/lumigrove-batch");
        const QString line =
            ownOffice ? command
                      : program + QStringLiteral(" --office '%1'").arg(m_office.connection()) +
                            command.mid(program.size());
        const QStringList tmpBefore = tmpEntries();
        auto run = start({QStringLiteral("-c"), QStringLiteral("exec ") + line}, top,
                         QStringLiteral("/bin/sh"));
        // The user's office is watched all along the run: it never holds a second document
        // while the batch works in an office of its own.
        int mostDocuments = 0;
        while (ownOffice && run->running()) {
            run->waitForLines(QStringLiteral("Inserted "), 1, 300);
            QList<UserDocument> documents;
            QString error;
            QVERIFY2(listUserDocuments(m_office.connection(), &documents, &error),
                     qPrintable(error));
            mostDocuments = std::max(mostDocuments, static_cast<int>(documents.size()));
        }
        QVERIFY(run->finish(120000));
        QVERIFY2(run->status() == 0, qPrintable(run->err()));
        QCOMPARE(mostDocuments, ownOffice ? 1 : 0);
        QVERIFY(QFileInfo(top + QLatin1Char('/') + outName).isFile());
        // The look at the PDF, run as written, prints what the README shows.
        const QString info = QString::fromUtf8(
            commandOutput(QStringLiteral("/bin/sh"), {"-c", steps.at(1).first}, top));
        QCOMPARE(info.split(QLatin1Char('\n'), Qt::SkipEmptyParts), steps.at(1).second);
        if (ownOffice) {
            QVERIFY2(ownOfficeLeftovers(*run).isEmpty(), qPrintable(ownOfficeLeftovers(*run)));
            QCOMPARE(tmpEntries(), tmpBefore);
        } else {
            QVERIFY(run->officeSessions().isEmpty());
        }
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));

        // What it printed has the README's shape, line by line: only the seconds differ. The
        // output's name is checked loosely first (any folder before it), then as the reader
        // typed it.
        const QStringList seen = run->err().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(seen.size(), printed.size());
        for (const bool asTyped : {false, true}) {
            for (int i = 0; i < printed.size(); ++i) {
                QVERIFY2(
                    shapeOf(printed.at(i), outName, asTyped).match(seen.at(i)).hasMatch(),
                    qPrintable(
                        QStringLiteral("README: %1\nseen:   %2").arg(printed.at(i), seen.at(i))));
            }
        }
    }

    void relativePaths_takenFromTheCallersFolder() {
        const QString work = folder(QStringLiteral("relative"));
        QVERIFY(writePicture(work + QStringLiteral("/a.png"), 1));
        QVERIFY(writePicture(work + QStringLiteral("/sub/b.png"), 2));
        QVERIFY(writePicture(work + QStringLiteral("/-c.png"), 3));
        auto run = start({"--office", m_office.connection(), "-o", "out.odt", "./a.png",
                          "sub/b.png", "--", "-c.png"},
                         work);
        QVERIFY(run->finish(120000));
        QVERIFY2(run->status() == 0, qPrintable(run->err()));
        const StoredDocument odt = StoredDocument::readOdt(work + QStringLiteral("/out.odt"));
        QCOMPARE(odt.layout, QStringLiteral("PBPBP"));
        QCOMPARE(odt.pictureBytes.size(), 3);
        QCOMPARE(odt.pictureBytes.at(0), fileBytes(work + QStringLiteral("/a.png")));
        QCOMPARE(odt.pictureBytes.at(1), fileBytes(work + QStringLiteral("/sub/b.png")));
        QCOMPARE(odt.pictureBytes.at(2), fileBytes(work + QStringLiteral("/-c.png")));
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }

    void usersOffice_leftRunningWithOffice() {
        ensureUserOffice();
        // The setting names the user's office, written by hand.
        QCOMPARE(fileBytes(m_config + QStringLiteral("/Vantrell.conf")),
                 "[Lumigrove]\nOfficeConnection=" + m_office.connection().toUtf8() + "\n");
        const QString work = folder(QStringLiteral("users-office"));
        QStringList pictures;
        for (int i = 0; i < 3; ++i) {
            pictures << QStringLiteral("p%1.png").arg(i);
            QVERIFY(writePicture(work + QLatin1Char('/') + pictures.last(), 10 + i));
        }

        // With --office: the user's office does the work and is left as it was.
        auto shared = start(
            QStringList{"--office", m_office.connection(), "-o", "shared.odt"} + pictures, work);
        QVERIFY(shared->finish(120000));
        QVERIFY2(shared->status() == 0, qPrintable(shared->err()));
        QVERIFY(shared->officeSessions().isEmpty());
        const StoredDocument odt = StoredDocument::readOdt(work + QStringLiteral("/shared.odt"));
        QCOMPARE(odt.layout, QStringLiteral("PBPBP"));
        QCOMPARE(odt.pictureBytes.value(2), fileBytes(work + QStringLiteral("/p2.png")));
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }

    void stoppedOffice_endsWithinTheLimit_data() {
        // Every pause length (0.5 s and more are spent with the document's view unlocked, and the
        // lock is taken again afterwards), every layout, both offices.
        QTest::addColumn<bool>("usersOffice");
        QTest::addColumn<QString>("pause");
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<bool>("earlierOut");
        // Stopped while it exports a PDF of large pictures, instead of after two pictures.
        QTest::addColumn<bool>("duringPdfStore");
        QTest::newRow("user's, no pause") << true << "0" << QStringList() << false << false;
        QTest::newRow("user's, 0.3 s, captions, earlier OUT")
            << true << "0.3" << QStringList{"--caption", "stem"} << true << false;
        QTest::newRow("user's, 1 s") << true << "1" << QStringList() << false << false;
        QTest::newRow("user's, 2 s, 4 per page")
            << true << "2" << QStringList{"--per-page", "4"} << true << false;
        QTest::newRow("user's, during a PDF store") << true << "0" << QStringList() << true << true;
        QTest::newRow("user's, 0.3 s, 2 per page, fit")
            << true << "0.3" << QStringList{"--per-page", "2", "--fit"} << false << false;
        QTest::newRow("own, 1 s, 2 per page, fit, earlier OUT")
            << false << "1" << QStringList{"--per-page", "2", "--fit"} << true << false;
        QTest::newRow("user's, 2 s, captions, A5 turned")
            << true << "2"
            << QStringList{"--caption", "name", "--paper", "a5", "--orientation", "auto"} << false
            << false;
    }

    void stoppedOffice_endsWithinTheLimit() {
        QFETCH(bool, usersOffice);
        QFETCH(QString, pause);
        QFETCH(QStringList, layout);
        QFETCH(bool, earlierOut);
        QFETCH(bool, duringPdfStore);
        ensureUserOffice();
        const QString work = folder(QStringLiteral("stopped-%1").arg(QTest::currentDataTag()));
        const QString outName = duringPdfStore ? "stopped.pdf" : "stopped.odt";
        const int pictures = duringPdfStore ? 8 : 20;
        QStringList args =
            QStringList{"--timeout", QString::number(kTimeoutMs / 1000), "--pause", pause, "-o",
                        outName} +
            layout;
        if (usersOffice) {
            args << "--office" << m_office.connection();
        }
        QStringList files{"p.png"};
        QVERIFY(writePicture(work + QStringLiteral("/p.png"), 20));
        for (int i = 0; i < pictures; ++i) {
            if (duringPdfStore) {
                // Different noise each: it does not compress, and the export takes a few seconds.
                QImage noise(1600, 1200, QImage::Format_RGB32);
                QRandomGenerator(i).fillRange(reinterpret_cast<quint32*>(noise.bits()),
                                              noise.width() * noise.height());
                files << QStringLiteral("n%1.png").arg(i);
                QVERIFY(noise.save(work + QLatin1Char('/') + files.last(), "PNG", 100));
            }
            args << files.last();
        }
        const QString out = work + QLatin1Char('/') + outName;
        if (earlierOut) {
            QVERIFY(writeBytes(out, "earlier document"));
        }
        auto run = start(args, work);
        QVERIFY2(run->waitForLines(QStringLiteral("["), duringPdfStore ? pictures : 2, 120000),
                 qPrintable(run->err()));
        if (duringPdfStore) {
            // The export is under way once the document's temporary file lies beside OUT and
            // the office has worked on it for a moment (50 ms of processor time).
            const QSet<QString> before(files.begin(), files.end());
            auto storing = [&] {
                const QStringList now =
                    QDir(work).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
                return std::any_of(now.begin(), now.end(), [&](const QString& name) {
                    return !before.contains(name) && name != outName;
                });
            };
            QElapsedTimer waited;
            waited.start();
            qint64 startTicks = -1;
            while (run->running() && waited.elapsed() < 120000) {
                if (startTicks < 0 && storing()) {
                    startTicks = processorTicks(m_office.processId());
                } else if (startTicks >= 0 &&
                           processorTicks(m_office.processId()) >= startTicks + 5) {
                    break;
                }
                run->waitForLines(QStringLiteral("Inserted "), 1, 5);
            }
        }
        m_ownOfficeSessions.unite(run->officeSessions());
        const QList<qint64> office = usersOffice ? QList<qint64>{m_office.processId()}
                                                 : processesInSessions(run->officeSessions());
        QVERIFY2(!office.isEmpty(), "the batch's own office was not found");
        for (const qint64 pid : office) {
            stopProcess(pid);
        }
        QElapsedTimer sinceStop;
        sinceStop.start();
        const bool ended = run->finish(60000);
        const qint64 tookMs = sinceStop.elapsed();
        for (const qint64 pid : office) {
            continueProcess(pid);
        }
        QVERIFY2(ended, qPrintable(run->err()));
        qInfo("ended %.1f s after the office stopped", tookMs / 1000.0);
        // The limit (of storing: with 20 ms a picture and 100 ms a megabyte of them), the pause,
        // and for the own office the wait for it to end before it is killed.
        qint64 pictureBytes = 0;
        for (const QString& name : files.mid(1)) {
            pictureBytes += QFileInfo(work + QLatin1Char('/') + name).size();
        }
        const int callLimitMs = duringPdfStore
                                    ? storeTimeLimitMs(kTimeoutMs / 1000.0, pictures, pictureBytes)
                                    : kTimeoutMs;
        const int limitMs = callLimitMs + static_cast<int>(pause.toDouble() * 1000) +
                            (usersOffice ? 0 : kOwnOfficeEndWaitMs);
        QVERIFY2(tookMs <= limitMs + kBusyMachineSlackMs, qPrintable(QString::number(tookMs)));
        QCOMPARE(run->status(), 1);
        const QString limit = QString::number(callLimitMs / 1000.0);
        QVERIFY2(run->err().contains("did not answer within " + limit + " seconds"),
                 qPrintable(run->err()));
        QCOMPARE(fileBytes(out), earlierOut ? QByteArray("earlier document") : QByteArray());
        if (earlierOut) {
            files << outName;
        }
        files.sort();
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 files);
        if (!usersOffice) {
            QVERIFY2(ownOfficeLeftovers(*run).isEmpty(), qPrintable(ownOfficeLeftovers(*run)));
            return;
        }
        // Continued, the user's office runs on and answers, once it has worked off what came
        // in while it was stopped.
        QList<UserDocument> documents;
        QString error;
        QElapsedTimer continued;
        continued.start();
        bool answered = false;
        while (!(answered = listUserDocuments(m_office.connection(), &documents, &error)) &&
               continued.elapsed() < kBusyMachineSlackMs) {
            QTest::qWait(200);
        }
        QVERIFY2(answered, qPrintable(error));
        if (documents.size() != 1) {
            // The run's document, cut off while the office was stopped, stays behind there; it
            // is closed so that the next checks see the user's document alone.
            qInfo("the user's office holds %d documents after the run", int(documents.size()));
            QVERIFY(closeOtherDocuments(m_office.connection(), kUserText, &error) >= 0);
        }
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }

    void interrupted_leavesEverythingAsItWas_data() {
        QTest::addColumn<int>("signal");
        // Stopped first: the interrupt finds the run blocked in a call to the office.
        QTest::addColumn<bool>("frozen");
        QTest::addColumn<QString>("pause");
        // Frozen before the batch starts: the interrupt finds it connecting.
        QTest::addColumn<bool>("beforeStart");
        QTest::newRow("SIGTERM, the user's office") << int(SIGTERM) << false << "0.2" << false;
        QTest::newRow("SIGHUP, the user's office") << int(SIGHUP) << false << "0.2" << false;
        QTest::newRow("SIGINT, the user's office") << int(SIGINT) << false << "0.2" << false;
        QTest::newRow("SIGINT, the user's office frozen") << int(SIGINT) << true << "0" << false;
        QTest::newRow("SIGHUP, the user's office frozen in a 1 s pause")
            << int(SIGHUP) << true << "1" << false;
        // The batch's own office, frozen or not, meets these signals in the fault soak.
        QTest::newRow("SIGTERM, the user's office frozen in a 2 s pause")
            << int(SIGTERM) << true << "2" << false;
        QTest::newRow("SIGINT, the user's office frozen before the run")
            << int(SIGINT) << true << "0" << true;
        QTest::newRow("SIGTERM, the user's office frozen before the run")
            << int(SIGTERM) << true << "0" << true;
    }

    void interrupted_leavesEverythingAsItWas() {
        QFETCH(int, signal);
        QFETCH(bool, frozen);
        QFETCH(QString, pause);
        QFETCH(bool, beforeStart);
        ensureUserOffice();
        const QString work = folder(QStringLiteral("interrupted-%1").arg(QTest::currentDataTag()));
        QVERIFY(writePicture(work + QStringLiteral("/p.png"), 22));
        QStringList args{"--pause",        pause, "--office", m_office.connection(), "-o",
                         "interrupted.odt"};
        for (int i = 0; i < 20; ++i) {
            args << QStringLiteral("p.png");
        }
        const QString out = work + QStringLiteral("/interrupted.odt");
        QVERIFY(writeBytes(out, "earlier document"));
        const QStringList tmpBefore = tmpEntries();
        const QList<qint64> office{m_office.processId()};
        std::unique_ptr<BatchRun> run;
        for (const bool starting : {true, false}) {
            for (const qint64 pid :
                 (frozen && starting == beforeStart) ? office : QList<qint64>()) {
                stopProcess(pid);
                QVERIFY(waitUntilStopped(static_cast<pid_t>(pid), 5000));
            }
            if (starting) {
                // Frozen before, the run is held connecting once it said what it will do.
                run = start(args, work);
                QVERIFY2(run->waitForLines(beforeStart ? "Inserting " : "[", beforeStart ? 1 : 2,
                                           120000),
                         qPrintable(run->err()));
                QTest::qWait(beforeStart ? 1000 : 0);
            }
        }
        QElapsedTimer sinceSignal;
        sinceSignal.start();
        QCOMPARE(::kill(static_cast<pid_t>(run->pid()), signal), 0);
        const bool ended = run->finish(30000);
        const qint64 tookMs = sinceSignal.elapsed();
        for (const qint64 pid : frozen ? office : QList<qint64>()) {
            continueProcess(pid);
        }
        QVERIFY2(ended, qPrintable(run->err()));
        QCOMPARE(run->status(), 128 + signal);
        qInfo("ended %.1f s after the signal", tookMs / 1000.0);
        QVERIFY2(tookMs <= kCutAfterSignalMs + kBusyMachineSlackMs,
                 qPrintable(QString::number(tookMs)));
        QCOMPARE(fileBytes(out), QByteArray("earlier document"));
        QCOMPARE(QDir(work).entryList({"*interrupted*"}, QDir::Files | QDir::Hidden),
                 QStringList{"interrupted.odt"});
        QVERIFY(run->officeSessions().isEmpty());
        // Nothing else of the run either.
        QCOMPARE(tmpEntries(), tmpBefore);
        // A run cut off in a frozen office leaves its document there, unreachable then.
        QString error;
        const int closed = closeOtherDocuments(m_office.connection(), kUserText, &error);
        QCOMPARE(closed, frozen ? std::max(closed, 0) : 0);
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }

    void killedBatch_ownOfficeEndsWithIt() {
        // SIGKILL cannot be caught: the office the batch started ends with it all the same, and
        // its private profile and its pipe go too.
        const QString work = folder(QStringLiteral("killed"));
        QVERIFY(writePicture(work + QStringLiteral("/p.png"), 22));
        auto run = start({"--pause", "2", "-o", "killed.odt", "p.png", "p.png", "p.png"}, work);
        QVERIFY2(run->waitForLines(QStringLiteral("["), 1, 120000), qPrintable(run->err()));
        QVERIFY(!run->officeSessions().isEmpty());
        const auto pid = static_cast<pid_t>(run->pid());
        const QDir tmp(QStringLiteral("/tmp"));
        const QStringList pipe{officePipePattern(pid)};
        QCOMPARE(tmp.entryList(pipe, QDir::System).size(), 1);
        QElapsedTimer sinceKill;
        sinceKill.start();
        QCOMPARE(::kill(pid, SIGKILL), 0);
        QVERIFY(run->finish(5000));
        while ((!processesInSessions(run->officeSessions()).isEmpty() ||
                !ownProfilesLeft().isEmpty() || !tmp.entryList(pipe, QDir::System).isEmpty()) &&
               sinceKill.elapsed() < 5000 + kBusyMachineSlackMs) {
            QThread::msleep(50);
        }
        qInfo("the office, its profile and its pipe gone %.1f s after the kill",
              sinceKill.elapsed() / 1000.0);
        QVERIFY2(ownOfficeLeftovers(*run).isEmpty(), qPrintable(ownOfficeLeftovers(*run)));
        QCOMPARE(tmp.entryList(pipe, QDir::System), QStringList());
        QCOMPARE(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList{"p.png"});
    }

    void cameraPhotos_keptWholeInPdfOdtDocx() {
        ensureUserOffice();
        const QString work = folder(QStringLiteral("photos"));
        // A photo-sized JPEG: a gradient with grain, a few MB as a camera writes it.
        QImage photo(4000, 3000, QImage::Format_RGB32);
        QRandomGenerator grain(7);
        for (int y = 0; y < photo.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x) {
                const int noise = static_cast<int>(grain.bounded(20u));
                line[x] = qRgb((x / 16 + noise) % 256, (y / 12 + noise) % 256, (x + y) / 28 % 256);
            }
        }
        QVERIFY(photo.save(work + QStringLiteral("/photo.jpg"), "JPEG", 92));
        QImage drawing(300, 200, QImage::Format_RGB32);
        for (int y = 0; y < drawing.height(); ++y) {
            for (int x = 0; x < drawing.width(); ++x) {
                drawing.setPixel(x, y, qRgb(x % 256, y, (x * y) % 256));
            }
        }
        QVERIFY(drawing.save(work + QStringLiteral("/drawing.png"), "PNG"));
        const QByteArray jpeg = fileBytes(work + QStringLiteral("/photo.jpg"));
        qInfo("photo.jpg: %lld bytes", static_cast<long long>(jpeg.size()));
        QVERIFY(jpeg.size() > 1000000);

        for (const QString& format :
             {QStringLiteral("pdf"), QStringLiteral("odt"), QStringLiteral("docx")}) {
            auto run = start({"--office", m_office.connection(), "-o", "photos." + format,
                              "photo.jpg", "drawing.png"},
                             work);
            QVERIFY(run->finish(120000));
            QVERIFY2(run->status() == 0, qPrintable(format + QLatin1Char('\n') + run->err()));
        }

        // The PDF: the photo at full size, its JPEG bytes as they were; the drawing lossless.
        const QString list =
            QString::fromUtf8(commandOutput("pdfimages", {"-list", "photos.pdf"}, work));
        const QStringList rows = list.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
        QCOMPARE(rows.size(), 2);
        const QStringList photoRow = rows.at(0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QStringList drawingRow = rows.at(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // page num type width height color comp bpc enc ...
        QVERIFY2(photoRow.size() > 8 && drawingRow.size() > 8, qPrintable(list));
        QCOMPARE(photoRow.at(3), QStringLiteral("4000"));
        QCOMPARE(photoRow.at(4), QStringLiteral("3000"));
        QCOMPARE(photoRow.at(8), QStringLiteral("jpeg"));
        QCOMPARE(drawingRow.at(3), QStringLiteral("300"));
        QCOMPARE(drawingRow.at(4), QStringLiteral("200"));
        QVERIFY2(drawingRow.at(8) != QLatin1String("jpeg") &&
                     drawingRow.at(8) != QLatin1String("jpx") &&
                     drawingRow.at(8) != QLatin1String("dct"),
                 qPrintable(list));
        const QString extracted = folder(QStringLiteral("photos-extracted"));
        commandOutput("pdfimages", {"-all", work + QStringLiteral("/photos.pdf"), "img"},
                      extracted);
        QCOMPARE(fileBytes(extracted + QStringLiteral("/img-000.jpg")), jpeg);
        // The drawing's pixels, every one.
        const QImage drawn(extracted + QStringLiteral("/img-001.png"));
        QCOMPARE(drawn.convertToFormat(QImage::Format_RGB32), drawing);

        // ODT and DOCX hold the original file.
        const StoredDocument odt = StoredDocument::readOdt(work + QStringLiteral("/photos.odt"));
        QCOMPARE(odt.layout, QStringLiteral("PBP"));
        QCOMPARE(odt.pictureBytes.value(0), jpeg);
        QCOMPARE(odt.pictureBytes.value(1), fileBytes(work + QStringLiteral("/drawing.png")));
        const QString docx = work + QStringLiteral("/photos.docx");
        bool found = false;
        for (const QString& entry :
             QString::fromUtf8(commandOutput("unzip", {"-Z1", docx})).split(QLatin1Char('\n'))) {
            if (entry.startsWith(QLatin1String("word/media/")) &&
                commandOutput("unzip", {"-p", docx, entry}) == jpeg) {
                found = true;
            }
        }
        QVERIFY2(found, "the DOCX does not hold the photo's own bytes");
    }

    void outRules_neverAnInput_neverEmpty_neverPickedUp() {
        ensureUserOffice();
        const QString work = folder(QStringLiteral("out-rules"));
        // OUT named among the inputs, under another spelling too: refused, the file untouched.
        QVERIFY(writePicture(work + QStringLiteral("/in.png"), 30));
        QVERIFY(QFile::copy(work + QStringLiteral("/in.png"), work + QStringLiteral("/in.odt")));
        const QByteArray input = fileBytes(work + QStringLiteral("/in.odt"));
        for (const QString& spelling :
             {QStringLiteral("in.odt"), work + QStringLiteral("/./in.odt")}) {
            auto run = start(
                {"--office", m_office.connection(), "-o", "in.odt", "in.png", spelling}, work);
            QVERIFY(run->finish(120000));
            QVERIFY2(run->status() == 2, qPrintable(spelling + QLatin1Char('\n') + run->err()));
            QCOMPARE(fileBytes(work + QStringLiteral("/in.odt")), input);
        }

        // Nothing that is a picture: OUT stays as it was.
        QVERIFY(writeBytes(work + QStringLiteral("/notes.png"), "shopping list\n"));
        QVERIFY(writeBytes(work + QStringLiteral("/empty.jpg"), ""));
        QVERIFY(writeBytes(work + QStringLiteral("/kept.odt"), "earlier document"));
        {
            auto run = start(
                {"--office", m_office.connection(), "-o", "kept.odt", "notes.png", "empty.jpg"},
                work);
            QVERIFY(run->finish(120000));
            QVERIFY2(run->status() == 1, qPrintable(run->err()));
            QCOMPARE(fileBytes(work + QStringLiteral("/kept.odt")), QByteArray("earlier document"));
            QCOMPARE(QDir(work).entryList({"*kept*"}, QDir::Files | QDir::Hidden),
                     QStringList{"kept.odt"});
        }

        // OUT inside the folder searched: a second run finds what the first found.
        const QString album = work + QStringLiteral("/album");
        for (int i = 0; i < 3; ++i) {
            QVERIFY(writePicture(album + QStringLiteral("/p%1.png").arg(i), 31 + i));
        }
        for (int round = 1; round <= 2; ++round) {
            auto run = start(
                {"--office", m_office.connection(), "--ext", "*", "-o", "album/album.odt", "album"},
                work);
            QVERIFY(run->finish(120000));
            QVERIFY2(run->status() == 0, qPrintable(run->err()));
            QVERIFY2(run->err().contains(QLatin1String("Inserted 3 of 3 pictures")),
                     qPrintable(run->err()));
            QCOMPARE(StoredDocument::readOdt(album + QStringLiteral("/album.odt")).layout,
                     QStringLiteral("PBPBP"));
        }
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }

    void passedOverFiles_namedWithTheirReasons() {
        ensureUserOffice();
        const QString work = folder(QStringLiteral("passed-over"));
        const QString mixed = work + QStringLiteral("/mixed");
        QVERIFY(writePicture(mixed + QStringLiteral("/good.jpg"), 40));
        QVERIFY(QFile::link(QStringLiteral("gone.jpg"), mixed + QStringLiteral("/x.jpg")));
        const QByteArray fifo = QFile::encodeName(mixed + QStringLiteral("/y.jpg"));
        QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);
        // Should the fifo ever reach the office, it waits there for a writer: give it an end.
        const auto unblock = qScopeGuard([&] {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ::close(fd);
            }
        });

        auto scanned = start({"--office", m_office.connection(), "--timeout", "10", "--ext", "jpg",
                              "-o", "scanned.odt", "mixed"},
                             work);
        QVERIFY(scanned->finish(120000));
        QVERIFY2(scanned->status() == 0, qPrintable(scanned->err()));
        const StoredDocument odt = StoredDocument::readOdt(work + QStringLiteral("/scanned.odt"));
        QCOMPARE(odt.layout, QStringLiteral("P"));
        QCOMPARE(odt.pictureBytes.value(0), fileBytes(mixed + QStringLiteral("/good.jpg")));
        const QStringList lines = scanned->err().split(QLatin1Char('\n'));
        auto lineWith = [&](const QString& name, const QString& reason) {
            for (const QString& line : lines) {
                if (line.contains(name) && line.contains(reason)) {
                    return true;
                }
            }
            return false;
        };
        QVERIFY2(lineWith(QStringLiteral("x.jpg"), QStringLiteral("broken symbolic link")),
                 qPrintable(scanned->err()));
        QVERIFY2(lineWith(QStringLiteral("y.jpg"), QStringLiteral("fifo")),
                 qPrintable(scanned->err()));
    }

    void brokenLinkOnCommandLine_failsThatPicture() {
        ensureUserOffice();
        const QString work = folder(QStringLiteral("named-link"));
        QVERIFY(writePicture(work + QStringLiteral("/mixed/good.jpg"), 41));
        QVERIFY(QFile::link(QStringLiteral("gone.jpg"), work + QStringLiteral("/mixed/x.jpg")));
        // Named on the command line, a broken link is a picture that failed.
        auto named = start({"--office", m_office.connection(), "--timeout", "10", "-o", "named.odt",
                            "mixed/good.jpg", "mixed/x.jpg"},
                           work);
        QVERIFY(named->finish(120000));
        QCOMPARE(named->status(), 1);
        QCOMPARE(StoredDocument::readOdt(work + QStringLiteral("/named.odt")).layout,
                 QStringLiteral("P"));
        const QString err = named->err();
        const qsizetype listed = err.indexOf(QLatin1String("Not inserted:\n"));
        QVERIFY2(listed >= 0, qPrintable(err));
        QVERIFY2(
            err.mid(listed).section(QLatin1Char('\n'), 1, 1).endsWith(QLatin1String("mixed/x.jpg")),
            qPrintable(err));
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }

    void failedPictures_leaveNoEmptyPage() {
        ensureUserOffice();
        const QString work = folder(QStringLiteral("gaps"));
        QVERIFY(writePicture(work + QStringLiteral("/good1.png"), 50));
        QVERIFY(writePicture(work + QStringLiteral("/good2.png"), 51));
        QVERIFY(writeBytes(work + QStringLiteral("/bad1.png"), "not a picture\n"));
        QVERIFY(writeBytes(work + QStringLiteral("/bad2.png"), "nor this one\n"));
        auto run = start({"--office", m_office.connection(), "-o", "gaps.odt", "good1.png",
                          "bad1.png", "good2.png", "bad2.png"},
                         work);
        QVERIFY(run->finish(120000));
        QCOMPARE(run->status(), 1);
        const StoredDocument odt = StoredDocument::readOdt(work + QStringLiteral("/gaps.odt"));
        QCOMPARE(odt.layout, QStringLiteral("PBP"));
        QCOMPARE(odt.pictureBytes.value(0), fileBytes(work + QStringLiteral("/good1.png")));
        QCOMPARE(odt.pictureBytes.value(1), fileBytes(work + QStringLiteral("/good2.png")));
        const QString err = run->err();
        QVERIFY2(err.contains(QRegularExpression(
                     QStringLiteral("Not inserted:\\n.*/bad1\\.png\\n.*/bad2\\.png\\n"))),
                 qPrintable(err));
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }

private:
    // A folder of its own below the test's temporary folder.
    QString folder(const QString& name) const;
    std::unique_ptr<BatchRun> start(const QStringList& args, const QString& workFolder,
                                    const QString& program = kBatchProgram) const;
    // Starts the user's office with its unsaved document when it is not running.

    void ensureUserOffice() {
        if (m_office.isRunning()) {
            return;
        }
        QString error;
        QVERIFY2(m_office.start(&error), qPrintable(error));
        QVERIFY2(openUnsavedUserDocument(m_office.connection(), kUserText, &error),
                 qPrintable(error));
        QVERIFY2(userOfficeProblem().isEmpty(), qPrintable(userOfficeProblem()));
    }
    // Empty when the user's office runs and holds exactly its one unsaved document.
    QString userOfficeProblem() const;
    // Empty when no process of the sessions runs and no office profile of ours is left.
    QString ownOfficeLeftovers(const BatchRun& run);
    QStringList ownProfilesLeft() const;
    QStringList tmpEntries() const;
    void stopProcess(qint64 pid);
    void continueProcess(qint64 pid);

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/lumigrove-acceptance-XXXXXX")};
    OfficeProcess m_office;
    QString m_tmp;
    QString m_config;
    // Every session of an office that a batch of this test started, and every process this
    // test stopped: cleaned up whatever the checks found.
    QSet<qint64> m_ownOfficeSessions;
    QSet<qint64> m_stopped;
};

QString TestAcceptanceBatch::folder(const QString& name) const {
    const QString path = m_dir.filePath(name);
    QDir().mkpath(path);
    return path;
}

std::unique_ptr<BatchRun> TestAcceptanceBatch::start(const QStringList& args,
                                                     const QString& workFolder,
                                                     const QString& program) const {
    return std::make_unique<BatchRun>(program, args, workFolder, m_tmp, m_config);
}

QString TestAcceptanceBatch::userOfficeProblem() const {
    if (!m_office.isRunning()) {
        return QStringLiteral("the user's office is no longer running");
    }
    QList<UserDocument> documents;
    QString error;
    if (!listUserDocuments(m_office.connection(), &documents, &error)) {
        return QStringLiteral("the user's office does not answer: ") + error;
    }
    QStringList seen;
    for (const UserDocument& document : std::as_const(documents)) {
        seen.append(QStringLiteral("[text=%1 url=\"%2\" modified=%3 \"%4\"]")
                        .arg(document.isText)
                        .arg(document.url)
                        .arg(document.modified)
                        .arg(document.text.left(60)));
    }
    if (documents.size() != 1 || !documents.first().isText || !documents.first().url.isEmpty() ||
        !documents.first().modified || documents.first().text != kUserText) {
        return QStringLiteral("the user's office holds %1 documents: %2")
            .arg(documents.size())
            .arg(seen.join(QLatin1Char(' ')));
    }
    return {};
}

QStringList TestAcceptanceBatch::ownProfilesLeft() const {
    return QDir(m_tmp).entryList({kOwnProfilePrefix + QLatin1Char('*')},
                                 QDir::AllEntries | QDir::Hidden | QDir::System);
}

QStringList TestAcceptanceBatch::tmpEntries() const {
    return QDir(m_tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                 QDir::NoDotAndDotDot);
}

QString TestAcceptanceBatch::ownOfficeLeftovers(const BatchRun& run) {
    m_ownOfficeSessions.unite(run.officeSessions());
    if (run.officeSessions().isEmpty()) {
        return QStringLiteral("no office of the batch's own was seen running");
    }
    // A process that just ended may wait a moment to be reaped by its new parent.
    QElapsedTimer timer;
    timer.start();
    QList<qint64> left = processesInSessions(run.officeSessions());
    while (!left.isEmpty() && timer.elapsed() < 3000) {
        QThread::msleep(100);
        left = processesInSessions(run.officeSessions());
    }
    QStringList problems;
    for (const qint64 pid : std::as_const(left)) {
        problems.append(QStringLiteral("office process %1 still runs: %2")
                            .arg(pid)
                            .arg(QString::fromLocal8Bit(commandLineOf(pid))));
    }
    // Nor any other process on the machine that names a profile of ours, whatever its session.
    const QByteArray profile = QFile::encodeName(m_tmp + QLatin1Char('/') + kOwnProfilePrefix);
    for (const ProcessInfo& process : allProcesses()) {
        if (process.state != 'Z' && !left.contains(process.pid) &&
            commandLineOf(process.pid).contains(profile)) {
            problems.append(QStringLiteral("process %1 outside the office's session still runs: %2")
                                .arg(process.pid)
                                .arg(QString::fromLocal8Bit(commandLineOf(process.pid))));
        }
    }
    if (const QStringList profiles = ownProfilesLeft(); !profiles.isEmpty()) {
        problems.append(QStringLiteral("profile folders left in $TMPDIR: ") +
                        profiles.join(QLatin1Char(' ')));
    }
    return problems.join(QLatin1String("; "));
}

void TestAcceptanceBatch::stopProcess(qint64 pid) {
    QVERIFY(pid > 0);
    m_stopped.insert(pid);
    QCOMPARE(::kill(static_cast<pid_t>(pid), SIGSTOP), 0);
}

void TestAcceptanceBatch::continueProcess(qint64 pid) {
    ::kill(static_cast<pid_t>(pid), SIGCONT);
    m_stopped.remove(pid);
}

QTEST_GUILESS_MAIN(TestAcceptanceBatch)
#include "tst_acceptance_batch.moc"
