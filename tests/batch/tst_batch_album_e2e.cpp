// The album options of lumigrove-batch against a real headless office suite, checked in the
// stored documents: captions under their pictures in the "Caption" style, two and four
// pictures to a page (ODT layout, PDF pages), fitted pictures within the text area, and the
// default options giving the document they always gave.
#include "builder/uno/UnoLink.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "builder/uno/Writer1.h"
#include "core/FileNames.h"
#include "tests/batch/InProcessBatch.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/support/ExifPictures.h"
#include "tests/support/RemoveTreeByBytes.h"
#include "tests/support/TestFiles.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/text/XDocumentIndex.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XRefreshable.hpp>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSizeF>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

namespace {

int pdfPages(const QString& path) {
    const QString info = QString::fromUtf8(commandOutput(QStringLiteral("pdfinfo"), {path}));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// An ODF length ("0.4165in", "2cm", "20mm", "12pt") in inches.
double inches(QStringView length) {
    static const QList<std::pair<QString, double>> units{
        {"in", 1.0}, {"cm", 1 / 2.54}, {"mm", 1 / 25.4}, {"pt", 1 / 72.0}};
    for (const auto& [unit, factor] : units) {
        if (length.endsWith(unit)) {
            return length.chopped(unit.size()).toDouble() * factor;
        }
    }
    return std::nan("");
}

// The lines of a table of figures that the office makes over the ODT at `odt`, below its title.
QStringList tableOfFigures(const QString& connection, const QString& odt) {
    const auto link = UnoOfficeBridge::connectToOffice(connection);
    return link->call([&] {
        css::uno::Sequence<css::beans::PropertyValue> hidden(1);
        hidden.getArray()[0] = NewPropertyValue(QStringLiteral("Hidden"), true);
        const css::uno::Reference<css::text::XTextDocument> document(
            css::frame::Desktop::create(link->context())
                ->loadComponentFromURL(toOUString(QUrl::fromLocalFile(odt).toString()), "_blank", 0,
                                       hidden),
            css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::text::XDocumentIndex> index(
            css::uno::Reference<css::lang::XMultiServiceFactory>(document,
                                                                 css::uno::UNO_QUERY_THROW)
                ->createInstance("com.sun.star.text.IllustrationsIndex"),
            css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::beans::XPropertySet> settings(index,
                                                                     css::uno::UNO_QUERY_THROW);
        settings->setPropertyValue("CreateFromLabels", css::uno::Any(true));
        settings->setPropertyValue("LabelCategory", css::uno::Any(rtl::OUString("Figure")));
        document->getText()->insertTextContent(
            document->getText()->getEnd(),
            css::uno::Reference<css::text::XTextContent>(index, css::uno::UNO_QUERY_THROW), false);
        css::uno::Reference<css::util::XRefreshable>(index, css::uno::UNO_QUERY_THROW)->refresh();
        const QStringList lines = fromOUString(index->getAnchor()->getString()).split('\n');
        css::uno::Reference<css::util::XCloseable>(document, css::uno::UNO_QUERY_THROW)
            ->close(true);
        return lines.mid(1);
    });
}

// The body of a stored ODT as the user would see it: its pictures with their sizes, its
// captions, its tables and where its pages begin.
struct Album {
    struct Picture {
        QSizeF size; // inches
        int page = 0;
        int table = -1;  // -1 outside every table
        int cell = -1;   // in row order, from 0
        QString caption; // the text of the Caption paragraph right after it, if any
        QString pageStyle;
    };
    // A page style as stored: its paper and margins (inches), how it prints, its header.
    struct PageStyle {
        QSizeF paper;
        QString orientation;
        QList<double> margins; // top, bottom, left, right
        QString header;
        QSizeF textArea() const {
            return paper -
                   QSizeF(margins.value(2) + margins.value(3), margins.value(0) + margins.value(1));
        }
    };
    QHash<QString, PageStyle> pageStyles;
    QList<Picture> pictures;
    int pages = 1;
    int tables = 0;
    QStringList captionParagraphs;
    QSizeF textArea; // inches

    static Album read(const QString& odt) {
        Album album;
        album.readBody(QString::fromUtf8(commandOutput("unzip", {"-p", odt, "content.xml"})));
        album.readPage(QString::fromUtf8(commandOutput("unzip", {"-p", odt, "styles.xml"})));
        return album;
    }

    void readBody(const QString& xml) {
        QXmlStreamReader reader(xml);
        QSet<QString> breaks;
        QSet<QString> captionStyles{QStringLiteral("Caption")};
        QHash<QString, QString> masterPages;
        QString pageStyle = QStringLiteral("Standard");
        bool firstParagraph = true;
        QString style;
        int cell = -1;
        bool lastWasPicture = false;
        bool inTable = false;
        while (!reader.atEnd()) {
            const auto token = reader.readNext();
            if (token == QXmlStreamReader::EndElement &&
                reader.qualifiedName() == QLatin1String("table:table")) {
                inTable = false;
                cell = -1;
                continue;
            }
            if (token != QXmlStreamReader::StartElement) {
                continue;
            }
            const auto name = reader.qualifiedName();
            const auto attr = [&](const char* key) {
                return reader.attributes().value(QLatin1String(key)).toString();
            };
            if (name == QLatin1String("style:style")) {
                style = attr("style:name");
                if (!attr("style:master-page-name").isEmpty()) {
                    masterPages.insert(style, attr("style:master-page-name"));
                }
                if (attr("style:parent-style-name") == QLatin1String("Caption")) {
                    captionStyles.insert(style);
                }
            } else if ((name == QLatin1String("style:paragraph-properties") ||
                        name == QLatin1String("style:table-properties")) &&
                       attr("fo:break-before") == QLatin1String("page")) {
                breaks.insert(style);
            } else if (name == QLatin1String("table:table")) {
                ++tables;
                inTable = true;
                cell = -1;
                if (breaks.contains(attr("table:style-name"))) {
                    ++pages;
                }
            } else if (name == QLatin1String("table:table-cell")) {
                ++cell;
            } else if (name == QLatin1String("text:p")) {
                const QString paragraphStyle = attr("text:style-name");
                if (breaks.contains(paragraphStyle)) {
                    ++pages;
                }
                // A page style of its own starts a page, but on the document's first paragraph.
                if (masterPages.contains(paragraphStyle)) {
                    pageStyle = masterPages.value(paragraphStyle);
                    pages += firstParagraph || breaks.contains(paragraphStyle) ? 0 : 1;
                }
                firstParagraph = false;
                if (captionStyles.contains(paragraphStyle)) {
                    const QString text =
                        reader.readElementText(QXmlStreamReader::IncludeChildElements);
                    captionParagraphs.append(text);
                    if (lastWasPicture) {
                        pictures.last().caption = text;
                    }
                    lastWasPicture = false;
                    continue;
                }
                lastWasPicture = false;
            } else if (name == QLatin1String("draw:frame")) {
                Picture picture;
                picture.size = QSizeF(inches(reader.attributes().value("svg:width")),
                                      inches(reader.attributes().value("svg:height")));
                picture.page = pages;
                picture.table = inTable ? tables - 1 : -1;
                picture.cell = cell;
                picture.pageStyle = pageStyle;
                pictures.append(picture);
                lastWasPicture = true;
            }
        }
    }

    void readPage(const QString& xml) {
        QXmlStreamReader reader(xml);
        QHash<QString, PageStyle> layouts;
        QString layout;
        QString master;
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            const auto a = reader.attributes();
            const auto name = reader.qualifiedName();
            if (name == QLatin1String("style:page-layout")) {
                layout = a.value("style:name").toString();
            } else if (name == QLatin1String("style:page-layout-properties")) {
                PageStyle& page = layouts[layout];
                page.paper =
                    QSizeF(inches(a.value("fo:page-width")), inches(a.value("fo:page-height")));
                page.orientation = a.value("style:print-orientation").toString();
                for (const char* side : {"top", "bottom", "left", "right"}) {
                    page.margins.append(inches(a.value(QStringLiteral("fo:margin-") + side)));
                }
            } else if (name == QLatin1String("style:master-page")) {
                master = a.value("style:name").toString();
                pageStyles.insert(master,
                                  layouts.value(a.value("style:page-layout-name").toString()));
            } else if (name == QLatin1String("style:header")) {
                pageStyles[master].header =
                    reader.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        }
        textArea = pageStyles.value(QStringLiteral("Standard")).textArea();
    }
};

} // namespace

class TestBatchAlbumE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(m_office.start(&error), qPrintable(error));
        m_pixels = {{1600, 90}, {30, 400}, {20, 20}, {4000, 3000}, {48, 36}, {90, 160}};
        const QStringList names{"p1 wide.png", "p2 tall.png", "p10.square.png",
                                "camera.jpg",  "small.png",   "phone.png"};
        for (int i = 0; i < names.size(); ++i) {
            m_pictures.append(m_dir.filePath(names.at(i)));
            QVERIFY(writePicture(m_pictures.last(), i, m_pixels.at(i)));
        }
    }

    void cleanupTestCase() { m_office.kill(); }

    void defaults_onePerPageAtTheOfficesSizeWithoutCaptions() {
        const QString out = m_dir.filePath(QStringLiteral("default.odt"));
        const BatchOutcome outcome = runInProcess(args({}, out));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const Album album = Album::read(out);
        QCOMPARE(album.pictures.size(), 6);
        QCOMPARE(album.pages, 6);
        QCOMPARE(album.tables, 0);
        QVERIFY(album.captionParagraphs.isEmpty());
        for (int i = 0; i < album.pictures.size(); ++i) {
            const Album::Picture& picture = album.pictures.at(i);
            QCOMPARE(picture.page, i + 1);
            // The size the office gives a picture without a resolution of its own: a pixel
            // at 96 per inch, shrunk to the page when larger.
            const QSizeF natural = QSizeF(m_pixels.at(i)) / 96.0;
            const QSizeF expected = natural.width() <= album.textArea.width() &&
                                            natural.height() <= album.textArea.height()
                                        ? natural
                                        : natural.scaled(album.textArea, Qt::KeepAspectRatio);
            QVERIFY2(std::abs(picture.size.width() - expected.width()) < 0.01 &&
                         std::abs(picture.size.height() - expected.height()) < 0.01,
                     qPrintable(QStringLiteral("picture %1: %2 x %3 in, expected %4 x %5")
                                    .arg(i + 1)
                                    .arg(picture.size.width())
                                    .arg(picture.size.height())
                                    .arg(expected.width())
                                    .arg(expected.height())));
        }
    }

    void captions_inTheCaptionStyleUnderTheirPicturesInOrder_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("name") << "name"
                              << QStringList{"p1 wide.png", "p2 tall.png", "p10.square.png",
                                             "camera.jpg",  "small.png",   "phone.png"};
        QTest::newRow("stem") << "stem" << QStringList{"p1 wide", "p2 tall", "p10.square",
                                                       "camera",  "small",   "phone"};
    }

