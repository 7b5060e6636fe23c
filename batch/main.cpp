#include "batch/BatchCommand.h"
#include "batch/BatchInterrupt.h"
#include "builder/uno/UnoOfficeBridge.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    // Before any thread starts: they all leave the interrupt signals to one thread.
    BatchInterrupt& interrupt = BatchInterrupt::install();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runBatch(
        QCoreApplication::arguments(), out, err,
        [](const OfficeChoice& choice) {
            return makeUnoOfficeBridge(choice.connection, choice.profileFolder,
                                       choice.callTimeoutMs);
        },
        &interrupt);
}
