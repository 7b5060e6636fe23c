#pragma once

#include "core/AlbumLayout.h"
#include "core/PathStyle.h"

#include <QSize>
#include <QString>

#include <functional>

class Clock;

// Waits `seconds` while the user interface stays live: the event loop runs and the wait
// sleeps in it between readings of the clock. Time is read as the time of day, so a wait
// that spans midnight counts the day's turn-over.
// `stop`, when given, ends the wait early as soon as it answers true.
void PauseSeconds(double seconds, Clock& clock, const std::function<bool()>& stop = {});

// The progress of picture `i` of `count` in whole percent, rounded down and computed in
// integers (29 of 100 is 29). Throws AppError (division by zero) for an empty run.
int progressPercent(qsizetype i, qsizetype count);

// Throws AppError when the path names something that exists but is no regular file (a
// fifo, a device, a folder): handed to the office, a fifo would block it for ever. A path
// that does not exist passes; the office reports it itself.
void checkNotSpecialFile(const QString& path);

// The text after the last separator of the path; a path without one comes back whole.
QString FileNameFromPath(const QString& path, PathStyle style = kNativePathStyle);

// The file URL the suite is given for a picture. Windows paths get "file:///" and forward
// slashes; POSIX paths get "file://" and stay as they are (a POSIX name may hold a
// backslash). Either way "%" and "#" are escaped, since the suite would decode the one and
// cut the URL at the other, and a byte of a name that is not UTF-8 (carried as an escape,
// see core/FileNames.h) becomes "%XX" of that byte; every other character passes as it is.
QString PictureFileUrl(const QString& path, PathStyle style = kNativePathStyle);

// The box a picture may fill on a page whose text area is `textArea` (hundredths of a
// millimetre) under `layout`: its share of the text area (a column of the page for 1 and 2
// pictures, a cell of the grid for 4 and the grids) less the room that the line around it, its
// caption (a line of `captionHeight`, when the layout has captions) and, in a table, the cell
// and the paragraph after the table take. The line of a picture is as tall as the picture and
// `lineExtra` (the spacing of its paragraph), and a little for the rounding of the layout.
QSize pictureBox(const QSize& textArea, const AlbumLayout& layout, int captionHeight,
                 int lineExtra);

// The size for a picture of `size` in `box`, aspect kept: the largest that fits when `grow`,
// otherwise the size itself unless it is larger than the box. Never smaller than 1 x 1.
QSize fittedPictureSize(const QSize& size, const QSize& box, bool grow);
