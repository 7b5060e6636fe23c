#pragma once

#include "intake/AddFolder.h"

#include <QString>
#include <QStringList>

class PictureListModel;

// Appends paths the way a drop onto the list takes them, in the order given: a file as it
// is named (no test, no normalisation), a folder with every file of its tree that matches
// `folderPattern`, level by level. Each folder gets a scan of its own. A path whose scan
// fails brings what could be read of it; the failure goes to `runStep` (without one it
// is passed over) and the next path follows.
void AddDroppedPaths(const QStringList& paths, const QString& folderPattern, PictureListModel& list,
                     const ScanContext& context, const StepRunner& runStep = {});
