#pragma once

#include "core/AlbumLayout.h"
#include "core/PicturePolicy.h"

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

QString batchHelpText();

// The time limit of storing a document that holds `pictures` pictures of `pictureBytes` bytes
// in all, in milliseconds: the limit of one call plus 20 ms a picture and 100 ms a megabyte.
// Storing grows with the document (a 10,000-picture document took some 60 s to store here,
// and 300 camera photos of 1.2 GB some 80 s), and a frozen office must still be noticed.
int storeTimeLimitMs(double timeoutSeconds, int pictures, qint64 pictureBytes = 0);

// Makes every PATH and OUT absolute against the folder `cwd`, as the caller named them: no
// symbolic link is resolved; "." parts and doubled separators are dropped.
void resolvePaths(BatchOptions& options, const QString& cwd);

// The folder the command was started in, as the user's shell names it (PWD) when that is the
// same folder, so that the paths it shows are the user's own.
QString callerWorkingFolder();

// Checks what can be checked before anything starts: the output folder exists and can be
// written, OUT is no folder, and OUT is none of the named files. A PATH that does not exist
// is no problem here: it becomes a picture that fails. Returns the message for the first
// problem, or "".
QString checkBatchInputs(const BatchOptions& options, FileSystem& disk);

// The file that writing OUT writes: OUT itself, or, when OUT is a symbolic link, the file at
// the end of its chain of links (each relative target taken from its link's folder), which
// need not exist yet. Returns "" when the chain has no end (ELOOP) or a link cannot be read.
QString outputTarget(const QString& outPath);

// True when the two paths name the same file on the disk (the same device and inode), or,
// when either does not exist, are the same text.
bool sameFile(const QString& a, const QString& b);
