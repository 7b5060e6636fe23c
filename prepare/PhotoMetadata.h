#pragma once

#include <QByteArray>
#include <QString>

// True when the picture file carries a GPS position (in its EXIF or its XMP); false also for
// a file whose metadata cannot be read.
bool carriesLocation(const QByteArray& fileName);

// The photo's own description: its EXIF ImageDescription, else its XMP dc:description (the
// default language's, else the first), without the spaces around it; "" for a file that has
// neither, that is not a regular file, or whose metadata cannot be read.
QString photoDescription(const QByteArray& fileName);

// Copies the picture at `source` to `target` (bytes as the file system names them) without
// what tells where it was taken and with which camera: the GPS position, serial numbers and
// the owner's name, the maker notes, the embedded thumbnail, XMP, IPTC and comments. The
// picture's own data, its colour profile, its rotation and the rest of its EXIF (the date
// taken, the exposure) stay byte for byte. Throws AppError when either file cannot be handled.
void copyWithoutPrivateData(const QByteArray& source, const QByteArray& target);
