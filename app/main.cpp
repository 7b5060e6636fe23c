#include "app/Form1.h"
#include "app/QtUiServices.h"
#include "app/QuitSignals.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/RandomSource.h"
#include "intake/PosixFileSystem.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
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
