#pragma once

#include <QString>

#include <unistd.h>

// The name pattern, in /tmp, of the pipe of an office started by the process `pid`: the pid
// and 16 hex digits exactly, so that a pipe left by a run whose pid begins with the same
// digits is not taken for it.
inline QString officePipePattern(qint64 pid) {
    return QStringLiteral("OSL_PIPE_%1_lumigrove%2").arg(::getuid()).arg(pid) +
           QStringLiteral("[0-9a-f]").repeated(16);
}
