#include "builder/uno/DocumentFile.h"

#include "core/AppError.h"
#include "core/FileNames.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

DocumentFile::DocumentFile(QString path) : m_path(std::move(path)) {
    m_fd =
        ::open(encodeFileName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        throw AppError(QStringLiteral("cannot create %1: %2")
                           .arg(displayFileName(m_path), systemError(errno)));
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
