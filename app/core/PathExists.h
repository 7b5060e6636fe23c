#pragma once

#include <QString>

// True when the last-modification time of the path can be read; never fails.
bool PathExists(const QString& path);
