#pragma once

#include <QByteArray>

// What a JPEG file's decoder tells of it: its colour model, its pixel density and whether its
// data ends before the picture does.
struct JpegFacts {
    // False when the decoder refused the file outright (no JPEG, or data it cannot read).
    bool readable = false;
    // Four components (CMYK or YCCK): the office shows those with shifted colours.
    bool cmyk = false;
    int width = 0;
    int height = 0;
    // Pixels per inch as the file states them, 0 where it states none.
    double dpiX = 0;
    double dpiY = 0;
    // The data ran out before the last row: the rest of the picture would be grey.
    bool endsEarly = false;
};

// Decodes the JPEG at `fileName` (bytes as the file system names it) at an eighth of its size,
// which reads all of its data at little cost, and sums up what the decoder saw.
JpegFacts scanJpeg(const QByteArray& fileName);
