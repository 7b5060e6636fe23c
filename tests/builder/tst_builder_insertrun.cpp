// The insert run of the real main window, offscreen, against a recording office bridge:
// which commands reach the suite with which arguments, what the window shows meanwhile, and
// how the run behaves when the suite fails or goes away. Also the start-up check for the
// suite. The real suite is driven in tst_office_e2e.
#include "app/CaptionProgressBar.h"
#include "app/Form1.h"
#include "builder/InsertHost.h"
#include "builder/InsertRun.h"
#include "builder/fake/RecordingOfficeBridge.h"
#include "core/AppTitle.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "piclist/PictureListModel.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeRandom.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/Form1Harness.h"
#include "tests/support/RecordingReporter.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <stdexcept>

namespace {

// The main window with scripted desktop services, a recording office and real waits.
struct Window : Form1Harness {

    // What the window showed while the suite was inserting each picture.
    QList<int> barAtPicture;
    QStringList captionAtPicture;
    QList<int> pointerAtPicture;

    explicit Window(const QStringList& pictures) : Form1Harness(Setup().realTime()) {
        form.SetAppTitle();
        for (const QString& picture : pictures) {
            form.pictureList().append(picture);
        }
        office.onDispatch = [this](const RecordingOfficeBridge::Dispatch& dispatch) {
            if (dispatch.command == QLatin1String(".uno:InsertGraphic")) {
                barAtPicture.append(form.ProgressBar1->value());
                captionAtPicture.append(form.ProgressBar1->caption());
                pointerAtPicture.append(form.mousePointer());
            }
        };
    }

    QStringList commands() const {
        QStringList list;
        for (const auto& dispatch : office.dispatches) {
            list.append(dispatch.command);
        }
        return list;
    }
    QStringList insertedUrls() const {
        QStringList urls;
        for (const auto& dispatch : office.dispatchesOf(QStringLiteral(".uno:InsertGraphic"))) {
            urls.append(std::get<QString>(dispatch.args.value(0).value));
        }
        return urls;
    }
    // Back at rest: default pointer, empty bar with its caption, not busy.
    void verifyIdle() const {
        QCOMPARE(form.mousePointer(), 0);
        QCOMPARE(form.ProgressBar1->value(), 0);
        QCOMPARE(form.ProgressBar1->caption(), QStringLiteral("Progress Bar"));
        QVERIFY(!form.InsertBusy);
    }
};

// "Name type value" for each argument, the type as the suite receives it.
QStringList describe(const OfficeArguments& args) {
    QStringList list;
    for (const auto& argument : args) {
        list.append(describeArgument(argument));
    }
    return list;
}

const QString kPictureCommand = QStringLiteral(".uno:InsertGraphic");
const QString kBreakCommand = QStringLiteral(".uno:InsertBreak");
const QString kLock = QStringLiteral("document.lockControllers");
const QString kUnlock = QStringLiteral("document.unlockControllers");

// Where the lock and the dispatches stand in the recorded calls.
struct LockTrace {
    explicit LockTrace(const QStringList& calls) {
        for (qsizetype i = 0; i < calls.size(); ++i) {
            if (calls.at(i) == kLock) {
                locks.append(i);
            } else if (calls.at(i) == kUnlock) {
                unlocks.append(i);
            } else if (calls.at(i).startsWith(QLatin1String("dispatcher.executeDispatch"))) {
                dispatches.append(i);
            }
        }
    }
    // Locks and unlocks alternate, starting with a lock: never nested, never released twice.
    bool alternates(const QStringList& calls) const {
        int held = 0;
        for (const QString& call : calls) {
            held += call == kLock ? 1 : call == kUnlock ? -1 : 0;
            if (held < 0 || held > 1) {
                return false;
            }
        }
        return true;
    }
    QList<qsizetype> locks, unlocks, dispatches;
};

// A host without a window whose list is fixed, and which fails in a way the run's steps do
// not catch: telling it that a picture failed throws.
class ThrowingHost : public InsertHost {
public:
    explicit ThrowingHost(QStringList pictures) : m_pictures(std::move(pictures)) {}
    bool insertBusy() const override { return false; }
    void setInsertBusy(bool) override {}
    int pictureCount() override { return static_cast<int>(m_pictures.size()); }
    QString pictureText(int i) override { return m_pictures.at(i - 1); }
    void setMousePointer(int) override {}
    void setProgressValue(int) override {}
    void setProgressText(const QString&) override {}
    void showMessage(const QString&) override {}
    ErrorReporter& errorReporter() override { return reporter; }
    void doEvents() override {}
    void pictureFailed(int index, const QString&, const QString&) override {
        if (index == throwAt) {
            throw std::runtime_error("host failed");
        }
    }
    RecordingReporter reporter;
    int throwAt = 2;

private:
    QStringList m_pictures;
};

} // namespace

