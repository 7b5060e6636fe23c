#pragma once

#include "builder/PictureStage.h"
#include "core/PicturePolicy.h"

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

// What becomes of one entry of the list on its way to the office.
struct PreparedEntry {
    // The copies the office gets instead of the entry; empty when it gets the entry itself.
    QStringList files;
    // Why the entry cannot go in (a damaged picture); empty when it can.
    QString failure;
    // The run's folder for copies could not be written: no later picture can be prepared.
    bool folderFailed = false;
    // What was done that the user did not ask for, such as "3 pages, each a picture of its own".
    QString note;
    // The office gets a GPS position with it.
    bool locationKept = false;
    // The bytes of what the office gets: the copies, or the picture itself.
    qint64 bytes = 0;
};

// The most pixels a picture may have for the office to take it: measured with its 7.4, which
// took a picture of 18000x18000 (324 megapixels) and refused one of 19000x19000 (361).
inline constexpr qint64 kOfficePixelLimit = 324'000'000;
// Pixels per inch of a picture file that states none, as the office counts them.
inline constexpr double kUnstatedPixelsPerInch = 96.0;

// The pixel size for a picture of `pixels` (upright) at `dpi` that keeps at most `ppi` pixels
// per inch of the size it takes in `room`: scaled down with its proportions, never up. The size
// on the page is its own (pixels at dpi) shrunk to the box, or filling the box when the room
// grows pictures. A room of no size leaves the pixels as they are.
QSize pixelTarget(const QSize& pixels, const QSizeF& dpi, const PictureRoom& room, int ppi);

// Prepares the picture at `source` by `policy` for `room`; the copies are written into
// `folder` under names that start with `stem`. With no folder ("") a picture that needs a copy
// gets none and fails with `folderFailed`.
PreparedEntry preparePicture(const QString& source, const QString& folder, const QString& stem,
                             const PicturePolicy& policy, const PictureRoom& room);
