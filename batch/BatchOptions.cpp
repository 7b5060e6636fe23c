#include "batch/BatchOptions.h"

#include "core/FileNames.h"
#include "intake/AddFolder.h"
#include "intake/FileSystem.h"
#include "intake/PhotoDates.h"
#include "piclist/PictureOrder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

bool outputFormatFor(const QString& outPath, OutputFormat* format) {
    const QString suffix = QFileInfo(outPath).suffix().toLower();
    if (suffix == QLatin1String("odt")) {
        *format = {suffix, QStringLiteral("writer8"), false};
    } else if (suffix == QLatin1String("docx")) {
        *format = {suffix, QStringLiteral("MS Word 2007 XML"), false};
    } else if (suffix == QLatin1String("pdf")) {
        *format = {suffix, QStringLiteral("writer_pdf_Export"), true};
    } else {
        return false;
    }
    return true;
}

int storeTimeLimitMs(double timeoutSeconds, int pictures) {
    constexpr double kStoreMsPerPicture = 20.0;
    const double limit = timeoutSeconds * 1000.0 + kStoreMsPerPicture * std::max(pictures, 0);
    return static_cast<int>(std::min(limit, double(std::numeric_limits<int>::max())));
}

QString batchHelpText() {
    return QStringLiteral(
        "Usage: lumigrove-batch [--ext EXT] [--sort ORDER] [--caption KIND]\n"
        "                       [--per-page N] [--fit] [--pause SECONDS]\n"
        "                       [--office CONNECTION] [--timeout SECONDS] [--keep-open]\n"
        "                       -o OUT PATH...\n"
        "\n"
        "Builds one word-processor document with one embedded picture per page (or 2 or 4),\n"
        "in the order given, and stores it at OUT.\n"
        "\n"
        "Each PATH is taken as a drop on the list of the Lumigrove window: a file is\n"
        "inserted as it is named; a folder is searched with everything below it, level by\n"
        "level, for names matching \"*.EXT\" (names beginning with \"~\" and hidden archive\n"
        "files are left out). Relative paths are taken from the current folder. OUT itself\n"
        "is never taken as a picture.\n"
        "\n"
        "Options:\n"
        "  -o, --output OUT      the document to write; its extension chooses the format:\n"
        "                        .odt (OpenDocument text), .docx (Word 2007 XML), .pdf.\n"
        "                        OUT is written under a temporary name beside it and renamed\n"
        "                        into place only when complete, and only when at least\n"
        "                        one picture went in; OUT may not be one of the PATHs.\n"
        "                        A PDF keeps every picture at its full resolution and\n"
        "                        JPEGs byte for byte.\n"
        "  --ext EXT             extension searched for in folders (default \"*\": every file;\n"
        "                        matched without regard to case).\n"
        "  --sort ORDER          the order the pictures go in: \"none\" (default) as named\n"
        "                        and found; \"name\" by file name, numbers by their value\n"
        "                        (img2 before img10) and without regard to case; \"date\" by\n"
        "                        the date taken (EXIF DateTimeOriginal of JPEG and TIFF\n"
        "                        files, else the modification time), files with neither last.\n"
        "  --caption KIND        a caption under each picture, in the document's \"Caption\"\n"
        "                        paragraph style: \"none\" (default), \"name\" (the file\n"
        "                        name) or \"stem\" (the file name without its extension).\n"
        "  --per-page N          pictures on each page: 1 (default), 2 (one above the\n"
        "                        other) or 4 (two rows of two, in a table); each picture\n"
        "                        is shrunk, aspect kept, to fit its share of the page.\n"
        "  --fit                 scale every picture up or down, aspect kept, to the\n"
        "                        largest size that fits the page (or its share of it).\n"
        "                        Without it a picture keeps the size the office gives it.\n"
        "                        The window's settings Caption, PicturesPerPage and\n"
        "                        FitToPage are not read: the command line alone decides.\n"
        "  --pause SECONDS       pause after each picture, in seconds (default 0).\n"
        "  --office CONNECTION   use a running office suite at this UNO connection, such as\n"
        "                        \"pipe,name=lumigrove;urp\"; it is left running. Without it a\n"
        "                        headless office is started and ended afterwards; the\n"
        "                        setting OfficeConnection is never read.\n"
        "  --timeout SECONDS     the longest the office may take to answer one call\n"
        "                        (default 60); past it the run ends and OUT is not written.\n"
        "                        Storing OUT may take 20 ms a picture longer.\n"
        "  --keep-open           leave the document open in the office suite as well.\n"
        "  -h, --help            show this text.\n"
        "\n"
        "Progress goes to standard error, one line per picture. The summary names the\n"
        "pictures inserted, the ones that failed, the files the folder search passed over\n"
        "(broken links, fifos, paths too long) and the seconds taken.\n"
        "\n"
        "Exit status: 0 when every picture went in and OUT was written; 2 for bad usage;\n"
        "1 otherwise (a picture failed, no office suite found, OUT not written); 130, 143\n"
        "or 129 when interrupted by SIGINT, SIGTERM or SIGHUP (OUT is then left as it was).\n");
}