class TestInsertRun : public QObject {
    Q_OBJECT
private slots:
    void init();

    void run_onePicture_opensDocumentAndInsertsWithoutBreak();
    void run_threePictures_breaksOnlyBetweenAndBarFollows();
    void run_emptyList_saysSoAndStartsNothing();
    void run_secondClickDuringRun_isIgnored();
    void run_entriesAppendedWhileRunYields_areCountedButNotInserted();
    void run_slowEscape_waitsUntilPictureIsNoLongerSelected();
    void run_insertPause_isWaitedAfterEachPicture();

    void run_pictureNotInserted_isReportedAndRunGoesOn();

    void run_controllersLockedOverCommandsOnEveryWayOut_data();
    void run_controllersLockedOverCommandsOnEveryWayOut();
    void run_lockOrUnlockFails_runGoesOnWithoutReport_data();
    void run_lockOrUnlockFails_runGoesOnWithoutReport();
    void run_documentNotOpened_nothingLocked();
    void run_pause_spentUnlocked();
    void run_windowClosedMidRun_lockLetGoBeforeProgramEnds();
    void run_exceptionOutOfRun_lockLetGo();
    void run_openingStepFails_reportsOnceAndEndsRun_data();
    void run_openingStepFails_reportsOnceAndEndsRun();
    void run_officeGoneMidRun_reportsOnceAndNextRunReconnects_data();
    void run_officeGoneMidRun_reportsOnceAndNextRunReconnects();

    void checkOfficeSuite_present_showsNothing();
    void checkOfficeSuite_missing_offersDownloadAndEnds_data();
    void checkOfficeSuite_missing_offersDownloadAndEnds();
};

void TestInsertRun::init() {
    SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0"));
}

void TestInsertRun::run_onePicture_opensDocumentAndInsertsWithoutBreak() {
    Window w({QStringLiteral("/pics/a b#1.png")});
    w.form.PushButton2_Click();

    const QStringList expectedCalls{
        "bridge.createServiceManager",
        "session.createInstance com.sun.star.frame.Desktop",
        "desktop.loadComponentFromURL private:factory/swriter _blank 0 0",
        "session.createInstance com.sun.star.frame.DispatchHelper",
        "document.getCurrentController",
        "document.getCurrentController",
        "controller.getFrame",
        "document.lockControllers",
        "dispatcher.executeDispatch .uno:InsertGraphic",
        "dispatcher.executeDispatch .uno:SetAnchorToChar",
        "dispatcher.executeDispatch .uno:Escape",
        "document.unlockControllers",
        "controller.getSelection",
        "document.lockControllers",
        "document.unlockControllers",
    };
    QCOMPARE(w.office.calls, expectedCalls);

    const auto picture = w.office.dispatches.at(0);
    QCOMPARE(
        describe(picture.args),
        QStringList({"FileName string file:///pics/a b%231.png", "FilterName string <All formats>",
                     "AsLink boolean false", "Style string Graphics"}));
    for (const auto& dispatch : w.office.dispatches) {
        QCOMPARE(dispatch.targetFrame, QString());
        QCOMPARE(dispatch.searchFlags, short(0));
        QCOMPARE(dispatch.frame, 1);
    }
    QVERIFY(w.office.dispatches.at(1).args.isEmpty());
    QVERIFY(w.office.dispatches.at(2).args.isEmpty());

    QCOMPARE(w.barAtPicture, QList<int>({100}));
    QCOMPARE(w.captionAtPicture, QStringList({"Processing: a b#1.png"}));
    QCOMPARE(w.pointerAtPicture, QList<int>({11}));

    QCOMPARE(w.boxTexts(), QStringList({"Done."}));
    QCOMPARE(w.ui.boxes.at(0).style, 0);
    QCOMPARE(w.ui.boxes.at(0).title, applicationTitle());
    w.verifyIdle();
}

