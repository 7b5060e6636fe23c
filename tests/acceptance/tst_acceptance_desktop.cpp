// Lumigrove as a person runs it on a desktop: the built program in a real X session (Xvfb
// and a window manager) beside the desktop LibreOffice with its windows, driven with the
// mouse and the keyboard, and judged by what is on the screen and in the document: the
// progress in view during the run, the document in a Writer window of usable size in front
// at the end, one sample per page in list order, no child left a zombie, and a person's own
// office and unsaved work untouched. Read over AT-SPI as a screen reader reads it, the window
// and its boxes name each control, and the progress bar tells each picture as it goes in.
#include "builder/uno/UnoRuntime.h"
#include "tests/acceptance/UserDocuments.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral(LUMIGROVE_PROGRAM);
const QString kUserText = QStringLiteral("Shopping list, not saved yet");
const QString kScreenReader = QStringLiteral(LUMIGROVE_ATSPI_READ);

QByteArray output(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    process.waitForFinished(20000);
    return process.readAllStandardOutput();
}

QString run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    return QString::fromLocal8Bit(output(program, args, env)).trimmed();
}

// Waits in the event loop until `ready` holds; false after `ms`.
template <typename Ready> bool waitFor(int ms, Ready ready) {
    const QDeadlineTimer deadline(ms);
    while (!ready()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(100);
    }
    return true;
}

// A display number from 100 up, drawn at random, that no lock file, socket file or abstract
// socket on this machine uses.
int freeDisplayNumber() {
    QFile sockets(QStringLiteral("/proc/net/unix"));
    const QByteArray listening =
        sockets.open(QIODevice::ReadOnly) ? sockets.readAll() : QByteArray();
    for (;;) {
        const int number = 100 + static_cast<int>(QRandomGenerator::global()->bounded(800));
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) &&
            !QFile::exists(socket) && !listening.contains(socket.toLatin1() + '\n')) {
            return number;
        }
    }
}

