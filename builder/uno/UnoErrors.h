#pragma once

#include <com/sun/star/uno/Exception.hpp>

#include <utility>

// Turns the UNO exception being handled into an AppError with the suite's own message, so
// that the handlers' traps, which know only standard exceptions, report it. A closed
// connection or a disposed object becomes OfficeError::Disconnected.
[[noreturn]] void throwCaughtOfficeError();

// Runs a call into the suite; a UNO exception leaves it as an AppError.
template <typename Call> decltype(auto) callOffice(Call&& call) {
    try {
        return std::forward<Call>(call)();
    } catch (const css::uno::Exception&) {
        throwCaughtOfficeError();
    }
}
