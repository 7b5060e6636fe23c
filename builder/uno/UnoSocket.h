#pragma once

#include <com/sun/star/connection/XConnection.hpp>

#include <QString>

#include <memory>
#include <mutex>

// The socket file of the office's named pipe `name`. The office removes it when it ends by
// itself, not when it is killed.
QString officePipeFile(const QString& name);

// The socket under one connection to an office, opened by us rather than by the runtime's
// connector, so that it can be shut down from any thread at any moment: a call waiting for
// an office that stopped answering, and the bridge's reader with it, then see the end of
// the connection as if the office had died, and the bridge winds itself down on its own
// threads. Nothing of the runtime is touched by the thread that cuts. The descriptor is
// closed only when the last user lets go, so that its number is never reused under a read.
class LinkSocket : public std::enable_shared_from_this<LinkSocket> {
public:
    // Connects to "pipe,name=x" (the office's named pipe, a local socket) or
    // "socket,host=h,port=p[,tcpNoDelay=1]" within `timeoutMs`. Throws AppError:
    // OfficeError::NotListening when nothing listens there, TimedOut when the connection is
    // not made within the limit, Automation for a descriptor of another kind.
    static std::shared_ptr<LinkSocket> connect(const QString& descriptor, int timeoutMs);
    ~LinkSocket();
    LinkSocket(const LinkSocket&) = delete;
    LinkSocket& operator=(const LinkSocket&) = delete;

    // Ends the connection both ways; every read and write, waiting or later, fails. Safe
    // from any thread, any number of times.
    void shutDown();
    bool isShutDown();

    // The connection the runtime's bridge reads and writes through.
    css::uno::Reference<css::connection::XConnection> connection();

private:
    LinkSocket(int fd, QString description);

    friend class LinkSocketConnection;
    const int m_fd;
    const QString m_description;
    std::mutex m_mutex;
    bool m_shut = false;
};
