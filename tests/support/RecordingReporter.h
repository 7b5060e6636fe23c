#pragma once

#include "core/ErrorReport.h"

#include <QList>
#include <QString>

// Keeps every error report instead of showing it.
class RecordingReporter : public ErrorReporter {
public:
    struct Report {
        QString location;
        int line = 0;
        QString description;
    };
    void ShowErrorReport(const QString& location, int line, const QString& description) override {
        reports.append({location, line, description});
    }
    QList<Report> reports;
};
