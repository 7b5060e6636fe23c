#include "batch/BatchOptions.h"

#include "core/FileNames.h"
#include "intake/AddFolder.h"
#include "intake/FileSystem.h"
#include "intake/PhotoDates.h"
#include "piclist/PictureOrder.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

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

int storeTimeLimitMs(double timeoutSeconds, int pictures, qint64 pictureBytes) {
    constexpr double kStoreMsPerPicture = 20.0;
    constexpr double kStoreMsPerMegabyte = 100.0;
    const double limit = timeoutSeconds * 1000.0 + kStoreMsPerPicture * std::max(pictures, 0) +
                         kStoreMsPerMegabyte * double(std::max<qint64>(pictureBytes, 0)) / 1e6;
    return static_cast<int>(std::min(limit, double(std::numeric_limits<int>::max())));
}

namespace {

// What an option does with the value it was given (empty for an option without one): stores
// it in the options, or returns why it is refused. `shown` is the option as messages name it.
using ApplyOption =
    std::function<QString(BatchOptions& options, const QString& value, const QString& shown)>;

// One option of the command line: its names, value name and help text, and what it does. The
// option without `apply` asks for the help text; one with `whenMissing` must be given, and
// that message (with its usage term for %1) refuses a command line without it.
struct BatchOption {
    QCommandLineOption option;
    ApplyOption apply;
    QString whenMissing;
};

// Stores a value that names one of the choices, written exactly as the choice is, or refuses
// it: "--option needs CHOICES, not "VALUE"".
template <typename T>
QString chosen(const std::optional<T>& choice, bool exact, T& into, const QString& shown,
               const char* choices, const QString& value) {
    if (!choice || !exact) {
        return QStringLiteral("%1 needs %2, not \"%3\"")
            .arg(shown, QString::fromUtf8(choices), value);
    }
    into = *choice;
    return QString();
}

// Every option of the command, in the order the help text lists them.
std::vector<BatchOption> batchOptionTable() {
    auto option = [](const QStringList& names, const QString& valueName, const char* help,
                     const ApplyOption& apply, const QString& whenMissing = QString()) {
        return BatchOption{QCommandLineOption(names, QString::fromUtf8(help), valueName), apply,
                           whenMissing};
    };
    const QString seconds = QStringLiteral("SECONDS");
    return {
        option(
            {"o", "output"}, "OUT",
            "the document to write; its extension chooses the format:\n"
            ".odt (OpenDocument text), .docx (Word 2007 XML), .pdf.\n"
            "OUT is written under a temporary name beside it and renamed\n"
            "into place only when complete, and only when at least\n"
            "one picture went in; OUT may not be one of the PATHs.\n"
            "A link as OUT is written through, and a file replaced\n"
            "keeps its mode, owner and group.\n"
            "A PDF keeps the pictures as they go in: JPEGs byte for\n"
            "byte, the others without loss (see --picture-size).",
            [](BatchOptions& options, const QString& value, const QString&) {
                if (value.isEmpty()) {
                    return QStringLiteral("the output path is empty");
                }
                options.outPath = value;
                return QString();
            },
            QStringLiteral("no output file given (%1)")),
        option({"ext"}, "EXT",
               "extension searched for in folders (default \"*\": every file;\n"
               "matched without regard to case).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   if (value.isEmpty()) {
                       return QStringLiteral("%1 needs an extension, such as jpg or *").arg(shown);
                   }
                   options.extension = value;
                   return QString();
               }),
        option({"sort"}, "ORDER",
               "the order the pictures go in: \"none\" (default) as named\n"
               "and found; \"name\" by file name, numbers by their value\n"
               "(img2 before img10) and without regard to case; \"date\" by\n"
               "the date taken (EXIF DateTimeOriginal of JPEG and TIFF\n"
               "files, else the modification time), files with neither last.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   static const QHash<QString, PictureSort> orders{{"none", PictureSort::None},
                                                                   {"name", PictureSort::Name},
                                                                   {"date", PictureSort::Date}};
                   const auto order = orders.contains(value)
                                          ? std::optional<PictureSort>(orders.value(value))
                                          : std::nullopt;
                   return chosen(order, true, options.sort, shown, "name, date or none", value);
               }),
        option({"caption"}, "CAPTION",
               "a caption under each picture, in the document's \"Caption\"\n"
               "paragraph style: \"none\" (default), \"name\" (the file\n"
               "name), \"stem\" (the file name without its extension), or\n"
               "a pattern of text and fields such as \"{n}. {stem}, {date}\":\n"
               "{name}, {stem}, {folder} (the folder's name), {date} (the\n"
               "date taken, as --sort date reads it, in the locale's short\n"
               "form), {description} (the photo's EXIF or XMP description)\n"
               "and {n} (the picture's number, the office's own figure\n"
               "number); \"{{\" and \"}}\" write a brace.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   if (const auto kind = captionKindFromText(value)) {
                       return chosen(kind, value == value.trimmed().toLower(),
                                     options.layout.caption, shown, "none, name or stem", value);
                   }
                   QString problem;
                   if (!readCaption(value, options.layout, &problem)) {
                       return QStringLiteral("%1 needs none, name or stem, or a pattern with "
                                             "fields such as \"{n}. {stem}\", not \"%2\": %3")
                           .arg(shown, value, problem);
                   }
                   return QString();
               }),
        option({"per-page"}, "N|CxR",
               "pictures on each page: 1 (default), 2 (one above the\n"
               "other), 4 (two rows of two, in a table) or a grid of\n"
               "COLUMNSxROWS in a table, from 1x1 to 6x8 (such as 3x4);\n"
               "each picture is shrunk, aspect kept, to fit its share\n"
               "of the page.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   QString problem;
                   if (value == value.trimmed() &&
                       readPicturesPerPage(value, options.layout, &problem)) {
                       return QString();
                   }
                   return QStringLiteral("%1 needs 1, 2 or 4, not \"%2\": %3")
                       .arg(shown, value,
                            problem.isEmpty() ? QStringLiteral("it is written without spaces")
                                              : problem);
               }),
        option({"fit"}, {},
               "scale every picture up or down, aspect kept, to the\n"
               "largest size that fits the page (or its share of it).\n"
               "Without it a picture keeps the size the office gives it.\n"
               "The window's settings (Caption, PicturesPerPage,\n"
               "FitToPage and the page settings) are not read: the\n"
               "command line alone decides.",
               [](BatchOptions& options, const QString&, const QString&) {
                   options.layout.fitToPage = true;
                   return QString();
               }),
        option({"paper"}, "SIZE",
               "the paper of the pages: a4, a5, letter, legal or\n"
               "WIDTHxHEIGHTmm (such as 210x297mm). Without it the pages\n"
               "are the office's default (or the template's).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(paperSizeFromText(value), value == value.trimmed(),
                                 options.layout.page.paper.emplace(), shown,
                                 "a4, a5, letter, legal or WIDTHxHEIGHTmm (10 to 3000 mm)", value);
               }),
        option({"orientation"}, "WAY",
               "how the pages stand: portrait, landscape, or auto: each\n"
               "page turned to its picture, landscape for a picture wider\n"
               "than tall (the page style \"Landscape\"); auto takes one\n"
               "picture a page.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(pageOrientationFromText(value), value == value.trimmed().toLower(),
                                 options.layout.page.orientation, shown,
                                 "portrait, landscape or auto", value);
               }),
        option({"margin"}, "MM", "all four page margins, in millimetres (such as 12.5).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(marginFromText(value), value == value.trimmed(),
                                 options.layout.page.margin.emplace(), shown,
                                 "a number of millimetres from 0 to 1000", value);
               }),
        option({"template"}, "FILE",
               "make the document from this .ott or .odt file: its page\n"
               "style, header, footer and \"Caption\" style; the pictures\n"
               "go after what it holds. The file itself is not changed.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   const QString suffix = QFileInfo(value).suffix().toLower();
                   if (suffix != QLatin1String("ott") && suffix != QLatin1String("odt")) {
                       return QStringLiteral("%1 needs a .ott or .odt file, not \"%2\"")
                           .arg(shown, value);
                   }
                   options.layout.page.templatePath = value;
                   return QString();
               }),
        option({"picture-size"}, "SIZE",
               "pixels kept an inch of the page: \"original\" (default: every\n"
               "picture as it is), \"print\" (220 ppi), \"screen\" (150),\n"
               "\"email\" (96) or NNNppi. A picture with more pixels than\n"
               "that at the size it takes on its page is made smaller (a\n"
               "JPEG; a PNG where it has transparency), never larger, and\n"
               "keeps its size on the page.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(pictureSizeFromText(value), value == value.trimmed().toLower(),
                                 options.pictures.pixelsPerInch, shown,
                                 "original, print, screen, email or NNNppi (1 to 2400)", value);
               }),
        option({"jpeg-quality"}, "N",
               "the quality of the JPEGs written for pictures made smaller\n"
               "or converted, from 1 to 100 (default 85).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(jpegQualityFromText(value), value == value.trimmed(),
                                 options.pictures.jpegQuality, shown, "a number from 1 to 100",
                                 value);
               }),
        option({"strip-metadata"}, {},
               "remove from every picture its GPS position, camera and lens\n"
               "serial numbers, maker notes, embedded thumbnail, XMP and\n"
               "comments; a JPEG keeps its image data byte for byte.",
               [](BatchOptions& options, const QString&, const QString&) {
                   options.pictures.stripMetadata = true;
                   return QString();
               }),
        option({"pause"}, seconds, "pause after each picture, in seconds (default 0).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   bool ok = false;
                   const double pause = value.toDouble(&ok);
                   if (!ok || pause < 0 || pause > 3600) {
                       return QStringLiteral(
                                  "%1 needs a number of seconds from 0 to 3600, not \"%2\"")
                           .arg(shown, value);
                   }
                   options.pauseSeconds = pause;
                   return QString();
               }),
        option({"office"}, "CONNECTION",
               "use a running office suite at this UNO connection, such as\n"
               "\"pipe,name=lumigrove;urp\"; it is left running. Without it a\n"
               "headless office is started and ended afterwards; the\n"
               "setting OfficeConnection is never read.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   if (value.isEmpty()) {
                       return QStringLiteral(
                                  "%1 needs a connection, such as pipe,name=lumigrove;urp")
                           .arg(shown);
                   }
                   options.officeConnection = value;
                   return QString();
               }),
        option({"timeout"}, seconds,
               "the longest the office may take to answer one call\n"
               "(default 60); past it the run ends and OUT is not written.\n"
               "Storing OUT may take 20 ms a picture longer.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   bool ok = false;
                   const double limit = value.toDouble(&ok);
                   if (!ok || !(limit > 0) || limit > 86400) {
                       return QStringLiteral(
                                  "%1 needs a number of seconds from 0 to 86400, not \"%2\"")
                           .arg(shown, value);
                   }
                   options.timeoutSeconds = limit;
                   return QString();
               }),
        option({"keep-open"}, {}, "leave the document open in the office suite as well.",
               [](BatchOptions& options, const QString&, const QString&) {
                   options.keepOpen = true;
                   return QString();
               }),
        option({"h", "help"}, {}, "show this text.", {}),
        option({"version"}, {}, "show the program's name and version.", {}),
    };
}