    void captions_inTheCaptionStyleUnderTheirPicturesInOrder() {
        QFETCH(QString, kind);
        QFETCH(QStringList, captions);
        const QString out = m_dir.filePath(QStringLiteral("captions-%1.odt").arg(kind));
        const BatchOutcome outcome = runInProcess(args({"--caption", kind}, out));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const Album album = Album::read(out);
        QCOMPARE(album.captionParagraphs, captions);
        QCOMPARE(album.pictures.size(), 6);
        for (int i = 0; i < album.pictures.size(); ++i) {
            QCOMPARE(album.pictures.at(i).caption, captions.at(i));
            QCOMPARE(album.pictures.at(i).page, i + 1);
        }
        QCOMPARE(album.pages, 6);
        const QString pdf = m_dir.filePath(QStringLiteral("captions-%1.pdf").arg(kind));
        QCOMPARE(runInProcess(args({"--caption", kind}, pdf)).status, 0);
        QCOMPARE(pdfPages(pdf), 6);
        QVERIFY(QString::fromUtf8(commandOutput("pdftotext", {pdf, "-"})).contains(captions.at(3)));
    }

    void twoPerPage_stackedPairsOnEachPage() {
        const QString out = m_dir.filePath(QStringLiteral("two.odt"));
        const BatchOutcome outcome = runInProcess(args({"--per-page", "2"}, out));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const Album album = Album::read(out);
        QCOMPARE(album.pages, 3);
        QCOMPARE(album.tables, 0);
        QList<int> pages;
        for (const auto& picture : album.pictures) {
            pages.append(picture.page);
            // Each within half the text area.
            QVERIFY(picture.size.height() <= album.textArea.height() / 2);
            QVERIFY(picture.size.width() <= album.textArea.width() + 0.001);
        }
        QCOMPARE(pages, (QList<int>{1, 1, 2, 2, 3, 3}));
        const QString pdf = m_dir.filePath(QStringLiteral("two.pdf"));
        QCOMPARE(runInProcess(args({"--per-page", "2", "--caption", "name"}, pdf)).status, 0);
        QCOMPARE(pdfPages(pdf), 3);
    }