void TestInsertRun::run_threePictures_breaksOnlyBetweenAndBarFollows() {
    Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
    w.form.PushButton2_Click();

    const QStringList oneRound{".uno:InsertGraphic", ".uno:SetAnchorToChar", ".uno:Escape"};
    QCOMPARE(w.commands(), oneRound + QStringList{kBreakCommand} + oneRound +
                               QStringList{kBreakCommand} + oneRound);
    QCOMPARE(w.insertedUrls(), QStringList({"file:///pics/one.png", "file:///pics/two.png",
                                            "file:///pics/three.png"}));
    for (const auto& pageBreak : w.office.dispatchesOf(kBreakCommand)) {
        QCOMPARE(describe(pageBreak.args),
                 QStringList({"Kind short 3", "TemplateName string ", "PageNumber short 0"}));
    }
    // Nothing reached the suite while a picture was still selected.
    for (const auto& dispatch : w.office.dispatches) {
        QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
    }
    QCOMPARE(w.barAtPicture, QList<int>({33, 66, 100}));
    QCOMPARE(w.captionAtPicture,
             QStringList({"Processing: one.png", "Processing: two.png", "Processing: three.png"}));
    QCOMPARE(w.boxTexts(), QStringList({"Done."}));
    QVERIFY(w.ui.errorReports().isEmpty());
    w.verifyIdle();
}

void TestInsertRun::run_emptyList_saysSoAndStartsNothing() {
    Window w({});
    w.form.setMousePointer(99);
    w.form.ProgressBar1->setValue(7);
    w.form.ProgressBar1->setCaption(QStringLiteral("left over"));
    w.form.PushButton2_Click();

    QCOMPARE(w.boxTexts(), QStringList({"No files added."}));
    QCOMPARE(w.ui.boxes.at(0).style, 0);
    QVERIFY(w.office.calls.isEmpty());
    QCOMPARE(w.form.mousePointer(), 99);
    QCOMPARE(w.form.ProgressBar1->value(), 7);
    QCOMPARE(w.form.ProgressBar1->caption(), QStringLiteral("left over"));
    QVERIFY(!w.form.InsertBusy);
}

void TestInsertRun::run_secondClickDuringRun_isIgnored() {
    Window w({"/pics/one.png", "/pics/two.png"});
    const auto record = w.office.onDispatch;
    w.office.onDispatch = [&](const RecordingOfficeBridge::Dispatch& dispatch) {
        record(dispatch);
        w.form.PushButton2->click();
    };
    w.form.PushButton2->click();

    QCOMPARE(w.office.sessionsCreated, 1);
    QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 2);
    QCOMPARE(w.boxTexts(), QStringList({"Done."}));
    w.verifyIdle();
    // With the run over, the button works again.
    w.form.PushButton2->click();
    QCOMPARE(w.office.sessionsCreated, 2);
}

void TestInsertRun::run_entriesAppendedWhileRunYields_areCountedButNotInserted() {
    Window w({"/pics/one.png", "/pics/two.png"});
    // Runs at the first yield of the run, as a drop onto the list would.
    QTimer::singleShot(0, &w.form, [&] { w.form.pictureList().append("/pics/late.png"); });
    w.form.PushButton2_Click();

    QCOMPARE(w.insertedUrls(), QStringList({"file:///pics/one.png", "file:///pics/two.png"}));
    QCOMPARE(w.barAtPicture, QList<int>({50, 66}));
    // The last inserted picture is followed by a break too: the list is longer by then.
    QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 2);
    QCOMPARE(w.commands().constLast(), kBreakCommand);
    QCOMPARE(w.boxTexts(), QStringList({"Done."}));
}

