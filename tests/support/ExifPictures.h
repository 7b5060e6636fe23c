#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QString>

#include <sys/time.h>

// Picture files with a chosen EXIF DateTimeOriginal or Orientation, built byte by byte so
// that the reader under test is not also the writer.
namespace ExifPictures {

// The byte order of a TIFF structure: "II" (little-endian) or "MM" (big-endian); cameras
// write either.
enum class ByteOrder { Little, Big };

inline void put16(QByteArray& b, quint16 v, ByteOrder order = ByteOrder::Little) {
    const bool big = order == ByteOrder::Big;
    b.append(char(big ? v >> 8 : v & 0xFF));
    b.append(char(big ? v & 0xFF : v >> 8));
}
inline void put32(QByteArray& b, quint32 v, ByteOrder order = ByteOrder::Little) {
    for (int k = 0; k < 4; ++k) {
        const int shift = order == ByteOrder::Big ? 24 - 8 * k : 8 * k;
        b.append(char((v >> shift) & 0xFF));
    }
}

// A TIFF structure: IFD0 with the Orientation (0x0112) when `orientation` is not 0 and an
// entry pointing at the Exif IFD, which holds DateTimeOriginal (0x9003, ASCII, 20 bytes) when
// `taken` is given, else ExposureTime only.
inline QByteArray tiffBlock(const QString& taken, ByteOrder order = ByteOrder::Little,
                            quint16 orientation = 0) {
    // Every number of the block in its own byte order.
    const auto put16 = [order](QByteArray& b, quint16 v) { ExifPictures::put16(b, v, order); };
    const auto put32 = [order](QByteArray& b, quint32 v) { ExifPictures::put32(b, v, order); };
    QByteArray b(order == ByteOrder::Big ? "MM" : "II", 2);
    put16(b, 42);
    put32(b, 8); // IFD0
    const quint16 entries = orientation != 0 ? 2 : 1;
    const quint32 exifIfd = 8 + 2 + 12 * entries + 4;
    const quint32 values = exifIfd + 2 + 12 + 4;
    put16(b, entries);
    if (orientation != 0) {
        put16(b, 0x0112);
        put16(b, 3); // SHORT, in the first half of the value field
        put32(b, 1);
        put16(b, orientation);
        put16(b, 0);
    }
    put16(b, 0x8769); // Exif IFD pointer
    put16(b, 4);      // LONG
    put32(b, 1);
    put32(b, exifIfd);
    put32(b, 0); // no next IFD
    put16(b, 1);
    if (!taken.isEmpty()) {
        put16(b, 0x9003);
        put16(b, 2); // ASCII
        put32(b, 20);
        put32(b, values);
    } else {
        put16(b, 0x829A); // ExposureTime, RATIONAL
        put16(b, 5);
        put32(b, 1);
        put32(b, values);
    }
    put32(b, 0);
    if (!taken.isEmpty()) {
        QByteArray text = taken.toLatin1();
        text.resize(19);
        b.append(text);
        b.append('\0');
    } else {
        put32(b, 1);
        put32(b, 100);
    }
    return b;
}

// A JPEG written by Qt, `stored` pixels wide and high as they lie in the file, with an APP1
// Exif segment holding `tiff` put right after its start marker.
inline QByteArray jpegWithTiffBlock(const QByteArray& tiff, QSize stored = QSize(8, 8),
                                    QColor color = Qt::red) {
    QImage image(stored, QImage::Format_RGB32);
    image.fill(color);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    const int length = payload.size() + 2;
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// A small JPEG whose Exif block holds `taken`, "YYYY:MM:DD HH:MM:SS"; empty writes an Exif
// block without a date.
inline QByteArray jpegWithExif(const QString& taken, QColor color = Qt::red) {
    return jpegWithTiffBlock(tiffBlock(taken), QSize(8, 8), color);
}

inline QByteArray plainJpeg(QColor color = Qt::blue) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return jpeg;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Sets the file's access and modification times.
inline bool setModified(const QString& path, const QDateTime& when) {
    const qint64 secs = when.toSecsSinceEpoch();
    struct timeval times[2] = {{static_cast<time_t>(secs), 0}, {static_cast<time_t>(secs), 0}};
    return ::utimes(QFile::encodeName(path).constData(), times) == 0;
}

} // namespace ExifPictures
