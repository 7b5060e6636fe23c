// The real office bridge against a real headless office suite that this test starts with a
// private profile and kills at the end: the main window's insert run builds the document,
// which the test then stores and reads back; the start-up check finds the suite or not; a
// suite killed in the middle of a run ends that run cleanly.
#include "app/CaptionProgressBar.h"
#include "app/Form1.h"
#include "batch/BatchCommand.h"
#include "builder/OfficeDocument.h"
#include "builder/OfficeSession.h"
#include "builder/uno/UnoDesktop.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "builder/uno/UnoRuntime.h"
#include "core/AlbumLayout.h"
#include "core/AppError.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "piclist/PictureListModel.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeRandom.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/Form1Harness.h"
#include "tests/support/OfficePipes.h"
#include "tests/support/TestFiles.h"

#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/document/XDocumentEventListener.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/theGlobalEventBroadcaster.hpp>

#include <cppuhelper/implbase2.hxx>
#include <rtl/byteseq.hxx>
#include <rtl/ref.hxx>
#include <uno/threadpool.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// The real office bridge, made before the window that uses it.
struct RealOffice {
    explicit RealOffice(int startTimeoutMs) : office(startTimeoutMs) {}
    UnoOfficeBridge office;
};

// The main window on the real bridge, with scripted desktop services and real waits.
struct Window : RealOffice, Form1Harness {
    explicit Window(int startTimeoutMs = UnoOfficeBridge::kDefaultStartTimeoutMs)
        : RealOffice(startTimeoutMs),
          Form1Harness(Setup().officeBridge(&(RealOffice::office)).realTime()) {
        form.SetAppTitle();
    }
    UnoOfficeBridge& office = RealOffice::office;
};

// A stand-in for the suite's "soffice", for the start-up path of the bridge.
void writeScript(const QString& path, const QString& body) {
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void killListedProcess(const QString& pidFile) {
    QFile file(pidFile);
    if (file.open(QIODevice::ReadOnly)) {
        const pid_t pid = file.readAll().trimmed().toInt();
        if (pid > 0) {
            ::kill(pid, SIGKILL);
        }
    }
}

// The office's threads that called the program: its main thread, through the office's
// asynchronous callback, and the one that set up a document's view. While `hold` is set, the
// callback keeps the main thread (for at most 20 s).
class OfficeThreads
    : public cppu::WeakImplHelper2<css::awt::XCallback, css::document::XDocumentEventListener> {
public:
    void SAL_CALL notify(const css::uno::Any&) override {
        record(main);
        std::unique_lock lock(mutex);
        released.wait_for(lock, std::chrono::seconds(20), [&] { return !hold; });
    }
    void SAL_CALL documentEventOccured(const css::document::DocumentEvent& event) override {
        if (event.EventName == "OnViewCreated") {
            record(view);
        }
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override {}
    void record(rtl::ByteSequence& caller) {
        sal_Sequence* id = nullptr;
        uno_getIdOfCurrentThread(&id);
        uno_releaseIdFromCurrentThread();
        const std::lock_guard lock(mutex);
        caller = rtl::ByteSequence(id, rtl::BYTESEQ_NOACQUIRE);
    }
    std::mutex mutex;
    std::condition_variable released;
    bool hold = false;
    rtl::ByteSequence main, view;
};

// A new document opened through `link`, once `first` has been called on the main thread.
std::unique_ptr<OfficeDocument> openOnMainThreadAfter(css::awt::XCallback* first,
                                                      const std::shared_ptr<UnoLink>& link) {
    link->call([&] { css::awt::AsyncCallback::create(link->context())->addCallback(first, {}); });
    return UnoDesktop(link,
                      link->call([&] { return css::frame::Desktop::create(link->context()); }))
        .loadComponentFromURL("private:factory/swriter", "_blank", 0, {});
}

} // namespace

class TestOfficeE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void run_fourPicturesWithAwkwardNames_embeddedOnePerPage();
    void run_lastPictureFails_noEmptyLastPage();
    void run_documentOptionsFromTheSettings_captionsTwoToAPage();
    void run_listEditedDuringTheRun_documentGetsTheStartingEntries();
    void run_fiftyPicturesWithoutPause_allArrive();
    void run_severalRunsWithDocumentsLeftOpen_eachOnePerPage();
    void checkOfficeSuite_reachable_windowShows();
    void checkOfficeSuite_connectionToNothing_offersDownloadAndEnds();
    void checkOfficeSuite_noOfficeInstalled_offersDownloadAndEnds();
    void bridge_officeThatNeverAnswers_failsAfterTheBound();
    void bridge_startsInstalledOffice();
    void link_callInsideACall_outerLimitHoldsAfterIt();
    void desktop_documentOpenedByTheOfficesMainThread();
    void desktop_officesMainThreadKeptBusy_openFailsAtTheLimit();
    void bridge_officeThatEndsAtOnce_noticedAtOnceAndSaidSo();
    void window_closed_keepsItsOwnOfficeWithADocument();
    void run_officeStopsAnswering_oneReportNamingTheLimitWindowUsable_data();
    void run_officeStopsAnswering_oneReportNamingTheLimitWindowUsable();
    // Kills the suite: runs last.
    void run_officeKilledMidRun_reportsOnceEndsAndNextRunReconnects();

private:
    QStringList makePictures(const QStringList& names);
    // Stores the one document open in the suite's office, or in the office at `connection`.
    StoredDocument storeDocument(const QString& name, const QString& connection = QString());
    void useFixtureOffice();

    OfficeProcess m_office;
    // The window's own office that a closed window left running with its document, and its
    // connection: the office the run after the suite's is killed reconnects to.
    pid_t m_keptOffice = 0;
    QString m_keptConnection;
    QTemporaryDir m_dir;
    int m_pictures = 0;
};

