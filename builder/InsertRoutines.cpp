#include "builder/InsertRoutines.h"

#include "core/AppError.h"
#include "core/Clock.h"
#include "core/EventLoopWait.h"

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

} // namespace

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
    QString location = path;
    location.replace(QLatin1Char('%'), QStringLiteral("%25"));
    location.replace(QLatin1Char('#'), QStringLiteral("%23"));
    if (style == PathStyle::Windows) {
        location.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QStringLiteral("file:///") + location;
    }
    return QStringLiteral("file://") + location;
}

int progressPercent(qsizetype i, qsizetype count) {
    if (count <= 0) {
        throw AppError(QStringLiteral("Division by zero"), ErrorNumber::DivisionByZero);
    }
    return static_cast<int>(std::clamp<qsizetype>(i, 0, count) * 100 / count);
}

void checkNotSpecialFile(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode)) {
        return;
    }
    const QString what = S_ISDIR(info.st_mode)    ? QStringLiteral("a folder")
                         : S_ISFIFO(info.st_mode) ? QStringLiteral("a fifo")
                         : S_ISSOCK(info.st_mode) ? QStringLiteral("a socket")
                                                  : QStringLiteral("a device");
    throw AppError(QStringLiteral("%1 is %2, not a picture file").arg(path, what),
                   ErrorNumber::PathFileAccessError);
}
