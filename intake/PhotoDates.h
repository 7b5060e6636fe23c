#pragma once

#include "piclist/PictureOrder.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// When pictures were taken, read from the files: the EXIF DateTimeOriginal of a JPEG or TIFF
// file, else the file's modification time. Only regular files are read (a fifo in the list
// never blocks); a file that cannot be read has no date.

// The EXIF DateTimeOriginal of the file, in local time (EXIF names no time zone), or none.
std::optional<QDateTime> exifDateTaken(const QString& path);

// The EXIF date taken, else the modification time, else none.
std::optional<QDateTime> photoDate(const QString& path);

// Every path with its date, in the same order.
QList<DatedPath> datedPaths(const QStringList& paths);

// The positions of `paths` from the earliest taken to the latest (see dateOrder).
QList<qsizetype> dateTakenOrder(const QStringList& paths);