void TestInsertRun::run_slowEscape_waitsUntilPictureIsNoLongerSelected() {
    Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
    w.office.escapeDelayReadings = 3;
    w.form.PushButton2_Click();

    QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 3);
    QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 2);
    for (const auto& dispatch : w.office.dispatches) {
        QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
    }
    QCOMPARE(w.office.selectionReadings, 3 * 4);
    QVERIFY(w.ui.errorReports().isEmpty());
    // Every command under the lock on the document's controllers, every reading of the
    // selection without it.
    for (const auto& dispatch : w.office.dispatches) {
        QCOMPARE(dispatch.controllerLocks, 1);
    }
    QCOMPARE(w.office.selectionReadingsUnderLock, 0);
    QCOMPARE(w.office.controllerLocks, 0);
}

void TestInsertRun::run_insertPause_isWaitedAfterEachPicture() {
    SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0.15"));
    Window w({"/pics/one.png", "/pics/two.png"});
    QElapsedTimer elapsed;
    elapsed.start();
    w.form.PushButton2_Click();
    // The last picture is followed by the pause too.
    QVERIFY2(elapsed.elapsed() >= 295, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 2);
}

void TestInsertRun::run_pictureNotInserted_isReportedAndRunGoesOn() {
    Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
    w.office.answer = [](const RecordingOfficeBridge::Dispatch& dispatch) {
        const bool missing =
            dispatch.command == kPictureCommand &&
            std::get<QString>(dispatch.args.value(0).value).endsWith(QLatin1String("two.png"));
        return missing ? DispatchState::Failure : DispatchState::Success;
    };
    w.form.PushButton2_Click();

    const auto reports = w.ui.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.at(0).text.contains(QStringLiteral("/pics/two.png")),
             qPrintable(reports.at(0).text));
    QVERIFY(reports.at(0).text.contains(
        QStringLiteral("\r\nin Sheafwork2021/08/31.Form1.PushButton2_Click at line 140\r\r")));
    QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 3);
    QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 2);
    QCOMPARE(w.boxTexts().constLast(), QStringLiteral("Done."));
    w.verifyIdle();
}

void TestInsertRun::run_controllersLockedOverCommandsOnEveryWayOut_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("pictureRefused");
    QTest::addColumn<int>("goneAtDispatch");
    QTest::newRow("success") << QString() << false << 0;
    QTest::newRow("picture refused") << QString() << true << 0;
    QTest::newRow("escape throws") << "dispatcher.executeDispatch .uno:Escape" << false << 0;
    QTest::newRow("selection unreadable") << "controller.getSelection" << false << 0;
    // Dispatches: 1-3 the first picture, 4 a break, 5-7 the second, 8, 9-11 the third.
    QTest::newRow("office gone at second picture") << QString() << false << 5;
    QTest::newRow("office gone at last escape") << QString() << false << 11;
}

