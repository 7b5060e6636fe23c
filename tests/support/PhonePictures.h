#pragma once

// Pictures as phones, cameras and scanners write them, made with the field's own tools
// (ImageMagick, libheif's encoder, exiv2), so that the code under test is not also the writer.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QtDebug>

namespace PhonePictures {

inline bool tool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    const bool ok = process.waitForFinished(120000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok) {
        qWarning() << program << args << process.readAllStandardError();
    }
    return ok;
}

inline QString pixels(QSize size) {
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// A photo-like picture (a fractal, as compressible as a photo), written in the format that the
// name's ending says; `options` go in before the output, such as {"-orient", "RightTop"}.
inline bool photo(const QString& path, QSize size, const QStringList& options = {}) {
    return tool(QStringLiteral("convert"),
                QStringList{"-seed", "7", "-size", pixels(size), "plasma:fractal"} + options +
                    QStringList{path});
}

// One colour in CMYK, as prepress software saves a JPEG, without a colour profile.
inline bool cmykJpeg(const QString& path, const QString& colour) {
    return tool(QStringLiteral("convert"),
                {"-size", "64x48", "xc:" + colour, "-colorspace", "CMYK", path});
}

// The pictures at `pages` as the pages of one TIFF file.
inline bool multiPageTiff(const QString& path, const QStringList& pages) {
    return tool(QStringLiteral("convert"), pages + QStringList{path});
}

// A HEIC (libheif's encoder) or AVIF (ImageMagick through libheif) of the picture at `from`.
inline bool heif(const QString& path, const QString& from) {
    return path.endsWith(QLatin1String(".avif"))
               ? tool(QStringLiteral("convert"), {from, path})
               : tool(QStringLiteral("heif-enc"), {"-q", "80", from, "-o", path});
}

// Adds what a phone's camera writes about where and with what: a GPS position, the body's and
// the lens's serial numbers, the date taken, the EXIF orientation and a thumbnail (made from
// the picture itself).
inline bool addCameraData(const QString& path, int orientation = 1) {
    const QString thumb = path.left(path.lastIndexOf(QLatin1Char('.'))) + "-thumb.jpg";
    return tool(QStringLiteral("convert"), {path, "-resize", "160x120", thumb}) &&
           tool(QStringLiteral("exiv2"),
                {"-M", "set Exif.GPSInfo.GPSLatitude 51/1 30/1 0/1", "-M",
                 "set Exif.GPSInfo.GPSLatitudeRef N", "-M",
                 "set Exif.Photo.BodySerialNumber CAM12345", "-M",
                 "set Exif.Photo.LensSerialNumber LENS678", "-M",
                 QStringLiteral("set Exif.Image.Orientation %1").arg(orientation), "-M",
                 "set Exif.Photo.DateTimeOriginal 2026:05:01 10:00:00", path}) &&
           tool(QStringLiteral("exiv2"), {"-it", path}) && QFile::remove(thumb);
}

// What exiv2 reads of the file's metadata, one tag a line.
inline QByteArray metadata(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("exiv2"), {"-pa", path});
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

// The bytes from a baseline JPEG's last start of scan on: its compressed picture.
inline QByteArray scanData(const QByteArray& jpeg) {
    return jpeg.mid(jpeg.lastIndexOf(QByteArrayLiteral("\xFF\xDA")));
}

// The file cut to `keep` bytes, as a copy broken off halfway would be.
inline bool cut(const QString& path, qint64 keep) {
    return QFile::resize(path, keep);
}

} // namespace PhonePictures
