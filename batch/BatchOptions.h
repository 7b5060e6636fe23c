#pragma once

#include "core/AlbumLayout.h"
#include "core/PicturePolicy.h"

#include <QString>
#include <QStringList>

// The program's name, as its messages and its help text name it.
inline constexpr char kBatchCommandName[] = "lumigrove-batch";

// The document formats the batch command can store, by the extension of its output file.
struct OutputFormat {
    QString extension;  // "odt", "docx", "pdf"
    QString filterName; // the office suite's filter for storing that format
    bool isExport = false;
};

// Finds the format that an output path's extension names; false when there is none.
bool outputFormatFor(const QString& outPath, OutputFormat* format);

// The order the pictures go in: as collected, by natural order of their names, or by the
// date they were taken.
enum class PictureSort { None, Name, Date };

struct BatchOptions {
    QString extension = QStringLiteral("*");
    PictureSort sort = PictureSort::None;
    AlbumLayout layout;
    PicturePolicy pictures;
    double pauseSeconds = 0.0;
    // The time limit of each call to the office.
    double timeoutSeconds = 60.0;
    QString officeConnection;
    bool keepOpen = false;
    QString outPath;
    OutputFormat format;
    QStringList paths;
};

// The outcome of reading the command line: run with the options, show the help text or the
// version and stop, or refuse with a message and exit status 2.
struct ParsedCommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Refuse;
    BatchOptions options;
    QString message;
};

ParsedCommandLine parseBatchCommandLine(const QStringList& arguments);

// The positions (from 0) of the collected `paths` in the order `sort` names.
QList<qsizetype> pictureOrder(const QStringList& paths, PictureSort sort);

// The text that --help shows, of which the manual page is made.
QString batchHelpText();

// The time limit of storing a document that holds `pictures` pictures of `pictureBytes` bytes
// in all, in milliseconds: the limit of one call plus 20 ms a picture and 100 ms a megabyte.
// Storing grows with the document (a 10,000-picture document took some 60 s to store here,
// and 300 camera photos of 1.2 GB some 80 s), and a frozen office must still be noticed.
int storeTimeLimitMs(double timeoutSeconds, int pictures, qint64 pictureBytes = 0);