void TestOfficeE2E::initTestCase() {
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(m_office.start(&error), qPrintable(error));
}

void TestOfficeE2E::init() {
    qunsetenv("UNO_PATH");
    useFixtureOffice();
}

void TestOfficeE2E::cleanupTestCase() {
    m_office.kill();
    if (m_keptOffice > 0) {
        // The leader of the office's own process group, and a child of this program.
        ::kill(-m_keptOffice, SIGKILL);
        ::waitpid(m_keptOffice, nullptr, 0);
    }
}

void TestOfficeE2E::useFixtureOffice() {
    SaveSetting(QStringLiteral("OfficeConnection"), m_office.connection());
    SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0"));
    saveAlbumLayout(AlbumLayout());
}

QStringList TestOfficeE2E::makePictures(const QStringList& names) {
    QStringList paths;
    for (const QString& name : names) {
        const QString path = m_dir.filePath(name);
        if (!writePicture(path, ++m_pictures)) {
            QTest::qFail("picture not written", __FILE__, __LINE__);
        }
        paths.append(path);
    }
    return paths;
}

StoredDocument TestOfficeE2E::storeDocument(const QString& name, const QString& connection) {
    QString error;
    StoredDocument stored = StoredDocument::storeOpenDocument(
        connection.isEmpty() ? m_office.connection() : connection, m_dir.filePath(name), &error);
    if (!error.isEmpty()) {
        qWarning("storing the document: %s", qPrintable(error));
    }
    return stored;
}

void TestOfficeE2E::run_fourPicturesWithAwkwardNames_embeddedOnePerPage() {
    // "a%20b.png" would name "a b.png" if the URL were left raw; there is no such file.
    Window w;
    const QStringList pictures =
        makePictures({"plain.png", "with#hash.png", "a%20b.png", "with space.png"});
    for (const QString& picture : pictures) {
        w.form.pictureList().append(picture);
    }
    w.form.PushButton2_Click();
    QVERIFY2(w.ui.errorReports().isEmpty(), qPrintable(w.boxTexts().join(" | ")));
    QCOMPARE(w.boxTexts(), QStringList({"Done."}));

    const StoredDocument stored = storeDocument(QStringLiteral("four.odt"));
    QCOMPARE(stored.openDocuments, 1);
    // Picture, break, picture...: one picture per page, breaks only between them.
    QCOMPARE(stored.layout, QStringLiteral("PBPBPBP"));
    QSet<QString> distinct;
    for (const QString& link : stored.imageLinks) {
        QVERIFY2(link.startsWith(QStringLiteral("Pictures/")), qPrintable(link));
        QVERIFY2(stored.packageEntries.contains(link), qPrintable(link));
        distinct.insert(link);
    }
    QCOMPARE(distinct.size(), 4);
}