// An X display of its own with a window manager, and the environment of a person on it:
// a home with no office profile yet, as on a first start.
class Desktop {
public:
    bool start() {
        // A display of our own: one whose lock file and sockets nobody holds. An X server of
        // another mount namespace (another /tmp) leaves no lock file here but holds the
        // abstract socket of its display, which clients try first: such a number is passed
        // over too. The server names the display once it accepts clients.
        for (int tries = 0; tries < 20 && m_display.isEmpty(); ++tries) {
            const int number = freeDisplayNumber();
            m_xvfb.start(QStringLiteral("Xvfb"),
                         {QStringLiteral(":%1").arg(number), "-displayfd", "1", "-screen", "0",
                          "1600x1000x24", "-nolisten", "tcp", "-noreset"});
            QByteArray said;
            waitFor(20000, [&] {
                said += m_xvfb.readAllStandardOutput();
                return said.contains('\n') || m_xvfb.state() == QProcess::NotRunning;
            });
            if (said.trimmed() == QByteArray::number(number)) {
                m_display = QStringLiteral(":%1").arg(number);
            } else {
                m_xvfb.kill();
                m_xvfb.waitForFinished();
            }
        }
        if (m_display.isEmpty()) {
            return false;
        }
        env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.path() + "/.config");
        env.insert("QT_QPA_PLATFORM", "xcb");
        // The offices' GTK stays off the accessibility bus: where its bridge (libatk-adaptor)
        // is installed, a person's office started after another run's stopped answering here
        // for a minute, and the screen reader's run reads Lumigrove only. Qt ignores this.
        env.insert("NO_AT_BRIDGE", "1");
        m_wm.setProcessEnvironment(env);
        m_wm.start(QStringLiteral("openbox"), {});
        return !m_display.isEmpty() && m_wm.waitForStarted() &&
               waitFor(10000, [&] { return !xprop("_NET_SUPPORTING_WM_CHECK").isEmpty(); });
    }
    ~Desktop() {
        // The offices on this home are the test's own: started by it or by its Lumigrove.
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
            if (pid.toInt() > 0 && environ.open(QIODevice::ReadOnly) &&
                environ.readAll().contains("HOME=" + m_home.path().toLocal8Bit() + '\0')) {
                ::kill(pid.toInt(), SIGKILL);
            }
        }
        for (QProcess* process : {&m_wm, &m_sessionBus}) {
            process->kill();
            process->waitForFinished();
        }
        // Asked to end, the server removes its lock and socket.
        m_xvfb.terminate();
        m_xvfb.waitForFinished();
    }
    // A session bus of its own, as a desktop with a screen reader has: the programs started
    // on this display afterwards join its accessibility bus, which it starts when first asked.
    bool startSessionBus() {
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_home.filePath("bus"));
        env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        m_sessionBus.setProcessEnvironment(env);
        m_sessionBus.start("dbus-daemon", {"--session", "--nofork",
                                           "--address=unix:path=" + m_home.filePath("bus")});
        return waitFor(10000, [&] { return QFile::exists(m_home.filePath("bus")); });
    }
    QString home() const { return m_home.path(); }
    // Starts a Qt program on this display. Now and then, on a loaded machine, a program here
    // could not connect to a display that other clients were using at that moment (Qt's
    // exit status 6, "could not connect to display"); the cause was not found in the
    // server. Such a start is said and made once more; a second failure is the test's.
    void startOnDisplay(QProcess& program, const QString& path) const {
        program.start(path, {});
        if (program.waitForFinished(3000) && program.exitCode() == 6) {
            qWarning("%s could not connect to %s; started once more", qPrintable(path),
                     qPrintable(m_display));
            program.start(path, {});
        }
    }
    QString xprop(const QString& property) const { return run("xprop", {"-root", property}, env); }
    // The mapped windows whose title matches, bottom to top.
    QStringList windows(const QString& titlePattern) const {
        QStringList found;
        const QStringList stacking = xprop("_NET_CLIENT_LIST_STACKING").section('#', 1).split(',');
        for (const QString& id : stacking) {
            const QString name = run("xdotool", {"getwindowname", id.trimmed()}, env);
            if (!id.trimmed().isEmpty() &&
                QRegularExpression(titlePattern).match(name).hasMatch()) {
                found.append(QString::number(id.trimmed().toULong(nullptr, 16)));
            }
        }
        return found;
    }
    // The program's main window once it is shown; not the splash, which bears its title while
    // the office starts.
    QString mainWindow() const {
        for (const QString& id : windows("^Lumigrove$")) {
            if (!run("xprop", {"-id", id, "_NET_WM_WINDOW_TYPE"}, env).contains("SPLASH")) {
                return id;
            }
        }
        return {};
    }
    QString activeWindow() const {
        return QString::number(
            xprop("_NET_ACTIVE_WINDOW").section('#', 1).trimmed().toULong(nullptr, 16));
    }
    void xdotool(const QStringList& args) const { run("xdotool", args, env); }

    QProcessEnvironment env;

