// A test program: the real main window with the real desktop services runs a long operation
// that yields to the event loop between its steps, the way the folder add and the insert run
// do, and the window is closed during the second yield. Each step writes a line to the log
// given as the only argument, so the test can see how far the program got.
#include "app/Form1.h"
#include "app/QtUiServices.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/RandomSource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWindow>

namespace {

QString logPath;

void record(const QString& line) {
    QFile log(logPath);
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        log.write(line.toUtf8() + '\n');
    }
}

// A timed wait in the event loop, as the long operations wait.
void waitInEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        return 2;
    }
    logPath = QString::fromLocal8Bit(argv[1]);

    QtUiServices ui;
    MessageBoxErrorReporter reporter(ui);
    SystemClock clock;
    SystemRandom random;
    // The start-up sequence is left out: closing does not depend on it, and its last step
    // would need an office suite.
    Form1 form(Form1Services{ui, reporter, clock, random, nullptr, nullptr,
                             QCoreApplication::applicationDirPath()});
    form.show();

    QTimer::singleShot(0, &form, [&] {
        form.setMousePointer(MousePointer::Hourglass);
        for (int step = 1; step <= 3; ++step) {
            record(QStringLiteral("step %1 waiting").arg(step));
            if (step == 2) {
                // The user closes the window through its frame while the operation waits.
                QCoreApplication::postEvent(form.windowHandle(), new QCloseEvent);
            }
            waitInEventLoop(300);
            record(QStringLiteral("step %1 done").arg(step));
        }
        record(QStringLiteral("operation finished"));
        QCoreApplication::quit();
    });
    app.exec();
    record(QStringLiteral("event loop returned"));
    // Getting here means the close did not end the program.
    return 3;
}
