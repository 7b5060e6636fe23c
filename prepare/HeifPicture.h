#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// True when the file's first bytes are those of a HEIF file (HEIC, AVIF and their kin), which
// the office has no filter for.
bool isHeifFile(const QByteArray& fileName);

// The file's primary picture, upright by its own rotation and mirroring; a null image, with
// the decoder's reason in `why`, when it cannot be decoded.
QImage decodeHeif(const QByteArray& fileName, QString* why);
