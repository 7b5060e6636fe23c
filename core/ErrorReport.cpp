#include "core/ErrorReport.h"

#include "core/UiServices.h"

QString composeErrorReport(const QString& description, const QString& location, int line) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(kSupportEmail);
}

void MessageBoxErrorReporter::ShowErrorReport(const QString& location, int line,
                                              const QString& description) {
    m_ui.messageBox(composeErrorReport(description, location, line), MsgStyle::Exclamation,
                    QStringLiteral("Application Error"));
}