// An option name as it is written: one letter after one dash, a word after two.
QString spelled(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

bool takesValue(const BatchOption& row) {
    return !row.option.valueName().isEmpty();
}

// The term of the usage lines, such as "-x VALUE"; also in the message that it is missing.
QString usageTerm(const BatchOption& row) {
    const QString name = spelled(row.option.names().constFirst());
    return takesValue(row) ? name + QLatin1Char(' ') + row.option.valueName() : name;
}

// The term of the list of options, such as "-x, --word VALUE".
QString helpTerm(const BatchOption& row) {
    QStringList names = row.option.names();
    std::transform(names.begin(), names.end(), names.begin(), spelled);
    const QString joined = names.join(QStringLiteral(", "));
    return takesValue(row) ? joined + QLatin1Char(' ') + row.option.valueName() : joined;
}

const BatchOption* optionSpelled(const std::vector<BatchOption>& table, const QString& text) {
    for (const BatchOption& row : table) {
        for (const QString& name : row.option.names()) {
            if (spelled(name) == text) {
                return &row;
            }
        }
    }
    return nullptr;
}

const BatchOption* optionNamed(const std::vector<BatchOption>& table, const QString& name) {
    return optionSpelled(table, spelled(name));
}

struct MalformedOption {
    qsizetype at = 0;
    QString message;
};

// The first argument that is no option in the form the command takes, or the option at the end
// that lacks its value. The command takes a one-letter option only as "-x", a word only as
// "--word", and a value after "=" only in the second form, where QCommandLineParser would also
// take "-word", "--x" and "-x=value"; and it answers the first fault in the order given, which
// the parser's list of unknown options does not tell. Values are passed over as the parser
// takes them: the next argument whatever it holds, "--" too.
std::optional<MalformedOption> firstMalformedOption(const QStringList& arguments,
                                                    const std::vector<BatchOption>& table) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            break;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            continue;
        }
        const qsizetype eq =
            arg.startsWith(QLatin1String("--")) ? arg.indexOf(QLatin1Char('=')) : -1;
        const QString name = eq > 0 ? arg.left(eq) : arg;
        const BatchOption* row = optionSpelled(table, name);
        if (row == nullptr || (eq > 0 && !takesValue(*row))) {
            return MalformedOption{i, QStringLiteral("unknown option %1").arg(arg)};
        }
        if (takesValue(*row) && eq < 0 && ++i >= arguments.size()) {
            return MalformedOption{i - 1, QStringLiteral("option %1 needs a value").arg(name)};
        }
    }
    return std::nullopt;
}

