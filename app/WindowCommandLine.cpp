#include "app/WindowCommandLine.h"

#include "core/ProgramVersion.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace {

constexpr char kHelp[] =
    "Usage: lumigrove [--help] [--version]\n"
    "\n"
    "Opens the Lumigrove window: collect picture files in its list, put them in order\n"
    "and press \"Start Inserting Images\" to build a LibreOffice Writer document of them,\n"
    "one picture a page (or 2, 4 or a grid of them). The document stays open in Writer\n"
    "to be edited and saved. To store documents without the window, see\n"
    "lumigrove-batch --help.\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this text.\n"
    "  --version    show the program's name and version.\n"
    "\n"
    "Qt's own options (-platform, -display, -style) are taken as well.\n";

} // namespace

std::optional<int> answerWindowCommandLine(const QStringList& arguments, QTextStream& out) {
    QCommandLineParser parser;
    // "-platformtheme" is one of Qt's words, not the letters -p -l ... -h of a help request.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    // Qt's own options are unknown here; the parser still reads the two it knows.
    parser.parse(arguments);
    if (parser.isSet(help)) {
        out << kHelp;
        out.flush();
        return 0;
    }
    if (parser.isSet(version)) {
        out << "lumigrove " << programVersion() << Qt::endl;
        return 0;
    }
    return std::nullopt;
}
