#pragma once

#include <QStringList>

#include <optional>

class QTextStream;

// What the window's command line asks before any window opens: `--help` and `--version` are
// answered on standard output without a display, and the program then ends with the status
// returned. Without them nothing is returned and the window starts; Qt's own options
// (-platform, -display, -style) are left to the application.
std::optional<int> answerWindowCommandLine(const QStringList& arguments, QTextStream& out);
