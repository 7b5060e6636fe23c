#include "builder/InsertRoutines.h"

#include "core/Clock.h"
#include "core/EventLoopWait.h"

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

void PauseSeconds(double seconds, Clock& clock) {
    const double start = clock.secondsSinceMidnight();
    for (;;) {
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