void TestOfficeE2E::run_listEditedDuringTheRun_documentGetsTheStartingEntries() {
    // During the pauses the user drops a file, swaps two entries by dragging and clears the
    // list: the document still gets the three pictures listed at the start, once each, one
    // per page, and no empty page.
    SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0.3"));
    const QStringList pictures = makePictures({"edit-1.png", "edit-2.png", "edit-3.png"});
    const QString late = makePictures({"edit-late.png"}).constFirst();
    Window w;
    for (const QString& picture : pictures) {
        w.form.pictureList().append(picture);
    }
    QStringList seen;
    QTimer editor;
    connect(&editor, &QTimer::timeout, [&] {
        const QString caption = w.progress()->caption();
        if (seen.contains(caption) || !caption.startsWith(QLatin1String("Processing: "))) {
            return;
        }
        seen.append(caption);
        PictureListModel& list = w.form.pictureList();
        if (seen.size() == 1) {
            list.append(late);
        } else if (seen.size() == 2) {
            const QString first = list.text(1);
            list.setText(1, list.text(3));
            list.setText(3, first);
        } else {
            list.clear();
        }
    });
    editor.start(10);
    w.form.PushButton2_Click();
    editor.stop();
    SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0"));

    QCOMPARE(seen.size(), 3);
    QVERIFY2(w.ui.errorReports().isEmpty(), qPrintable(w.boxTexts().join(" | ")));
    const StoredDocument stored = storeDocument(QStringLiteral("edited.odt"));
    QCOMPARE(stored.layout, QStringLiteral("PBPBP"));
    // Three different pictures: none went in twice.
    QCOMPARE(QSet<QString>(stored.imageLinks.begin(), stored.imageLinks.end()).size(), 3);
}

void TestOfficeE2E::run_fiftyPicturesWithoutPause_allArrive() {
    Window w;
    QStringList names;
    for (int i = 1; i <= 50; ++i) {
        names.append(QStringLiteral("fifty-%1.png").arg(i, 2, 10, QLatin1Char('0')));
    }
    for (const QString& picture : makePictures(names)) {
        w.form.pictureList().append(picture);
    }
    QElapsedTimer elapsed;
    elapsed.start();
    w.form.PushButton2_Click();
    qInfo("50 pictures in %lld ms", elapsed.elapsed());
    QVERIFY2(w.ui.errorReports().isEmpty(), qPrintable(w.boxTexts().join(" | ")));

    const StoredDocument stored = storeDocument(QStringLiteral("fifty.odt"));
    QCOMPARE(stored.pictures(), 50);
    QCOMPARE(stored.pageBreaks(), 49);
    QCOMPARE(stored.layout, QStringLiteral("P") + QStringLiteral("BP").repeated(49));
}

void TestOfficeE2E::run_severalRunsWithDocumentsLeftOpen_eachOnePerPage() {
    // One office for every run, each run's document left open in it: the lock on the
    // controllers must neither break the layout nor bring the office down.
    const int runs = 6;
    for (int run = 1; run <= runs; ++run) {
        QStringList names;
        for (int i = 1; i <= 4 + 3 * run; ++i) {
            names.append(QStringLiteral("open-%1-%2.png").arg(run).arg(i, 2, 10, QLatin1Char('0')));
        }
        const QStringList pictures = makePictures(names);
        const QString out = m_dir.filePath(QStringLiteral("open-%1.odt").arg(run));
        QString text;
        QTextStream log(&text);
        const int status =
            runBatch(QStringList{"lumigrove-batch", "--office", m_office.connection(),
                                 "--keep-open", "-o", out} +
                         pictures,
                     log, log, [](const OfficeChoice& choice) {
                         return makeUnoOfficeBridge(choice.connection, choice.profileFolder);
                     });
        QVERIFY2(status == 0, qPrintable(QStringLiteral("run %1: %2").arg(run).arg(text)));
        QVERIFY(m_office.isRunning());
        QCOMPARE(StoredDocument::readOdt(out).layout,
                 QStringLiteral("P") + QStringLiteral("BP").repeated(names.size() - 1));
    }
    // The documents stay open; the tests after this one store none of them.
}

void TestOfficeE2E::checkOfficeSuite_reachable_windowShows() {
    Window w;
    QVERIFY(w.form.Form_Load());
    QVERIFY(w.ui.boxes.isEmpty());
    QVERIFY(!w.ui.ended);
}

