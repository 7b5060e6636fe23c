#include "batch/BatchCommand.h"
#include "batch/BatchInterrupt.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "core/FileNames.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    // Before any thread starts: they all leave the interrupt signals to one thread.
    BatchInterrupt& interrupt = BatchInterrupt::install();
    QCoreApplication app(argc, argv);
    // The arguments byte-exact: QCoreApplication::arguments() would turn a byte of a path
    // that is not UTF-8 into U+FFFD, and the path would name nothing.
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i) {
        arguments.append(decodeFileName(argv[i]));
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runBatch(
        arguments, out, err,
        [](const OfficeChoice& choice) {
            return makeUnoOfficeBridge(choice.connection, choice.profileFolder,
                                       choice.callTimeoutMs);
        },
        &interrupt);
}
