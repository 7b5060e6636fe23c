#include "batch/BatchCommand.h"
#include "builder/uno/UnoOfficeBridge.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runBatch(QCoreApplication::arguments(), out, err, [](const OfficeChoice& choice) {
        return makeUnoOfficeBridge(choice.connection, choice.profileFolder);
    });
}
