// The album options of lumigrove-batch against a real headless office suite, checked in the
// stored documents: captions under their pictures in the "Caption" style, two and four
// pictures to a page (ODT layout, PDF pages), fitted pictures within the text area, and the
// default options giving the document they always gave.
#include "tests/batch/InProcessBatch.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>

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

// The body of a stored ODT as the user would see it: its pictures with their sizes, its
// captions, its tables and where its pages begin.
struct Album {
    struct Picture {
        QSizeF size; // inches
        int page = 0;
        int table = -1;  // -1 outside every table
        int cell = -1;   // in row order, from 0
        QString caption; // the text of the Caption paragraph right after it, if any
    };
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
                if (captionStyles.contains(paragraphStyle)) {
                    const QString text = reader.readElementText();
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
                pictures.append(picture);
                lastWasPicture = true;
            }
        }
    }

    void readPage(const QString& xml) {
        QXmlStreamReader reader(xml);
        while (!reader.atEnd()) {
            if (reader.readNext() == QXmlStreamReader::StartElement &&
                reader.qualifiedName() == QLatin1String("style:page-layout-properties")) {
                const auto a = reader.attributes();
                textArea =
                    QSizeF(inches(a.value("fo:page-width")) - inches(a.value("fo:margin-left")) -
                               inches(a.value("fo:margin-right")),
                           inches(a.value("fo:page-height")) - inches(a.value("fo:margin-top")) -
                               inches(a.value("fo:margin-bottom")));
                return;
            }
        }
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
