#pragma once

#include <QString>

class UiServices;

inline constexpr char kSupportEmail[] = "support@lumigrove.org";

// The text of the error report: description, CR LF, location, "at line " and the line,
// two bare CRs, and the request for a screenshot.
QString composeErrorReport(const QString& description, const QString& location, int line);

// Shows the error report of a failing handler step and returns when the user closed it.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void ShowErrorReport(const QString& location, int line, const QString& description) = 0;
};

// The report as a warning message box titled "Application Error".
class MessageBoxErrorReporter : public ErrorReporter {
public:
    explicit MessageBoxErrorReporter(UiServices& ui) : m_ui(ui) {}
    void ShowErrorReport(const QString& location, int line, const QString& description) override;

private:
    UiServices& m_ui;
};
