#include "PosixFileSystem.h"

#include "AppError.h"
#include "PathRoutines.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AppError errorFor(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return AppError(QStringLiteral("Permission denied"), ErrorNumber::PermissionDenied);
    case ENOENT:
    case ENOTDIR:
        return AppError(QStringLiteral("Path not found"), ErrorNumber::PathNotFound);
    default:
        return AppError(QStringLiteral("Path/File access error (%1)")
                            .arg(QString::fromLocal8Bit(std::strerror(error))),
                        75);
    }
}

// The bytes of a path; a path that holds a NUL cannot name anything.
bool encode(const QString& path, QByteArray& bytes) {
    if (path.isEmpty() || path.contains(QChar(0))) {
        return false;
    }
    bytes = path.toUtf8();
    return true;
}

QByteArray encodeOrThrow(const QString& path) {
    QByteArray bytes;
    if (!encode(path, bytes)) {
        throw errorFor(ENOENT);
    }
    return bytes;
}

// Trailing separators would make lstat() follow a link; the root keeps its one.
QByteArray withoutTrailingSeparators(QByteArray bytes) {
    while (bytes.size() > 1 && bytes.endsWith('/')) {
        bytes.chop(1);
    }
    return bytes;
}

bool isHiddenName(const char* name) {
    return name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

bool isHiddenPath(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return isHiddenName(path.constData() + slash + 1);
}

int attributeWord(const struct stat& target, bool link, bool hidden) {
    int word = 0;
    if (S_ISDIR(target.st_mode)) {
        word |= FileAttribute::Directory;
    } else if (S_ISREG(target.st_mode)) {
        word |= FileAttribute::Archive;
    }
    if ((target.st_mode & S_IWUSR) == 0) {
        word |= FileAttribute::ReadOnly;
    }
    if (hidden) {
        word |= FileAttribute::Hidden;
    }
    if (link) {
        word |= FileAttribute::ReparsePoint;
    }
    return word;
}

// Decodes a name from the disk. Byte sequences that are not UTF-8 cannot be represented:
// each such byte becomes "?", as a narrow-character Windows call hands out an unmappable
// character, and `valid` turns false.
QString decodeName(const char* bytes, bool& valid) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    const size_t length = std::strlen(bytes);
    valid = true;
    QString name;
    size_t runStart = 0;
    size_t i = 0;
    auto flush = [&](size_t end) {
        if (end > runStart) {
            name += QString::fromUtf8(bytes + runStart, static_cast<qsizetype>(end - runStart));
        }
    };
    while (i < length) {
        const unsigned char c = s[i];
        size_t need = 0;
        unsigned int min = 0;
        unsigned int cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
            cp = c & 0x1F;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            cp = c & 0x0F;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            cp = c & 0x07;
            min = 0x10000;
        }
        bool ok = need > 0 && i + need < length;
        for (size_t k = 1; ok && k <= need; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (s[i + k] & 0x3F);
            }
        }
        ok = ok && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (ok) {
            i += need + 1;
            continue;
        }
        valid = false;
        flush(i);
        name += QLatin1Char('?');
        runStart = ++i;
    }
    flush(length);
    return name;
}

// An open directory, closed on every way out.
class DirectoryHandle {
public:
    explicit DirectoryHandle(const QByteArray& path)
        : m_fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0) {
            m_dir = ::fdopendir(m_fd);
            if (m_dir == nullptr) {
                m_error = errno;
                ::close(m_fd);
                m_fd = -1;
            }
        } else {
            m_error = errno;
        }
    }
    ~DirectoryHandle() {
        if (m_dir != nullptr) {
            ::closedir(m_dir);
        }
    }
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    bool isOpen() const { return m_dir != nullptr; }
    int error() const { return m_error; }
    int fd() const { return m_fd; }

    // The next entry other than "." and ".."; null at the end. Throws on a read failure.
    const dirent* next() {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(m_dir);
            if (entry == nullptr) {
                if (errno != 0) {
                    throw errorFor(errno);
                }
                return nullptr;
            }
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                return entry;
            }
        }
    }

private:
    int m_fd = -1;
    DIR* m_dir = nullptr;
    int m_error = 0;
};

} // namespace

