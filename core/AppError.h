#pragma once

#include <QString>

#include <exception>
#include <string>

// A failure of one handler step: the description the user sees in the error report and,
// for file errors, the runtime's error number (70 permission denied, 76 path not found, ...).
class AppError : public std::exception {
public:
    explicit AppError(QString description, int number = 0);

    const QString& description() const noexcept { return m_description; }
    int number() const noexcept { return m_number; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_description;
    int m_number;
    std::string m_utf8;
};

// The runtime's error numbers that the program raises or tests for.
namespace ErrorNumber {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int DivisionByZero = 11;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectVariableNotSet = 91;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPicture = 481;
inline constexpr int FileNameBufferTooSmall = 20476;
inline constexpr int IndexOutOfBounds = 35600;
} // namespace ErrorNumber
