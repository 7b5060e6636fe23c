#include "core/ProgramVersion.h"

// Defined for this file alone, so that a new version rebuilds one file.
QString programVersion() {
    return QStringLiteral(LUMIGROVE_VERSION);
}
