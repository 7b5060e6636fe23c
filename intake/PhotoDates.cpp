#include "intake/PhotoDates.h"

#include "core/FileNames.h"

#include <libexif/exif-data.h>
#include <libexif/exif-loader.h>

#include <QByteArray>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace {

// The EXIF block of a JPEG lies in its first segments; a TIFF's tags may lie anywhere in the
// file, so a TIFF is read whole up to this size.
constexpr qint64 kJpegReadLimit = 4 * 1024 * 1024;
constexpr qint64 kTiffReadLimit = 64 * 1024 * 1024;
constexpr qsizetype kChunk = 64 * 1024;

// An open regular file, closed on every way out.
class RegularFile {
public:
    explicit RegularFile(const QString& path) {
        // Non-blocking, so that opening a fifo cannot wait for a writer.
        m_fd = ::open(encodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0 && (::fstat(m_fd, &m_info) != 0 || !S_ISREG(m_info.st_mode))) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RegularFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    const struct stat& info() const { return m_info; }

    // Up to `size` bytes from the current place; fewer at the end of the file or on a failure.
    QByteArray read(qsizetype size) {
        QByteArray bytes(size, Qt::Uninitialized);
        qsizetype got = 0;
        while (got < size) {
            const ssize_t n = ::read(m_fd, bytes.data() + got, static_cast<size_t>(size - got));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            got += n;
        }
        bytes.truncate(got);
        return bytes;
    }

private:
    int m_fd = -1;
    struct stat m_info {};
};

struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
struct ExifLoaderFree {
    void operator()(ExifLoader* loader) const { exif_loader_unref(loader); }
};

// Parses an EXIF block ("Exif\0\0" and the TIFF structure) as it is. A new ExifData would
// also add missing mandatory tags, with made-up values, while loading; every option is
// cleared and only the one that leaves unknown tags out is set again, so the block is only read.
std::unique_ptr<ExifData, ExifDataFree> parseExif(const unsigned char* bytes, unsigned int size) {
    std::unique_ptr<ExifData, ExifDataFree> data(exif_data_new());
    if (!data) {
        return data;
    }
    // libexif's options are the bits 0 to 2 of the option word.
    exif_data_unset_option(data.get(), static_cast<ExifDataOption>(0x7));
    exif_data_set_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), bytes, size);
    return data;
}

std::optional<QDateTime> dateTimeOriginal(ExifData* data) {
    if (!data) {
        return std::nullopt;
    }
    ExifEntry* entry =
        exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data) {
        return std::nullopt;
    }
    QByteArray text(reinterpret_cast<const char*>(entry->data),
                    static_cast<qsizetype>(entry->size));
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0) {
        text.truncate(nul);
    }
    const QDateTime taken = QDateTime::fromString(QString::fromLatin1(text.trimmed()),
                                                  QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    if (!taken.isValid()) {
        return std::nullopt;
    }
    return taken;
}

std::optional<QDateTime> exifOfJpeg(RegularFile& file, const QByteArray& start) {
    std::unique_ptr<ExifLoader, ExifLoaderFree> loader(exif_loader_new());
    if (!loader) {
        return std::nullopt;
    }
    QByteArray chunk = start;
    qint64 total = chunk.size();
    // The loader takes the file piece by piece and says when it has the EXIF block or
    // knows there is none.
    while (!chunk.isEmpty() &&
           exif_loader_write(loader.get(), reinterpret_cast<unsigned char*>(chunk.data()),
                             static_cast<unsigned int>(chunk.size())) != 0 &&
           total < kJpegReadLimit) {
        chunk = file.read(kChunk);
        total += chunk.size();
    }
    const unsigned char* buffer = nullptr;
    unsigned int size = 0;
    exif_loader_get_buf(loader.get(), &buffer, &size);
    if (!buffer || size == 0) {
        return std::nullopt;
    }
    return dateTimeOriginal(parseExif(buffer, size).get());
}

std::optional<QDateTime> exifOfTiff(RegularFile& file, const QByteArray& start) {
    // A TIFF file is laid out as an EXIF block is after its six-byte header.
    QByteArray block = QByteArray("Exif\0\0", 6) + start;
    block += file.read(static_cast<qsizetype>(
        std::min<qint64>(file.info().st_size, kTiffReadLimit) - start.size()));
    return dateTimeOriginal(parseExif(reinterpret_cast<const unsigned char*>(block.constData()),
                                      static_cast<unsigned int>(block.size()))
                                .get());
}

std::optional<QDateTime> exifOf(RegularFile& file) {
    const QByteArray start = file.read(kChunk);
    if (start.startsWith("\xFF\xD8")) {
        return exifOfJpeg(file, start);
    }
    if (start.startsWith(QByteArrayLiteral("II*\0")) ||
        start.startsWith(QByteArrayLiteral("MM\0*"))) {
        return exifOfTiff(file, start);
    }
    return std::nullopt;
}

} // namespace

std::optional<QDateTime> exifDateTaken(const QString& path) {
    RegularFile file(path);
    if (!file.isOpen()) {
        return std::nullopt;
    }
    return exifOf(file);
}

std::optional<QDateTime> photoDate(const QString& path) {
    RegularFile file(path);
    if (!file.isOpen()) {
        return std::nullopt;
    }
    if (std::optional<QDateTime> taken = exifOf(file)) {
        return taken;
    }
    const auto& modified = file.info().st_mtim;
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(modified.tv_sec) * 1000 +
                                          modified.tv_nsec / 1000000);
}

QList<DatedPath> datedPaths(const QStringList& paths) {
    QList<DatedPath> dated;
    dated.reserve(paths.size());
    for (const QString& path : paths) {
        dated.append({path, photoDate(path)});
    }
    return dated;
}

QList<qsizetype> dateTakenOrder(const QStringList& paths) {
    return dateOrder(datedPaths(paths));
}
