#include "builder/InsertRoutines.h"

#include "core/AppError.h"
#include "core/Clock.h"
#include "core/EventLoopWait.h"
#include "core/FileNames.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSecondsPerDay = 86400.0;
// The clock is read again at least this often, so that a wait follows the time of day
// rather than a timer of its own.
constexpr int kLongestSliceMs = 50;

double secondsBetween(double start, double now) {
    return now < start ? now + kSecondsPerDay - start : now - start;
}

// Room on the page besides the pictures themselves, in hundredths of a millimetre. The line
// that holds a picture placed as a character is as tall as the picture, but the layout
// rounds to twips; the empty paragraph after a table is a line of text; a table cell has
// padding on both sides. Each leaves some room to spare, so that a fitted picture never
// spills onto the next page.
constexpr int kLayoutRounding = 50;
constexpr int kTextLineAllowance = 600;
constexpr int kCellAllowance = 500;

} // namespace

QSize pictureBox(const QSize& textArea, const AlbumLayout& layout, int captionHeight,
                 int lineExtra) {
    const PageGrid grid = pageGrid(layout);
    int width = textArea.width() / grid.columns;
    int height = textArea.height();
    if (grid.table) {
        // The empty paragraph that follows each page's table.
        height -= kTextLineAllowance;
        width -= kCellAllowance;
    }
    height = height / grid.rows - lineExtra - kLayoutRounding;
    if (grid.table) {
        height -= kCellAllowance;
    }
    if (layout.caption != CaptionKind::None) {
        height -= captionHeight;
    }
    return QSize(std::max(width, 100), std::max(height, 100));
}

QSize fittedPictureSize(const QSize& size, const QSize& box, bool grow) {
    if (size.width() <= 0 || size.height() <= 0) {
        return size;
    }
    double factor =
        std::min(double(box.width()) / size.width(), double(box.height()) / size.height());
    if (!grow) {
        factor = std::min(factor, 1.0);
    }
    return QSize(std::max(1, int(std::floor(size.width() * factor))),
                 std::max(1, int(std::floor(size.height() * factor))));
}

void PauseSeconds(double seconds, Clock& clock, const std::function<bool()>& stop) {
    const double start = clock.secondsSinceMidnight();
    for (;;) {
        if (stop && stop()) {
            return;
        }
        const double elapsed = secondsBetween(start, clock.secondsSinceMidnight());
        if (!(elapsed < seconds)) {
            return;
        }
        const double remainingMs = std::ceil((seconds - elapsed) * 1000.0);
        sleepInEventLoop(static_cast<int>(std::clamp(remainingMs, 1.0, double(kLongestSliceMs))));
    }
}

QString FileNameFromPath(const QString& path, PathStyle style) {
    const qsizetype at = path.lastIndexOf(QLatin1Char(separatorOf(style)));
    return at < 0 ? path : path.mid(at + 1);
}

QString PictureFileUrl(const QString& path, PathStyle style) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QStringView view(path);
    QString location;
    location.reserve(path.size() + 16);
    for (qsizetype i = 0; i < view.size(); ++i) {
        const QChar c = view[i];
        if (c == QLatin1Char('%')) {
            location += QLatin1String("%25");
        } else if (c == QLatin1Char('#')) {
            location += QLatin1String("%23");
        } else if (isEscapedByteAt(view, i)) {
            // A byte of the name that is not UTF-8: the suite decodes "%XX" to that byte.
            const int byte = c.unicode() - 0xDC00;
            location += QLatin1Char('%');
            location += QLatin1Char(kHex[byte >> 4]);
            location += QLatin1Char(kHex[byte & 0xF]);
        } else if (style == PathStyle::Windows && c == QLatin1Char('\\')) {
            location += QLatin1Char('/');
        } else {
            location += c;
        }
    }
    return (style == PathStyle::Windows ? QStringLiteral("file:///") : QStringLiteral("file://")) +
           location;
}

int progressPercent(qsizetype i, qsizetype count) {
    if (count <= 0) {
        throw AppError(QStringLiteral("Division by zero"), ErrorNumber::DivisionByZero);
    }
    return static_cast<int>(std::clamp<qsizetype>(i, 0, count) * 100 / count);
}

void checkNotSpecialFile(const QString& path) {
    struct stat info {};
    if (::stat(encodeFileName(path).constData(), &info) != 0 || S_ISREG(info.st_mode)) {
        return;
    }
    const QString what = S_ISDIR(info.st_mode)    ? QStringLiteral("a folder")
                         : S_ISFIFO(info.st_mode) ? QStringLiteral("a fifo")
                         : S_ISSOCK(info.st_mode) ? QStringLiteral("a socket")
                                                  : QStringLiteral("a device");
    throw AppError(QStringLiteral("%1 is %2, not a picture file").arg(displayFileName(path), what),
                   ErrorNumber::PathFileAccessError);
}