    void fourPerPage_twoRowsOfTwoInATableOnEachPage() {
        const QString out = m_dir.filePath(QStringLiteral("four.odt"));
        const BatchOutcome outcome =
            runInProcess(args({"--per-page", "4", "--caption", "stem"}, out));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const Album album = Album::read(out);
        QCOMPARE(album.tables, 2);
        QCOMPARE(album.pages, 2);
        QList<int> cells;
        QList<int> pages;
        for (const auto& picture : album.pictures) {
            cells.append(picture.cell);
            pages.append(picture.page);
            QVERIFY(picture.size.width() <= album.textArea.width() / 2);
            QVERIFY(picture.size.height() <= album.textArea.height() / 2);
        }
        QCOMPARE(cells, (QList<int>{0, 1, 2, 3, 0, 1}));
        QCOMPARE(pages, (QList<int>{1, 1, 1, 1, 2, 2}));
        QCOMPARE(album.pictures.at(2).caption, QStringLiteral("p10.square"));
        const QString pdf = m_dir.filePath(QStringLiteral("four.pdf"));
        QCOMPARE(runInProcess(args({"--per-page", "4", "--caption", "stem"}, pdf)).status, 0);
        QCOMPARE(pdfPages(pdf), 2);
        // The same document in Word's format: two tables, six pictures, six captions.
        const QString docx = m_dir.filePath(QStringLiteral("four.docx"));
        QCOMPARE(runInProcess(args({"--per-page", "4", "--caption", "stem"}, docx)).status, 0);
        const QString body =
            QString::fromUtf8(commandOutput("unzip", {"-p", docx, "word/document.xml"}));
        QCOMPARE(body.count(QStringLiteral("<w:tbl>")), 2);
        QCOMPARE(body.count(QStringLiteral("<w:drawing>")), 6);
        QCOMPARE(body.count(QStringLiteral("<w:pStyle w:val=\"Caption\"/>")), 6);
    }

