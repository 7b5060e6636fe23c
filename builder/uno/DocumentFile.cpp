#include "builder/uno/DocumentFile.h"

#include "core/AppError.h"
#include "core/FileNames.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

DocumentFile::DocumentFile(QString path, const QString& replacing) : m_path(std::move(path)) {
    struct stat old {};
    const bool replaces =
        !replacing.isEmpty() && ::stat(encodeFileName(replacing).constData(), &old) == 0;
    // Until it has the old file's mode, no one but the owner may read what goes in.
    m_fd = ::open(encodeFileName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  replaces ? 0600 : 0666);
    if (m_fd < 0) {
        throw AppError(QStringLiteral("cannot create %1: %2")
                           .arg(displayFileName(m_path), systemError(errno)));
    }
    if (!replaces) {
        return;
    }
    // The owner first: a change of owner clears the set-user-ID and set-group-ID bits. A
    // process that may not give the file away may still give it one of its own groups; where
    // it may do neither, the file stays the process's.
    const bool owned =
        ::fchown(m_fd, old.st_uid, old.st_gid) == 0 ||
        (errno == EPERM && (::fchown(m_fd, uid_t(-1), old.st_gid) == 0 || errno == EPERM));
    if (!owned || ::fchmod(m_fd, old.st_mode & 07777) != 0) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        fail(error);
    }
}

DocumentFile::~DocumentFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void DocumentFile::write(const void* bytes, std::size_t size) {
    const auto* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, next, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            fail(errno);
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
}

void DocumentFile::finish() {
    // A document that is renamed into place must be whole on the disk first.
    const bool kept = ::fsync(m_fd) == 0;
    const int error = errno;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!kept || !closed) {
        fail(kept ? errno : error);
    }
}

void DocumentFile::fail(int error) const {
    throw AppError(
        QStringLiteral("cannot write %1: %2").arg(displayFileName(m_path), systemError(error)));
}
