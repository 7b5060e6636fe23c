#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QString>

#include <sys/time.h>

// Picture files with a chosen EXIF DateTimeOriginal, built byte by byte so that the reader
// under test is not also the writer.
namespace ExifPictures {

inline void put16(QByteArray& b, quint16 v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
inline void put32(QByteArray& b, quint32 v) {
    for (int shift = 0; shift < 32; shift += 8) {
        b.append(char((v >> shift) & 0xFF));
    }
}

// A little-endian TIFF structure: IFD0 with one entry pointing at the Exif IFD, which holds
// DateTimeOriginal (0x9003, ASCII, 20 bytes) when `taken` is given, else ExposureTime only.
inline QByteArray tiffBlock(const QString& taken) {
    QByteArray b("II", 2);
    put16(b, 42);
    put32(b, 8); // IFD0
    put16(b, 1);
    put16(b, 0x8769); // Exif IFD pointer
    put16(b, 4);      // LONG
    put32(b, 1);
    put32(b, 26);
    put32(b, 0); // no next IFD
    // Exif IFD at 26.
    put16(b, 1);
    if (!taken.isEmpty()) {
        put16(b, 0x9003);
        put16(b, 2); // ASCII
        put32(b, 20);
        put32(b, 44);
    } else {
        put16(b, 0x829A); // ExposureTime, RATIONAL
        put16(b, 5);
        put32(b, 1);
        put32(b, 44);
    }
    put32(b, 0);
    // Value area at 44.
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

// A small JPEG written by Qt, with an APP1 Exif segment put right after its start marker.
// `taken` is "YYYY:MM:DD HH:MM:SS"; empty writes an Exif block without a date.
inline QByteArray jpegWithExif(const QString& taken, QColor color = Qt::red) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiffBlock(taken);
    QByteArray segment("\xFF\xE1", 2);
    const int length = payload.size() + 2;
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
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
