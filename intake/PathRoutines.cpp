#include "intake/PathRoutines.h"

#include <algorithm>
#include <utility>

namespace {

// Replaces every non-overlapping pair of separators by one, left to right.
QString collapsePairs(const QString& text, QChar separator) {
    const QChar pair[2] = {separator, separator};
    if (!text.contains(QStringView(pair, 2))) {
        return text;
    }
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text.at(i));
        if (text.at(i) == separator && i + 1 < text.size() && text.at(i + 1) == separator) {
            ++i;
        }
    }
    return result;
}

} // namespace

QString NormalizePath(const QString& path, PathStyle style) {
    const QChar separator = QLatin1Char(separatorOf(style));
    if (style == PathStyle::Posix || !path.startsWith(separator)) {
        return collapsePairs(path, separator);
    }
    qsizetype rest = 1;
    while (rest < path.size() && path.at(rest) == separator) {
        ++rest;
    }
    return QString(2, separator) + collapsePairs(path.mid(rest), separator);
}

QString folderOfPath(const QString& path, PathStyle style) {
    const QChar separator = QLatin1Char(separatorOf(style));
    const qsizetype last = path.lastIndexOf(separator);
    if (last < 0) {
        return QString();
    }
    // The root keeps its separator: "/" alone, or a drive such as "C:\".
    const bool root = style == PathStyle::Posix
                          ? last == 0
                          : last == 2 && path.size() > 1 && path.at(1) == QLatin1Char(':');
    return path.left(root ? last + 1 : last);
}

bool WildcardMatch(const QString& name, const QString& pattern) {
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
        return true;
    }
    auto same = [](QChar a, QChar b) { return a == b || a.toUpper() == b.toUpper(); };
    // Greedy matching that backtracks to the last star only: linear in practice.
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern.at(p) == QLatin1Char('?') || same(pattern.at(p), name.at(n)))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
        ++p;
    }
    // Windows lets a trailing ".*" match a name without a dot ("*.*" above is its common case).
    if (p + 2 == pattern.size() && pattern.at(p) == QLatin1Char('.') &&
        pattern.at(p + 1) == QLatin1Char('*')) {
        return true;
    }
    return p == pattern.size();
}

namespace {

// Compares the upper-cased forms code unit by code unit, as Windows file systems order names
// (one code unit maps to one, so "ß" stays "ß"); no copies are made.
int compareUpperCased(const QString& a, const QString& b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        char32_t x = a.at(i).unicode();
        char32_t y = b.at(i).unicode();
        if (x == y) {
            continue;
        }
        x = x < 128 ? (x >= 'a' && x <= 'z' ? x - 32 : x) : QChar::toUpper(x);
        y = y < 128 ? (y >= 'a' && y <= 'z' ? y - 32 : y) : QChar::toUpper(y);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

bool enumerationOrderLess(const QString& a, const QString& b) {
    const int folded = compareUpperCased(a, b);
    if (folded != 0) {
        return folded < 0;
    }
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QList<qsizetype> enumerationOrder(const QStringList& names) {
    QList<qsizetype> order(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](qsizetype x, qsizetype y) {
        return enumerationOrderLess(names.at(x), names.at(y));
    });
    return order;
}

void sortInEnumerationOrder(QStringList& names) {
    if (names.size() < 2) {
        return;
    }
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : enumerationOrder(names)) {
        sorted.append(names.at(i));
    }
    names = std::move(sorted);
}
