#pragma once

#include <QStringList>
#include <QTextStream>

class OfficeBridge;

// The whole batch command: reads the command line, collects the pictures as a drop on the
// window's list would, runs the same insert run as the window, and stores the document.
// Returns the exit status: 0 when every picture went in and the output was written, 2 for
// bad usage, 1 otherwise. `bridge` replaces the office bridge the options would choose
// (tests pass a recording one).
int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             OfficeBridge* bridge = nullptr);
