// The lock on the document's view that the insert run holds over the pictures, against a
// recording office bridge: taken before the first picture reaches the office, released on
// every way out of the run, let go of during pauses long enough to watch the document, and
// never held while the selection is read. The document must come out as without the lock.
#include "core/AppError.h"
#include "core/Clock.h"
#include "tests/support/RecordingOffice.h"

#include <QTest>

#include <algorithm>

#include <functional>

namespace {

const QString kPicture = QStringLiteral(".uno:InsertGraphic");
const QString kAnchor = QStringLiteral(".uno:SetAnchorToChar");
const QString kBreak = QStringLiteral(".uno:InsertBreak");
const QString kTakeBack = QStringLiteral(".uno:SwBackspace");

// A clock that moves a whole second on every reading, so that pauses end at once, and that
// notes the locks held on the document whenever a pause looks at it.
class PauseClock : public Clock {
public:
    explicit PauseClock(const RecordingOfficeBridge& office) : m_office(office) {}
    double secondsSinceMidnight() override {
        locksWhilePausing.append(m_office.controllerLocks);
        return m_now += 1.0;
    }
    QList<int> locksWhilePausing;

private:
    const RecordingOfficeBridge& m_office;
    double m_now = 1000.0;
};

// How a run ends, or what befalls it on the way.
enum class Way {
    AllIn,
    RefusedInTheMiddle,
    LastOnesRefused,
    StoppedAfterFirst,
    StoppedInPause,
    GoneAtBreak,
    GoneAtPicture,
    LockRefused,
    ProgressFails,
    EventsFail,
};

// A run whose clock notes the locks held during its pauses.
struct LockedRun : RecordedRun {
    PauseClock pauses{office};
    explicit LockedRun(const QStringList& pictures) : RecordedRun(pictures) { clock = &pauses; }
};

QStringList pictures(const QString& names) {
    QStringList list;
    for (const QString& name : names.split(QLatin1Char(' '))) {
        list.append(QStringLiteral("/photos/%1.png").arg(name));
    }
    return list;
}

} // namespace

Q_DECLARE_METATYPE(Way)

class TestLock : public QObject {
    Q_OBJECT
private slots:
    void lock_releasedOnEveryWayOut_data() {
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<bool>("completed");

        QTest::newRow("all pictures in") << Way::AllIn << "p1 p2 p3"
                                         << "P InsertBreak P InsertBreak P" << true;
        QTest::newRow("a picture refused in the middle") << Way::RefusedInTheMiddle << "p1 bad2 p3"
                                                         << "P InsertBreak x P" << true;
        // The break after the last picture that went in is taken back, with the view unlocked.
        QTest::newRow("the last pictures refused") << Way::LastOnesRefused << "p1 bad2 bad3"
                                                   << "P InsertBreak x x SwBackspace" << true;
        QTest::newRow("every picture refused") << Way::LastOnesRefused << "bad1 bad2"
                                               << "x x" << true;
        // A stop is seen before the next picture, when the break for it is in: taken back.
        QTest::newRow("stop asked before the second picture")
            << Way::StoppedAfterFirst << "p1 p2 p3"
            << "P InsertBreak SwBackspace" << false;
        QTest::newRow("stop asked during a pause") << Way::StoppedInPause << "p1 p2 p3"
                                                   << "P InsertBreak SwBackspace" << false;
        // The shape holds what reached the suite before it went away.
        QTest::newRow("office gone at the first break") << Way::GoneAtBreak << "p1 p2 p3"
                                                        << "P" << false;
        QTest::newRow("office gone at the second picture") << Way::GoneAtPicture << "p1 p2 p3"
                                                           << "P InsertBreak" << false;
        // A suite that refuses the lock gets the pictures the way it did without it.
        QTest::newRow("lock refused") << Way::LockRefused << "p1 p2 p3"
                                      << "P InsertBreak P InsertBreak P" << true;
        // What the window shows is reported, but every picture is in, each on its page.
        QTest::newRow("progress fails") << Way::ProgressFails << "p1 p2 p3"
                                        << "P InsertBreak P InsertBreak P" << true;
        QTest::newRow("events fail") << Way::EventsFail << "p1 p2 p3"
                                     << "P InsertBreak P InsertBreak P" << true;
    }

