#include "batch/BatchOptions.h"

#include "batch/BatchOptionTable.h"
#include "intake/PhotoDates.h"
#include "piclist/PictureOrder.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

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

// An option name as it is written: one letter after one dash, a word after two.
QString spelled(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

bool takesValue(const BatchOption& row) {
    return !row.option.valueName().isEmpty();
}

const BatchOption* optionNamed(const std::vector<BatchOption>& table, const QString& name) {
    for (const BatchOption& row : table) {
        if (row.option.names().contains(name)) {
            return &row;
        }
    }
    return nullptr;
}

struct MalformedOption {
    qsizetype at = 0;
    QString message;
};

// The first argument that is no option in the form the command takes, or the option at the end
// that lacks its value, with the command's own message. Values are passed over as the parser
// takes them: the next argument whatever it holds, "--" too.
std::optional<MalformedOption> firstMalformedOption(const QStringList& arguments,
                                                    const std::vector<BatchOption>& table) {
    // By hand, since the parser lists unknown options apart from a missing value, out of order.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            break;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            continue;
        }
        const bool word = arg.startsWith(QLatin1String("--"));
        // A value after "=" only in "--word=value": the parser would also read "-x=value".
        const qsizetype eq = word ? arg.indexOf(QLatin1Char('=')) : -1;
        const QString name = arg.mid(word ? 2 : 1, eq > 0 ? eq - 2 : -1);
        // A letter only as "-x" and a word only as "--word": the parser takes "-word", "--x" too.
        const BatchOption* row = (name.size() > 1) == word ? optionNamed(table, name) : nullptr;
        if (row == nullptr || (eq > 0 && !takesValue(*row))) {
            return MalformedOption{i, QStringLiteral("unknown option %1").arg(arg)};
        }
        if (takesValue(*row) && eq < 0 && ++i >= arguments.size()) {
            return MalformedOption{i - 1, QStringLiteral("option %1 needs a value").arg(arg)};
        }
    }
    return std::nullopt;
}

// The help text above the options, beginning with the blank line that helpText() does not put
// after the usage line; the PATHs' entry; and the text after the list.
constexpr char kHelpDescription[] =
    "\n"
    "Builds one word-processor document with one embedded picture per page (or 2, 4\n"
    "or a grid of them), in the order given, and stores it at OUT. Relative paths,\n"
    "of the PATHs, OUT and the template alike, are taken from the current folder.";
constexpr char kPathHelp[] =
    "a picture file, inserted as it is named, or a folder, searched with everything "
    "below it, level by level, for names matching \"*.EXT\" (names beginning with \"~\" "
    "and hidden archive files are left out): each PATH is taken as a drop on the list "
    "of the Lumigrove window. OUT itself is never taken as a picture.";
constexpr char kHelpClosing[] =
    "Progress goes to standard error, one line per picture. The summary names the\n"
    "pictures inserted, the ones that failed, the files the folder search passed\n"
    "over (broken links, fifos, paths too long) and the seconds taken.\n"
    "\n"
    "Exit status: 0 when every picture went in and OUT was written; 2 for bad usage;\n"
    "1 otherwise (a picture failed, no office suite found, OUT not written); 130,\n"
    "143 or 129 when interrupted by SIGINT, SIGTERM or SIGHUP (OUT is then left as\n"
    "it was).\n";

// Gives the parser the command's options, its description and the PATHs.
void describeCommand(QCommandLineParser& parser, const std::vector<BatchOption>& table) {
    parser.setApplicationDescription(QString::fromUtf8(kHelpDescription));
    for (const BatchOption& row : table) {
        parser.addOption(row.option);
    }
    // The usage line also names -o OUT, which every run needs.
    parser.addPositionalArgument(QStringLiteral("PATH"), QString::fromUtf8(kPathHelp),
                                 QStringLiteral("-o OUT PATH..."));
}

} // namespace

QString batchHelpText() {
    QCommandLineParser parser;
    describeCommand(parser, batchOptionTable());
    QString help = parser.helpText();
    // By hand, since helpText() names the program by argv[0], the path it was started by.
    const qsizetype options =
        help.lastIndexOf(QLatin1String(" [options]"), help.indexOf(QLatin1Char('\n')));
    help.replace(0, options, QStringLiteral("Usage: ") + QLatin1String(kBatchCommandName));
    return help + QLatin1Char('\n') + QString::fromUtf8(kHelpClosing);
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
    describeCommand(parser, table);
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
    // By hand, since the parser has no option that must be given.
    if (!parser.isSet(QStringLiteral("output"))) {
        return refuse(QStringLiteral("no output file given (-o OUT)"));
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
