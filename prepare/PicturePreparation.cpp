#include "prepare/PicturePreparation.h"

#include "builder/InsertRoutines.h"
#include "core/AppError.h"
#include "core/FileNames.h"
#include "prepare/HeifPicture.h"
#include "prepare/JpegScan.h"
#include "prepare/PhotoMetadata.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

namespace {

constexpr double kHmmPerInch = 2540.0;
constexpr double kMetresPerInch = 0.0254;
// The most memory one decoded picture may take, in megabytes: enough for the largest picture
// the office takes, at four bytes a pixel, and its scaled copy.
constexpr int kDecodeLimitMb = 4096;

// A copy could not be written into the run's folder (a full disk, a folder taken away).
struct FolderFailure {
    QString why;
};

// The raster formats whose pixels the stage may take over; the office keeps the rest (vector
// drawings among them) as they are.
bool isRasterFormat(const QByteArray& format) {
    return format == "png" || format == "tiff" || format == "gif" || format == "bmp" ||
           format == "webp";
}

QSize uprightSize(QSize stored, QImageIOHandler::Transformations transformation) {
    if (transformation.testFlag(QImageIOHandler::TransformationRotate90)) {
        stored.transpose();
    }
    return stored;
}

// The same proportions with at most as many pixels as the office takes.
QSize underOfficeLimit(const QSize& size) {
    const double pixels = double(size.width()) * size.height();
    if (pixels <= double(kOfficePixelLimit)) {
        return size;
    }
    const double factor = std::sqrt(double(kOfficePixelLimit) / pixels);
    return {std::max(1, int(size.width() * factor)), std::max(1, int(size.height() * factor))};
}

QSizeF pixelsPerInchOf(const QImage& image) {
    if (image.dotsPerMeterX() <= 0 || image.dotsPerMeterY() <= 0) {
        return {kUnstatedPixelsPerInch, kUnstatedPixelsPerInch};
    }
    return {image.dotsPerMeterX() * kMetresPerInch, image.dotsPerMeterY() * kMetresPerInch};
}

// Writes `image` as a copy whose size on the page is that of the picture of `original`
// pixels at `dpi`: fewer pixels get as many fewer pixels per inch.
QString writeCopy(QImage image, const QString& path, bool png, int quality, const QSize& original,
                  const QSizeF& dpi) {
    if (!path.contains(QLatin1Char('/'))) {
        throw FolderFailure{QStringLiteral("there is no folder for copies")};
    }
    const double scale = double(image.width()) / std::max(1, original.width());
    image.setDotsPerMeterX(std::max(1, int(std::lround(dpi.width() * scale / kMetresPerInch))));
    image.setDotsPerMeterY(std::max(1, int(std::lround(dpi.height() * scale / kMetresPerInch))));
    QImageWriter writer(path, png ? "png" : "jpeg");
    // For a PNG the quality is the inverse of its compression: 80 is zlib's quickest level.
    constexpr int kQuickPngQuality = 80;
    constexpr qint64 kQuickPngPixels = 50'000'000;
    if (!png) {
        writer.setQuality(quality);
    } else if (qint64(image.width()) * image.height() > kQuickPngPixels) {
        writer.setQuality(kQuickPngQuality);
    }
    if (!writer.write(image)) {
        ::unlink(encodeFileName(path).constData());
        throw FolderFailure{writer.errorString()};
    }
    return path;
}

void copyStripped(const QByteArray& source, const QString& target) {
    if (!target.contains(QLatin1Char('/'))) {
        throw FolderFailure{QStringLiteral("there is no folder for copies")};
    }
    try {
        copyWithoutPrivateData(source, encodeFileName(target));
    } catch (const AppError& e) {
        ::unlink(encodeFileName(target).constData());
        throw FolderFailure{e.description()};
    }
}

// Opens the file by its bytes, without waiting on anything that is no regular file.
bool openPicture(QFile& file, const QByteArray& bytes) {
    const int fd = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    return fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

class Preparation {
public:
    Preparation(const QString& source, const QString& folder, const QString& stem,
                const PicturePolicy& policy, const PictureRoom& room)
        : m_source(source), m_bytes(encodeFileName(source)),
          // Without a folder the names hold no folder, and nothing is written.
          m_base(folder.isEmpty() ? QString() : folder + QLatin1Char('/') + stem), m_policy(policy),
          m_room(room) {}

    PreparedEntry run();

private:
    PreparedEntry damaged(const QString& why) {
        m_entry.failure =
            QStringLiteral("The picture %1 is damaged: %2").arg(displayFileName(m_source), why);
        return m_entry;
    }
    // The pixels a picture of `upright` pixels at `dpi` is to have; `smaller` is set when the
    // policy asks for fewer (rather than the office's limit alone).
    QSize targetFor(const QSize& upright, const QSizeF& dpi, bool* smaller = nullptr) {
        const QSize wanted = m_policy.pixelsPerInch > 0
                                 ? pixelTarget(upright, dpi, m_room, m_policy.pixelsPerInch)
                                 : upright;
        if (smaller != nullptr) {
            *smaller = wanted != upright;
        }
        const QSize target = underOfficeLimit(wanted);
        if (target != wanted && m_entry.note.isEmpty()) {
            m_entry.note = QStringLiteral("made %1x%2 pixels, the most the office takes")
                               .arg(target.width())
                               .arg(target.height());
        }
        return target;
    }
    PreparedEntry heif();
    PreparedEntry jpeg(QImageReader& reader, const QSize& upright);
    // `frames` is the number of pictures the file holds (pages, or an animation's frames).
    PreparedEntry raster(QImageReader& reader, const QByteArray& format, const QSize& upright,
                         int frames);

    const QString m_source;
    const QByteArray m_bytes;
    const QString m_base;
    const PicturePolicy m_policy;
    const PictureRoom m_room;
    PreparedEntry m_entry;
};

PreparedEntry Preparation::run() {
    struct stat info {};
    // What is no regular file, or not there, goes on as it is: the run reports it.
    if (::stat(m_bytes.constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return m_entry;
    }
    try {
        if (isHeifFile(m_bytes)) {
            return heif();
        }
        QFile file;
        if (!openPicture(file, m_bytes)) {
            return m_entry;
        }
        QImageReader reader(&file);
        reader.setAllocationLimit(kDecodeLimitMb);
        const QByteArray format = reader.format();
        // Counted first: the TIFF reader counts from where the device stands.
        const int pages = format == "tiff" || format == "gif" ? reader.imageCount() : 1;
        const QSize upright = uprightSize(reader.size(), reader.transformation());
        if (format == "jpeg") {
            return jpeg(reader, upright);
        }
        if (isRasterFormat(format)) {
            return raster(reader, format, upright, pages);
        }
    } catch (const FolderFailure& failure) {
        m_entry = PreparedEntry();
        m_entry.folderFailed = true;
        m_entry.failure = failure.why;
    }
    return m_entry;
}

PreparedEntry Preparation::heif() {
    QString why;
    QImage image = decodeHeif(m_bytes, &why);
    if (image.isNull()) {
        return damaged(why);
    }
    const QSizeF dpi(kUnstatedPixelsPerInch, kUnstatedPixelsPerInch);
    const QSize original = image.size();
    const QSize target = targetFor(original, dpi);
    if (target != original) {
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const bool png = image.hasAlphaChannel();
    m_entry.files.append(writeCopy(image,
                                   m_base + (png ? QStringLiteral(".png") : QStringLiteral(".jpg")),
                                   png, m_policy.jpegQuality, original, dpi));
    return m_entry;
}

PreparedEntry Preparation::jpeg(QImageReader& reader, const QSize& upright) {
    const JpegFacts facts = scanJpeg(m_bytes);
    if (!facts.readable) {
        return m_entry; // the office says what it makes of it
    }
    if (facts.endsEarly) {
        return damaged(QStringLiteral("its data ends before the picture does"));
    }
    const QSizeF dpi = facts.dpiX > 0 ? QSizeF(facts.dpiX, facts.dpiY)
                                      : QSizeF(kUnstatedPixelsPerInch, kUnstatedPixelsPerInch);
    const QSize target = targetFor(upright, dpi);
    if (target != upright || facts.cmyk) {
        // Decoded at the size wanted, by the decoder's own scaling, and turned upright; the
        // copy needs no rotation of its own.
        if (target != upright) {
            reader.setScaledSize(uprightSize(target, reader.transformation()));
        }
        reader.setAutoTransform(true);
        QImage image;
        if (!reader.read(&image)) {
            return damaged(reader.errorString());
        }
        m_entry.files.append(writeCopy(image.convertToFormat(QImage::Format_RGB32),
                                       m_base + QStringLiteral(".jpg"), false, m_policy.jpegQuality,
                                       upright, dpi));
        return m_entry;
    }
    if (m_policy.stripMetadata) {
        const QString copy = m_base + QStringLiteral(".jpg");
        copyStripped(m_bytes, copy);
        m_entry.files.append(copy);
        return m_entry;
    }
    m_entry.locationKept = carriesLocation(m_bytes);
    return m_entry;
}

PreparedEntry Preparation::raster(QImageReader& reader, const QByteArray& format,
                                  const QSize& upright, int frames) {
    const QImageIOHandler::Transformations transformation = reader.transformation();
    const bool animated = format == "gif" && frames > 1;
    const int pages = format == "tiff" ? std::max(1, frames) : 1;
    reader.setAutoTransform(true);
    // Decoded to its end whatever becomes of it: a file cut short is found here.
    QList<QImage> images;
    for (int page = 0; page < pages; ++page) {
        QImage image;
        if (!reader.read(&image)) {
            return damaged(reader.errorString());
        }
        images.append(image);
        if (page + 1 < pages && !reader.jumpToNextImage()) {
            break;
        }
    }
    const QSizeF dpi = pixelsPerInchOf(images.constFirst());
    const bool turned = transformation != QImageIOHandler::TransformationNone;
    const bool reencode =
        turned || animated || images.size() > 1 || targetFor(upright, dpi) != upright;
    if (!reencode) {
        if (m_policy.stripMetadata && format != "gif" && format != "bmp") {
            // A TIFF's metadata shares its directories with the picture's own structure: it is
            // copied losslessly as a PNG instead.
            if (format == "tiff") {
                m_entry.files.append(writeCopy(images.constFirst(), m_base + QStringLiteral(".png"),
                                               true, 0, upright, dpi));
            } else {
                const QString copy = m_base + QLatin1Char('.') + QString::fromLatin1(format);
                copyStripped(m_bytes, copy);
                m_entry.files.append(copy);
            }
            return m_entry;
        }
        m_entry.locationKept = format != "gif" && format != "bmp" && carriesLocation(m_bytes);
        return m_entry;
    }
    if (images.size() > 1) {
        m_entry.note = QStringLiteral("%1 pages, each a picture of its own").arg(images.size());
    } else if (animated) {
        m_entry.note = QStringLiteral("the first picture of its animation");
    }
    for (qsizetype page = 0; page < images.size(); ++page) {
        QImage image = images.at(page);
        const QSize original = image.size();
        bool smaller = false;
        const QSize target = targetFor(original, pixelsPerInchOf(image), &smaller);
        // A copy made smaller for the page, of a picture without transparency, is a photo's
        // JPEG; every other copy keeps its pixels without loss (under the office's limit
        // too, at a quicker compression, since the office stores the picture again).
        const bool png = !smaller || image.hasAlphaChannel();
        if (target != original) {
            image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        const QString name =
            images.size() > 1 ? QStringLiteral("%1-%2").arg(m_base).arg(page + 1) : m_base;
        m_entry.files.append(
            writeCopy(image, name + (png ? QStringLiteral(".png") : QStringLiteral(".jpg")), png,
                      m_policy.jpegQuality, original, pixelsPerInchOf(images.at(page))));
    }
    return m_entry;
}

} // namespace

QSize pixelTarget(const QSize& pixels, const QSizeF& dpi, const PictureRoom& room, int ppi) {
    const bool wide = pixels.width() > pixels.height();
    const QSize box =
        wide && room.turned.isValid() && !room.turned.isEmpty() ? room.turned : room.upright;
    if (ppi <= 0 || box.isEmpty() || pixels.isEmpty() || dpi.isEmpty()) {
        return pixels;
    }
    const QSize natural(
        std::max(1, int(std::lround(pixels.width() / dpi.width() * kHmmPerInch))),
        std::max(1, int(std::lround(pixels.height() / dpi.height() * kHmmPerInch))));
    const QSize onPage = fittedPictureSize(natural, box, room.grow);
    const int width = int(std::ceil(onPage.width() / kHmmPerInch * ppi));
    const int height = int(std::ceil(onPage.height() / kHmmPerInch * ppi));
    if (width >= pixels.width() || height >= pixels.height()) {
        return pixels;
    }
    // The proportions are the picture's own, whatever the rounding of the page's size.
    const QSize scaled = pixels.scaled(width, height, Qt::KeepAspectRatioByExpanding);
    return {std::min(scaled.width(), pixels.width()), std::min(scaled.height(), pixels.height())};
}

PreparedEntry preparePicture(const QString& source, const QString& folder, const QString& stem,
                             const PicturePolicy& policy, const PictureRoom& room) {
    PreparedEntry entry = Preparation(source, folder, stem, policy, room).run();
    for (const QString& file : entry.files.isEmpty() ? QStringList{source} : entry.files) {
        struct stat info {};
        if (::stat(encodeFileName(file).constData(), &info) == 0 && S_ISREG(info.st_mode)) {
            entry.bytes += info.st_size;
        }
    }
    return entry;
}
