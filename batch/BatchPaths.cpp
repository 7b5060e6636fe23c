#include "batch/BatchPaths.h"

#include "core/FileNames.h"
#include "intake/AddFolder.h"
#include "intake/FileSystem.h"

#include <QDir>

#include <algorithm>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The path with "." parts and doubled separators dropped; ".." stays, since a lexical
// ".." is not the kernel's when a symbolic link stands before it.
QString withoutDotParts(const QString& path) {
    QStringList kept;
    for (const QString& part : path.split(QLatin1Char('/'))) {
        if (!part.isEmpty() && part != QLatin1String(".")) {
            kept.append(part);
        }
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

QString resolved(const QString& path, const QString& cwd) {
    if (path.startsWith(QLatin1Char('/'))) {
        return withoutDotParts(path);
    }
    return withoutDotParts(cwd + QLatin1Char('/') + path);
}

bool statOf(const QString& path, struct stat& info) {
    return ::stat(encodeFileName(path).constData(), &info) == 0;
}

} // namespace

void resolvePaths(BatchOptions& options, const QString& cwd) {
    for (QString& path : options.paths) {
        path = resolved(path, cwd);
    }
    options.outPath = resolved(options.outPath, cwd);
    QString& templatePath = options.layout.page.templatePath;
    if (!templatePath.isEmpty()) {
        templatePath = resolved(templatePath, cwd);
    }
}

QString callerWorkingFolder() {
    // By their bytes, like every other name: a folder's name need not be UTF-8.
    char* here = ::getcwd(nullptr, 0);
    const QString physical = here != nullptr ? decodeFileName(here) : QDir::currentPath();
    std::free(here);
    const QString shell = decodeFileName(qgetenv("PWD"));
    struct stat real {};
    struct stat named {};
    if (shell.startsWith(QLatin1Char('/')) && statOf(physical, real) && statOf(shell, named) &&
        real.st_dev == named.st_dev && real.st_ino == named.st_ino) {
        return shell;
    }
    return physical;
}

QString outputTarget(const QString& outPath) {
    // As many links as the kernel follows in one path.
    constexpr int kMostLinks = 40;
    QString path = outPath;
    for (int links = 0; links <= kMostLinks; ++links) {
        const QByteArray bytes = encodeFileName(path);
        struct stat info {};
        if (::lstat(bytes.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        QByteArray target(std::max<qsizetype>(info.st_size, 255) + 1, Qt::Uninitialized);
        const ssize_t length = ::readlink(bytes.constData(), target.data(), target.size());
        if (length <= 0 || length == target.size()) {
            return {};
        }
        target.truncate(length);
        const QString next = decodeFileName(target);
        path = next.startsWith(QLatin1Char('/'))
                   ? next
                   : path.left(path.lastIndexOf(QLatin1Char('/')) + 1) + next;
    }
    return {};
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    if (statOf(a, first) && statOf(b, second)) {
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    return a == b;
}

QString checkBatchInputs(const BatchOptions& options, FileSystem& disk) {
    for (const QString& path : options.paths) {
        if (!IsFolder(disk, path) && sameFile(path, options.outPath)) {
            return QStringLiteral("%1: the output is also one of the pictures; it would be "
                                  "overwritten")
                .arg(options.outPath);
        }
    }
    // The names may hold bytes that are not UTF-8: every look at the disk goes by their bytes.
    struct stat info {};
    if (const QString& templatePath = options.layout.page.templatePath; !templatePath.isEmpty()) {
        if (!statOf(templatePath, info)) {
            return QStringLiteral("%1: the template does not exist").arg(templatePath);
        }
        if (!S_ISREG(info.st_mode)) {
            return QStringLiteral("%1: the template is not a file").arg(templatePath);
        }
        if (::access(encodeFileName(templatePath).constData(), R_OK) != 0) {
            return QStringLiteral("%1: the template cannot be read").arg(templatePath);
        }
        // The office takes an empty file for a new document: the template would be lost
        // without a word.
        if (info.st_size == 0) {
            return QStringLiteral("%1: the template is empty").arg(templatePath);
        }
    }
    // A link as OUT is written through: the file at its end is replaced, in its own folder.
    const QString target = outputTarget(options.outPath);
    if (target.isEmpty()) {
        return QStringLiteral("%1: the output is a symbolic link that cannot be followed")
            .arg(options.outPath);
    }
    const QString folder = target.left(target.lastIndexOf(QLatin1Char('/')));
    const QString shownFolder = folder.isEmpty() ? QStringLiteral("/") : folder;
    if (!statOf(shownFolder, info) || !S_ISDIR(info.st_mode)) {
        return QStringLiteral("%1: the output folder %2 does not exist")
            .arg(options.outPath, shownFolder);
    }
    if (::access(encodeFileName(shownFolder).constData(), W_OK | X_OK) != 0) {
        return QStringLiteral("%1: the output folder %2 cannot be written")
            .arg(options.outPath, shownFolder);
    }
    const bool exists = statOf(options.outPath, info);
    if (exists && S_ISDIR(info.st_mode)) {
        return QStringLiteral("%1: is a folder, not a file").arg(options.outPath);
    }
    if (exists && ::access(encodeFileName(options.outPath).constData(), W_OK) != 0) {
        return QStringLiteral("%1: the output file cannot be replaced").arg(options.outPath);
    }
    return {};
}
