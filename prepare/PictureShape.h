#pragma once

#include <QSize>
#include <QString>

// The pixels of the picture file at `path` as the office shows it: a JPEG turned by its EXIF
// orientation, a quarter turn swapping its sides. Read from the file's header only; an
// invalid size for a file whose size cannot be read.
QSize shownPictureSize(const QString& path);
