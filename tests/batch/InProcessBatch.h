#pragma once

#include "batch/BatchCommand.h"
#include "builder/uno/UnoOfficeBridge.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// lumigrove-batch run inside the test program, with the real office bridge: its exit status
// and what it wrote to standard error.
struct BatchOutcome {
    int status = -1;
    QString err;
};

inline BatchOutcome runInProcess(const QStringList& args) {
    BatchOutcome outcome;
    QString out;
    QTextStream outStream(&out);
    QTextStream errStream(&outcome.err);
    outcome.status =
        runBatch(QStringList{QStringLiteral("lumigrove-batch")} + args, outStream, errStream,
                 [](const OfficeChoice& choice) {
                     return makeUnoOfficeBridge(choice.connection, choice.profileFolder,
                                                choice.callTimeoutMs);
                 });
    errStream.flush();
    return outcome;
}