private:
    QTemporaryDir m_home;
    QString m_display;
    QProcess m_xvfb, m_wm, m_sessionBus;
};

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QFile::exists("/usr/lib/libreoffice/program/libvclplug_genlo.so")) {
            QSKIP("only the windowless LibreOffice is installed here; this test needs the desktop "
                  "one");
        }
    }

    void samples_builtInAWriterWindowInFront_data() {
        QTest::addColumn<bool>("userOfficeRuns");
        QTest::addColumn<bool>("screenReader");
        QTest::newRow("the office Lumigrove starts") << false << false;
        QTest::newRow("a person's office with unsaved work") << true << false;
        QTest::newRow("read by a screen reader") << false << true;
    }

    void samples_builtInAWriterWindowInFront() {
        QFETCH(bool, userOfficeRuns);
        QFETCH(bool, screenReader);
        if (screenReader && (!QFile::exists("/usr/libexec/at-spi-bus-launcher") ||
                             QProcess::execute("/usr/bin/python3", {"-c", "import pyatspi"}))) {
            QSKIP("at-spi2-core or python3-pyatspi is missing (scripts/setup --test)");
        }
        Desktop desktop;
        QVERIFY(desktop.start());
        QVERIFY(!screenReader || desktop.startSessionBus());
        // Settings written as a person would, short pauses so that the run can be watched.
        QDir().mkpath(desktop.home() + "/.config");
        QFile settings(desktop.home() + "/.config/Vantrell.conf");
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Lumigrove]\nInsertPause=0.5\n");
        settings.close();

        OfficeProcess userOffice;
        if (userOfficeRuns) {
            QString error;
            userOffice.setWindowed(desktop.env);
            QVERIFY2(userOffice.start(&error), qPrintable(error));
            QVERIFY2(openUnsavedUserDocument(userOffice.connection(), kUserText, &error, false),
                     qPrintable(error));
        }

        // Started from the home folder with a relative path, as from a terminal there.
        QProcess lumigrove;
        lumigrove.setProcessEnvironment(desktop.env);
        lumigrove.setWorkingDirectory(desktop.home());
        lumigrove.setProcessChannelMode(QProcess::ForwardedChannels);
        desktop.startOnDisplay(lumigrove, QDir(desktop.home()).relativeFilePath(kProgram));
        QString main;
        QVERIFY2(waitFor(90000,
                         [&] {
                             main = desktop.mainWindow();
                             return !main.isEmpty() || lumigrove.state() == QProcess::NotRunning;
                         }) &&
                     !main.isEmpty(),
                 qPrintable(QStringLiteral("no window; lumigrove %1, exit %2")
                                .arg(lumigrove.state() == QProcess::NotRunning ? "ended" : "runs")
                                .arg(lumigrove.exitCode())));
        auto click = [&](int x, int y) {
            desktop.xdotool({"mousemove", "--window", main, QString::number(x), QString::number(y),
                             "click", "1"});
        };
        // A box of the program's own: titled like the main window, above it.
        auto box = [&] {
            const QStringList own = desktop.windows("^Lumigrove$");
            return own.size() > 1 ? own.last() : QString();
        };
        auto answer = [&](const QString& key) {
            QString shown;
            QVERIFY(waitFor(30000, [&] { return !(shown = box()).isEmpty(); }));
            desktop.xdotool({"windowactivate", "--sync", shown, "key", key});
            QVERIFY(waitFor(10000, [&] { return box().isEmpty(); }));
        };
        // The controls a screen reader finds in a window, as "role: label name".
        const QString pid = QString::number(lumigrove.processId());
        auto controlsOf = [&](const QString& window) {
            return run("/usr/bin/python3", {kScreenReader, "controls", pid, window}, desktop.env)
                .split('\n');
        };
        QProcess watcher;
        if (screenReader) {
            QTRY_COMPARE_WITH_TIMEOUT(
                controlsOf("frame: Lumigrove"),
                (QStringList{"table: Image File(s)", "push button: Move Up",
                             "push button: Move Down", "push button: Add Image File(s)",
                             "push button: Add All Image Files In Folder",
                             "push button: Clear List", "push button: Load Sample/Example Files",
                             "push button: Start Inserting Images", "progress bar: Progress"}),
                20000);
            // Document Options from the keyboard: the list's menu, its last entry.
            desktop.xdotool({"windowactivate", "--sync", main, "key", "shift+F10"});
            QTest::qWait(1000);
            desktop.xdotool({"key", "Up", "Return"});
            QTRY_COMPARE_WITH_TIMEOUT(
                controlsOf("dialog: Document Options"),
                (QStringList{"combo box: Caption under each picture: None",
                             "text: Caption pattern: Caption pattern",
                             "combo box: Pictures per page: 1", "text: Custom grid: Custom grid",
                             "check box: Fit each picture to the page",
                             "combo box: Paper size: Office default",
                             "combo box: Orientation: Office default", "spin button: Margins:",
                             "text: Template", "push button: Template: Choose template",
                             "push button: Clear template", "combo box: Picture size: Original",
                             "check box: Remove location and camera data", "push button: OK",
                             "push button: Cancel"}),
                10000);
            desktop.xdotool({"key", "Escape"});
            QVERIFY(
                waitFor(10000, [&] { return desktop.windows("^Document Options$").isEmpty(); }));
            desktop.xdotool({"windowactivate", "--sync", main});
        }

        click(400, 231);  // Load Sample/Example Files
        answer("Escape"); // not the samples' folder
        if (screenReader) {
            watcher.setProcessEnvironment(desktop.env);
            watcher.start("/usr/bin/python3", {kScreenReader, "watch", pid, "300"});
            QVERIFY(watcher.waitForReadyRead(20000));
        }
        click(268, 265); // Start Inserting Images
        // The document opens in front, then the progress comes back in front of it.
        const QString writerTitle = "^Untitled \\d+ - LibreOffice Writer$";
        QStringList writer;
        QVERIFY(waitFor(60000, [&] { return !(writer = desktop.windows(writerTitle)).isEmpty(); }));
        QVERIFY2(waitFor(5000,
                         [&] {
                             const QStringList all = desktop.windows(".");
                             return all.indexOf(main) >
                                    all.indexOf(desktop.windows(writerTitle).value(0));
                         }),
                 "the progress stays hidden behind the document");
        answer("Return"); // "Done."
        QVERIFY(desktop.windows("^Application Error$").isEmpty());

        // The document in front, mapped and of a usable size, beside any the person had.
        writer = desktop.windows(writerTitle);
        QCOMPARE(writer.size(), userOfficeRuns ? 2 : 1);
        // The office that made the document raises it. A person's office that was running
        // already is left to the window manager, which may keep the focus where the person last
        // clicked.
        if (!userOfficeRuns) {
            QVERIFY(waitFor(5000, [&] { return desktop.activeWindow() == writer.last(); }));
        }
        // And that of a later run of the same start, begun from the window picked in the task
        // bar while the first document stays open.
        desktop.xdotool({"windowactivate", "--sync", main});
        click(268, 265); // Start Inserting Images
        QStringList later;
        QVERIFY(waitFor(60000, [&] {
            later = desktop.windows(writerTitle);
            later.removeIf([&](const QString& window) { return writer.contains(window); });
            return !later.isEmpty();
        }));
        answer("Return"); // "Done."
        QCOMPARE(later.size(), 1);
        QVERIFY(userOfficeRuns ||
                waitFor(5000, [&] { return desktop.activeWindow() == later[0]; }));
        const QString geometry = run("xdotool", {"getwindowgeometry", writer.last()}, desktop.env);
        const auto size = QRegularExpression("Geometry: (\\d+)x(\\d+)").match(geometry);
        QVERIFY2(size.captured(1).toInt() >= 800 && size.captured(2).toInt() >= 500,
                 qPrintable(geometry));

        // No child of Lumigrove left a zombie (the launcher that handed over to a running office).
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(lumigrove.processId()));
        QVERIFY(children.open(QIODevice::ReadOnly));
        for (const QByteArray& child : children.readAll().split(' ')) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(child)));
            if (!child.trimmed().isEmpty() && stat.open(QIODevice::ReadOnly)) {
                QVERIFY2(!stat.readAll().contains(") Z "), child.constData());
            }
        }

        // What the document holds: the samples, one to a page, in the list's (name) order.
        const QStringList pipes = QDir("/tmp").entryList(
            {QStringLiteral("OSL_PIPE_%1_lumigrove%2").arg(::getuid()).arg(lumigrove.processId()) +
             QStringLiteral("[0-9a-f]").repeated(16)}, // not a pipe of a pid that starts alike
            QDir::System);
        // Each run that handed over to a running office opened it one more pipe of its own.
        QVERIFY(!pipes.isEmpty());
        const QString connection = "pipe,name=" + pipes.first().section('_', 3) + ";urp";
        QTemporaryDir stored;
        QString error;
        const QDir samplesFolder(QFileInfo(kProgram).path() + "/Samples");
        const int samples = static_cast<int>(samplesFolder.entryList(QDir::Files).size());
        const StoredDocument document = StoredDocument::storeOpenDocument(
            connection, stored.filePath("made.odt"), &error, kUserText, 2);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(document.layout, QStringList(samples, "P").join('B'));
        QStringList names = samplesFolder.entryList(QDir::Files);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.toUpper() == b.toUpper() ? a < b : a.toUpper() < b.toUpper();
        });
        if (screenReader) {
            // The progress bar told each picture as it went in, and then that the run was over,
            // in each of the two runs.
            QStringList told = names;
            told.replaceInStrings(QRegularExpression("^"), "progress bar: Progress | Processing: ");
            told << "progress bar: Progress | Progress Bar";
            told += told;
            watcher.terminate();
            QVERIFY(watcher.waitForFinished());
            QCOMPARE(QString::fromUtf8(watcher.readAllStandardOutput())
                         .split('\n')
                         .filter("progress bar: "),
                     told);
        }
        for (int i = 0; i < samples; ++i) {
            QFile sample(samplesFolder.filePath(names.at(i)));
            QVERIFY(sample.open(QIODevice::ReadOnly));
            QVERIFY2(output("unzip",
                            {"-p", stored.filePath("made.odt"), document.imageLinks.value(i)},
                            desktop.env) == sample.readAll(),
                     qPrintable(names.at(i)));
        }

        if (userOfficeRuns) {
            QCOMPARE(closeOtherDocuments(userOffice.connection(), kUserText, &error), 1);
            QList<UserDocument> documents;
            QVERIFY2(listUserDocuments(userOffice.connection(), &documents, &error),
                     qPrintable(error));
            QCOMPARE(documents.size(), 1);
            QVERIFY(documents.first().modified);
            QCOMPARE(documents.first().text, kUserText);
        }
        // Closing the window ends the program, and never the person's office.
        desktop.xdotool({"windowactivate", "--sync", main, "key", "alt+F4"});
        QVERIFY(lumigrove.waitForFinished(20000));
        QCOMPARE(lumigrove.exitCode(), 0);
        QCOMPARE(userOffice.isRunning(), userOfficeRuns);
    }

    void terminated_endsItsIdleOfficeAsAClose_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void terminated_endsItsIdleOfficeAsAClose() {
        QFETCH(int, signal);
        Desktop desktop;
        QVERIFY(desktop.start());
        // Not a first start: the office's profile in this home has been set up before.
        markExtensionsSynced(desktop.home() + "/.config/libreoffice/4",
                             LUMIGROVE_OFFICE_PROGRAM_DIR);
        QProcess lumigrove;
        lumigrove.setProcessEnvironment(desktop.env);
        lumigrove.setProcessChannelMode(QProcess::ForwardedChannels);
        desktop.startOnDisplay(lumigrove, kProgram);
        // The start-up check has started the office, which leads a session of its own.
        QVERIFY(waitFor(90000, [&] { return !desktop.mainWindow().isEmpty(); }));
        const QString office =
            run("pgrep", {"-P", QString::number(lumigrove.processId())}, desktop.env)
                .section('\n', 0, 0);
        QVERIFY(!office.isEmpty());
        QCOMPARE(::kill(static_cast<pid_t>(lumigrove.processId()), signal), 0);
        QVERIFY(lumigrove.waitForFinished(20000));
        QCOMPARE(lumigrove.exitCode(), 128 + signal);
        QVERIFY2(waitFor(15000,
                         [&] {
                             return run("pgrep", {"-s", office}, desktop.env).isEmpty();
                         }),
                 "the idle office of the program stays behind");
    }
};

QTEST_GUILESS_MAIN(DesktopTest)
#include "tst_acceptance_desktop.moc"
