#pragma once

#include <QString>
#include <QStringList>

class FileSystem;

// The document formats the batch command can store, by the extension of its output file.
struct OutputFormat {
    QString extension;  // "odt", "docx", "pdf"
    QString filterName; // the office suite's filter for storing that format
    bool isExport = false;
};

// Finds the format that an output path's extension names; false when there is none.
bool outputFormatFor(const QString& outPath, OutputFormat* format);

struct BatchOptions {
    QString extension = QStringLiteral("*");
    double pauseSeconds = 0.0;
    QString officeConnection;
    bool keepOpen = false;
    QString outPath;
    OutputFormat format;
    QStringList paths;
};

// The outcome of reading the command line: run with the options, show the help text and
// stop, or refuse with a message and exit status 2.
struct ParsedCommandLine {
    enum class Action { Run, Help, Refuse };
    Action action = Action::Refuse;
    BatchOptions options;
    QString message;
};

ParsedCommandLine parseBatchCommandLine(const QStringList& arguments);

QString batchHelpText();

// Checks what can be checked before anything starts: every PATH exists, the output folder
// exists and can be written. Returns the message for the first problem, or "".
QString checkBatchInputs(const BatchOptions& options, FileSystem& disk);