    void lock_releasedOnEveryWayOut() {
        QFETCH(Way, way);
        QFETCH(QString, names);
        QFETCH(QString, shape);
        QFETCH(bool, completed);
        LockedRun run(pictures(names));
        double pause = 0;
        switch (way) {
        case Way::StoppedAfterFirst:
            run.host.stop = [&] { return run.office.dispatchesOf(kPicture).size() == 1; };
            break;
        case Way::StoppedInPause:
            pause = 2;
            run.host.stop = [&] { return !run.pauses.locksWhilePausing.isEmpty(); };
            break;
        case Way::GoneAtBreak:
            run.office.disconnectAtDispatch = 3;
            break;
        case Way::GoneAtPicture:
            run.office.disconnectAtDispatch = 4;
            break;
        case Way::LockRefused:
            run.office.failingMember = QStringLiteral("document.lockControllers");
            break;
        case Way::ProgressFails:
            run.host.failing = QStringLiteral("progress");
            break;
        case Way::EventsFail:
            run.host.failing = QStringLiteral("events");
            break;
        default:
            break;
        }
        run.run(pause);

        QCOMPARE(run.shape(), shape);
        QCOMPARE(run.completed, completed);
        if (!run.host.failing.isEmpty()) {
            // One report for each picture, none of them failed.
            const int step = way == Way::EventsFail ? 128 : 124;
            const auto& reports = run.host.reporter.reports;
            QCOMPARE(std::count_if(reports.begin(), reports.end(),
                                   [&](const auto& report) { return report.line == step; }),
                     3);
            QVERIFY(run.host.failed.isEmpty());
        }
        QCOMPARE(run.office.controllerLocks, 0);
        QCOMPARE(run.office.selectionReadingsUnderLock, 0);
        const bool gone = way == Way::GoneAtBreak || way == Way::GoneAtPicture;
        const int expectedLocks = way == Way::LockRefused ? 0 : 1;
        for (const auto& dispatch : run.office.dispatches) {
            QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
            if (dispatch.command == kTakeBack) {
                QCOMPARE(dispatch.controllerLocks, 0);
            } else {
                QCOMPARE(dispatch.controllerLocks, expectedLocks);
            }
        }
        if (way == Way::LockRefused) {
            // Asked once; the pictures are left with an escape and a wait, as without the lock.
            QCOMPARE(run.callsOf(QStringLiteral("document.lockControllers")), 1);
            QCOMPARE(run.callsOf(QStringLiteral("document.unlockControllers")), 0);
            QCOMPARE(run.office.dispatchesOf(QStringLiteral(".uno:Escape")).size(), 3);
        } else if (gone) {
            // Nothing more is asked of a suite that went away, the release neither.
            QVERIFY(run.office.calls.constLast().startsWith(
                QStringLiteral("dispatcher.executeDispatch")));
            QCOMPARE(run.callsOf(QStringLiteral("document.lockControllers")), 1);
        } else {
            QCOMPARE(run.callsOf(QStringLiteral("document.lockControllers")),
                     run.callsOf(QStringLiteral("document.unlockControllers")));
            QVERIFY(run.callsOf(QStringLiteral("document.lockControllers")) >= 1);
            QVERIFY(run.office.dispatchesOf(QStringLiteral(".uno:Escape")).isEmpty());
            QCOMPARE(run.office.selectionReadings, 0);
        }
    }

    void pause_longEnoughToWatch_spentUnlocked_data() {
        QTest::addColumn<double>("pause");
        QTest::addColumn<bool>("unlocked");
        QTest::newRow("none") << 0.0 << false;
        QTest::newRow("just short of the threshold")
            << InsertRun::kUnlockedPauseSeconds - 0.01 << false;
        QTest::newRow("at the threshold") << InsertRun::kUnlockedPauseSeconds << true;
        QTest::newRow("the default two seconds") << 2.0 << true;
    }

    void pause_longEnoughToWatch_spentUnlocked() {
        QFETCH(double, pause);
        QFETCH(bool, unlocked);
        LockedRun run(pictures(QStringLiteral("p1 p2 p3")));
        run.run(pause);

        QCOMPARE(run.shape(), QStringLiteral("P InsertBreak P InsertBreak P"));
        QCOMPARE(run.office.controllerLocks, 0);
        // Every command that changes the document arrives locked, also after a pause.
        for (const auto& dispatch : run.office.dispatches) {
            QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
            QCOMPARE(dispatch.controllerLocks, 1);
        }
        if (pause > 0) {
            QVERIFY(!run.pauses.locksWhilePausing.isEmpty());
        }
        for (const int locks : run.pauses.locksWhilePausing) {
            QCOMPARE(locks, unlocked ? 0 : 1);
        }
        // Unlocked for each of the three pauses and taken again for the next break only: not
        // after the last picture.
        QCOMPARE(run.callsOf(QStringLiteral("document.lockControllers")), unlocked ? 3 : 1);
        QCOMPARE(run.callsOf(QStringLiteral("document.unlockControllers")), unlocked ? 3 : 1);
    }

    void releaseControllerLock_midRun_forGood() {
        // What a host that ends at once asks: the view is let go of, and the run does not take
        // the lock again; it goes on leaving each picture without reading the selection (the
        // suite may still be catching up on the switch of its view).
        RecordingOfficeBridge office;
        PauseClock clock(office);
        ListInsertHost host(pictures(QStringLiteral("p1 p2 p3")));
        InsertRun insert(host, &office, clock);
        insert.setPauseSeconds(0);
        int locksAfterRelease = -1;
        office.onDispatch = [&](const RecordingOfficeBridge::Dispatch& dispatch) {
            if (dispatch.command == kAnchor && locksAfterRelease < 0) {
                insert.releaseControllerLock();
                locksAfterRelease = office.controllerLocks;
                // Asked twice, released once.
                insert.releaseControllerLock();
            }
        };
        insert.run();

        QCOMPARE(locksAfterRelease, 0);
        QCOMPARE(office.controllerLocks, 0);
        QCOMPARE(office.calls.filter(QStringLiteral("document.lockControllers")).size(), 1);
        QCOMPARE(office.calls.filter(QStringLiteral("document.unlockControllers")).size(), 1);
        QCOMPARE(office.dispatchesOf(kBreak).size(), 2);
        for (const auto& dispatch : office.dispatches) {
            QVERIFY2(dispatch.carriedOut, qPrintable(dispatch.command));
        }
        QCOMPARE(office.selectionReadings, 0);
        QCOMPARE(office.calls.filter(QStringLiteral("controller.select end of body")).size(), 3);
        QVERIFY(insert.completed());
    }
};

QTEST_MAIN(TestLock)
#include "tst_builder_lock.moc"