void TestInsertRun::run_controllersLockedOverCommandsOnEveryWayOut() {
    QFETCH(QString, failing);
    QFETCH(bool, pictureRefused);
    QFETCH(int, goneAtDispatch);
    Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
    w.office.failingMember = failing;
    w.office.disconnectAtDispatch = goneAtDispatch;
    if (pictureRefused) {
        w.office.answer = [](const RecordingOfficeBridge::Dispatch& dispatch) {
            return dispatch.command == kPictureCommand ? DispatchState::Failure
                                                       : DispatchState::Success;
        };
    }
    w.form.PushButton2_Click();

    // Taken after the document was opened and before the first command, held over every
    // command, let go of for every reading of the selection and after the last command,
    // whichever way the run ended.
    const LockTrace trace(w.office.calls);
    QVERIFY(!trace.locks.isEmpty());
    QCOMPARE(trace.locks.size(), trace.unlocks.size());
    QVERIFY(trace.alternates(w.office.calls));
    QVERIFY(!trace.dispatches.isEmpty());
    QCOMPARE(w.office.calls.at(trace.locks.at(0) - 1), QStringLiteral("controller.getFrame"));
    QVERIFY(trace.locks.at(0) < trace.dispatches.constFirst());
    QVERIFY(trace.unlocks.constLast() > trace.dispatches.constLast());
    QCOMPARE(w.office.calls.constLast(), kUnlock);
    for (const auto& dispatch : w.office.dispatches) {
        QCOMPARE(dispatch.controllerLocks, 1);
    }
    QCOMPARE(w.office.selectionReadingsUnderLock, 0);
    // A suite that is gone could not be unlocked; any other is left without a lock.
    QCOMPARE(w.office.controllerLocks, goneAtDispatch > 0 ? 1 : 0);
    // The lock reports nothing of its own: every report names a numbered picture step.
    const bool failed = !failing.isEmpty() || pictureRefused || goneAtDispatch > 0;
    QCOMPARE(w.ui.errorReports().isEmpty(), !failed);
    QCOMPARE(w.boxTexts().contains(QStringLiteral("Done.")), goneAtDispatch == 0);
    w.verifyIdle();
}

void TestInsertRun::run_lockOrUnlockFails_runGoesOnWithoutReport_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("unlocks");
    QTest::newRow("lock") << kLock << 0;
    QTest::newRow("unlock") << kUnlock << 1;
}

void TestInsertRun::run_lockOrUnlockFails_runGoesOnWithoutReport() {
    QFETCH(QString, failing);
    QFETCH(int, unlocks);
    Window w({"/pics/one.png", "/pics/two.png"});
    w.office.failingMember = failing;
    w.form.PushButton2_Click();

    QVERIFY2(w.ui.errorReports().isEmpty(), qPrintable(w.boxTexts().join(" | ")));
    QCOMPARE(w.boxTexts(), QStringList({"Done."}));
    QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 2);
    QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 1);
    for (const auto& dispatch : w.office.dispatches) {
        QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
    }
    // A lock that was never taken is not released; a failed unlock is not tried again.
    QCOMPARE(w.office.calls.count(kUnlock), unlocks * w.office.calls.count(kLock));
    QVERIFY(w.office.calls.count(kLock) >= 2);
    w.verifyIdle();
}

void TestInsertRun::run_documentNotOpened_nothingLocked() {
    Window w({"/pics/one.png"});
    w.office.failingMember = QStringLiteral("controller.getFrame");
    w.form.PushButton2_Click();
    QCOMPARE(w.ui.errorReports().size(), 1);
    QCOMPARE(w.office.calls.count(kLock), 0);
    QCOMPARE(w.office.calls.count(kUnlock), 0);
}

void TestInsertRun::run_pause_spentUnlocked() {
    // A pause long enough for the user to watch the document grow.
    SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0.5"));
    Window w({"/pics/one.png", "/pics/two.png"});
    // The run waits in the event loop; the watch sees where in the calls the waiting is.
    int samplesInPause = 0;
    int samplesLocked = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (w.form.InsertBusy && w.office.calls.constLast() == "controller.getSelection") {
            ++samplesInPause;
            samplesLocked += w.office.controllerLocks;
        }
    });
    watch.start(50);
    w.form.PushButton2_Click();
    watch.stop();

    // Locked for each picture and its escape, unlocked for the selection and the pause,
    // locked again for the break and the next picture, and let go of at the end.
    QVERIFY2(samplesInPause >= 10, qPrintable(QString::number(samplesInPause)));
    QCOMPARE(samplesLocked, 0);
    const QString selection = QStringLiteral("controller.getSelection");
    const QStringList expectedTail{kLock,
                                   "dispatcher.executeDispatch .uno:InsertGraphic",
                                   "dispatcher.executeDispatch .uno:SetAnchorToChar",
                                   "dispatcher.executeDispatch .uno:Escape",
                                   kUnlock,
                                   selection,
                                   kLock,
                                   "dispatcher.executeDispatch .uno:InsertBreak",
                                   "dispatcher.executeDispatch .uno:InsertGraphic",
                                   "dispatcher.executeDispatch .uno:SetAnchorToChar",
                                   "dispatcher.executeDispatch .uno:Escape",
                                   kUnlock,
                                   selection,
                                   kLock,
                                   kUnlock};
    QCOMPARE(w.office.calls.mid(w.office.calls.size() - expectedTail.size()), expectedTail);
    QCOMPARE(w.office.controllerLocks, 0);
}

