// The insert run of the real main window, offscreen, against a recording office bridge:
// which commands reach the suite with which arguments, what the window shows meanwhile, and
// how the run behaves when the suite fails or goes away. Also the start-up check for the
// suite. The real suite is driven in tst_office_e2e.
#include "app/CaptionProgressBar.h"
#include "app/Form1.h"
#include "builder/InsertRoutines.h"
#include "core/AppError.h"
#include "core/AppTitle.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "piclist/PictureListModel.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeRandom.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/Form1Harness.h"
#include "tests/support/PhonePictures.h"
#include "tests/support/RecordingOffice.h"
#include "tests/support/RecordingOfficeBridge.h"
#include "tests/support/TestFiles.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

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
                barAtPicture.append(progress()->value());
                captionAtPicture.append(progress()->caption());
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
        return firstTexts(office, QStringLiteral(".uno:InsertGraphic"));
    }
    // Back at rest: default pointer, empty bar with its caption, not busy.
    void verifyIdle() const {
        QCOMPARE(form.mousePointer(), 0);
        QCOMPARE(progress()->value(), 0);
        QCOMPARE(progress()->caption(), QStringLiteral("Progress Bar"));
        QVERIFY(!form.isInserting());
    }
};

const QString kPictureCommand = QStringLiteral(".uno:InsertGraphic");
const QString kBreakCommand = QStringLiteral(".uno:InsertBreak");

} // namespace

class TestInsertRun : public QObject {
    Q_OBJECT
private slots:
    void init() { SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0")); }

    void run_onePicture_opensDocumentAndInsertsWithoutBreak() {
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
            // The document's view is locked over the pictures; the cursor put after the picture
            // leaves it without reading the selection.
            "document.lockControllers",
            "dispatcher.executeDispatch .uno:InsertGraphic",
            "dispatcher.executeDispatch .uno:SetAnchorToChar",
            "controller.select end of body",
            "document.unlockControllers",
            // The finished document is put in front for the user.
            "controller.toFront",
        };
        QCOMPARE(w.office.calls, expectedCalls);
        QCOMPARE(w.office.controllerLocks, 0);

        const auto picture = w.office.dispatches.at(0);
        QCOMPARE(describe(picture.args),
                 QStringList({"FileName string file:///pics/a b%231.png",
                              "FilterName string <All formats>", "AsLink boolean false",
                              "Style string Graphics"}));
        for (const auto& dispatch : w.office.dispatches) {
            QCOMPARE(dispatch.targetFrame, QString());
            QCOMPARE(dispatch.searchFlags, short(0));
            QCOMPARE(dispatch.frame, 1);
        }
        QVERIFY(w.office.dispatches.at(1).args.isEmpty());

        QCOMPARE(w.barAtPicture, QList<int>({100}));
        QCOMPARE(w.captionAtPicture, QStringList({"Processing: a b#1.png"}));
        QCOMPARE(w.pointerAtPicture, QList<int>({11}));

        QCOMPARE(w.boxTexts(), QStringList({"Done."}));
        QCOMPARE(w.ui.boxes.at(0).style, 0);
        QCOMPARE(w.ui.boxes.at(0).title, applicationTitle());
        w.verifyIdle();
    }

    void run_threePictures_breaksOnlyBetweenAndBarFollows() {
        Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
        w.form.PushButton2_Click();

        const QStringList oneRound{".uno:InsertGraphic", ".uno:SetAnchorToChar"};
        QCOMPARE(w.commands(), oneRound + QStringList{kBreakCommand} + oneRound +
                                   QStringList{kBreakCommand} + oneRound);
        QCOMPARE(w.insertedUrls(), QStringList({"file:///pics/one.png", "file:///pics/two.png",
                                                "file:///pics/three.png"}));
        for (const auto& pageBreak : w.office.dispatchesOf(kBreakCommand)) {
            QCOMPARE(describe(pageBreak.args),
                     QStringList({"Kind short 3", "TemplateName string ", "PageNumber short 0"}));
        }
        // Nothing reached the suite while a picture was still selected, and everything arrived
        // with the document's view locked, released at the end.
        for (const auto& dispatch : w.office.dispatches) {
            QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
            QCOMPARE(dispatch.controllerLocks, 1);
        }
        QCOMPARE(w.office.calls.filter(QStringLiteral("controller.select end of body")).size(), 3);
        QCOMPARE(w.office.controllerLocks, 0);
        QCOMPARE(w.office.selectionReadings, 0);
        QCOMPARE(w.barAtPicture, QList<int>({33, 66, 100}));
        QCOMPARE(w.captionAtPicture, QStringList({"Processing: one.png", "Processing: two.png",
                                                  "Processing: three.png"}));
        QCOMPARE(w.boxTexts(), QStringList({"Done."}));
        QVERIFY(w.ui.errorReports().isEmpty());
        w.verifyIdle();
    }

