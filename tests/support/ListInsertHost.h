#pragma once

#include "builder/InsertHost.h"
#include "core/AppError.h"
#include "tests/support/RecordingReporter.h"

#include <QList>
#include <QStringList>

#include <functional>

// An insert run's host without a window: a fixed list of pictures, a stop request the test
// may script, and a record of the messages, the reports and the pictures that failed.
class ListInsertHost : public InsertList, public InsertDisplay, public InsertOutcome {
public:
    explicit ListInsertHost(QStringList pictures = {}) : m_pictures(std::move(pictures)) {}
    bool insertBusy() const override { return m_busy; }
    void setInsertBusy(bool busy) override { m_busy = busy; }
    int pictureCount() override { return static_cast<int>(m_pictures.size()); }
    QString pictureText(int i) override { return m_pictures.at(i - 1); }
    // The pictures of these runs are names, not files: none has a size.
    QSize pictureShape(const QString&) override { return {}; }
    void setMousePointer(int) override { failIf("pointer"); }
    void setProgressValue(int) override { failIf("progress"); }
    void setProgressText(const QString&) override { failIf("progress text"); }
    void showMessage(const QString& text) override { messages.append(text); }
    ErrorReporter& errorReporter() override { return reporter; }
    void doEvents() override { failIf("events"); }
    bool stopRequested() override { return stop && stop(); }
    void pictureFailed(int index, const QString&, const QString&) override { failed.append(index); }

    std::function<bool()> stop;
    // The window's part that fails on every call: "pointer", "progress", "progress text",
    // "events".
    QString failing;
    RecordingReporter reporter;
    QStringList messages;
    QList<int> failed;

private:
    void failIf(const char* part) const {
        if (failing == QLatin1String(part)) {
            throw AppError(QStringLiteral("the window's %1 failed").arg(failing));
        }
    }

    QStringList m_pictures;
    bool m_busy = false;
};
