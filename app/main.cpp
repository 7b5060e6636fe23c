#include "app/Form1.h"
#include "app/QtUiServices.h"
#include "app/QuitSignals.h"
#include "app/StartupSplash.h"
#include "app/WindowCommandLine.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/RandomSource.h"
#include "intake/PosixFileSystem.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) {
            arguments.append(QString::fromLocal8Bit(argv[i]));
        }
        QTextStream out(stdout);
        if (const std::optional<int> status = answerWindowCommandLine(arguments, out)) {
            return *status;
        }
    }
    QApplication app(argc, argv);
    // On screen at once: the office check below may take seconds to start the office.
    StartupSplash splash;
    splash.showNow();
    QtUiServices ui;
    MessageBoxErrorReporter reporter(ui);
    SystemClock clock;
    SystemRandom random;
    UnoOfficeBridge office;
    PosixFileSystem disk;
    Form1Services services{
        ui, reporter, clock, random, &disk, &office, QCoreApplication::applicationDirPath()};
    Form1 form(services);
    if (!form.Form_Load()) {
        return 0;
    }
    // Until here a signal ends the program at once: the office it may have started has a guard
    // that ends it too.
    const QuitSignals quit([&form](int signal) { form.endOnSignal(signal); },
                           [&office] { office.cutConnections(); });
    form.show();
    return app.exec();
}