    void run_emptyList_saysSoAndStartsNothing() {
        Window w({});
        w.form.setMousePointer(99);
        w.progress()->setValue(7);
        w.progress()->setCaption(QStringLiteral("left over"));
        w.form.PushButton2_Click();

        QCOMPARE(w.boxTexts(), QStringList({"No files added."}));
        QCOMPARE(w.ui.boxes.at(0).style, 0);
        QVERIFY(w.office.calls.isEmpty());
        QCOMPARE(w.form.mousePointer(), 99);
        QCOMPARE(w.progress()->value(), 7);
        QCOMPARE(w.progress()->caption(), QStringLiteral("left over"));
        QVERIFY(!w.form.isInserting());
    }

    void run_secondClickDuringRun_isIgnored() {
        Window w({"/pics/one.png", "/pics/two.png"});
        const auto record = w.office.onDispatch;
        w.office.onDispatch = [&](const RecordingOfficeBridge::Dispatch& dispatch) {
            record(dispatch);
            w.button(2)->click();
        };
        w.button(2)->click();

        QCOMPARE(w.office.sessionsCreated, 1);
        QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 2);
        QCOMPARE(w.boxTexts(), QStringList({"Done."}));
        w.verifyIdle();
        // With the run over, the button works again.
        w.button(2)->click();
        QCOMPARE(w.office.sessionsCreated, 2);
    }

    void run_listEditedWhileRunYields_documentGetsTheStartingEntries() {
        Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
        // While the run yields, the user drops a file, swaps two entries by dragging, and
        // clears the list (a folder add re-enables "Clear List" in the middle of a run).
        int pictures = 0;
        w.office.onDispatch = [&](const RecordingOfficeBridge::Dispatch& dispatch) {
            if (dispatch.command != kPictureCommand) {
                return;
            }
            w.barAtPicture.append(w.progress()->value());
            PictureListModel& list = w.form.pictureList();
            switch (++pictures) {
            case 1:
                list.append(QStringLiteral("/pics/late.png"));
                break;
            case 2: {
                const QString first = list.text(1);
                list.setText(1, list.text(3));
                list.setText(3, first);
                break;
            }
            default:
                list.clear();
            }
        };
        w.form.PushButton2_Click();

        QCOMPARE(w.insertedUrls(), QStringList({"file:///pics/one.png", "file:///pics/two.png",
                                                "file:///pics/three.png"}));
        QCOMPARE(w.barAtPicture, QList<int>({33, 66, 100}));
        // One page each: two breaks, none after the last picture.
        QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 2);
        QVERIFY(w.commands().constLast() != kBreakCommand);
        QVERIFY(w.ui.errorReports().isEmpty());
        QCOMPARE(w.boxTexts(), QStringList({"Done."}));
    }

    void progressPercent_wholeNumbersRoundedDown() {
        // In floating point, 29 / 100 * 100 is 28.999... and would show 28.
        QCOMPARE(progressPercent(29, 100), 29);
        QCOMPARE(progressPercent(57, 100), 57);
        QCOMPARE(progressPercent(1, 3), 33);
        QCOMPARE(progressPercent(2, 3), 66);
        QCOMPARE(progressPercent(3, 3), 100);
        QCOMPARE(progressPercent(99999, 100000), 99);
        QVERIFY_THROWS_EXCEPTION(AppError, progressPercent(1, 0));
    }

    void run_slowEscape_waitsUntilPictureIsNoLongerSelected() {
        Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
        w.office.escapeDelayReadings = 3;
        // Without the lock on the document's view (the suite refused it), the run leaves each
        // picture with an escape and waits until the suite has carried it out.
        w.office.failingMember = QStringLiteral("document.lockControllers");
        w.form.PushButton2_Click();
        QCOMPARE(w.office.dispatchesOf(QStringLiteral(".uno:Escape")).size(), 3);

        QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 3);
        QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 2);
        for (const auto& dispatch : w.office.dispatches) {
            QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
        }
        QCOMPARE(w.office.selectionReadings, 3 * 4);
        QVERIFY(w.ui.errorReports().isEmpty());
    }

    void run_insertPause_isWaitedAfterEachPicture() {
        SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0.15"));
        Window w({"/pics/one.png", "/pics/two.png"});
        QElapsedTimer elapsed;
        elapsed.start();
        w.form.PushButton2_Click();
        // The last picture is followed by the pause too.
        QVERIFY2(elapsed.elapsed() >= 295, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 2);
    }

    void run_picturesNotInserted_reportedEachAndRunGoesOn_data() {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QStringList>("reported");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("lastCommand");
        // The picture that did not go in gets no page: one break, between one and three.
        QTest::newRow("one in the middle")
            << "two" << QStringList{"/pics/two.png"} << "P InsertBreak x P"
            << ".uno:SetAnchorToChar";
        // The break after "one" had nothing after it in the end: it is removed again.
        QTest::newRow("the last ones")
            << "two|three" << QStringList{"/pics/two.png", "/pics/three.png"}
            << "P InsertBreak x x SwBackspace"
            << ".uno:SwBackspace";
    }

    void run_picturesNotInserted_reportedEachAndRunGoesOn() {
        QFETCH(QString, refused);
        QFETCH(QStringList, reported);
        QFETCH(QString, shape);
        QFETCH(QString, lastCommand);
        Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
        w.office.answer = refusePictures(refused);
        w.form.PushButton2_Click();

        const auto reports = w.ui.errorReports();
        QCOMPARE(reports.size(), reported.size());
        for (int i = 0; i < reported.size(); ++i) {
            QVERIFY2(reports.at(i).text.contains(reported.at(i)), qPrintable(reports.at(i).text));
            QVERIFY(reports.at(i).text.contains(QStringLiteral(
                "\r\nin Sheafwork2021/08/31.Form1.PushButton2_Click at line 140\r\r")));
        }
        QCOMPARE(documentShape(w.office, refused), shape);
        QCOMPARE(w.commands().constLast(), lastCommand);
        QCOMPARE(w.boxTexts().constLast(), QStringLiteral("Done."));
        w.verifyIdle();
    }

    void run_documentWindowNotRaised_runStillDone() {
        // The office stops answering when the finished document is to come to the front: the
        // document is complete, and the window has nothing to report.
        Window w({"/pics/one.png"});
        w.office.failingMember = QStringLiteral("controller.toFront");
        w.office.failingNumber = OfficeError::TimedOut;
        w.form.PushButton2_Click();
        QCOMPARE(w.boxTexts(), QStringList({"Done."}));
        QVERIFY(w.ui.errorReports().isEmpty());
        w.verifyIdle();
    }

    void run_done_documentWindowOfTheOfficeStartedHereActivatedAfterTheBox() {
        Window w({"/pics/one.png"});
        w.office.startedPid = 4242;
        w.office.documentWindow = 0x600075;
        w.ui.onBox = [&](const FakeUiServices::Box&) { QVERIFY(w.ui.activatedWindows.isEmpty()); };
        w.form.PushButton2_Click();
        const QList<std::pair<quint64, qint64>> activated{{0x600075, 4242}};
        QCOMPARE(w.ui.activatedWindows, activated);
    }

    void run_fifoOrFolder_reportedNotHandedToOffice() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("x.jpg"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString picture = dir.filePath(QStringLiteral("a.png"));
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        Window w({fifo, dir.path(), picture});
        w.form.PushButton2_Click();

        QCOMPARE(w.insertedUrls(), QStringList({QStringLiteral("file://") + picture}));
        const auto reports = w.ui.errorReports();
        QCOMPARE(reports.size(), 2);
        QVERIFY2(reports.at(0).text.contains(QStringLiteral("is a fifo")),
                 qPrintable(reports.at(0).text));
        QVERIFY(reports.at(0).text.contains(QStringLiteral("at line 132")));
        QVERIFY2(reports.at(1).text.contains(QStringLiteral("is a folder")),
                 qPrintable(reports.at(1).text));
        QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 0);
        QCOMPARE(w.boxTexts().constLast(), QStringLiteral("Done."));
    }

    void run_notUtf8Names_urlCarriesBytesAndWindowShowsThem() {
        // Entries whose names hold bytes that are not UTF-8 (escaped as U+DC00 + the byte): the
        // suite gets the bytes percent-encoded, the caption and the error report spell them out.
        const QString ff = QString("/pics/a") + QChar(char16_t(0xDCFF)) + ".png";
        const QString fe = QString("/pics/b") + QChar(char16_t(0xDCFE)) + "%.png";
        Window w({ff, fe});
        w.office.answer = refusePictures(QStringLiteral("%FE"));
        w.form.PushButton2_Click();
        QCOMPARE(w.insertedUrls(),
                 QStringList({"file:///pics/a%FF.png", "file:///pics/b%FE%25.png"}));
        QCOMPARE(w.captionAtPicture,
                 QStringList({"Processing: a\\xFF.png", "Processing: b\\xFE%.png"}));
        const auto reports = w.ui.errorReports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.at(0).text.contains(QStringLiteral("/pics/b\\xFE%.png")),
                 qPrintable(reports.at(0).text));
        // The entries themselves keep their bytes.
        QCOMPARE(w.form.pictureList().entries(), QStringList({ff, fe}));
    }

    void run_openingStepFails_reportsOnceAndEndsRun_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("line");
        QTest::newRow("service manager") << "bridge.createServiceManager" << 108;
        QTest::newRow("desktop") << "session.createInstance com.sun.star.frame.Desktop" << 110;
        QTest::newRow("document") << "desktop.loadComponentFromURL" << 112;
        QTest::newRow("dispatcher")
            << "session.createInstance com.sun.star.frame.DispatchHelper" << 114;
        QTest::newRow("controller") << "document.getCurrentController" << 116;
        QTest::newRow("frame") << "controller.getFrame" << 118;
    }

    void run_openingStepFails_reportsOnceAndEndsRun() {
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

    void run_officeGoneMidRun_reportsOnceAndNextRunReconnects_data() {
        QTest::addColumn<int>("goneAtDispatch");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("lockRefused");
        // Under the lock each picture sends picture and anchor and, between pictures, a break;
        // without it (the suite refused the lock), an escape after the anchor.
        QTest::newRow("second picture") << 4 << 140 << false;
        QTest::newRow("first break") << 3 << 154 << false;
        QTest::newRow("second picture, no lock") << 5 << 140 << true;
        QTest::newRow("first escape, no lock") << 3 << 142 << true;
        QTest::newRow("first break, no lock") << 4 << 154 << true;
    }

    void run_officeGoneMidRun_reportsOnceAndNextRunReconnects() {
        QFETCH(int, goneAtDispatch);
        QFETCH(int, line);
        QFETCH(bool, lockRefused);
        Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
        w.office.disconnectAtDispatch = goneAtDispatch;
        if (lockRefused) {
            w.office.failingMember = QStringLiteral("document.lockControllers");
        }
        w.form.PushButton2_Click();

        const auto reports = w.ui.errorReports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.at(0).text.startsWith(QStringLiteral("Binary URP bridge disposed")),
                 qPrintable(reports.at(0).text));
        QVERIFY2(reports.at(0).text.contains(QStringLiteral("at line %1\r").arg(line)),
                 qPrintable(reports.at(0).text));
        // Nothing more was asked of the dead suite after the failing call.
        QVERIFY(
            w.office.calls.constLast().startsWith(QStringLiteral("dispatcher.executeDispatch")));
        QVERIFY(!w.boxTexts().contains(QStringLiteral("Done.")));
        w.verifyIdle();

        // The next run connects afresh and completes.
        w.office.disconnectAtDispatch = 0;
        w.office.failingMember.clear();
        w.office.dispatches.clear();
        w.form.PushButton2_Click();
        QCOMPARE(w.office.sessionsCreated, 2);
        QCOMPARE(w.office.dispatchesOf(kPictureCommand).size(), 3);
        QCOMPARE(w.boxTexts().constLast(), QStringLiteral("Done."));
        QCOMPARE(w.ui.errorReports().size(), 1);
    }

    void checkOfficeSuite_present_showsNothing() {
        Window w({});
        QVERIFY(w.form.Form_Load());
        QVERIFY(w.ui.boxes.isEmpty());
        QVERIFY(!w.ui.ended);
        // The check created the service manager once and kept nothing of it.
        QCOMPARE(w.office.sessionsCreated, 1);
        QCOMPARE(w.office.calls, QStringList({"bridge.createServiceManager"}));
    }

    void checkOfficeSuite_missing_offersDownloadAndEnds_data() {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("opensPage");
        QTest::newRow("yes") << MsgAnswer::Yes << true;
        QTest::newRow("no") << MsgAnswer::No << false;
    }

    void checkOfficeSuite_missing_offersDownloadAndEnds() {
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, opensPage);
        Window w({});
        w.office.failingMember = QStringLiteral("bridge.createServiceManager");
        w.ui.boxAnswers = {answer};
        QVERIFY(!w.form.Form_Load());

        QCOMPARE(w.ui.boxes.size(), 1);
        const QString expected =
            "Error 214878392\r\n\r\nOpenOffice is required to run this software. It is not "
            "installed "
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

    void checkOfficeSuite_wouldNotStart_saysWhyOffersNoDownload() {
        Window w({});
        w.office.failingMember = QStringLiteral("bridge.createServiceManager");
        w.office.failingNumber = OfficeError::StartFailed;
        QVERIFY(!w.form.Form_Load());
        QCOMPARE(w.ui.boxes.size(), 1);
        QVERIFY(w.ui.boxes.at(0).text.startsWith(
            QStringLiteral("LibreOffice is installed but could not be started")));
        QVERIFY(
            w.ui.boxes.at(0).text.endsWith(QStringLiteral("bridge.createServiceManager failed")));
        QCOMPARE(w.ui.boxes.at(0).style, 48);
        QVERIFY(w.ui.openedUrls.isEmpty());
        QVERIFY(w.ui.ended);
    }

    void closingWindow_endsOnlyAnIdleOfficeOfItsOwn() {
        Window w({"/pics/one.png"});
        w.form.PushButton2_Click();
        QVERIFY(w.office.officeEnds.isEmpty());
        w.form.close();
        QCOMPARE(w.office.officeEnds, QStringList({"idle only"}));
        QVERIFY(w.ui.ended);
    }

    void closingWindow_midRun_letsGoOfTheDocumentsView() {
        // The program ends at once when its window closes, in the middle of a run too: the
        // document stays in the office, and must not stay with its view frozen.
        Window w({"/pics/one.png", "/pics/two.png", "/pics/three.png"});
        int locksAfterClose = -1;
        QStringList callsAfterClose;
        w.office.onDispatch = [&](const RecordingOfficeBridge::Dispatch& dispatch) {
            if (dispatch.command == kPictureCommand && locksAfterClose < 0 &&
                w.office.dispatchesOf(kPictureCommand).size() == 2) {
                QCOMPARE(w.office.controllerLocks, 1);
                const qsizetype before = w.office.calls.size();
                w.form.close();
                locksAfterClose = w.office.controllerLocks;
                callsAfterClose = w.office.calls.mid(before);
            }
        };
        w.form.PushButton2_Click();

        QVERIFY(w.ui.ended);
        QCOMPARE(locksAfterClose, 0);
        QCOMPARE(callsAfterClose, QStringList({"document.unlockControllers"}));
        // The test's program is not ended for real: the run goes on, without taking the lock
        // again, and still gets each picture a page.
        QCOMPARE(w.office.controllerLocks, 0);
        QCOMPARE(w.office.calls.filter(QStringLiteral("document.lockControllers")).size(), 1);
        QCOMPARE(w.office.dispatchesOf(kBreakCommand).size(), 2);
        for (const auto& dispatch : w.office.dispatches) {
            QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
        }
        QCOMPARE(w.office.selectionReadingsUnderLock, 0);
    }

    void run_locatedPhoto_doneSaysHowToRemoveTheLocation() {
        QTemporaryDir pictures;
        const QString photo = pictures.filePath("located.jpg");
        QVERIFY(PhonePictures::photo(photo, {64, 48}) && PhonePictures::addCameraData(photo));
        Window w({photo, pictures.filePath("missing.jpg")});
        w.form.PushButton2_Click();
        QCOMPARE(w.ui.boxes.last().text,
                 "Done.\r\n\r\n1 of 2 pictures carries a GPS location; \"Remove location and "
                 "camera data\" in Document Options removes it.");
    }

    void closingWindow_midRun_dropsThePicturesCopiesAtOnce() {
        // Phone pictures go to the office as copies in a folder of the run's own, which the
        // program ending in the middle of the run takes away with it.
        QTemporaryDir pictures;
        QTemporaryDir tmp;
        QStringList phone;
        QVERIFY(writePicture(pictures.filePath("base.png"), 1, {64, 48}));
        for (const char* name : {"a.heic", "b.heic", "c.heic"}) {
            phone.append(pictures.filePath(name));
            QVERIFY(PhonePictures::heif(phone.last(), pictures.filePath("base.png")));
        }
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        Window w(phone);
        QStringList leftAfterClose{"not closed"};
        w.office.onDispatch = [&](const RecordingOfficeBridge::Dispatch& dispatch) {
            if (dispatch.command == kPictureCommand &&
                w.office.dispatchesOf(kPictureCommand).size() == 2) {
                w.form.close();
                leftAfterClose =
                    QDir(tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
            }
        };
        w.form.PushButton2_Click();
        qunsetenv("TMPDIR");

        QVERIFY(w.ui.ended);
        QCOMPARE(leftAfterClose, QStringList());
        const QStringList urls = w.insertedUrls();
        QCOMPARE(urls.size(), 2);
        QVERIFY2(urls.first().startsWith("file://" + tmp.path() + "/lumigrove-pictures-"),
                 qPrintable(urls.first()));
    }
};

QTEST_MAIN(TestInsertRun)
#include "tst_builder_insertrun.moc"
