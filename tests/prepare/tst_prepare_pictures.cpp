// The preparation stage on real picture files, without an office: the pixels a page needs,
// what is left of a picture's metadata, and the folder of the copies. What the office makes of
// the copies is in tst_batch_pictures_e2e.
#include "prepare/CaptionFacts.h"
#include "prepare/PicturePreparation.h"
#include "prepare/PreparedPictures.h"
#include "tests/support/PhonePictures.h"
#include "tests/support/TestFiles.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace PhonePictures;

// An A4 page's text area at 2 cm margins, in hundredths of a millimetre.
static const QSize kA4Box(17000, 25700);

class PreparePicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(photo(file("plain.jpg"), {320, 240}));
        QVERIFY(heif(file("phone.heic"), file("plain.jpg")));
        QVERIFY(photo(file("cut.png"), {640, 480}));
        QVERIFY(cut(file("cut.png"), QFileInfo(file("cut.png")).size() / 2));
        QVERIFY(photo(file("camera.jpg"), {4000, 3000}));
    }

    void pixelTarget_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<bool>("grow");
        QTest::addColumn<QSize>("expected");
        // 55 inches wide at 72 dpi, shrunk to the 6.69 inches of the box: 150 ppi of that.
        QTest::newRow("camera photo") << QSize(4000, 3000) << 72.0 << false << QSize(1004, 753);
        QTest::newRow("small enough") << QSize(800, 600) << 72.0 << false << QSize(800, 600);
        // 3 x 2 inches at its own size, when it is not grown to the box.
        QTest::newRow("at its own size") << QSize(1800, 1200) << 600.0 << false << QSize(450, 300);
        QTest::newRow("grown to fill") << QSize(1800, 1200) << 600.0 << true << QSize(1005, 670);
    }
    void pixelTarget() {
        QFETCH(QSize, pixels);
        QFETCH(double, dpi);
        QFETCH(bool, grow);
        QFETCH(QSize, expected);
        QCOMPARE(::pixelTarget(pixels, QSizeF(dpi, dpi), {kA4Box, {}, grow}, 150), expected);
    }

    void preparePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ppi");
        QTest::addColumn<QSize>("copyPixels");
        QTest::addColumn<QString>("failure");
        QTest::newRow("a plain JPEG as it is") << "plain.jpg" << 0 << QSize() << "";
        QTest::newRow("a camera photo kept") << "camera.jpg" << 0 << QSize() << "";
        QTest::newRow("for the screen") << "camera.jpg" << 150 << QSize(1004, 753) << "";
        QTest::newRow("a PNG cut short") << "cut.png" << 0 << QSize() << "cut.png is damaged";
    }
    void preparePicture() {
        QFETCH(QString, name);
        QFETCH(int, ppi);
        QFETCH(QSize, copyPixels);
        QFETCH(QString, failure);
#ifdef LUMIGROVE_TSAN_BUILD
        if (ppi > 0) {
            QSKIP("Qt scales a camera-sized picture on its own thread pool, unseen by TSan");
        }
#endif
        QTemporaryDir folder;
        const PreparedEntry entry =
            ::preparePicture(file(name), folder.path(), "1", {ppi, 85, false}, {kA4Box, {}, false});
        QCOMPARE(entry.files.size(), copyPixels.isValid() ? 1 : 0);
        QVERIFY2(failure.isEmpty() ? entry.failure.isEmpty() : entry.failure.contains(failure),
                 qPrintable(entry.failure));
        if (copyPixels.isValid()) {
            QCOMPARE(QImageReader(entry.files.constFirst()).size(), copyPixels);
        }
    }

    // What the removal keeps: the rotation, which only the tag gives a JPEG, and the date.
    void stripped_keepsRotationAndDate() {
        QVERIFY(photo(file("turned.jpg"), {64, 48}));
        QVERIFY(addCameraData(file("turned.jpg"), 6));
        QTemporaryDir folder;
        const PreparedEntry entry =
            ::preparePicture(file("turned.jpg"), folder.path(), "1", {0, 85, true}, {});
        QCOMPARE(entry.files.size(), 1);
        const QByteArray tags = metadata(entry.files.constFirst());
        QVERIFY2(tags.contains("Exif.Image.Orientation") && tags.contains("right, top") &&
                     tags.contains("DateTimeOriginal") && !tags.contains("GPS"),
                 tags.constData());
    }

    void captionFacts_theDescriptionAPhotoCarries_data() {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QString>("description");
        QTest::newRow("EXIF, padded")
            << QStringList{"set Exif.Image.ImageDescription  Lake "} << "Lake";
        QTest::newRow("XMP, in two languages")
            << QStringList{"set Xmp.dc.description lang=de-DE See",
                           "set Xmp.dc.description lang=x-default Lake, at dawn"}
            << "Lake, at dawn";
    }

    void captionFacts_theDescriptionAPhotoCarries() {
        QFETCH(QStringList, tags);
        QFETCH(QString, description);
        const QString path = file(QStringLiteral("%1.jpg").arg(QTest::currentDataTag()));
        QVERIFY(photo(path, {32, 24}));
        for (const QString& tag : std::as_const(tags)) {
            QVERIFY(tool(QStringLiteral("exiv2"), {"-M", tag, path}));
        }
        const PictureFacts facts =
            readCaptionFacts(path, *CaptionPattern::parse(QStringLiteral("{description}")));
        QCOMPARE(facts.description, description);
    }

    // The copies live in a folder of the run's own that only its user may enter, and go with it.
    void stage_folderPrivateAndRemoved() {
        QString folder;
        {
            PreparedPictures stage({}, 2);
            stage.start({file("phone.heic"), file("plain.jpg")}, {});
            QCOMPARE(stage.take(0, {}).files.size(), 1);
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
            many.append(file("phone.heic"));
        }
        PreparedPictures stage({}, 2);
        stage.start(many, {});
        QCOMPARE(stage.take(0, {}).files.size(), 1);
        const QString folder = stage.folder();
        QElapsedTimer timer;
        timer.start();
        stage.discard();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(stage.take(1, {}).stopped);
    }

    // A folder that cannot be made stops the run at the first picture that needs a copy.
    void stage_folderCannotBeMade_fatalForCopiesOnly() {
        PreparedPictures stage({}, 1, file("missing"));
        stage.start({file("plain.jpg"), file("phone.heic")}, {});
        const StagedPicture plain = stage.take(0, {});
        QVERIFY2(!plain.fatal && plain.failure.isEmpty(), qPrintable(plain.failure));
        const StagedPicture heic = stage.take(1, {});
        QVERIFY(heic.fatal);
        QVERIFY2(heic.failure.contains("phone.heic"), qPrintable(heic.failure));
    }

private:
    QString file(const QString& name) const {
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(PreparePicturesTest)
#include "tst_prepare_pictures.moc"
