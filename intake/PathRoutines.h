#pragma once

#include "core/PathStyle.h"

#include <QString>
#include <QStringList>

// Pure text routines on paths and file names. They touch no disk; the path style says which
// separator they work with, so the program's behaviour on backslash paths stays testable.

// Collapses doubled separators in one pass from left to right (three in a row become two,
// four become two). In Windows style a path that begins with a backslash keeps, or gets,
// exactly the two-backslash prefix of a network path. Paths built by joining a folder that
// already ends in a separator with a name come out with single separators.
QString NormalizePath(const QString& path, PathStyle style = kNativePathStyle);

// The folder part of a full path, as a file dialog gives it: without the last separator,
// except for the root folder, which keeps it ("/", "C:\"). A path without a separator has none.
QString folderOfPath(const QString& path, PathStyle style = kNativePathStyle);

// File-name wildcards: "*" any run of characters, "?" one character, matched without regard
// to case. "*.*" matches every name, also one without a dot.
bool WildcardMatch(const QString& name, const QString& pattern);

// The order in which a folder's names are handed out: by their upper-cased form, code unit by
// code unit, ties by the exact name ("img10" before "img2", "_x" after "Z").
bool enumerationOrderLess(const QString& a, const QString& b);
// The positions of `names` in enumeration order.
QList<qsizetype> enumerationOrder(const QStringList& names);
void sortInEnumerationOrder(QStringList& names);