// Lines of `items` separated by spaces, none past 80 columns unless one item alone is, the
// lines after the first indented to its second item.
QString wrapped(const QStringList& items) {
    const QString indent(items.constFirst().size() + 1, QLatin1Char(' '));
    QString text = items.constFirst();
    qsizetype lineStart = 0;
    for (qsizetype k = 1; k < items.size(); ++k) {
        if (text.size() - lineStart + 1 + items.at(k).size() > 80) {
            text += QLatin1Char('\n');
            lineStart = text.size();
            text += indent + items.at(k);
        } else {
            text += QLatin1Char(' ') + items.at(k);
        }
    }
    return text;
}

// The help text around the usage lines and the list of options.
constexpr char kHelpDescription[] =
    "Builds one word-processor document with one embedded picture per page (or 2, 4 or\n"
    "a grid of them), in the order given, and stores it at OUT.\n"
    "\n"
    "Each PATH is taken as a drop on the list of the Lumigrove window: a file is\n"
    "inserted as it is named; a folder is searched with everything below it, level by\n"
    "level, for names matching \"*.EXT\" (names beginning with \"~\" and hidden archive\n"
    "files are left out). Relative paths are taken from the current folder. OUT itself\n"
    "is never taken as a picture.\n";
constexpr char kHelpClosing[] =
    "Progress goes to standard error, one line per picture. The summary names the\n"
    "pictures inserted, the ones that failed, the files the folder search passed over\n"
    "(broken links, fifos, paths too long) and the seconds taken.\n"
    "\n"
    "Exit status: 0 when every picture went in and OUT was written; 2 for bad usage;\n"
    "1 otherwise (a picture failed, no office suite found, OUT not written); 130, 143\n"
    "or 129 when interrupted by SIGINT, SIGTERM or SIGHUP (OUT is then left as it was).\n";

} // namespace