ParsedCommandLine parseBatchCommandLine(const QStringList& arguments) {
    ParsedCommandLine parsed;
    BatchOptions& options = parsed.options;
    auto refuse = [&](const QString& message) {
        parsed.action = ParsedCommandLine::Action::Refuse;
        parsed.message = message;
        return parsed;
    };
    bool onlyPaths = false;
    bool haveOut = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (onlyPaths || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            options.paths.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            onlyPaths = true;
            continue;
        }
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            parsed.action = ParsedCommandLine::Action::Help;
            return parsed;
        }
        if (arg == QLatin1String("--keep-open")) {
            options.keepOpen = true;
            continue;
        }
        if (arg == QLatin1String("--fit")) {
            options.layout.fitToPage = true;
            continue;
        }
        // Options with a value take it from the next argument or after "=".
        QString name = arg;
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('='));
            eq > 0 && arg.startsWith(QLatin1String("--"))) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
            inlineValue = true;
        }
        const bool known = name == QLatin1String("-o") || name == QLatin1String("--output") ||
                           name == QLatin1String("--ext") || name == QLatin1String("--sort") ||
                           name == QLatin1String("--pause") || name == QLatin1String("--office") ||
                           name == QLatin1String("--timeout") ||
                           name == QLatin1String("--caption") ||
                           name == QLatin1String("--per-page");
        if (!known) {
            return refuse(QStringLiteral("unknown option %1").arg(arg));
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                return refuse(QStringLiteral("option %1 needs a value").arg(name));
            }
            value = arguments.at(++i);
        }
        if (name == QLatin1String("-o") || name == QLatin1String("--output")) {
            if (value.isEmpty()) {
                return refuse(QStringLiteral("the output path is empty"));
            }
            options.outPath = value;
            haveOut = true;
        } else if (name == QLatin1String("--ext")) {
            if (value.isEmpty()) {
                return refuse(QStringLiteral("--ext needs an extension, such as jpg or *"));
            }
            options.extension = value;
        } else if (name == QLatin1String("--sort")) {
            if (value == QLatin1String("none")) {
                options.sort = PictureSort::None;
            } else if (value == QLatin1String("name")) {
                options.sort = PictureSort::Name;
            } else if (value == QLatin1String("date")) {
                options.sort = PictureSort::Date;
            } else {
                return refuse(
                    QStringLiteral("--sort needs name, date or none, not \"%1\"").arg(value));
            }
        } else if (name == QLatin1String("--caption")) {
            const std::optional<CaptionKind> kind = captionKindFromText(value);
            if (!kind || value != value.trimmed().toLower()) {
                return refuse(
                    QStringLiteral("--caption needs none, name or stem, not \"%1\"").arg(value));
            }
            options.layout.caption = *kind;
        } else if (name == QLatin1String("--per-page")) {
            const std::optional<int> count = picturesPerPageFromText(value);
            if (!count || value != value.trimmed()) {
                return refuse(QStringLiteral("--per-page needs 1, 2 or 4, not \"%1\"").arg(value));
            }
            options.layout.picturesPerPage = *count;
        } else if (name == QLatin1String("--pause")) {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (!ok || seconds < 0 || seconds > 3600) {
                return refuse(
                    QStringLiteral("--pause needs a number of seconds from 0 to 3600, not \"%1\"")
                        .arg(value));
            }
            options.pauseSeconds = seconds;
        } else if (name == QLatin1String("--timeout")) {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (!ok || !(seconds > 0) || seconds > 86400) {
                return refuse(QStringLiteral(
                                  "--timeout needs a number of seconds from 0 to 86400, not \"%1\"")
                                  .arg(value));
            }
            options.timeoutSeconds = seconds;
        } else {
            if (value.isEmpty()) {
                return refuse(
                    QStringLiteral("--office needs a connection, such as pipe,name=lumigrove;urp"));
            }
            options.officeConnection = value;
        }
    }
    if (!haveOut) {
        return refuse(QStringLiteral("no output file given (-o OUT)"));
    }
    if (!outputFormatFor(options.outPath, &options.format)) {
        return refuse(
            QStringLiteral("cannot store \"%1\": the output must end in .odt, .docx or .pdf")
                .arg(options.outPath));
    }
    if (options.paths.isEmpty()) {
        return refuse(QStringLiteral("no PATH given: name the pictures or folders to insert"));
    }
    parsed.action = ParsedCommandLine::Action::Run;
    return parsed;
}

