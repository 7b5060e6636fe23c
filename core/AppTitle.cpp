#include "core/AppTitle.h"

namespace {
QString& storedTitle() {
    static QString title = QString::fromLatin1(kProductTitle);
    return title;
}
} // namespace

QString shortenTitle(QString title, int maxLength) {
    while (title.size() > maxLength) {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        // A title without a space cannot lose a word; cut it at the limit instead of looping.
        title.truncate(space >= 0 ? space : maxLength);
    }
    return title;
}

QString applicationTitle() {
    return storedTitle();
}

void setApplicationTitle(const QString& title) {
    storedTitle() = title;
}
