#pragma once

#include "builder/OfficeBridge.h"

#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>

// The office bridge over the suite's UNO C++ runtime. "The service manager" is the
// component context of a running suite: by default the installed suite is started with a
// private pipe, the way the runtime's own bootstrap does it, but the wait for it to answer
// is bounded; when the setting `OfficeConnection` holds a connection ("pipe,name=...;urp"
// or "socket,host=...,port=...;urp"), the suite listening there is used instead.
class UnoOfficeBridge : public OfficeBridge {
public:
    static constexpr int kDefaultStartTimeoutMs = 30000;

    explicit UnoOfficeBridge(int startTimeoutMs = kDefaultStartTimeoutMs);

    std::unique_ptr<OfficeSession> createServiceManager() override;

    // A connection to use instead of the `OfficeConnection` setting ("" reads the setting).
    void setConnection(const QString& connection) { m_connection = connection; }
    // Starts the suite without any window of its own (for programs without a window).
    void setHeadless(bool headless) { m_headless = headless; }
    // Starts the suite with a profile of its own in this folder, so that it neither meets
    // nor disturbs a suite the user runs.
    void setProfileFolder(const QString& folder) { m_profileFolder = folder; }
    // The process id of the suite this bridge started last, or 0.
    qint64 startedProcessId() const override { return m_startedPid; }

    // The suite's "soffice" as the runtime finds it: in the folder named by UNO_PATH, or
    // else on PATH with its links resolved. Empty when there is none.
    static QString findOfficeProgram();

    // The component context of the suite listening at `connection` ("pipe,name=x;urp" or a
    // whole "uno:" URL). Throws AppError when nothing answers there.
    static css::uno::Reference<css::uno::XComponentContext>
    connectToOffice(const QString& connection);

private:
    css::uno::Reference<css::uno::XComponentContext> startOffice();

    int m_startTimeoutMs;
    QString m_connection;
    bool m_headless = false;
    QString m_profileFolder;
    qint64 m_startedPid = 0;
};

// The bridge a program without a window uses: to the office listening at `connection`, or,
// when that is empty, to a headless office of its own with its profile in `profileFolder`.
std::shared_ptr<OfficeBridge> makeUnoOfficeBridge(const QString& connection,
                                                  const QString& profileFolder);
