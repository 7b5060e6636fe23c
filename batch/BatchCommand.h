#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>

class BatchInterrupt;
class OfficeBridge;

// Which office the batch wants: the one listening at `connection`, or, when that is empty,
// a headless one of its own with its profile in `profileFolder`.
// Every call to it gets `callTimeoutMs`.
struct OfficeChoice {
    QString connection;
    QString profileFolder;
    int callTimeoutMs = 60000;
};

// Makes the bridge to the office chosen; the program passes the UNO backend, tests a
// recording one.
using OfficeBridgeFactory = std::function<std::shared_ptr<OfficeBridge>(const OfficeChoice&)>;

// The whole batch command: reads the command line, collects the pictures as a drop on the
// window's list would, runs the same insert run as the window, and stores the document.
// Returns the exit status: 0 when every picture went in and the output was written, 2 for
// bad usage, 1 otherwise, 128 + the signal when `interrupt` took one.
int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             const OfficeBridgeFactory& makeOffice, BatchInterrupt* interrupt = nullptr);