void TestInsertRun::run_windowClosedMidRun_lockLetGoBeforeProgramEnds() {
    Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
    const auto record = w.office.onDispatch;
    int locksAtEnd = -1;
    w.office.onDispatch = [&](const RecordingOfficeBridge::Dispatch& dispatch) {
        record(dispatch);
        if (dispatch.command == kPictureCommand && locksAtEnd < 0) {
            // The program ends at once: whatever the run would do later never happens.
            QCloseEvent close;
            QCoreApplication::sendEvent(&w.form, &close);
            locksAtEnd = w.office.controllerLocks;
        }
    };
    w.form.PushButton2_Click();

    QVERIFY(w.ui.ended);
    QCOMPARE(locksAtEnd, 0);
    QCOMPARE(w.office.calls.at(w.office.calls.indexOf(kUnlock) - 1),
             QStringLiteral("dispatcher.executeDispatch .uno:InsertGraphic"));
    // Here the program went on: the lock was not let go of a second time.
    QVERIFY(LockTrace(w.office.calls).alternates(w.office.calls));
    QCOMPARE(w.office.controllerLocks, 0);
}

void TestInsertRun::run_exceptionOutOfRun_lockLetGo() {
    RecordingOfficeBridge office;
    // The escape fails before the lock is let go of for the selection check.
    office.failingMember = QStringLiteral("dispatcher.executeDispatch .uno:Escape");
    ThrowingHost host({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
    FakeClock clock;
    {
        InsertRun run(host, &office, clock);
        run.setPauseSeconds(0);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, run.run());
        // Let go of as the exception left the loop, not only when the run goes away.
        QCOMPARE(office.controllerLocks, 0);
    }
    QCOMPARE(office.dispatchesOf(kPictureCommand).size(), 2);
    QCOMPARE(office.calls.count(kLock), office.calls.count(kUnlock));
    QVERIFY(LockTrace(office.calls).alternates(office.calls));
    QCOMPARE(office.calls.constLast(), kUnlock);
}

void TestInsertRun::run_openingStepFails_reportsOnceAndEndsRun_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("line");
    QTest::newRow("service manager") << "bridge.createServiceManager" << 108;
    QTest::newRow("desktop") << "session.createInstance com.sun.star.frame.Desktop" << 110;
    QTest::newRow("document") << "desktop.loadComponentFromURL" << 112;
    QTest::newRow("dispatcher") << "session.createInstance com.sun.star.frame.DispatchHelper"
                                << 114;
    QTest::newRow("controller") << "document.getCurrentController" << 116;
    QTest::newRow("frame") << "controller.getFrame" << 118;
}

void TestInsertRun::run_openingStepFails_reportsOnceAndEndsRun() {
    QFETCH(QString, failing);
    QFETCH(int, line);
    Window w({"/pics/one.png", "/pics/two.png"});
    w.office.failingMember = failing;
    w.form.PushButton2_Click();

    const auto reports = w.ui.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.at(0).text.contains(QStringLiteral("at line %1\r").arg(line)),
             qPrintable(reports.at(0).text));
    QVERIFY(w.office.dispatches.isEmpty());
    QVERIFY(!w.boxTexts().contains(QStringLiteral("Done.")));
    w.verifyIdle();
}

void TestInsertRun::run_officeGoneMidRun_reportsOnceAndNextRunReconnects_data() {
    QTest::addColumn<int>("goneAtDispatch");
    QTest::addColumn<int>("line");
    // Each picture sends picture, anchor, escape and, between pictures, a break.
    QTest::newRow("second picture") << 5 << 140;
    QTest::newRow("first escape") << 3 << 142;
    QTest::newRow("first break") << 4 << 154;
}

