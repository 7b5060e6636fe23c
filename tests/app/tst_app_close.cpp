// Closing the main window ends the program at once, also while a long operation waits in
// the event loop: no later step of that operation runs. Runs the real program pieces in a
// child process, because ending the program is the point. A signal ends it as a close does,
// also while a call to an office that does not answer holds the event loop.
#include "app/QuitSignals.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>

class Form1CloseTest : public QObject {
    Q_OBJECT

private slots:
    void close_duringAYield_endsTheProgramBeforeTheNextStep() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString log = dir.filePath(QStringLiteral("steps.log"));

        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QCoreApplication::applicationDirPath() +
                          QStringLiteral("/close_during_yield_helper"),
                      {log});
        QVERIFY(program.waitForStarted());
        QVERIFY(program.waitForFinished(60000));

        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QFile steps(log);
        QVERIFY(steps.open(QIODevice::ReadOnly | QIODevice::Text));
        // The first step ran whole, the second was waiting when the window closed, and
        // nothing after that ran.
        QCOMPARE(QString::fromUtf8(steps.readAll()),
                 QStringLiteral("step 1 waiting\nstep 1 done\nstep 2 waiting\n"));
    }

    void signal_eventLoopHeld_officeCutAfterTheGraceThenClosed() {
        QElapsedTimer timer;
        std::atomic<qint64> cutAtMs{-1};
        int taken = 0;
        const QuitSignals quit([&](int signal) { taken = signal; },
                               [&] { cutAtMs = timer.elapsed(); });
        timer.start();
        QCOMPARE(::raise(SIGTERM), 0);
        // Held as a call to a stopped office holds it: no event loop runs meanwhile.
        while (cutAtMs < 0 && timer.elapsed() < QuitSignals::kGraceMs + kBusyMachineSlackMs) {
            QThread::msleep(10);
        }
        QVERIFY2(cutAtMs >= QuitSignals::kGraceMs - 50, qPrintable(QString::number(cutAtMs)));
        QCOMPARE(taken, 0);
        // The call fails, the event loop runs again and takes the signal as a close.
        QTRY_COMPARE(taken, SIGTERM);
    }
};

QTEST_GUILESS_MAIN(Form1CloseTest)
#include "tst_app_close.moc"
