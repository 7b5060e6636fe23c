#pragma once

#include "batch/BatchOptions.h"

#include <QCommandLineOption>
#include <QString>

#include <functional>
#include <vector>

// What an option does with the value it was given (empty for an option without one): stores
// it in the options, or returns why it is refused. `shown` is the option as messages name it.
using ApplyOption =
    std::function<QString(BatchOptions& options, const QString& value, const QString& shown)>;

// One option of the command line: its names, value name and help text, and what it does. The
// options without `apply` ask for the help text or the version.
struct BatchOption {
    QCommandLineOption option;
    ApplyOption apply;
};

// Every option of the command, in the order the help text lists them.
std::vector<BatchOption> batchOptionTable();