int PosixFileSystem::attributes(const QString& path) {
    const QByteArray bytes = withoutTrailingSeparators(encodeOrThrow(path));
    struct stat own {};
    if (::lstat(bytes.constData(), &own) != 0) {
        throw errorFor(errno);
    }
    const bool hidden = isHiddenPath(bytes);
    if (!S_ISLNK(own.st_mode)) {
        return attributeWord(own, false, hidden);
    }
    struct stat target {};
    if (::stat(bytes.constData(), &target) != 0) {
        // A link that leads nowhere is only a link.
        return FileAttribute::ReparsePoint | (hidden ? FileAttribute::Hidden : 0);
    }
    return attributeWord(target, true, hidden);
}

FileSystem::FolderInfo PosixFileSystem::folder(const QString& path) {
    FolderInfo info;
    info.attributes = attributes(path);
    if ((info.attributes & FileAttribute::Directory) == 0) {
        throw errorFor(ENOTDIR);
    }
    info.isRoot = !path.isEmpty() && path.count(QLatin1Char('/')) == path.size();
    return info;
}

QStringList PosixFileSystem::subFolderNames(const QString& path) {
    DirectoryHandle dir(encodeOrThrow(path));
    if (!dir.isOpen()) {
        throw errorFor(dir.error());
    }
    QStringList names;
    while (const dirent* entry = dir.next()) {
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target {};
            isDirectory =
                ::fstatat(dir.fd(), entry->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        }
        if (isDirectory) {
            bool valid = true;
            names.append(decodeName(entry->d_name, valid));
        }
    }
    sortInEnumerationOrder(names);
    return names;
}

QList<FileSystem::FileEntry> PosixFileSystem::files(const QString& folder, const QString& pattern) {
    DirectoryHandle dir(encodeOrThrow(folder));
    if (!dir.isOpen()) {
        if (dir.error() == ENOENT || dir.error() == ENOTDIR) {
            return {};
        }
        throw errorFor(dir.error());
    }
    QList<FileEntry> found;
    QStringList names;
    while (const dirent* entry = dir.next()) {
        // The type from the directory itself saves a stat per file; links and file systems
        // that do not tell need one.
        bool link = entry->d_type == DT_LNK;
        bool regular = entry->d_type == DT_REG;
        bool dangling = false;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat own {};
            if (::fstatat(dir.fd(), entry->d_name, &own, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            link = S_ISLNK(own.st_mode);
            regular = S_ISREG(own.st_mode);
        }
        if (link) {
            struct stat target {};
            if (::fstatat(dir.fd(), entry->d_name, &target, 0) == 0) {
                regular = S_ISREG(target.st_mode);
            } else {
                dangling = true;
            }
        }
        if (!regular && !dangling) {
            continue;
        }
        bool valid = true;
        FileEntry file;
        file.name = decodeName(entry->d_name, valid);
        if (!WildcardMatch(file.name, pattern)) {
            continue;
        }
        const bool hidden = isHiddenName(entry->d_name);
        file.attributes = FileAttribute::ReparsePoint | (hidden ? FileAttribute::Hidden : 0);
        // A name that cannot be represented can never be opened by the program again.
        if (!dangling && valid) {
            const int fd =
                ::openat(dir.fd(), entry->d_name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd >= 0) {
                struct stat target {};
                if (::fstat(fd, &target) == 0) {
                    file.openable = S_ISREG(target.st_mode);
                    file.attributes = attributeWord(target, link, hidden);
                }
                ::close(fd);
            }
        }
        if (!file.openable && !dangling) {
            struct stat own {};
            if (::fstatat(dir.fd(), entry->d_name, &own, 0) == 0) {
                file.attributes = attributeWord(own, link, hidden);
            }
        }
        names.append(file.name);
        found.append(std::move(file));
    }
    QList<FileEntry> ordered;
    ordered.reserve(found.size());
    for (const qsizetype i : enumerationOrder(names)) {
        ordered.append(std::move(found[i]));
    }
    return ordered;
}

bool PosixFileSystem::canOpenFile(const QString& path) {
    QByteArray bytes;
    if (!encode(path, bytes)) {
        return false;
    }
    // Only regular files are opened: opening a device can have effects of its own.
    struct stat target {};
    if (::stat(bytes.constData(), &target) != 0 || !S_ISREG(target.st_mode)) {
        return false;
    }
    const int fd = ::open(bytes.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}
