#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Orders for the picture list, as pure functions over the entries' texts. Each returns a
// permutation: the positions (0-based) of the entries in their new order, so that the caller
// can move every entry, duplicates included, and keep track of the one that was current.

// Natural order of two paths by their file names (the text after the last "/"): runs of the
// digits 0-9 compare as numbers, letters without regard to case. Equal numbers with different
// leading zeros put the one with fewer zeros first; names that are still equal compare by
// their plain text, and equal names by their whole paths, in the same way. The order is
// total: only equal texts compare equal. Returns <0, 0 or >0.
int compareNaturally(const QString& a, const QString& b);
bool naturalLess(const QString& a, const QString& b);

// The positions of `paths` in natural order of their file names.
QList<qsizetype> nameOrder(const QStringList& paths);

// A path with the time its picture was taken, when that is known.
struct DatedPath {
    QString path;
    std::optional<QDateTime> taken;
};

// The positions of `pictures` from the earliest taken to the latest; equal times in natural
// order of the names; the pictures without a time last, in natural order of the names.
QList<qsizetype> dateOrder(const QList<DatedPath>& pictures);

// The positions of `count` entries in reverse order.
QList<qsizetype> reverseOrder(qsizetype count);

// The texts of `paths` in the order `order` gives.
QStringList inOrder(const QStringList& paths, const QList<qsizetype>& order);