void TestOfficeE2E::checkOfficeSuite_connectionToNothing_offersDownloadAndEnds() {
    SaveSetting(QStringLiteral("OfficeConnection"),
                QStringLiteral("pipe,name=lumigrove_nobody_%1;urp")
                    .arg(QCoreApplication::applicationPid()));
    Window w;
    w.ui.boxAnswers = {MsgAnswer::Yes};
    QVERIFY(!w.form.Form_Load());
    QCOMPARE(w.ui.boxes.size(), 1);
    QVERIFY(w.ui.boxes.at(0).text.startsWith(QStringLiteral("Error 214878392\r\n\r\n")));
    QCOMPARE(w.ui.boxes.at(0).style, 4);
    QCOMPARE(w.ui.openedUrls.size(), 1);
    QVERIFY(w.ui.ended);
    QVERIFY(!w.form.isVisible());
}

void TestOfficeE2E::checkOfficeSuite_noOfficeInstalled_offersDownloadAndEnds() {
    SaveSetting(QStringLiteral("OfficeConnection"), QString());
    QTemporaryDir empty;
    qputenv("UNO_PATH", empty.path().toUtf8());
    Window w;
    w.ui.boxAnswers = {MsgAnswer::No};
    QVERIFY(!w.form.Form_Load());
    QCOMPARE(w.ui.boxes.size(), 1);
    QVERIFY(w.ui.boxes.at(0).text.startsWith(QStringLiteral("Error 214878392\r\n\r\n")));
    QVERIFY(w.ui.openedUrls.isEmpty());
    QVERIFY(w.ui.ended);
}

void TestOfficeE2E::bridge_officeThatNeverAnswers_failsAfterTheBound() {
    SaveSetting(QStringLiteral("OfficeConnection"), QString());
    QTemporaryDir folder;
    const QString pidFile = folder.filePath(QStringLiteral("pid"));
    writeScript(folder.filePath(QStringLiteral("soffice")),
                QStringLiteral("echo $$ > '%1'\nexec sleep 60").arg(pidFile));
    qputenv("UNO_PATH", folder.path().toUtf8());

    UnoOfficeBridge bridge(1500);
    QElapsedTimer elapsed;
    elapsed.start();
    QString failure;
    try {
        bridge.createServiceManager();
    } catch (const AppError& e) {
        failure = e.description();
    }
    const qint64 ms = elapsed.elapsed();
    QTest::qWait(100);
    killListedProcess(pidFile);
    QVERIFY2(failure.contains(QStringLiteral("did not answer")), qPrintable(failure));
    QVERIFY2(ms >= 1400 && ms < 5000, qPrintable(QString::number(ms)));
}

void TestOfficeE2E::link_callInsideACall_outerLimitHoldsAfterIt() {
    constexpr int kOuterLimitMs = 2000;
    const auto link = UnoOfficeBridge::connectToOffice(m_office.connection(), kOuterLimitMs);
    const auto office = static_cast<pid_t>(m_office.processId());
    QElapsedTimer elapsed;
    int failure = 0;
    try {
        link->call([&] {
            link->callWithin(60000, [] {});
            // The office stops after the inner call: the outer call's limit must still hold.
            ::kill(office, SIGSTOP);
            // The call goes out only once the office is seen stopped: on a loaded machine the
            // stop may take effect after the office has read its next request.
            waitUntilStopped(office, 2000);
            elapsed.start();
            css::frame::Desktop::create(link->context())->getComponents();
        });
    } catch (const AppError& e) {
        failure = e.number();
    }
    ::kill(office, SIGCONT);
    QCOMPARE(failure, OfficeError::TimedOut);
    QVERIFY2(elapsed.elapsed() < kOuterLimitMs + kBusyMachineSlackMs,
             qPrintable(QString::number(elapsed.elapsed())));
}

// As one that a person opens: a window's menus set up on a thread that serves a remote call
// could leave the office's GTK integration waiting for good for the system clipboard.
void TestOfficeE2E::desktop_documentOpenedByTheOfficesMainThread() {
    const auto link = UnoOfficeBridge::connectToOffice(m_office.connection(), 60000);
    const rtl::Reference<OfficeThreads> threads(new OfficeThreads);
    const auto broadcaster =
        link->call([&] { return css::frame::theGlobalEventBroadcaster::get(link->context()); });
    link->call([&] { broadcaster->addDocumentEventListener(threads.get()); });
    openOnMainThreadAfter(threads.get(), link)->close();
    // Let go of in the office, where a listener on a connection that has ended would stand for
    // a later object of ours at the same address.
    link->call([&] { broadcaster->removeDocumentEventListener(threads.get()); });
    const std::lock_guard lock(threads->mutex);
    QVERIFY(threads->view.getLength() > 0 && threads->view == threads->main);
}

