// lumigrove-batch against a real headless office suite with the pictures people take with
// phones and cameras: HEIC and AVIF, turned TIFFs, CMYK, pages of a TIFF, a file cut short,
// location data, camera-sized photos for the screen, and a folder for copies that fills up.
#include "tests/batch/InProcessBatch.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"
#include "tests/support/PhonePictures.h"
#include "tests/support/TestFiles.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace PhonePictures;

namespace {

QList<QSize> sizesOf(const QList<QByteArray>& pictures) {
    QList<QSize> sizes;
    for (const QByteArray& bytes : pictures) {
        sizes.append(QImage::fromData(bytes).size());
    }
    return sizes;
}

// The embedded pictures of a DOCX or PDF, extracted as files (the PDF's JPEGs as their own
// streams); an ODT's are read by StoredDocument.
QStringList extracted(const QString& document, const QString& folder) {
    if (document.endsWith(".pdf")) {
        commandOutput("pdfimages", {"-j", document, folder + "/image"});
    } else {
        commandOutput("unzip", {"-q", "-o", document, "word/media/*", "-d", folder});
    }
    QStringList files;
    for (const QString& sub : {QStringLiteral("/word/media"), QString()}) {
        for (const QString& name : QDir(folder + sub).entryList(QDir::Files, QDir::Name)) {
            files.append(folder + sub + "/" + name);
        }
    }
    return files;
}

} // namespace

