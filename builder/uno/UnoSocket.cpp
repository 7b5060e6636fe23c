#include "builder/uno/UnoSocket.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"
#include "core/FileNames.h"

#include <com/sun/star/io/IOException.hpp>
#include <cppuhelper/implbase1.hxx>
#include <cppuhelper/unourl.hxx>

#include <QDeadlineTimer>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Waits for a non-blocking connect to finish; the errno it ended with, 0 when connected.
int finishConnect(int fd, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd watched{fd, POLLOUT, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return ready == 0 ? ETIMEDOUT : errno;
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        return error;
    }
}

// A connected socket of the family, within the deadline; -1 with errno set when it fails.
int connectTo(const sockaddr* address, socklen_t length, int family,
              const QDeadlineTimer& deadline) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    int error = ::connect(fd, address, length) == 0 ? 0 : errno;
    if (error == EINPROGRESS || error == EAGAIN) {
        error = finishConnect(fd, deadline);
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int connectPipe(const QString& name, const QDeadlineTimer& deadline) {
    const QByteArray path = encodeFileName(officePipeFile(name));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.constData(), path.size());
    return connectTo(reinterpret_cast<const sockaddr*>(&address), sizeof address, AF_UNIX,
                     deadline);
}

int connectTcp(const QString& host, const QString& port, bool noDelay,
               const QDeadlineTimer& deadline) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int failed =
            ::getaddrinfo(host.toUtf8().constData(), port.toUtf8().constData(), &hints, &found);
        failed != 0) {
        errno = failed == EAI_SYSTEM ? errno : EHOSTUNREACH;
        return -1;
    }
    int fd = -1;
    for (const addrinfo* each = found; each != nullptr && fd < 0; each = each->ai_next) {
        fd = connectTo(each->ai_addr, each->ai_addrlen, each->ai_family, deadline);
    }
    const int error = errno;
    ::freeaddrinfo(found);
    if (fd >= 0 && noDelay) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    errno = error;
    return fd;
}

} // namespace

QString officePipeFile(const QString& name) {
    // The runtime puts its pipes in /tmp, or in /var/tmp where /tmp cannot be written.
    const char* folder = ::access("/tmp", W_OK) == 0 ? "/tmp" : "/var/tmp";
    return QStringLiteral("%1/OSL_PIPE_%2_%3").arg(QLatin1String(folder)).arg(::getuid()).arg(name);
}

// The runtime's side of a LinkSocket: the bridge's reader and writer threads read and write
// through it, and the bridge closes it when it is disposed.
class LinkSocketConnection : public cppu::WeakImplHelper1<css::connection::XConnection> {
public:
    explicit LinkSocketConnection(std::shared_ptr<LinkSocket> socket)
        : m_socket(std::move(socket)) {}

    sal_Int32 SAL_CALL read(css::uno::Sequence<sal_Int8>& bytes, sal_Int32 wanted) override {
        bytes.realloc(wanted);
        sal_Int32 done = 0;
        while (done < wanted) {
            const ssize_t got = ::recv(m_socket->m_fd, bytes.getArray() + done,
                                       static_cast<size_t>(wanted - done), 0);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0 && !shut()) {
                throw css::io::IOException(toOUString(failure("read", errno)));
            }
            if (got <= 0) {
                break; // the end of the connection: the bridge ends on a short read
            }
            done += static_cast<sal_Int32>(got);
        }
        bytes.realloc(done);
        return done;
    }

    void SAL_CALL write(const css::uno::Sequence<sal_Int8>& bytes) override {
        sal_Int32 done = 0;
        while (done < bytes.getLength()) {
            const ssize_t sent =
                ::send(m_socket->m_fd, bytes.getConstArray() + done,
                       static_cast<size_t>(bytes.getLength() - done), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) {
                continue;
            }
            if (sent < 0) {
                throw css::io::IOException(toOUString(failure("write", errno)));
            }
            done += static_cast<sal_Int32>(sent);
        }
    }

    void SAL_CALL flush() override {}
    void SAL_CALL close() override { m_socket->shutDown(); }
    rtl::OUString SAL_CALL getDescription() override { return toOUString(m_socket->m_description); }

private:
    bool shut() { return m_socket->isShutDown(); }
    QString failure(const char* what, int error) const {
        return QStringLiteral("The connection to the office suite (%1) failed to %2: %3")
            .arg(m_socket->m_description, QLatin1String(what), systemError(error));
    }

    std::shared_ptr<LinkSocket> m_socket;
};

LinkSocket::LinkSocket(int fd, QString description)
    : m_fd(fd), m_description(std::move(description)) {}

LinkSocket::~LinkSocket() {
    ::close(m_fd);
}

std::shared_ptr<LinkSocket> LinkSocket::connect(const QString& descriptor, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    int fd = -1;
    QString kind;
    try {
        const cppu::UnoUrlDescriptor parsed(toOUString(descriptor));
        kind = fromOUString(parsed.getName());
        const auto parameter = [&](const char* key) {
            return fromOUString(parsed.getParameter(rtl::OUString::createFromAscii(key)));
        };
        if (kind == QLatin1String("pipe")) {
            fd = connectPipe(parameter("name"), deadline);
        } else if (kind == QLatin1String("socket")) {
            fd = connectTcp(parameter("host"), parameter("port"),
                            parameter("tcpnodelay") == QLatin1String("1"), deadline);
        }
    } catch (const css::uno::Exception&) {
        kind.clear(); // not a descriptor at all
    }
    if (kind != QLatin1String("pipe") && kind != QLatin1String("socket")) {
        throw AppError(QStringLiteral("\"%1\" is no office connection such as "
                                      "pipe,name=lumigrove;urp")
                           .arg(descriptor),
                       OfficeError::Automation);
    }
    if (fd < 0) {
        const int error = errno;
        if (error == ETIMEDOUT) {
            throw AppError(QStringLiteral("The office suite did not answer within %1 seconds")
                               .arg(timeoutMs / 1000.0),
                           OfficeError::TimedOut);
        }
        throw AppError(QStringLiteral("Cannot connect to the office suite at %1: %2")
                           .arg(descriptor, systemError(error)),
                       OfficeError::NotListening);
    }
    return std::shared_ptr<LinkSocket>(new LinkSocket(fd, descriptor));
}

void LinkSocket::shutDown() {
    const std::lock_guard lock(m_mutex);
    if (!m_shut) {
        m_shut = true;
        ::shutdown(m_fd, SHUT_RDWR);
    }
}

bool LinkSocket::isShutDown() {
    const std::lock_guard lock(m_mutex);
    return m_shut;
}

css::uno::Reference<css::connection::XConnection> LinkSocket::connection() {
    // The connection keeps the socket for as long as the bridge keeps the connection.
    return new LinkSocketConnection(shared_from_this());
}