    void grid_threeByFourRowByRowEachPictureInItsCell() {
        QStringList files;
        for (int i = 0; i < 31; ++i) {
            files << m_dir.filePath(QStringLiteral("g%1.%2")
                                        .arg(i, 2, 10, QLatin1Char('0'))
                                        .arg(i > 0 ? "png" : "jpg"));
            // A photo with the date it was taken; a file that is no picture, on the second page:
            // the next picture takes its cell.
            QVERIFY(i == 0 ? writeBytes(files[i], ExifPictures::jpegWithExif("2021:05:04 10:00:00"))
                    : i == 14 ? writeBytes(files[i], "no picture\n")
                              : writePicture(files[i], i, m_pixels.at(i % 6)));
            QVERIFY(
                ExifPictures::setModified(files[i], QDateTime(QDate(2020, 1, 1).addDays(i), {})));
        }
        const QStringList options{
            "--per-page",         "3x4", "--fit", "--caption", "{n}. {stem}, {date}", "--office",
            m_office.connection()};
        const QString out = m_dir.filePath(QStringLiteral("grid.odt"));
        const BatchOutcome outcome = runInProcess(options + QStringList{"-o", out} + files);
        QVERIFY2(outcome.status == 1 && outcome.err.contains(files.at(14)),
                 qPrintable(outcome.err));
        files.removeAt(14);
        const Album album = Album::read(out);
        const QString content =
            QString::fromUtf8(commandOutput("unzip", {"-p", out, "content.xml"}));
        QCOMPARE(content.count("table:number-columns-repeated=\"3\""), 3);
        QCOMPARE(content.count(QRegularExpression("<text:sequence [^>]*text:name=\"Figure\"")), 30);
        const QRegularExpression columnWidth("style:column-width=\"([^\"]+)\"");
        const QSizeF cell(inches(columnWidth.match(content).captured(1)),
                          album.textArea.height() / 4);
        QCOMPARE(album.pages, 3);
        QCOMPARE(album.pictures.size(), 30);
        QStringList figures; // each caption with its page, as a table of figures lists it
        for (int i = 0; i < 30; ++i) {
            const Album::Picture& picture = album.pictures.at(i);
            const QSizeF room = cell - picture.size;
            QCOMPARE((QList<int>{picture.page, picture.cell}), (QList<int>{i / 12 + 1, i % 12}));
            // The date taken, else the date the file was changed.
            const QDate date =
                i == 0 ? QDate(2021, 5, 4) : QFileInfo(files[i]).lastModified().date();
            QCOMPARE(picture.caption,
                     QStringLiteral("%1. %2, %3")
                         .arg(i + 1)
                         .arg(QFileInfo(files[i]).completeBaseName(),
                              QLocale::system().toString(date, QLocale::ShortFormat)));
            figures << picture.caption + QStringLiteral("\t%1").arg(picture.page);
            // Inside its cell, filling it in one direction but for the room of cell, line, caption.
            QVERIFY2(room.width() >= 0 && room.height() >= 0 &&
                         (room.width() < 0.25 || room.height() < 0.75),
                     qPrintable(QString::number(i)));
        }
        QCOMPARE(tableOfFigures(m_office.connection(), out), figures);
        const QString pdf = m_dir.filePath(QStringLiteral("grid.pdf"));
        QCOMPARE(runInProcess(options + QStringList{"-o", pdf} + files).status, 0);
        QCOMPARE(pdfPages(pdf), 3);
        const QString text = QString::fromUtf8(commandOutput("pdftotext", {pdf, "-"}));
        for (const QString& figure : std::as_const(figures)) {
            QVERIFY2(text.contains(figure.section('\t', 0, 0)), qPrintable(figure));
        }
    }

