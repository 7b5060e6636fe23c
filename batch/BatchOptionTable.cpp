#include "batch/BatchOptionTable.h"

#include <QFileInfo>
#include <QHash>

#include <optional>

namespace {

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

} // namespace

std::vector<BatchOption> batchOptionTable() {
    auto option = [](const QStringList& names, const QString& valueName, const char* help,
                     const ApplyOption& apply) {
        return BatchOption{QCommandLineOption(names, QString::fromUtf8(help), valueName), apply};
    };
    const QString seconds = QStringLiteral("SECONDS");
    return {
        option({"o", "output"}, "OUT",
               "the document to write; its extension chooses the format: "
               ".odt (OpenDocument text), .docx (Word 2007 XML), .pdf. "
               "OUT is written under a temporary name beside it and renamed "
               "into place only when complete, and only when at least "
               "one picture went in; OUT may not be one of the PATHs. "
               "A link as OUT is written through, and a file replaced "
               "keeps its mode, owner and group. "
               "A PDF keeps the pictures as they go in: JPEGs byte for "
               "byte, the others without loss (see --picture-size).",
               [](BatchOptions& options, const QString& value, const QString&) {
                   if (value.isEmpty()) {
                       return QStringLiteral("the output path is empty");
                   }
                   options.outPath = value;
                   return QString();
               }),
        option({"ext"}, "EXT",
               "extension searched for in folders (default \"*\": every file; "
               "matched without regard to case).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   if (value.isEmpty()) {
                       return QStringLiteral("%1 needs an extension, such as jpg or *").arg(shown);
                   }
                   options.extension = value;
                   return QString();
               }),
        option({"sort"}, "ORDER",
               "the order the pictures go in: \"none\" (default) as named "
               "and found; \"name\" by file name, numbers by their value "
               "(img2 before img10) and without regard to case; \"date\" by "
               "the date taken (EXIF DateTimeOriginal of JPEG and TIFF "
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
               "a caption under each picture, in the document's \"Caption\" "
               "paragraph style: \"none\" (default), \"name\" (the file "
               "name), \"stem\" (the file name without its extension), or "
               "a pattern of text and fields such as \"{n}. {stem}, {date}\": "
               "{name}, {stem}, {folder} (the folder's name), {date} (the "
               "date taken, as --sort date reads it, in the locale's short "
               "form), {description} (the photo's EXIF or XMP description) "
               "and {n} (the picture's number, the office's own figure "
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
               "pictures on each page: 1 (default), 2 (one above the "
               "other), 4 (two rows of two, in a table) or a grid of "
               "COLUMNSxROWS in a table, from 1x1 to 6x8 (such as 3x4); "
               "each picture is shrunk, aspect kept, to fit its share "
               "of the page.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   QString problem;
                   if (value == value.trimmed() &&
                       readPicturesPerPage(value, options.layout, &problem)) {
                       return QString();
                   }
                   return QStringLiteral("%1 needs 1, 2, 4 or a grid, not \"%2\": %3")
                       .arg(shown, value,
                            problem.isEmpty() ? QStringLiteral("it is written without spaces")
                                              : problem);
               }),
        option({"fit"}, {},
               "scale every picture up or down, aspect kept, to the "
               "largest size that fits the page (or its share of it). "
               "Without it a picture keeps the size the office gives it. "
               "The window's settings (Caption, PicturesPerPage, "
               "FitToPage and the page settings) are not read: the "
               "command line alone decides.",
               [](BatchOptions& options, const QString&, const QString&) {
                   options.layout.fitToPage = true;
                   return QString();
               }),
        option({"paper"}, "SIZE",
               "the paper of the pages: a4, a5, letter, legal or "
               "WIDTHxHEIGHTmm (such as 210x297mm). Without it the pages "
               "are the office's default (or the template's).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(paperSizeFromText(value), value == value.trimmed(),
                                 options.layout.page.paper.emplace(), shown,
                                 "a4, a5, letter, legal or WIDTHxHEIGHTmm (10 to 3000 mm)", value);
               }),
        option({"orientation"}, "WAY",
               "how the pages stand: portrait, landscape, or auto: each "
               "page turned to its picture, landscape for a picture wider "
               "than tall (the page style \"Landscape\"); auto takes one "
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
               "make the document from this .ott or .odt file: its page "
               "style, header, footer and \"Caption\" style; the pictures "
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
               "pixels kept an inch of the page: \"original\" (default: every "
               "picture as it is), \"print\" (220 ppi), \"screen\" (150), "
               "\"email\" (96) or NNNppi. A picture with more pixels than "
               "that at the size it takes on its page is made smaller (a "
               "JPEG; a PNG where it has transparency), never larger, and "
               "keeps its size on the page.",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(pictureSizeFromText(value), value == value.trimmed().toLower(),
                                 options.pictures.pixelsPerInch, shown,
                                 "original, print, screen, email or NNNppi (1 to 2400)", value);
               }),
        option({"jpeg-quality"}, "N",
               "the quality of the JPEGs written for pictures made smaller "
               "or converted, from 1 to 100 (default 85).",
               [](BatchOptions& options, const QString& value, const QString& shown) {
                   return chosen(jpegQualityFromText(value), value == value.trimmed(),
                                 options.pictures.jpegQuality, shown, "a number from 1 to 100",
                                 value);
               }),
        option({"strip-metadata"}, {},
               "remove from every picture its GPS position, camera and lens "
               "serial numbers, maker notes, embedded thumbnail, XMP and "
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
               "use a running office suite at this UNO connection, such as "
               "\"pipe,name=lumigrove;urp\"; it is left running. Without it a "
               "headless office is started and ended afterwards; the "
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
               "the longest the office may take to answer one call "
               "(default 60); past it the run ends and OUT is not written. "
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
