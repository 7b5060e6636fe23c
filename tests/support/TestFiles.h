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
#include <QThread>
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

// What a time bound in a test allows past the limit under test: on a loaded machine (suites
// side by side, a sanitizer build beside them) an answer may come this much later without
// anything being wrong.
constexpr int kBusyMachineSlackMs = 8000;

// Waits up to `ms` until the process shows as stopped (state T in /proc) after a SIGSTOP.
inline bool waitUntilStopped(pid_t pid, int ms) {
    for (int waited = 0; waited < ms; ++waited) {
        const QByteArray stat = fileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.mid(stat.lastIndexOf(')') + 2, 1) == "T") {
            return true;
        }
        QThread::msleep(1);
    }
    return false;
}

// Writes a text template (.ott) as a person's letterhead would be: `bodyText` in its body,
// `header` in the header of its one page style (A4, 2 cm margins), and a "Caption" paragraph
// style of `captionPoints`. Zipped by python3, which the tests have anyway.
inline bool writeTextTemplate(const QString& path, const QString& bodyText, const QString& header,
                              int captionPoints) {
    const QString ns =
        QStringLiteral(R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
                       R"(xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" )"
                       R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" )"
                       R"(xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")");
    const QString styles = QStringLiteral(
        R"(<office:document-styles %1><office:styles><style:style style:name="Caption" )"
        R"(style:family="paragraph"><style:text-properties fo:font-size="%2pt"/></style:style>)"
        R"(</office:styles><office:automatic-styles><style:page-layout style:name="pm1">)"
        R"(<style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" )"
        R"(fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/>)"
        R"(</style:page-layout></office:automatic-styles><office:master-styles><style:master-page )"
        R"(style:name="Standard" style:page-layout-name="pm1"><style:header><text:p>%3</text:p>)"
        R"(</style:header></style:master-page></office:master-styles></office:document-styles>)");
    const QString content = QStringLiteral(
        R"(<office:document-content %1><office:body><office:text><text:p>%2</text:p>)"
        R"(</office:text></office:body></office:document-content>)");
    const char* script = R"(import sys, zipfile
kind = 'application/vnd.oasis.opendocument.text-template'
entry = '<manifest:file-entry manifest:full-path="%s" manifest:media-type="%s"/>'
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr(zipfile.ZipInfo('mimetype'), kind)
    z.writestr('META-INF/manifest.xml', '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:'
               'opendocument:xmlns:manifest:1.0">' + entry % ('/', kind) + entry % ('content.xml',
               'text/xml') + entry % ('styles.xml', 'text/xml') + '</manifest:manifest>')
    z.writestr('content.xml', sys.argv[2])
    z.writestr('styles.xml', sys.argv[3])
)";
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {"-c", script, path, content.arg(ns, bodyText.toHtmlEscaped()),
                  styles.arg(ns).arg(captionPoints).arg(header.toHtmlEscaped())});
    return python.waitForFinished(30000) && python.exitStatus() == QProcess::NormalExit &&
           python.exitCode() == 0;
}
