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

namespace ErrorNumber {
inline constexpr int PermissionDenied = 70;
inline constexpr int PathNotFound = 76;
inline constexpr int FileNameBufferTooSmall = 20476;
} // namespace ErrorNumber
