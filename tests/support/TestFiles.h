#pragma once

// Files on the real disk as the end-to-end tests write and read them, and the output of the
// tools they read documents with (unzip, pdfinfo, ps). Needs Qt Gui for the pictures.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSize>
#include <QtDebug>

#include <fcntl.h>
#include <unistd.h>

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The same at a path given as bytes, for names that are not UTF-8.
inline QByteArray rawFileBytes(const QByteArray& path) {
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    char buffer[4096];
    for (ssize_t got = 0; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, got);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return bytes;
}

inline bool writeRawBytes(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    const bool written =
        fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    if (fd >= 0) {
        ::close(fd);
    }
    return written;
}

// Runs a command in `folder` and returns its standard output; empty, with a warning, when
// it fails.
inline QByteArray commandOutput(const QString& program, const QStringList& args,
                                const QString& folder = QString()) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning() << program << args << process.readAllStandardError();
        return {};
    }
    return process.readAllStandardOutput();
}

// A picture of one colour that no picture of another shade equals, byte for byte: by default
// (24 + shade) x (16 + shade % 5) pixels.
inline QByteArray pictureBytes(int shade, QSize pixels = {}, const char* format = "PNG") {
    QImage image(pixels.isValid() ? pixels : QSize(24 + shade, 16 + shade % 5),
                 QImage::Format_RGB32);
    image.fill(qRgb(shade * 37 % 256, 120, 255 - shade * 11 % 256));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, format) ? buffer.data() : QByteArray();
}

// Such a picture in the format that the name's ending says, its folders made as needed.
inline bool writePicture(const QString& path, int shade, QSize pixels = {}) {
    const QByteArray bytes = pictureBytes(shade, pixels, QFileInfo(path).suffix().toLatin1());
    return !bytes.isEmpty() && QDir().mkpath(QFileInfo(path).absolutePath()) &&
           writeBytes(path, bytes);
}