QList<qsizetype> pictureOrder(const QStringList& paths, PictureSort sort) {
    switch (sort) {
    case PictureSort::Name:
        return nameOrder(paths);
    case PictureSort::Date:
        return dateTakenOrder(paths);
    case PictureSort::None:
        break;
    }
    QList<qsizetype> order(paths.size());
    for (qsizetype k = 0; k < order.size(); ++k) {
        order[k] = k;
    }
    return order;
}

namespace {

// The path with "." parts and doubled separators dropped; ".." stays, since a lexical
// ".." is not the kernel's when a symbolic link stands before it.
QString withoutDotParts(const QString& path) {
    QStringList kept;
    for (const QString& part : path.split(QLatin1Char('/'))) {
        if (!part.isEmpty() && part != QLatin1String(".")) {
            kept.append(part);
        }
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

QString resolved(const QString& path, const QString& cwd) {
    if (path.startsWith(QLatin1Char('/'))) {
        return withoutDotParts(path);
    }
    return withoutDotParts(cwd + QLatin1Char('/') + path);
}

bool statOf(const QString& path, struct stat& info) {
    return ::stat(encodeFileName(path).constData(), &info) == 0;
}

} // namespace

void resolvePaths(BatchOptions& options, const QString& cwd) {
    for (QString& path : options.paths) {
        path = resolved(path, cwd);
    }
    options.outPath = resolved(options.outPath, cwd);
}

QString callerWorkingFolder() {
    // By their bytes, like every other name: a folder's name need not be UTF-8.
    char* here = ::getcwd(nullptr, 0);
    const QString physical = here != nullptr ? decodeFileName(here) : QDir::currentPath();
    std::free(here);
    const QString shell = decodeFileName(qgetenv("PWD"));
    struct stat real {};
    struct stat named {};
    if (shell.startsWith(QLatin1Char('/')) && statOf(physical, real) && statOf(shell, named) &&
        real.st_dev == named.st_dev && real.st_ino == named.st_ino) {
        return shell;
    }
    return physical;
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    if (statOf(a, first) && statOf(b, second)) {
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    return a == b;
}

QString checkBatchInputs(const BatchOptions& options, FileSystem& disk) {
    for (const QString& path : options.paths) {
        if (!IsFolder(disk, path) && sameFile(path, options.outPath)) {
            return QStringLiteral("%1: the output is also one of the pictures; it would be "
                                  "overwritten")
                .arg(options.outPath);
        }
    }
    // The names may hold bytes that are not UTF-8: every look at the disk goes by their bytes.
    const QString folder = options.outPath.left(options.outPath.lastIndexOf(QLatin1Char('/')));
    const QString shownFolder = folder.isEmpty() ? QStringLiteral("/") : folder;
    struct stat info {};
    if (!statOf(shownFolder, info) || !S_ISDIR(info.st_mode)) {
        return QStringLiteral("%1: the output folder %2 does not exist")
            .arg(options.outPath, shownFolder);
    }
    if (::access(encodeFileName(shownFolder).constData(), W_OK | X_OK) != 0) {
        return QStringLiteral("%1: the output folder %2 cannot be written")
            .arg(options.outPath, shownFolder);
    }
    const bool exists = statOf(options.outPath, info);
    if (exists && S_ISDIR(info.st_mode)) {
        return QStringLiteral("%1: is a folder, not a file").arg(options.outPath);
    }
    if (exists && ::access(encodeFileName(options.outPath).constData(), W_OK) != 0) {
        return QStringLiteral("%1: the output file cannot be replaced").arg(options.outPath);
    }
    return {};
}
