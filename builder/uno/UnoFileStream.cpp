#include "builder/uno/UnoFileStream.h"

#include "builder/uno/Writer1.h"
#include "core/AppError.h"
#include "core/FileNames.h"

#include <com/sun/star/io/IOException.hpp>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

rtl::Reference<FileOutputStream> FileOutputStream::create(const QString& path) {
    const int fd =
        ::open(encodeFileName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw AppError(
            QStringLiteral("cannot create %1: %2").arg(displayFileName(path), systemError(errno)));
    }
    return new FileOutputStream(fd, path);
}

FileOutputStream::FileOutputStream(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}

FileOutputStream::~FileOutputStream() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void FileOutputStream::writeBytes(const css::uno::Sequence<sal_Int8>& bytes) {
    sal_Int32 done = 0;
    while (done < bytes.getLength() && !m_failure && m_fd >= 0) {
        const ssize_t written = ::write(m_fd, bytes.getConstArray() + done,
                                        static_cast<size_t>(bytes.getLength() - done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            fail(errno);
            break;
        }
        done += static_cast<sal_Int32>(written);
    }
    if (m_failure || m_fd < 0) {
        throw css::io::IOException(toOUString(m_failure.value_or(QStringLiteral("closed"))));
    }
}

void FileOutputStream::fail(int error) {
    m_failure =
        QStringLiteral("cannot write %1: %2").arg(displayFileName(m_path), systemError(error));
}

void FileOutputStream::throwWriteFailure() const {
    if (m_failure) {
        throw AppError(*m_failure);
    }
}

void FileOutputStream::finish() {
    throwWriteFailure();
    // A document that is renamed into place must be whole on the disk first.
    const bool kept = ::fsync(m_fd) == 0;
    const int error = errno;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!kept || !closed) {
        fail(kept ? errno : error);
        throwWriteFailure();
    }
}