    void fit_everyPictureAsLargeAsItsShareAllows_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("one per page") << QStringList{"--fit"} << 1 << 1 << 6;
        QTest::newRow("one per page, captions")
            << QStringList{"--fit", "--caption", "name"} << 1 << 1 << 6;
        QTest::newRow("two per page, captions")
            << QStringList{"--fit", "--per-page", "2", "--caption", "stem"} << 1 << 2 << 3;
        QTest::newRow("four per page, captions")
            << QStringList{"--fit", "--per-page", "4", "--caption", "name"} << 2 << 2 << 2;
    }

    void fit_everyPictureAsLargeAsItsShareAllows() {
        QFETCH(QStringList, options);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, pages);
        const QString name =
            QStringLiteral("fit-%1").arg(QTest::currentDataTag()).replace(' ', '_');
        const QString out = m_dir.filePath(name + ".odt");
        const BatchOutcome outcome = runInProcess(args(options, out));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const Album album = Album::read(out);
        QCOMPARE(album.pictures.size(), 6);
        QCOMPARE(album.pages, pages);
        const QSizeF share(album.textArea.width() / columns, album.textArea.height() / rows);
        for (int i = 0; i < album.pictures.size(); ++i) {
            const QSizeF size = album.pictures.at(i).size;
            const QString where = QStringLiteral("picture %1: %2 x %3 in, share %4 x %5")
                                      .arg(i + 1)
                                      .arg(size.width())
                                      .arg(size.height())
                                      .arg(share.width())
                                      .arg(share.height());
            // Within its share of the text area, aspect kept, and filling it in one direction
            // but for the room left for the line, the caption and the cell (together at most
            // 26 mm of height, 5 mm of width).
            QVERIFY2(size.width() <= share.width() && size.height() <= share.height(),
                     qPrintable(where));
            const double aspect = double(m_pixels.at(i).width()) / m_pixels.at(i).height();
            QVERIFY2(std::abs(size.width() / size.height() - aspect) / aspect < 0.02,
                     qPrintable(where));
            QVERIFY2(size.width() >= share.width() - 0.25 || size.height() >= share.height() - 1.03,
                     qPrintable(where));
        }
        const QString pdf = m_dir.filePath(name + ".pdf");
        QCOMPARE(runInProcess(args(options, pdf)).status, 0);
        QCOMPARE(pdfPages(pdf), pages);
    }

    void fit_smallPaper_asLargeAsThePageHolds() {
        // A picture's line is as tall as the picture: the camera's 4:3 photo fills the width of
        // a 10 mm square page, and two of them a page twice as high, on one page.
        for (const auto& [paper, perPage] : {std::pair{"10x10mm", 1}, {"10x20mm", 2}}) {
            const QString out = m_dir.filePath(QStringLiteral("small-%1.").arg(perPage));
            const QStringList options =
                QStringLiteral("--paper %1 --margin 0 --fit --per-page %2 --office %3")
                    .arg(paper)
                    .arg(perPage)
                    .arg(m_office.connection())
                    .split(QLatin1Char(' '));
            for (const char* format : {"odt", "pdf"}) {
                QCOMPARE(runInProcess(options + QStringList{"-o", out + format} +
                                      QStringList(perPage, m_pictures.at(3)))
                             .status,
                         0);
            }
            const QSizeF mm = Album::read(out + "odt").pictures.value(0).size * 25.4;
            QVERIFY2(mm.width() > 9.0 && mm.width() <= 10.01 && mm.height() <= 7.51,
                     qPrintable(QStringLiteral("%1 x %2 mm").arg(mm.width()).arg(mm.height())));
            QCOMPARE(pdfPages(out + "pdf"), 1);
        }
    }

    void pageSetup_eachPictureOnAPageOfItsStyle_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("paper"); // upright, with the margin, in millimetres
        QTest::addColumn<QString>("turn");  // "auto", or the orientation of every page
        QTest::newRow("a5, auto, 15 mm, fit")
            << QStringList{"--paper", "a5", "--orientation", "auto", "--margin", "15", "--fit"}
            << "148x210 m15"
            << "auto";
        QTest::newRow("letter landscape, 20 mm")
            << QStringList{"--paper", "letter", "--orientation", "landscape", "--margin", "20"}
            << "215.9x279.4 m20"
            << "landscape";
        QTest::newRow("wide paper as given, captions")
            << QStringList{"--paper", "250x120mm", "--margin", "10", "--caption", "name"}
            << "120x250 m10"
            << "landscape";
    }

    void pageSetup_eachPictureOnAPageOfItsStyle() {
        QFETCH(QStringList, options);
        QFETCH(QString, paper);
        QFETCH(QString, turn);
        const QString name =
            QStringLiteral("page-%1").arg(QTest::currentDataTag()).replace(' ', '_');
        const BatchOutcome outcome = runInProcess(args(options, m_dir.filePath(name + ".odt")));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const Album album = Album::read(m_dir.filePath(name + ".odt"));
        QCOMPARE(album.pages, 6);
        // Each picture's page as "orientation WxH mMARGIN", and whether the picture stays
        // within its text area (and fills it in one direction, fitted).
        const auto mm = [](double in) { return QString::number(std::lround(in * 254) / 10.0); };
        const QStringList upright = paper.split(QRegularExpression("[x ]"));
        const bool fit = options.contains(QStringLiteral("--fit"));
        QStringList seen;
        QStringList expected;
        for (int i = 0; i < album.pictures.size(); ++i) {
            const Album::Picture& picture = album.pictures.at(i);
            const Album::PageStyle page = album.pageStyles.value(picture.pageStyle);
            const QSizeF room = page.textArea() - picture.size;
            seen << QStringLiteral("%1 %2x%3 m%4 %5")
                        .arg(page.orientation, mm(page.paper.width()), mm(page.paper.height()),
                             QSet<double>(page.margins.begin(), page.margins.end()).size() == 1
                                 ? mm(page.margins.value(0))
                                 : QStringLiteral("uneven"),
                             room.width() < -0.01 || room.height() < -0.01         ? "over"
                             : fit && std::min(room.width(), room.height()) > 0.25 ? "unfilled"
                                                                                   : "in");
            const bool wide = m_pixels.at(i).width() > m_pixels.at(i).height();
            const bool landscape = turn == "auto" ? wide : turn == "landscape";
            expected << QStringLiteral("%1 %2x%3 %4 in")
                            .arg(landscape ? "landscape" : "portrait",
                                 upright.at(landscape ? 1 : 0), upright.at(landscape ? 0 : 1),
                                 upright.at(2));
        }
        QCOMPARE(seen, expected);
        // Word keeps the sizes and orientations, a section for each run of pages alike.
        const QString docx = m_dir.filePath(name + ".docx");
        QCOMPARE(runInProcess(args(options, docx)).status, 0);
        const QString xml =
            QString::fromUtf8(commandOutput("unzip", {"-p", docx, "word/document.xml"}));
        QStringList sections;
        QStringList pages;
        const QRegularExpression pgSz(
            "<w:pgSz( w:orient=\"landscape\")? w:w=\"(\\d+)\" w:h=\"(\\d+)\"");
        for (auto match = pgSz.globalMatch(xml); match.hasNext();) {
            const auto size = match.next();
            sections << QStringLiteral("%1 %2x%3")
                            .arg(size.captured(1).isEmpty() ? "portrait" : "landscape",
                                 mm(size.captured(2).toInt() / 1440.0),
                                 mm(size.captured(3).toInt() / 1440.0));
        }
        for (const QString& page : std::as_const(expected)) {
            pages << page.section(' ', 0, 1);
        }
        sections.erase(std::unique(sections.begin(), sections.end()), sections.end());
        pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
        QCOMPARE(sections, pages);
    }

    void template_headerOnEveryPageCaptionsInItsStyle() {
        const QString letterhead = m_dir.filePath(QStringLiteral("letterhead.ott"));
        QVERIFY(writeTextTemplate(letterhead, "Template body text", "Grove Letterhead", 20));
        const QByteArray before = fileBytes(letterhead);
        const QStringList options{"--template",    letterhead, "--caption", "stem",
                                  "--orientation", "auto",     "--fit"};
        const QString out = m_dir.filePath(QStringLiteral("letterhead.odt"));
        const BatchOutcome outcome = runInProcess(args(options, out));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const Album album = Album::read(out);
        QCOMPARE(album.pictures.size(), 6);
        QCOMPARE(album.captionParagraphs.size(), 6);
        QCOMPARE(album.pageStyles.value("Standard").header, QStringLiteral("Grove Letterhead"));
        QCOMPARE(album.pageStyles.value("Landscape").header, QStringLiteral("Grove Letterhead"));
        const QString content =
            QString::fromUtf8(commandOutput("unzip", {"-p", out, "content.xml"}));
        QVERIFY(content.indexOf("Template body text") < content.indexOf("<draw:frame"));
        const QString styles = QString::fromUtf8(commandOutput("unzip", {"-p", out, "styles.xml"}));
        QVERIFY2(QRegularExpression("style:name=\"Caption\"[^>]*>(<[^>]*>)*?<style:text-properties["
                                    "^>]*fo:font-size=\"20pt\"")
                     .match(styles)
                     .hasMatch(),
                 qPrintable(styles.left(4000)));
        QCOMPARE(fileBytes(letterhead), before);

        const QString pdf = m_dir.filePath(QStringLiteral("letterhead.pdf"));
        QCOMPARE(runInProcess(args(options, pdf)).status, 0);
        const int pages = pdfPages(pdf);
        QCOMPARE(pages, album.pages);
        for (int page = 1; page <= pages; ++page) {
            const QString text = QString::fromUtf8(commandOutput(
                "pdftotext", {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"}));
            QVERIFY2(text.contains("Grove Letterhead"), qPrintable(QString::number(page)));
        }

        // One that is no document stops the run before any picture, without OUT.
        const QString broken = m_dir.filePath(QStringLiteral("broken.ott"));
        QVERIFY(writeBytes(broken, "plain text, no template\n"));
        const QString none = m_dir.filePath(QStringLiteral("broken.odt"));
        const BatchOutcome refused = runInProcess(args({"--template", broken}, none));
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains("The template " + broken + " cannot be opened"),
                 qPrintable(refused.err));
        QVERIFY(!refused.err.contains("Processing"));
        QVERIFY(!QFileInfo::exists(none));
        // That one report only: the office was reached.
        QVERIFY2(!refused.err.contains("no office suite"), qPrintable(refused.err));
        // An empty one is refused before anything starts.
        const QString empty = m_dir.filePath(QStringLiteral("empty.ott"));
        QVERIFY(writeBytes(empty, {}));
        const BatchOutcome emptyRefused = runInProcess(args({"--template", empty}, none));
        QCOMPARE(emptyRefused.status, 2);
        QVERIFY2(emptyRefused.err.contains(empty + ": the template is empty"),
                 qPrintable(emptyRefused.err));

        // A good one under a name that is not UTF-8 (folder and file); no link of ours is left.
        const QByteArray odd = QFile::encodeName(m_dir.path()) + "/d\xff";
        QVERIFY(::mkdir(odd.constData(), 0700) == 0);
        const RemoveTreeByBytes removal{odd};
        QVERIFY(writeRawBytes(odd + "/t\xfe.ott", fileBytes(letterhead)));
        const BatchOutcome oddRun =
            runInProcess(args({"--template", decodeFileName(odd + "/t\xfe.ott")}, none));
        QVERIFY2(oddRun.status == 0, qPrintable(oddRun.err));
        QCOMPARE(Album::read(none).pageStyles.value("Standard").header,
                 QStringLiteral("Grove Letterhead"));
        QVERIFY(QDir::temp().entryList({"lumigrove-template-*"}, QDir::AllEntries).isEmpty());
    }

private:
    QStringList args(const QStringList& options, const QString& out) const;

    OfficeProcess m_office;
    QTemporaryDir m_dir;
    // Pictures of several shapes, in the order given: wide, tall, square, a camera's 4:3.
    QStringList m_pictures;
    QList<QSize> m_pixels;
};

QStringList TestBatchAlbumE2E::args(const QStringList& options, const QString& out) const {
    return options + QStringList{"--office", m_office.connection(), "-o", out} + m_pictures;
}

QTEST_GUILESS_MAIN(TestBatchAlbumE2E)
#include "tst_batch_album_e2e.moc"
