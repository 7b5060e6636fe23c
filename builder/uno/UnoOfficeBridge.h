#pragma once

#include "builder/OfficeBridge.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QSocketNotifier;
class LinkSocket;
class OfficeGuard;
class UnoLink;

// The office bridge over the office's UNO C++ runtime. "The service manager" is the
// component context of a running office: by default the installed office is started with a
// private pipe and a bounded wait, the way the runtime's own bootstrap does it; the office
// started once is used again as long as it runs. When the setting `OfficeConnection` holds a
// connection ("pipe,name=...;urp" or "socket,host=...,port=...;urp"), the office listening
// there is used instead. Every call into the office has a time limit (setting
// `OfficeTimeout`, seconds).
class UnoOfficeBridge : public OfficeBridge {
public:
    static constexpr int kDefaultStartTimeoutMs = 30000;

    explicit UnoOfficeBridge(int startTimeoutMs = kDefaultStartTimeoutMs);
    ~UnoOfficeBridge() override;

    std::unique_ptr<OfficeSession> createServiceManager() override;
    void endStartedOffice(bool onlyIfIdle) override;
    void cutConnections() override;
    void keepStartedOffice() override;
    qint64 startedProcessId() const override;

    // Uses the office at this connection, never the `OfficeConnection` setting.
    void setConnection(const QString& connection) { m_connection = connection; }
    // Always starts an office of its own, never reading the `OfficeConnection` setting.
    void setOwnOfficeOnly(bool own) { m_ownOfficeOnly = own; }
    // Starts the office without any window of its own (for programs without a window).
    void setHeadless(bool headless) { m_headless = headless; }
    // Starts the office with a profile of its own in this folder, so that it neither meets
    // nor disturbs an office the user runs.
    void setProfileFolder(const QString& folder) { m_profileFolder = folder; }
    // The time limit of each call in milliseconds, instead of the `OfficeTimeout` setting.
    void setCallTimeoutMs(int milliseconds) { m_callTimeoutOverride = milliseconds; }
    // The time limit each call gets: the override, or else the setting.
    int callTimeoutMs() const;

    // The office's "soffice" as the runtime finds it. Empty when there is none.
    static QString findOfficeProgram();

    // A link to the office listening at `connection` ("pipe,name=x;urp" or a whole "uno:"
    // URL). Throws AppError when nothing answers there.
    static std::shared_ptr<UnoLink> connectToOffice(const QString& connection,
                                                    int callTimeoutMs = 60000);

private:
    std::shared_ptr<UnoLink> startedOfficeLink();
    void startOffice();
    std::shared_ptr<UnoLink> waitUntilListening(int timeoutMs);
    bool startedOfficeRuns();
    void killStartedOffice();
    void forgetStartedOffice();
    // The office removes its pipe's socket file when it ends by itself, not when killed.
    void removeStartedPipeFile();
    void keep(const std::shared_ptr<LinkSocket>& socket);
    // Throws OfficeError::Disconnected once the connections were cut.
    void throwIfCut() const;
    // Collects the started process as soon as it ends, instead of at the next run.
    void watchStartedOffice();
    void stopWatchingStartedOffice();

    int m_startTimeoutMs;
    QString m_connection;
    bool m_ownOfficeOnly = false;
    bool m_headless = false;
    QString m_profileFolder;
    std::optional<int> m_callTimeoutOverride;

    // The office this bridge started: its process (leader of a process group of its own)
    // and the pipe it listens on.
    qint64 m_startedPid = 0;
    QString m_startedPipe;
    // Tells the event loop when that process ends (a pidfd); none where the kernel has none.
    std::unique_ptr<QSocketNotifier> m_endWatch;
    // Ends that office when this program ends without letting it go (killed, say).
    std::unique_ptr<OfficeGuard> m_guard;

    // The socket of every link made, so that an interrupt can cut them from another thread.
    std::mutex m_linksMutex;
    std::vector<std::weak_ptr<LinkSocket>> m_links;
    std::atomic<bool> m_connectionsCut{false};
};

// The bridge a program without a window uses: to the office listening at `connection`, or,
// when that is empty, to a headless office of its own with its profile in `profileFolder`.
// `callTimeoutMs` limits every call; 0 takes the `OfficeTimeout` setting.
std::shared_ptr<UnoOfficeBridge>
makeUnoOfficeBridge(const QString& connection, const QString& profileFolder, int callTimeoutMs = 0);
