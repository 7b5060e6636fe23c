// The error report of a failing handler step: its exact text, the box it is shown in, and
// the trap that reports a failing step and goes on with the next one.
#include "core/AppError.h"
#include "core/ErrorReport.h"
#include "core/HandlerTrap.h"
#include "tests/support/FakeUiServices.h"

#include <QTest>

#include <stdexcept>

namespace {

const QString kClearList = QStringLiteral("in Sheafwork2021/08/31.Form1.PushButton10_Click ");

// A routine without a trap of its own: its failure belongs to the caller's step.
void routineThatFailsHalfway(QStringList& done) {
    done.append(QStringLiteral("routine start"));
    throw AppError(QStringLiteral("Path not found"), ErrorNumber::PathNotFound);
}

} // namespace

class ErrorReportTest : public QObject {
    Q_OBJECT

private slots:
    void text_isComposedByteForByte_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("start-up line 126")
            << "Invalid picture"
            << "in Sheafwork2021/08/31.Form1.Form_Load " << 126
            << QByteArray("Invalid picture\r\nin Sheafwork2021/08/31.Form1.Form_Load at line 126"
                          "\r\rPlease email screenshot of this message to support@lumigrove.org");
        QTest::newRow("empty description")
            << "" << kClearList << 100
            << QByteArray("\r\nin Sheafwork2021/08/31.Form1.PushButton10_Click at line 100"
                          "\r\rPlease email screenshot of this message to support@lumigrove.org");
        QTest::newRow("scan location, line 334")
            << "Permission denied"
            << "in Corbelmark2021/08/31.AddFolder.GetSubDirectories2016 " << 334
            << QByteArray("Permission denied\r\nin Corbelmark2021/08/31.AddFolder."
                          "GetSubDirectories2016 at line 334\r\rPlease email screenshot of this "
                          "message to support@lumigrove.org");
        QTest::newRow("non-ASCII description")
            << QString::fromUtf8("Datei \xc3\xa4 fehlt") << kClearList << 100
            << QByteArray("Datei \xc3\xa4 fehlt\r\nin Sheafwork2021/08/31.Form1.PushButton10_Click "
                          "at line 100\r\rPlease email screenshot of this message to "
                          "support@lumigrove.org");
    }

    void text_isComposedByteForByte() {
        QFETCH(QString, description);
        QFETCH(QString, location);
        QFETCH(int, line);
        QFETCH(QByteArray, expected);
        QCOMPARE(composeErrorReport(description, location, line).toUtf8(), expected);
    }

    void box_isAWarningTitledApplicationError() {
        FakeUiServices ui;
        MessageBoxErrorReporter reporter(ui);
        reporter.ShowErrorReport(kClearList, 100, QStringLiteral("Out of memory"));
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes.first().style, 48);
        QCOMPARE(ui.boxes.first().title, QStringLiteral("Application Error"));
        QCOMPARE(ui.boxes.first().text,
                 composeErrorReport(QStringLiteral("Out of memory"), kClearList, 100));
    }

    void trap_reportsEachFailingStepAndGoesOn() {
        FakeUiServices ui;
        MessageBoxErrorReporter reporter(ui);
        QStringList done;
        {
            HandlerTrap trap(reporter, kClearList);
            QVERIFY(trap(100, [&] { done.append(QStringLiteral("100")); }));
            QVERIFY(!trap(102, [&] { throw AppError(QStringLiteral("first")); }));
            QVERIFY(trap(104, [&] { done.append(QStringLiteral("104")); }));
            QVERIFY(!trap(106, [&] { throw AppError(QStringLiteral("second")); }));
            QVERIFY(trap(108, [&] { done.append(QStringLiteral("108")); }));
            QCOMPARE(trap.failures(), 2);
        }
        QCOMPARE(done, (QStringList{"100", "104", "108"}));
        QCOMPARE(ui.boxes.size(), 2);
        QCOMPARE(ui.boxes.at(0).text, composeErrorReport(QStringLiteral("first"), kClearList, 102));
        QCOMPARE(ui.boxes.at(1).text,
                 composeErrorReport(QStringLiteral("second"), kClearList, 106));
    }

    void trap_failureInACalledRoutineIsTheCallersLine() {
        FakeUiServices ui;
        MessageBoxErrorReporter reporter(ui);
        QStringList done;
        HandlerTrap trap(reporter, kClearList);
        trap(110, [&] {
            routineThatFailsHalfway(done);
            done.append(QStringLiteral("after the routine, same step"));
        });
        trap(112, [&] { done.append(QStringLiteral("112")); });
        QCOMPARE(done, (QStringList{"routine start", "112"}));
        QCOMPARE(ui.errorReports().size(), 1);
        QCOMPARE(ui.boxes.first().text,
                 composeErrorReport(QStringLiteral("Path not found"), kClearList, 110));
    }

    void trap_describesEveryKindOfFailure_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("description");
        QTest::newRow("AppError") << 0 << "Invalid property value";
        QTest::newRow("std::exception") << 1 << "vector too long";
        QTest::newRow("bad_alloc") << 2 << "Out of memory";
        QTest::newRow("anything else") << 3 << "Unknown error";
    }

    void trap_describesEveryKindOfFailure() {
        QFETCH(int, kind);
        QFETCH(QString, description);
        FakeUiServices ui;
        MessageBoxErrorReporter reporter(ui);
        HandlerTrap trap(reporter, kClearList);
        trap(100, [&] {
            switch (kind) {
            case 0:
                throw AppError(QStringLiteral("Invalid property value"), 380);
            case 1:
                throw std::length_error("vector too long");
            case 2:
                throw std::bad_alloc();
            default:
                throw 42;
            }
        });
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes.first().text, composeErrorReport(description, kClearList, 100));
    }
};

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "tst_core_errorreport.moc"
