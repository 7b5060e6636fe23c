#pragma once

#include <com/sun/star/uno/Exception.hpp>

// Turns the UNO exception being handled into an AppError with the suite's own message, so
// that the handlers' traps, which know only standard exceptions, report it. A closed
// connection or a disposed object becomes OfficeError::Disconnected.
[[noreturn]] void throwCaughtOfficeError();
