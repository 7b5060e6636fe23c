// Closing the main window ends the program at once, also while a long operation waits in
// the event loop: no later step of that operation runs. Runs the real program pieces in a
// child process, because ending the program is the point.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(Form1CloseTest)
#include "tst_app_close.moc"