void TestOfficeE2E::desktop_officesMainThreadKeptBusy_openFailsAtTheLimit() {
    constexpr int kLimitMs = 2000;
    // Let go of only once the callback has let the main thread go.
    const auto link = UnoOfficeBridge::connectToOffice(m_office.connection(), kLimitMs);
    const rtl::Reference<OfficeThreads> threads(new OfficeThreads);
    threads->hold = true;
    QElapsedTimer elapsed;
    elapsed.start();
    int failure = 0;
    try {
        openOnMainThreadAfter(threads.get(), link);
    } catch (const AppError& e) {
        failure = e.number();
    }
    const qint64 ms = elapsed.elapsed();
    {
        const std::lock_guard lock(threads->mutex);
        threads->hold = false;
    }
    threads->released.notify_all();
    QCOMPARE(failure, OfficeError::TimedOut);
    QVERIFY2(ms < kLimitMs + kBusyMachineSlackMs, qPrintable(QString::number(ms)));
}

void TestOfficeE2E::bridge_startsInstalledOffice() {
    // The stand-in starts the real suite, headless, with the arguments the bridge gives it
    // (its profile among them), in its own place: the bridge's process is the office itself.
    SaveSetting(QStringLiteral("OfficeConnection"), QString());
    QTemporaryDir folder;
    writeScript(folder.filePath(QStringLiteral("soffice")),
                QStringLiteral("exec '%1' --headless \"$@\"")
                    .arg(QStringLiteral(LUMIGROVE_OFFICE_PROGRAM_DIR "/soffice.bin")));
    qputenv("UNO_PATH", folder.path().toUtf8());
    // Without its launcher, the office would ask for a restart on a profile not yet set up.
    QTemporaryDir profile;
    markExtensionsSynced(profile.path(), QStringLiteral(LUMIGROVE_OFFICE_PROGRAM_DIR));

    // The start-up check starts the office; closing the window ends it again, as it is idle.
    Window w;
    w.office.setProfileFolder(profile.path());
    const bool shown = w.form.Form_Load();
    const auto pid = static_cast<pid_t>(w.office.startedProcessId());
    QVERIFY2(shown, qPrintable(w.boxTexts().join(" | ")));
    QVERIFY(w.ui.boxes.isEmpty());
    QVERIFY(pid > 0);
    QCOMPARE(::kill(pid, 0), 0);
    w.form.close();
    QVERIFY(w.ui.ended);
    QVERIFY2(::kill(pid, 0) != 0, "the office started for the start-up check still runs");
}

void TestOfficeE2E::bridge_officeThatEndsAtOnce_noticedAtOnceAndSaidSo() {
    // As the office does when it cannot write its profile folder.
    SaveSetting(QStringLiteral("OfficeConnection"), QString());
    QTemporaryDir folder;
    writeScript(folder.filePath(QStringLiteral("soffice")), QStringLiteral("exit 77"));
    qputenv("UNO_PATH", folder.path().toUtf8());

    Window w;
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(!w.form.Form_Load());
    QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(w.ui.boxes.size(), 1);
    const FakeUiServices::Box& box = w.ui.boxes.at(0);
    QVERIFY2(box.text.contains(QStringLiteral("could not be started")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("exit status 77")), qPrintable(box.text));
    QCOMPARE(box.style, 48);
    // Not "not installed": no download page is offered.
    QVERIFY(w.ui.openedUrls.isEmpty());
    QVERIFY(w.ui.ended);
}

