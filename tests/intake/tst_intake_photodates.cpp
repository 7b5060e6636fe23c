// Dates taken read from real files: the EXIF DateTimeOriginal of JPEG and TIFF files, the
// modification time when there is none, and no date for what is not a readable regular file.
#include "intake/PhotoDates.h"
#include "tests/support/ExifPictures.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace ExifPictures;

namespace {

QDateTime local(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// The date, or an invalid one for none, so that QCOMPARE can show it.
QDateTime shown(const std::optional<QDateTime>& date) {
    return date.value_or(QDateTime());
}

} // namespace

class PhotoDatesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void exif_readFromJpegAndTiff() {
        QVERIFY(writeFile(file("a.jpg"), jpegWithExif("2019:07:14 08:30:05")));
        QVERIFY(setModified(file("a.jpg"), local(2023, 1, 1, 0, 0, 0)));
        QCOMPARE(shown(exifDateTaken(file("a.jpg"))), local(2019, 7, 14, 8, 30, 5));
        // The EXIF date wins over the modification time.
        QCOMPARE(shown(photoDate(file("a.jpg"))), local(2019, 7, 14, 8, 30, 5));

        // A TIFF file holds its tags in the same structure as an EXIF block.
        QVERIFY(writeFile(file("b.tif"), tiffBlock("2001:02:03 04:05:06")));
        QCOMPARE(shown(exifDateTaken(file("b.tif"))), local(2001, 2, 3, 4, 5, 6));
        // In either byte order: the date the sort goes by is the one taken, not the file's.
        QVERIFY(writeFile(file("m.tif"), tiffBlock("2002:03:04 05:06:07", ByteOrder::Big)));
        QCOMPARE(shown(photoDate(file("m.tif"))), local(2002, 3, 4, 5, 6, 7));

        // The extension does not matter; the content does.
        QVERIFY(writeFile(file("c.png"), jpegWithExif("2010:10:10 10:10:10")));
        QCOMPARE(shown(exifDateTaken(file("c.png"))), local(2010, 10, 10, 10, 10, 10));
    }

    void exif_missingOrBrokenFallsBackToModificationTime() {
        const QDateTime modified = local(2015, 3, 4, 5, 6, 7);
        struct Case {
            const char* name;
            QByteArray bytes;
        };
        const QList<Case> cases = {
            {"plain.jpg", plainJpeg()},
            // An Exif block without DateTimeOriginal: no date may be made up for it.
            {"nodate.jpg", jpegWithExif(QString())},
            {"zeros.jpg", jpegWithExif("0000:00:00 00:00:00")},
            {"garbage.jpg", jpegWithExif("not a date at all!!")},
            {"text.txt", QByteArray("hello\n")},
            {"empty.jpg", QByteArray()},
            {"cut.jpg", jpegWithExif("2019:07:14 08:30:05").left(20)},
        };
        for (const Case& c : cases) {
            const QString path = file(QString::fromLatin1(c.name));
            QVERIFY(writeFile(path, c.bytes));
            QVERIFY(setModified(path, modified));
            QVERIFY2(!exifDateTaken(path).has_value(), c.name);
            QCOMPARE(shown(photoDate(path)), modified);
        }
    }

    void noDate_forMissingFolderAndFifo() {
        QVERIFY(!photoDate(file("gone.jpg")).has_value());
        QVERIFY(!photoDate(m_dir->path()).has_value());
        // A fifo without a writer: reading it would wait for ever.
        QCOMPARE(::mkfifo(QFile::encodeName(file("pipe.jpg")).constData(), 0600), 0);
        QVERIFY(!photoDate(file("pipe.jpg")).has_value());
    }

    void dateOrder_exifContradictsNames() {
        // Names say 1, 2, 3, 4; the EXIF dates say 3, 1, 2; "4" has only its modification time,
        // which lies between; "5" is gone and goes last.
        QVERIFY(writeFile(file("photo1.jpg"), jpegWithExif("2022:06:01 10:00:00")));
        QVERIFY(writeFile(file("photo2.jpg"), jpegWithExif("2020:06:01 10:00:00")));
        QVERIFY(writeFile(file("photo3.jpg"), jpegWithExif("2021:06:01 10:00:00")));
        QVERIFY(writeFile(file("photo4.jpg"), plainJpeg()));
        for (const char* name : {"photo1.jpg", "photo2.jpg", "photo3.jpg"}) {
            QVERIFY(setModified(file(name), local(2000, 1, 1, 0, 0, 0)));
        }
        QVERIFY(setModified(file("photo4.jpg"), local(2021, 12, 24, 18, 0, 0)));
        const QStringList paths = {file("photo5.jpg"), file("photo4.jpg"), file("photo3.jpg"),
                                   file("photo2.jpg"), file("photo1.jpg")};
        QCOMPARE(inOrder(paths, dateTakenOrder(paths)),
                 (QStringList{file("photo2.jpg"), file("photo3.jpg"), file("photo4.jpg"),
                              file("photo1.jpg"), file("photo5.jpg")}));
    }

private:
    QString file(const QString& name) const { return m_dir->path() + QLatin1Char('/') + name; }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(PhotoDatesTest)
#include "tst_intake_photodates.moc"