class TestBatchPicturesE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(m_office.start(&error), qPrintable(error));
        // Pictures of one size, each unlike the others, so that the office keeps each apart.
        for (const char* variant : {"plain", "negate", "flop", "flip"}) {
            const QStringList options = QString(variant) == "plain"
                                            ? QStringList()
                                            : QStringList{QStringLiteral("-%1").arg(variant)};
            QVERIFY(photo(file(QStringLiteral("%1.png").arg(variant)), {320, 240}, options));
        }
        QVERIFY(heif(file("phone.heic"), file("plain.png")));
        QVERIFY(heif(file("phone.avif"), file("negate.png")));
        QVERIFY(photo(file("turned.tif"), {320, 240}, {"-orient", "RightTop"}));
        QVERIFY(multiPageTiff(file("pages.tif"),
                              {file("negate.png"), file("flop.png"), file("flip.png")}));
        QVERIFY(cmykJpeg(file("cmyk.jpg"), "rgb(220,30,30)"));
        QVERIFY(photo(file("located.jpg"), {640, 480}, {"-quality", "90"}));
        QVERIFY(addCameraData(file("located.jpg")));
        QVERIFY(photo(file("cut.jpg"), {640, 480}));
        QVERIFY(cut(file("cut.jpg"), QFileInfo(file("cut.jpg")).size() / 2));
    }

    void cleanupTestCase() { m_office.kill(); }

    // Each in the list's order, upright, a page each: 7 pictures from 5 files.
    void phonePictures_everyFormat_uprightInListOrder_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("odt") << "phone.odt";
        QTest::newRow("docx") << "phone.docx";
        QTest::newRow("pdf") << "phone.pdf";
    }
    void phonePictures_everyFormat_uprightInListOrder() {
        QFETCH(QString, name);
        const QString out = file(name);
        const BatchOutcome outcome = runInProcess(
            {"--office", m_office.connection(), "-o", out, file("phone.heic"), file("turned.tif"),
             file("phone.avif"), file("pages.tif"), file("cmyk.jpg")});
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QVERIFY2(outcome.err.contains("pages.tif: 3 pages, each a picture of its own"),
                 qPrintable(outcome.err));
        const QList<QSize> upright{{320, 240}, {240, 320}, {320, 240}, {320, 240},
                                   {320, 240}, {320, 240}, {64, 48}};
        if (name.endsWith(".odt")) {
            const StoredDocument stored = StoredDocument::readOdt(out);
            QCOMPARE(stored.layout, QStringLiteral("PBPBPBPBPBPBP"));
            QCOMPARE(sizesOf(stored.pictureBytes), upright);
            // The CMYK picture's colour as ImageMagick shows that file, within a few levels.
            const QColor shown(
                QString(commandOutput("convert", {file("cmyk.jpg"), "-colorspace", "sRGB",
                                                  "-format", "%[hex:p{32,24}]", "info:"}))
                    .prepend('#'));
            const QColor copy = QImage::fromData(stored.pictureBytes.last()).pixelColor(32, 24);
            QVERIFY2(qAbs(copy.red() - shown.red()) + qAbs(copy.green() - shown.green()) +
                             qAbs(copy.blue() - shown.blue()) <=
                         12,
                     qPrintable(copy.name() + " against " + shown.name()));
        } else if (name.endsWith(".docx")) {
            const QString text = commandOutput("unzip", {"-p", out, "word/document.xml"});
            QCOMPARE(text.count("<w:drawing>"), 7);
        } else {
            // One picture a page, each as large as it went in.
            const QString list = commandOutput("pdfimages", {"-list", out});
            QList<QSize> sizes;
            static const QRegularExpression row(R"(^\s*\d+\s+\d+\s+image\s+(\d+)\s+(\d+))",
                                                QRegularExpression::MultilineOption);
            for (auto match = row.globalMatch(list); match.hasNext();) {
                const QRegularExpressionMatch m = match.next();
                sizes.append(QSize(m.captured(1).toInt(), m.captured(2).toInt()));
            }
            QCOMPARE(sizes, upright);
        }
    }

    void cutJpeg_reportedByNameAndPageless() {
        const QString out = file("cut.odt");
        const BatchOutcome outcome = runInProcess(
            {"--office", m_office.connection(), "-o", out, file("plain.png"), file("cut.jpg")});
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains("cut.jpg is damaged"), qPrintable(outcome.err));
        QCOMPARE(StoredDocument::readOdt(out).layout, QStringLiteral("P"));
    }

    // Gone from the picture in every format, its image data byte for byte as it was; without
    // the option the summary counts the pictures that carry a position.
    void location_strippedOrCounted_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("strip");
        QTest::newRow("odt, kept") << "kept.odt" << false;
        QTest::newRow("odt") << "stripped.odt" << true;
        QTest::newRow("docx") << "stripped.docx" << true;
        QTest::newRow("pdf") << "stripped.pdf" << true;
    }
    void location_strippedOrCounted() {
        QFETCH(QString, name);
        QFETCH(bool, strip);
        const QString out = file(name);
        const QString source = file("located.jpg");
        QStringList args{"--office", m_office.connection(), "-o", out, source};
        if (strip) {
            args.prepend("--strip-metadata");
        }
        const BatchOutcome outcome = runInProcess(args);
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QCOMPARE(outcome.err.contains("1 of 1 picture carries a GPS location; --strip-metadata "
                                      "removes it"),
                 !strip);
        QTemporaryDir parts;
        QStringList pictures;
        if (name.endsWith(".odt")) {
            QVERIFY(writeBytes(parts.filePath("odt.jpg"),
                               StoredDocument::readOdt(out).pictureBytes.value(0)));
            pictures = {parts.filePath("odt.jpg")};
        } else {
            pictures = extracted(out, parts.path());
        }
        QCOMPARE(pictures.size(), 1);
        const QByteArray tags = metadata(pictures.constFirst());
        QCOMPARE(tags.contains("GPSLatitude"), !strip);
        QCOMPARE(tags.contains("BodySerialNumber"), !strip);
        QCOMPARE(tags.contains("Thumbnail"), !strip);
        QCOMPARE(scanData(fileBytes(pictures.constFirst())), scanData(fileBytes(source)));
    }

    // A camera's photo for the screen: the same size on the page from a fraction of the bytes.
    void screenSize_sameSizeOnThePage_fewerBytes() {
#ifdef LUMIGROVE_TSAN_BUILD
        // Qt scales a picture this large on the threads of its own pool, which it orders in a
        // way ThreadSanitizer cannot see; the stage's own threads are watched by the other tests.
        QSKIP("a camera-sized picture is scaled on Qt's thread pool");
#endif
        QVERIFY(photo(file("camera.jpg"), {4000, 3000}, {"-quality", "92"}));
        QStringList frames;
        QList<qint64> bytes;
        for (const QString size : {"original", "screen"}) {
            const QString out = file(size + ".odt");
            const BatchOutcome outcome =
                runInProcess({"--office", m_office.connection(), "--picture-size", size, "--fit",
                              "--paper", "a4", "-o", out, file("camera.jpg")});
            QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
            static const QRegularExpression frame(
                R"(<draw:frame[^>]*(svg:width="[^"]+" svg:height="[^"]+"))");
            frames.append(
                frame.match(commandOutput("unzip", {"-p", out, "content.xml"})).captured(1));
            bytes.append(QFileInfo(out).size());
        }
        QVERIFY(!frames.first().isEmpty());
        QCOMPARE(frames.last(), frames.first());
        QVERIFY2(bytes.last() * 10 < bytes.first(),
                 qPrintable(QString("%1 of %2").arg(bytes.last()).arg(bytes.first())));
    }

    // Copies that no longer fit on the disk (here: past the file size limit) stop the run with
    // one report; OUT is not written and no copy is left.
    void copiesFolderFull_runStopsNothingLeft() {
        QTemporaryDir tmp;
        const QString out = file("full.odt");
        QProcess batch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", tmp.path());
        batch.setProcessEnvironment(env);
        // Writes past the limit fail with EFBIG once SIGXFSZ is ignored, as on a full disk.
        batch.start("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 8; exec \"$@\"", "sh",
                                LUMIGROVE_BATCH_PROGRAM, "--office", m_office.connection(), "-o",
                                out, file("plain.png"), file("phone.heic"), file("pages.tif")});
        QVERIFY(batch.waitForFinished(120000));
        const QString err = batch.readAllStandardError();
        QCOMPARE(batch.exitCode(), 1);
        QVERIFY2(err.contains("cannot be prepared") && err.count("cannot be prepared:") == 1,
                 qPrintable(err));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

private:
    QString file(const QString& name) const {
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir;
    OfficeProcess m_office;
};

QTEST_GUILESS_MAIN(TestBatchPicturesE2E)
#include "tst_batch_pictures_e2e.moc"
