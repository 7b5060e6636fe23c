#pragma once

#include <QString>

// The version of both programs, the one the build and the package are given ("1.0.0").
QString programVersion();
