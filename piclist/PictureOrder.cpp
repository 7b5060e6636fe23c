#include "piclist/PictureOrder.h"

#include <algorithm>
#include <numeric>

namespace {

QStringView fileNameOf(QStringView path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int sign(qsizetype v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Compares two texts as sequences of numbers and case-folded characters. A number stands
// where its first digit stands, so it sorts among the other characters like the digit "0".
// When the sequences are equal, the first difference in leading zeros decides: fewer first.
int compareFolded(QStringView x, QStringView y) {
    qsizetype i = 0;
    qsizetype j = 0;
    int zeros = 0;
    while (i < x.size() && j < y.size()) {
        const bool digitX = isDigit(x.at(i));
        const bool digitY = isDigit(y.at(j));
        if (digitX && digitY) {
            qsizetype endX = i;
            while (endX < x.size() && isDigit(x.at(endX))) {
                ++endX;
            }
            qsizetype endY = j;
            while (endY < y.size() && isDigit(y.at(endY))) {
                ++endY;
            }
            qsizetype startX = i;
            while (startX < endX - 1 && x.at(startX) == QLatin1Char('0')) {
                ++startX;
            }
            qsizetype startY = j;
            while (startY < endY - 1 && y.at(startY) == QLatin1Char('0')) {
                ++startY;
            }
            // Without leading zeros the longer run is the larger number; runs of the same
            // length compare digit by digit. Any length works, nothing overflows.
            const qsizetype lengthX = endX - startX;
            const qsizetype lengthY = endY - startY;
            if (lengthX != lengthY) {
                return lengthX < lengthY ? -1 : 1;
            }
            const int digits =
                x.mid(startX, lengthX).compare(y.mid(startY, lengthY), Qt::CaseSensitive);
            if (digits != 0) {
                return digits < 0 ? -1 : 1;
            }
            if (zeros == 0) {
                zeros = sign((startX - i) - (startY - j));
            }
            i = endX;
            j = endY;
            continue;
        }
        const QChar cx = digitX ? QLatin1Char('0') : x.at(i);
        const QChar cy = digitY ? QLatin1Char('0') : y.at(j);
        if (cx != cy) {
            return cx < cy ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < x.size() || j < y.size()) {
        return i < x.size() ? 1 : -1;
    }
    return zeros;
}

int comparePlain(QStringView a, QStringView b) {
    const int c = a.compare(b, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// A path with its case-folded forms, folded once for a whole sort.
struct SortKey {
    QString path;
    QString foldedName;
    QString foldedPath;

    explicit SortKey(const QString& p)
        : path(p), foldedName(fileNameOf(p).toString().toCaseFolded()),
          foldedPath(p.toCaseFolded()) {}
};

int compareKeys(const SortKey& a, const SortKey& b) {
    if (const int c = compareFolded(a.foldedName, b.foldedName); c != 0) {
        return c;
    }
    if (const int c = comparePlain(fileNameOf(a.path), fileNameOf(b.path)); c != 0) {
        return c;
    }
    if (const int c = compareFolded(a.foldedPath, b.foldedPath); c != 0) {
        return c;
    }
    return comparePlain(a.path, b.path);
}

QList<SortKey> keysOf(const QStringList& paths) {
    QList<SortKey> keys;
    keys.reserve(paths.size());
    for (const QString& path : paths) {
        keys.append(SortKey(path));
    }
    return keys;
}

} // namespace

int compareNaturally(const QString& a, const QString& b) {
    return compareKeys(SortKey(a), SortKey(b));
}

bool naturalLess(const QString& a, const QString& b) {
    return compareNaturally(a, b) < 0;
}

QList<qsizetype> nameOrder(const QStringList& paths) {
    QList<qsizetype> order(paths.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    const QList<SortKey> keys = keysOf(paths);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype l, qsizetype r) {
        return compareKeys(keys.at(l), keys.at(r)) < 0;
    });
    return order;
}

QList<qsizetype> dateOrder(const QList<DatedPath>& pictures) {
    QList<qsizetype> order(pictures.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    QStringList paths;
    paths.reserve(pictures.size());
    for (const DatedPath& picture : pictures) {
        paths.append(picture.path);
    }
    const QList<SortKey> keys = keysOf(paths);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype l, qsizetype r) {
        const DatedPath& a = pictures.at(l);
        const DatedPath& b = pictures.at(r);
        if (a.taken.has_value() != b.taken.has_value()) {
            return a.taken.has_value();
        }
        if (a.taken && *a.taken != *b.taken) {
            return *a.taken < *b.taken;
        }
        return compareKeys(keys.at(l), keys.at(r)) < 0;
    });
    return order;
}

QList<qsizetype> reverseOrder(qsizetype count) {
    QList<qsizetype> order(count);
    for (qsizetype k = 0; k < count; ++k) {
        order[k] = count - 1 - k;
    }
    return order;
}

QStringList inOrder(const QStringList& paths, const QList<qsizetype>& order) {
    QStringList sorted;
    sorted.reserve(order.size());
    for (const qsizetype k : order) {
        sorted.append(paths.at(k));
    }
    return sorted;
}
