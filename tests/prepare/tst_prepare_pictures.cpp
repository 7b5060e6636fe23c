#include "prepare/PicturePreparation.h"
#include "prepare/PreparedPictures.h"
#include "tests/support/PhonePictures.h"
#include "tests/support/TestFiles.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace PhonePictures;

namespace {

// An A4 page's text area at 2 cm margins, in hundredths of a millimetre.
const QSize kA4Box(17000, 25700);

QSize pixelsOf(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read().size();
}

} // namespace

class PreparePicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString plain = m_dir.filePath("plain.jpg");
        QVERIFY(photo(plain, {320, 240}));
        QVERIFY(photo(m_dir.filePath("turned.tif"), {320, 240}, {"-orient", "RightTop"}));
        QVERIFY(cmykJpeg(m_dir.filePath("cmyk.jpg"), "rgb(220,30,30)"));
        QVERIFY(multiPageTiff(m_dir.filePath("pages.tif"), {plain, plain, plain}));
        QVERIFY(heif(m_dir.filePath("phone.heic"), plain));
        QVERIFY(heif(m_dir.filePath("phone.avif"), plain));
        QVERIFY(photo(m_dir.filePath("cut.jpg"), {640, 480}));
        QVERIFY(cut(m_dir.filePath("cut.jpg"), QFileInfo(m_dir.filePath("cut.jpg")).size() / 2));
        QVERIFY(photo(m_dir.filePath("cut.png"), {640, 480}));
        QVERIFY(cut(m_dir.filePath("cut.png"), QFileInfo(m_dir.filePath("cut.png")).size() / 2));
        QVERIFY(photo(m_dir.filePath("camera.jpg"), {4000, 3000}));
    }

    void pixelTarget_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<bool>("grow");
        QTest::addColumn<int>("ppi");
        QTest::addColumn<QSize>("expected");
        // 55 inches wide at 72 dpi, shrunk to the 6.69 inches of the box: 150 ppi of that.
        QTest::newRow("camera photo, screen")
            << QSize(4000, 3000) << 72.0 << false << 150 << QSize(1004, 753);
        QTest::newRow("already small enough")
            << QSize(800, 600) << 72.0 << false << 150 << QSize(800, 600);
        // 2 x 1.33 inches as it is; grown to the box's width, it needs more than it has.
        QTest::newRow("small, grown to fill")
            << QSize(600, 400) << 300.0 << true << 96 << QSize(600, 400);
        QTest::newRow("small at its own size")
            << QSize(1800, 1200) << 600.0 << false << 96 << QSize(288, 192);
        QTest::newRow("no room measured")
            << QSize(4000, 3000) << 72.0 << false << 0 << QSize(4000, 3000);
    }
    void pixelTarget() {
        QFETCH(QSize, pixels);
        QFETCH(double, dpi);
        QFETCH(bool, grow);
        QFETCH(int, ppi);
        QFETCH(QSize, expected);
        QCOMPARE(::pixelTarget(pixels, QSizeF(dpi, dpi), {kA4Box, {}, grow}, ppi), expected);
    }

    // What the office gets for each kind of picture that it would show wrongly or not at all.
    void preparePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ppi");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QSize>("copyPixels");
        QTest::addColumn<QString>("failure");
        QTest::newRow("a plain JPEG goes as it is") << "plain.jpg" << 0 << 0 << QSize() << "";
        QTest::newRow("a turned TIFF, upright") << "turned.tif" << 0 << 1 << QSize(240, 320) << "";
        QTest::newRow("CMYK as RGB") << "cmyk.jpg" << 0 << 1 << QSize(64, 48) << "";
        QTest::newRow("three pages, three pictures")
            << "pages.tif" << 0 << 3 << QSize(320, 240) << "";
        QTest::newRow("HEIC") << "phone.heic" << 0 << 1 << QSize(320, 240) << "";
        QTest::newRow("AVIF") << "phone.avif" << 0 << 1 << QSize(320, 240) << "";
        QTest::newRow("a cut JPEG") << "cut.jpg" << 0 << 0 << QSize() << "damaged";
        QTest::newRow("a cut PNG") << "cut.png" << 0 << 0 << QSize() << "damaged";
        QTest::newRow("a camera photo for the screen")
            << "camera.jpg" << 150 << 1 << QSize(1004, 753) << "";
        QTest::newRow("the same, kept") << "camera.jpg" << 0 << 0 << QSize() << "";
    }
    void preparePicture() {
        QFETCH(QString, name);
        QFETCH(int, ppi);
        QFETCH(int, copies);
        QFETCH(QSize, copyPixels);
        QFETCH(QString, failure);
        QTemporaryDir folder;
        const PreparedEntry entry = ::preparePicture(m_dir.filePath(name), folder.path(), "1",
                                                     {ppi, 85, false}, {kA4Box, {}, false});
        QCOMPARE(entry.files.size(), copies);
        QVERIFY2(failure.isEmpty() ? entry.failure.isEmpty() : entry.failure.contains(failure),
                 qPrintable(entry.failure));
        if (copies > 0) {
            QVERIFY(entry.files.constFirst().startsWith(folder.path()));
            QCOMPARE(pixelsOf(entry.files.constFirst()), copyPixels);
        }
    }

    // Shown as the common viewers show such a file: ImageMagick's own reading of it.
    void cmykCopy_coloursAsImageMagickShowsThem() {
        const QString source = m_dir.filePath("cmyk.jpg");
        QTemporaryDir folder;
        const PreparedEntry entry = ::preparePicture(source, folder.path(), "1", {}, {});
        QCOMPARE(entry.files.size(), 1);
        const QByteArray shown = commandOutput(
            "convert",
            {source, "-colorspace", "sRGB", "-depth", "8", "-format",
             "%[fx:int(255*p{32,24}.r)],%[fx:int(255*p{32,24}.g)],%[fx:int(255*p{32,24}.b)]",
             "info:"});
        const QList<QByteArray> rgb = shown.split(',');
        QCOMPARE(rgb.size(), 3);
        const QColor copy = QImage(entry.files.constFirst()).pixelColor(32, 24);
        QVERIFY2(qAbs(copy.red() - rgb[0].toInt()) <= 6 &&
                     qAbs(copy.green() - rgb[1].toInt()) <= 6 &&
                     qAbs(copy.blue() - rgb[2].toInt()) <= 6,
                 qPrintable(QString("copy %1 against %2").arg(copy.name(), QString(shown))));
    }

    // The location and the camera go; the picture, its rotation and its date stay as they were.
    void stripped_jpegKeepsItsImageDataAndRotation() {
        const QString source = m_dir.filePath("located.jpg");
        QVERIFY(photo(source, {640, 480}));
        QVERIFY(addCameraData(source, 6));
        QTemporaryDir folder;
        const PreparedEntry kept = ::preparePicture(source, folder.path(), "1", {}, {});
        QVERIFY(kept.files.isEmpty());
        QVERIFY(kept.locationKept);
        const PreparedEntry stripped =
            ::preparePicture(source, folder.path(), "2", {0, 85, true}, {});
        QCOMPARE(stripped.files.size(), 1);
        QVERIFY(!stripped.locationKept);
        const QByteArray tags = metadata(stripped.files.constFirst());
        for (const char* gone : {"GPSInfo", "SerialNumber", "Thumbnail"}) {
            QVERIFY2(!tags.contains(gone), tags.constData());
        }
        QVERIFY2(tags.contains("Exif.Image.Orientation") && tags.contains("DateTimeOriginal"),
                 tags.constData());
        QCOMPARE(scanData(fileBytes(stripped.files.constFirst())), scanData(fileBytes(source)));
    }

    // The copies live in a folder of the run's own that only its user may enter, and go with it.
    void stage_folderPrivateAndRemoved() {
        QString folder;
        {
            PreparedPictures stage({}, 2);
            stage.start({m_dir.filePath("phone.heic"), m_dir.filePath("plain.jpg")}, {});
            const StagedPicture heic = stage.take(0, {});
            QCOMPARE(heic.files.size(), 1);
            QVERIFY(stage.take(1, {}).files.isEmpty());
            folder = stage.folder();
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, 0700u);
            QVERIFY(folder.startsWith(QDir::tempPath() + "/"));
        }
        QVERIFY(!QFileInfo::exists(folder));
    }

    // A program about to end drops the work under way and its copies at once.
    void stage_discardedMidway_leavesNothing() {
        QStringList many;
        for (int i = 0; i < 40; ++i) {
            many.append(m_dir.filePath(i % 2 ? "camera.jpg" : "phone.heic"));
        }
        PreparedPictures stage({150, 85, false}, 2);
        stage.start(many, {kA4Box, {}, false});
        QCOMPARE(stage.take(0, {}).files.size(), 1);
        const QString folder = stage.folder();
        QElapsedTimer timer;
        timer.start();
        stage.discard();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!QFileInfo::exists(folder));
    }

    // A folder that cannot be made stops the run at the first picture that needs a copy.
    void stage_unwritableFolder_fatalForCopiesOnly() {
        PreparedPictures stage({}, 1, m_dir.filePath("missing"));
        stage.start({m_dir.filePath("plain.jpg"), m_dir.filePath("phone.heic")}, {});
        const StagedPicture plain = stage.take(0, {});
        QVERIFY2(!plain.fatal && plain.failure.isEmpty(), qPrintable(plain.failure));
        const StagedPicture heic = stage.take(1, {});
        QVERIFY(heic.fatal);
        QVERIFY2(heic.failure.contains("phone.heic"), qPrintable(heic.failure));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(PreparePicturesTest)
#include "tst_prepare_pictures.moc"
