#pragma once

#include "core/CaptionPattern.h"

#include <QString>

// What the fields of `pattern` read from the picture file at `path`: the date the photo was
// taken as the sort by date reads it (the EXIF DateTimeOriginal, else the file's modification
// time) in the user's short date form, and the photo's own description. Only what the pattern
// uses is read; what the file does not tell stays empty.
PictureFacts readCaptionFacts(const QString& path, const CaptionPattern& pattern);