void TestOfficeE2E::window_closed_keepsItsOwnOfficeWithADocument() {
    // The idle office ended on closing: bridge_startsInstalledOffice.
    SaveSetting(QStringLiteral("OfficeConnection"), QString());
    QTemporaryDir profile;
    {
        // The run uses the office the start-up check started; the document it built keeps
        // that office when the window closes.
        Window w;
        w.office.setProfileFolder(profile.path());
        QVERIFY(w.form.Form_Load());
        const auto pid = static_cast<pid_t>(w.office.startedProcessId());
        w.form.pictureList().append(makePictures({"kept.png"}).constFirst());
        w.form.PushButton2_Click();
        QCOMPARE(w.boxTexts(), QStringList({"Done."}));
        QCOMPARE(static_cast<pid_t>(w.office.startedProcessId()), pid);
        w.form.close();
        QVERIFY2(::kill(pid, 0) == 0, "the office holding the built document was ended");
        // Ended by the clean-up, also when a check below fails.
        m_keptOffice = pid;
        // Nor will it be when this program ends: its guard has let it go and is gone.
        QTRY_VERIFY(!QString::fromLocal8Bit(
                         commandOutput(QStringLiteral("ps"),
                                       {"-o", "args=", "--ppid", QString::number(::getpid())}))
                         .contains(QLatin1String("lumigrove-guard")));
        // It still holds the document, reachable on the pipe it was started with.
        const QStringList pipes =
            QDir(QStringLiteral("/tmp"))
                .entryList({officePipePattern(QCoreApplication::applicationPid())}, QDir::System);
        QCOMPARE(pipes.size(), 1);
        m_keptConnection = QStringLiteral("pipe,name=%1;urp").arg(pipes.first().section('_', 3));
        QCOMPARE(storeDocument(QStringLiteral("kept.odt"), m_keptConnection).layout,
                 QStringLiteral("P"));
    }
}

void TestOfficeE2E::run_officeStopsAnswering_oneReportNamingTheLimitWindowUsable_data() {
    // An empty InsertPause is the window's own pause of 2 s, spent with the view unlocked.
    QTest::addColumn<QString>("pause");
    QTest::addColumn<AlbumLayout>("layout");
    QTest::newRow("0.2 s") << "0.2" << AlbumLayout();
    QTest::newRow("the window's own pause") << "" << AlbumLayout();
    QTest::newRow("1 s, captions, 2 per page")
        << "1" << AlbumLayout{CaptionKind::Name, 2, false, {}};
    QTest::newRow("0.3 s, 4 per page, fit") << "0.3" << AlbumLayout{CaptionKind::None, 4, true, {}};
}

void TestOfficeE2E::run_officeStopsAnswering_oneReportNamingTheLimitWindowUsable() {
    QFETCH(QString, pause);
    QFETCH(AlbumLayout, layout);
    SaveSetting(QStringLiteral("OfficeTimeout"), QStringLiteral("2"));
    SaveSetting(QStringLiteral("InsertPause"), pause);
    saveAlbumLayout(layout);
    QStringList names;
    for (int i = 1; i <= 8; ++i) {
        names.append(QStringLiteral("stop-%1.png").arg(i, 2, 10, QLatin1Char('0')));
    }
    const QStringList pictures = makePictures(names);
    Window w;
    for (const QString& picture : pictures) {
        w.form.pictureList().append(picture);
    }
    const auto office = static_cast<pid_t>(m_office.processId());
    QVERIFY(office > 0);
    // During the pause after the third picture the office stops answering (SIGSTOP).
    QTimer stopper;
    bool stopped = false;
    connect(&stopper, &QTimer::timeout, [&] {
        if (!stopped && w.progress()->caption() == QLatin1String("Processing: stop-03.png")) {
            stopped = true;
            ::kill(office, SIGSTOP);
        }
    });
    stopper.start(20);
    QElapsedTimer elapsed;
    elapsed.start();
    w.form.PushButton2_Click();
    const qint64 ms = elapsed.elapsed();
    ::kill(office, SIGCONT);
    SaveSetting(QStringLiteral("OfficeTimeout"), QString());
    useFixtureOffice();

    QVERIFY(stopped);
    const auto reports = w.ui.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.at(0).text.contains(QStringLiteral("did not answer within 2 seconds")),
             qPrintable(reports.at(0).text));
    QVERIFY(!w.boxTexts().contains(QStringLiteral("Done.")));
    // Three pictures with their pauses, then the limit.
    QVERIFY2(ms < 15000, qPrintable(QString::number(ms)));
    // The window is usable again: idle, and a new run can start.
    QVERIFY(!w.form.isInserting());
    QCOMPARE(w.form.mousePointer(), 0);
    QCOMPARE(w.progress()->caption(), QStringLiteral("Progress Bar"));
}

