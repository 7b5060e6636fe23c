#pragma once

#include "core/PathStyle.h"

#include <QString>
#include <QStringList>

// The open-file dialog of "Add Image File(s)": its title, its one filter, and the size of the
// buffer that its result must fit in.

inline constexpr char kOpenFileTitle[] = "Add File(s) - Hold Ctrl to select multiple files";

// Label, bar, patterns, bar: one filter of 23 picture extensions.
QString openFileFilter();

// The dialog's result buffer, in characters.
inline constexpr int kFileNameBufferSize = 30000;

// The length of the selection in the dialog's own result form: a single file as its full
// path; several as the folder followed, for each file, by a NUL and the file's name (a file
// from another folder by its full path).
qsizetype selectionResultLength(const QStringList& paths, PathStyle style = kNativePathStyle);

// Whether that result fits the buffer with its terminating NUL (two NULs after several names).
bool selectionFitsBuffer(const QStringList& paths, int bufferSize,
                         PathStyle style = kNativePathStyle);

// The same filter for a Qt file dialog: "label (patterns)" entries joined by ";;". Each
// pattern ignores letter case ("*.jpg" becomes "*.[jJ][pP][gG]"), since picture names on
// a Linux disk often carry upper-case extensions.
QString qtNameFilter(const QString& filter);