void TestInsertRun::run_officeGoneMidRun_reportsOnceAndNextRunReconnects() {
    QFETCH(int, goneAtDispatch);
    QFETCH(int, line);
    Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
    w.office.disconnectAtDispatch = goneAtDispatch;
    w.form.PushButton2_Click();

    const auto reports = w.ui.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.at(0).text.startsWith(QStringLiteral("Binary URP bridge disposed")),
             qPrintable(reports.at(0).text));
    QVERIFY2(reports.at(0).text.contains(QStringLiteral("at line %1\r").arg(line)),
             qPrintable(reports.at(0).text));
    // Nothing more was asked of the dead suite after the failing call than to let go of
    // the lock on the document (which a suite that is still there would otherwise keep).
    QCOMPARE(w.office.calls.constLast(), QStringLiteral("document.unlockControllers"));
    QVERIFY(w.office.calls.at(w.office.calls.size() - 2)
                .startsWith(QStringLiteral("dispatcher.executeDispatch")));
    QCOMPARE(w.office.calls.count(QStringLiteral("document.lockControllers")),
             w.office.calls.count(QStringLiteral("document.unlockControllers")));
    QVERIFY(!w.boxTexts().contains(QStringLiteral("Done.")));
    w.verifyIdle();

    // The next run connects afresh and completes.
    w.office.disconnectAtDispatch = 0;
    w.office.dispatches.clear();
    w.form.PushButton2_Click();
    QCOMPARE(w.office.sessionsCreated, 2);
    QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 3);
    QCOMPARE(w.boxTexts().constLast(), QStringLiteral("Done."));
    QCOMPARE(w.ui.errorReports().size(), 1);
}

void TestInsertRun::checkOfficeSuite_present_showsNothing() {
    Window w({});
    QVERIFY(w.form.Form_Load());
    QVERIFY(w.ui.boxes.isEmpty());
    QVERIFY(!w.ui.ended);
    // The check created the service manager once and kept nothing of it.
    QCOMPARE(w.office.sessionsCreated, 1);
    QCOMPARE(w.office.calls, QStringList({"bridge.createServiceManager"}));
}

void TestInsertRun::checkOfficeSuite_missing_offersDownloadAndEnds_data() {
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<bool>("opensPage");
    QTest::newRow("yes") << MsgAnswer::Yes << true;
    QTest::newRow("no") << MsgAnswer::No << false;
}

void TestInsertRun::checkOfficeSuite_missing_offersDownloadAndEnds() {
    QFETCH(MsgAnswer, answer);
    QFETCH(bool, opensPage);
    Window w({});
    w.office.failingMember = QStringLiteral("bridge.createServiceManager");
    w.ui.boxAnswers = {answer};
    QVERIFY(!w.form.Form_Load());

    QCOMPARE(w.ui.boxes.size(), 1);
    const QString expected =
        "Error 214878392\r\n\r\nOpenOffice is required to run this software. It is not installed "
        "on this computer.\r\rWoud you like to open this site now?\r\n\r\n(If you think this "
        "error is a mistake and you have OpenOffice installed, please email a screenshot of "
        "this error message and a screenshot of the OpenOffice 'About' window to " +
        QLatin1String(kSupportEmail) + ")";
    QCOMPARE(w.ui.boxes.at(0).text, expected);
    QCOMPARE(w.ui.boxes.at(0).style, 4);
    QCOMPARE(w.ui.boxes.at(0).title, applicationTitle());
    QCOMPARE(w.ui.openedUrls.size(), opensPage ? 1 : 0);
    if (opensPage) {
        QCOMPARE(w.ui.openedUrls.at(0).scheme(), QStringLiteral("https"));
    }
    QVERIFY(w.ui.ended);
    QVERIFY(!w.form.isVisible());
}

QTEST_MAIN(TestInsertRun)
#include "tst_builder_insertrun.moc"
