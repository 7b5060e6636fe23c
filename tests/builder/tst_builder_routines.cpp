// The plain routines of the insert run: file names, picture URLs, the pause. Each runs on
// its own here; the run that uses them is tested in tst_builder_insertrun.
#include "builder/InsertRoutines.h"
#include "core/Clock.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeRandom.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <sys/resource.h>

namespace {

// CPU time this process has used, user and system, in milliseconds.
double cpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// A clock that runs in real time from a chosen time of day, and wraps at midnight.
class ShiftedClock : public Clock {
public:
    explicit ShiftedClock(double startSeconds) : m_start(startSeconds) { m_timer.start(); }
    double secondsSinceMidnight() override {
        ++readings;
        return std::fmod(m_start + m_timer.nsecsElapsed() / 1e9, 86400.0);
    }
    int readings = 0;

private:
    double m_start;
    QElapsedTimer m_timer;
};

} // namespace

class TestBuilderRoutines : public QObject {
    Q_OBJECT
private slots:
    void fileNameFromPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<PathStyle>("style");
        QTest::addColumn<QString>("name");
        QTest::newRow("windows path") << "C:\\x\\y.png" << PathStyle::Windows << "y.png";
        QTest::newRow("windows bare name") << "y.png" << PathStyle::Windows << "y.png";
        QTest::newRow("windows trailing separator") << "C:\\x\\" << PathStyle::Windows << "";
        // A forward slash is an ordinary character to the Windows rule.
        QTest::newRow("windows ignores slash") << "C:\\a/b.png" << PathStyle::Windows << "a/b.png";
        QTest::newRow("posix path") << "/home/u/p i.png" << PathStyle::Posix << "p i.png";
        QTest::newRow("posix keeps backslash") << "/tmp/a\\b.png" << PathStyle::Posix << "a\\b.png";
        QTest::newRow("posix trailing separator") << "/tmp/" << PathStyle::Posix << "";
    }

    void fileNameFromPath() {
        QFETCH(QString, path);
        QFETCH(PathStyle, style);
        QFETCH(QString, name);
        QCOMPARE(FileNameFromPath(path, style), name);
    }

    void pictureFileUrl_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<PathStyle>("style");
        QTest::addColumn<QString>("url");
        QTest::newRow("windows space kept")
            << "C:\\Pictures\\a b.jpg" << PathStyle::Windows << "file:///C:/Pictures/a b.jpg";
        QTest::newRow("windows network path")
            << "\\\\server\\share\\p.png" << PathStyle::Windows << "file://///server/share/p.png";
        QTest::newRow("windows percent and hash")
            << "C:\\p\\a%20b#1.png" << PathStyle::Windows << "file:///C:/p/a%2520b%231.png";
        QTest::newRow("posix space")
            << "/home/u/a b.png" << PathStyle::Posix << "file:///home/u/a b.png";
        QTest::newRow("posix hash")
            << "/tmp/a#b.png" << PathStyle::Posix << "file:///tmp/a%23b.png";
        // Left raw, "%20" would name "a b.png" instead of this file.
        QTest::newRow("posix percent")
            << "/tmp/a%20b.png" << PathStyle::Posix << "file:///tmp/a%2520b.png";
        QTest::newRow("posix backslash is a name character")
            << "/tmp/a\\b.png" << PathStyle::Posix << "file:///tmp/a\\b.png";
        QTest::newRow("posix non-ascii")
            << QString::fromUtf8("/tmp/Blüte ß 花.png") << PathStyle::Posix
            << QString::fromUtf8("file:///tmp/Blüte ß 花.png");
        QTest::newRow("posix other characters pass")
            << "/tmp/a?b;c&d.png" << PathStyle::Posix << "file:///tmp/a?b;c&d.png";
        // Bytes of a name that are not UTF-8 arrive as escapes (U+DC00 + the byte) and go to the
        // suite as that byte, percent-encoded; the "%" of the name itself still becomes "%25".
        const QChar ff(char16_t(0xDCFF));
        const QChar x80(char16_t(0xDC80));
        QTest::newRow("posix byte FF")
            << QString("/dir/") + ff + ".png" << PathStyle::Posix << "file:///dir/%FF.png";
        QTest::newRow("posix bytes in folder and name, with percent and hash")
            << QString("/d") + x80 + "/a%" + ff + "#" + QChar(char16_t(0xDCE9)) + ".png"
            << PathStyle::Posix << "file:///d%80/a%25%FF%23%E9.png";
        QTest::newRow("windows byte FF")
            << QString("C:\\p\\") + ff + ".png" << PathStyle::Windows << "file:///C:/p/%FF.png";
        // U+10080 is the pair D800 DC80: a character, not an escaped byte.
        QTest::newRow("posix pair ending in the escape range is a character")
            << QString("/tmp/") + QChar(char16_t(0xD800)) + x80 + ".png" << PathStyle::Posix
            << QString("file:///tmp/") + QChar(char16_t(0xD800)) + x80 + ".png";
        // A real U+FFFD in a name is a character like any other.
        QTest::newRow("posix replacement character passes")
            << QString::fromUtf8("/tmp/a\xEF\xBF\xBD.png") << PathStyle::Posix
            << QString::fromUtf8("file:///tmp/a\xEF\xBF\xBD.png");
    }

    void pictureFileUrl() {
        QFETCH(QString, path);
        QFETCH(PathStyle, style);
        QFETCH(QString, url);
        QCOMPARE(PictureFileUrl(path, style), url);
    }

    void pauseSeconds_waitsWhileEventsRun() {
        SystemClock clock;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        QElapsedTimer elapsed;
        elapsed.start();
        PauseSeconds(0.3, clock);
        const qint64 ms = elapsed.elapsed();
        QVERIFY2(ms >= 295, qPrintable(QString::number(ms)));
        QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
        // The user interface stays live: timers and other events run during the wait.
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    void pauseSeconds_sleepsInsteadOfSpinning() {
        SystemClock clock;
        const double cpuBefore = cpuMilliseconds();
        PauseSeconds(0.5, clock);
        const double cpu = cpuMilliseconds() - cpuBefore;
        // A loop that polls without sleeping would burn the whole half second.
        QVERIFY2(cpu < 100.0, qPrintable(QString::number(cpu)));
    }

    void pauseSeconds_acrossMidnight_endsAfterTheAskedTime() {
        // Begun 0.15 s before midnight, a 0.4 s wait ends 0.25 s after it: neither at once
        // (a negative elapsed time taken as done) nor a day later (taken as not yet begun).
        ShiftedClock clock(86400.0 - 0.15);
        QElapsedTimer elapsed;
        elapsed.start();
        PauseSeconds(0.4, clock);
        const qint64 ms = elapsed.elapsed();
        QVERIFY2(ms >= 390, qPrintable(QString::number(ms)));
        QVERIFY2(ms < 1500, qPrintable(QString::number(ms)));
        const double now = clock.secondsSinceMidnight();
        QVERIFY2(now >= 0.25 && now < 1.5, qPrintable(QString::number(now)));
    }

    void pauseSeconds_zero_returnsAtOnce() {
        // A frozen clock: a wait that counted "not more than" instead of "less than" the time
        // asked for would never end.
        FakeClock clock;
        clock.seconds = 1000.0;
        QElapsedTimer elapsed;
        elapsed.start();
        PauseSeconds(0.0, clock);
        PauseSeconds(-1.0, clock);
        QVERIFY(elapsed.elapsed() < 100);
    }
};

QTEST_GUILESS_MAIN(TestBuilderRoutines)
#include "tst_builder_routines.moc"
