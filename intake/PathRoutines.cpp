#include "PathRoutines.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Replaces every non-overlapping pair of separators by one, left to right.
QString collapsePairs(const QString& text, QChar separator) {
    const QString pair(2, separator);
    if (!text.contains(pair)) {
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

bool enumerationOrderLess(const QString& a, const QString& b) {
    const int folded = QString::compare(a.toUpper(), b.toUpper(), Qt::CaseSensitive);
    if (folded != 0) {
        return folded < 0;
    }
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QList<qsizetype> enumerationOrder(const QStringList& names) {
    // Upper-case each name once rather than at every comparison.
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        keys.emplace_back(names.at(i).toUpper(), i);
    }
    std::sort(keys.begin(), keys.end(), [&](const auto& x, const auto& y) {
        const int folded = QString::compare(x.first, y.first, Qt::CaseSensitive);
        if (folded != 0) {
            return folded < 0;
        }
        return QString::compare(names.at(x.second), names.at(y.second), Qt::CaseSensitive) < 0;
    });
    QList<qsizetype> order;
    order.reserve(names.size());
    for (const auto& key : keys) {
        order.append(key.second);
    }
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