void TestOfficeE2E::run_lastPictureFails_noEmptyLastPage() {
    // Two that are no pictures: one between two good ones, one at the end.
    const QStringList good = makePictures({"good-1.png", "good-2.png"});
    const QString bad1 = m_dir.filePath(QStringLiteral("bad-1.png"));
    const QString bad2 = m_dir.filePath(QStringLiteral("bad-2.png"));
    for (const QString& bad : {bad1, bad2}) {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no picture");
    }
    Window w;
    for (const QString& picture : {good.at(0), bad1, good.at(1), bad2}) {
        w.form.pictureList().append(picture);
    }
    w.form.PushButton2_Click();
    QCOMPARE(w.ui.errorReports().size(), 2);
    const StoredDocument stored = storeDocument(QStringLiteral("failed.odt"));
    QCOMPARE(stored.pictures(), 2);
    // Picture, break, picture: no page for a failed one, no empty last page.
    QCOMPARE(stored.layout, QStringLiteral("PBP"));
}

void TestOfficeE2E::run_documentOptionsFromTheSettings_captionsTwoToAPage() {
    const QStringList pictures = makePictures({"one.png", "two.png", "three.png"});
    SaveSetting(Setting::Caption, QStringLiteral("stem"));
    SaveSetting(Setting::PicturesPerPage, QStringLiteral("2"));
    Window w;
    for (const QString& picture : pictures) {
        w.form.pictureList().append(picture);
    }
    w.form.PushButton2_Click();
    QVERIFY(w.ui.errorReports().isEmpty());
    const StoredDocument stored = storeDocument(QStringLiteral("options.odt"));
    // Two pictures on the first page, one on the second, each with its caption under it.
    QCOMPARE(stored.layout, QStringLiteral("PPBP"));
    QCOMPARE(stored.captions, (QStringList{"one", "two", "three"}));
}

void TestOfficeE2E::run_officeKilledMidRun_reportsOnceEndsAndNextRunReconnects() {
    QStringList names;
    for (int i = 1; i <= 30; ++i) {
        names.append(QStringLiteral("kill-%1.png").arg(i, 2, 10, QLatin1Char('0')));
    }
    const QStringList pictures = makePictures(names);
    Window w;
    for (const QString& picture : pictures) {
        w.form.pictureList().append(picture);
    }
    // The run yields once per picture; at the fifth the suite dies.
    QTimer killer;
    connect(&killer, &QTimer::timeout, [&] {
        if (w.progress()->caption() == QLatin1String("Processing: kill-05.png")) {
            killer.stop();
            m_office.kill();
        }
    });
    killer.start(0);
    QElapsedTimer elapsed;
    elapsed.start();
    w.form.PushButton2_Click();
    killer.stop();
    QVERIFY(!m_office.isRunning());
    QVERIFY2(elapsed.elapsed() < 20000, qPrintable(QString::number(elapsed.elapsed())));

    const auto reports = w.ui.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.at(0).text.contains(QStringLiteral("at line 140\r")),
             qPrintable(reports.at(0).text));
    QVERIFY(!w.boxTexts().contains(QStringLiteral("Done.")));
    QCOMPARE(w.form.mousePointer(), 0);
    QCOMPARE(w.progress()->value(), 0);
    QCOMPARE(w.progress()->caption(), QStringLiteral("Progress Bar"));
    QVERIFY(!w.form.isInserting());

    // The next run connects afresh, to the office a closed window left running (or, should
    // that one be missing, to the suite's office started again), and completes.
    useFixtureOffice();
    if (m_keptConnection.isEmpty()) {
        QString error;
        QVERIFY2(m_office.start(&error), qPrintable(error));
        useFixtureOffice();
    } else {
        SaveSetting(QStringLiteral("OfficeConnection"), m_keptConnection);
    }
    w.form.pictureList().clear();
    w.form.pictureList().append(pictures.first());
    w.form.pictureList().append(pictures.last());
    w.form.PushButton2_Click();
    QCOMPARE(w.ui.errorReports().size(), 1);
    QCOMPARE(w.boxTexts().constLast(), QStringLiteral("Done."));
    QCOMPARE(storeDocument(QStringLiteral("after-kill.odt"), m_keptConnection).layout,
             QStringLiteral("PBP"));
}

QTEST_MAIN(TestOfficeE2E)
#include "tst_builder_office_e2e.moc"