QString batchHelpText() {
    // The usage lines name the optional options in brackets, then those that must be given;
    // the list gives each option's terms at column 3 and its text at column 25.
    QStringList usage{QStringLiteral("Usage: lumigrove-batch")};
    QStringList required;
    QString options;
    const QString textIndent(24, QLatin1Char(' '));
    for (const BatchOption& row : batchOptionTable()) {
        if (!row.whenMissing.isEmpty()) {
            required.append(usageTerm(row));
        } else if (row.apply) {
            usage.append(QLatin1Char('[') + usageTerm(row) + QLatin1Char(']'));
        }
        QString text = row.option.description();
        options += QStringLiteral("  ") + helpTerm(row).leftJustified(22) +
                   text.replace(QLatin1Char('\n'), QLatin1Char('\n') + textIndent) +
                   QLatin1Char('\n');
    }
    usage << required << QStringLiteral("PATH...");
    return wrapped(usage) + QStringLiteral("\n\n") + QString::fromUtf8(kHelpDescription) +
           QStringLiteral("\nOptions:\n") + options + QLatin1Char('\n') +
           QString::fromUtf8(kHelpClosing);
}

ParsedCommandLine parseBatchCommandLine(const QStringList& arguments) {
    ParsedCommandLine parsed;
    auto refuse = [&](const QString& message) {
        parsed.action = ParsedCommandLine::Action::Refuse;
        parsed.message = message;
        return parsed;
    };
    const std::vector<BatchOption> table = batchOptionTable();
    // The parser reads the arguments before the first malformed one, where it refuses them.
    const std::optional<MalformedOption> malformed = firstMalformedOption(arguments, table);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const BatchOption& row : table) {
        parser.addOption(row.option);
    }
    QStringList wellFormed = arguments.mid(0, malformed ? malformed->at : arguments.size());
    if (wellFormed.isEmpty()) {
        wellFormed.append(QString()); // the program's name, which the parser passes over
    }
    if (!parser.parse(wellFormed)) {
        return refuse(parser.errorText());
    }
    // Each option in the order given, so that the first fault is the one named; of an option
    // given twice, the later value holds.
    QHash<const BatchOption*, qsizetype> valuesTaken;
    for (const QString& name : parser.optionNames()) {
        const BatchOption* row = optionNamed(table, name);
        if (!row->apply) {
            parsed.action = name == QLatin1String("version") ? ParsedCommandLine::Action::Version
                                                             : ParsedCommandLine::Action::Help;
            return parsed;
        }
        const QString value =
            takesValue(*row) ? parser.values(row->option).at(valuesTaken[row]++) : QString();
        const QString shown = spelled(row->option.names().constLast());
        if (const QString problem = row->apply(parsed.options, value, shown); !problem.isEmpty()) {
            return refuse(problem);
        }
    }
    if (malformed) {
        return refuse(malformed->message);
    }
    for (const BatchOption& row : table) {
        if (!row.whenMissing.isEmpty() && !parser.isSet(row.option)) {
            return refuse(row.whenMissing.arg(usageTerm(row)));
        }
    }
    BatchOptions& options = parsed.options;
    options.paths = parser.positionalArguments();
    if (!outputFormatFor(options.outPath, &options.format)) {
        return refuse(
            QStringLiteral("cannot store \"%1\": the output must end in .odt, .docx or .pdf")
                .arg(options.outPath));
    }
    if (options.paths.isEmpty()) {
        return refuse(QStringLiteral("no PATH given: name the pictures or folders to insert"));
    }
    if (const QString problem = pageSetupProblem(options.layout); !problem.isEmpty()) {
        return refuse(problem);
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
    QString& templatePath = options.layout.page.templatePath;
    if (!templatePath.isEmpty()) {
        templatePath = resolved(templatePath, cwd);
    }
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

QString outputTarget(const QString& outPath) {
    // As many links as the kernel follows in one path.
    constexpr int kMostLinks = 40;
    QString path = outPath;
    for (int links = 0; links <= kMostLinks; ++links) {
        const QByteArray bytes = encodeFileName(path);
        struct stat info {};
        if (::lstat(bytes.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        QByteArray target(std::max<qsizetype>(info.st_size, 255) + 1, Qt::Uninitialized);
        const ssize_t length = ::readlink(bytes.constData(), target.data(), target.size());
        if (length <= 0 || length == target.size()) {
            return {};
        }
        target.truncate(length);
        const QString next = decodeFileName(target);
        path = next.startsWith(QLatin1Char('/'))
                   ? next
                   : path.left(path.lastIndexOf(QLatin1Char('/')) + 1) + next;
    }
    return {};
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
    struct stat info {};
    if (const QString& templatePath = options.layout.page.templatePath; !templatePath.isEmpty()) {
        if (!statOf(templatePath, info)) {
            return QStringLiteral("%1: the template does not exist").arg(templatePath);
        }
        if (!S_ISREG(info.st_mode)) {
            return QStringLiteral("%1: the template is not a file").arg(templatePath);
        }
        if (::access(encodeFileName(templatePath).constData(), R_OK) != 0) {
            return QStringLiteral("%1: the template cannot be read").arg(templatePath);
        }
        // The office takes an empty file for a new document: the template would be lost
        // without a word.
        if (info.st_size == 0) {
            return QStringLiteral("%1: the template is empty").arg(templatePath);
        }
    }
    // A link as OUT is written through: the file at its end is replaced, in its own folder.
    const QString target = outputTarget(options.outPath);
    if (target.isEmpty()) {
        return QStringLiteral("%1: the output is a symbolic link that cannot be followed")
            .arg(options.outPath);
    }
    const QString folder = target.left(target.lastIndexOf(QLatin1Char('/')));
    const QString shownFolder = folder.isEmpty() ? QStringLiteral("/") : folder;
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
