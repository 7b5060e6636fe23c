#include "intake/AddFolder.h"

#include "core/AppError.h"
#include "core/FileNames.h"
#include "core/HandlerTrap.h"
#include "piclist/PictureListModel.h"

namespace {

// The usable files of a folder as one listing saw them, attribute words included.
QList<FileSystem::FileEntry>
listUsableFiles(FileSystem& fileSystem, QString folder, const QString& pattern, PathStyle style,
                const std::function<void(const QString&, const QString&)>& skipped = {}) {
    const QChar separator = QLatin1Char(separatorOf(style));
    if (!folder.endsWith(separator)) {
        folder += separator;
    }
    QList<FileSystem::FileEntry> usable = fileSystem.files(folder, pattern);
    usable.removeIf([&](const FileSystem::FileEntry& file) {
        if (!file.openable && skipped) {
            skipped(folder + file.name, QStringLiteral("cannot be opened"));
        }
        return !file.openable;
    });
    return usable;
}

} // namespace

bool IsFolder(FileSystem& fileSystem, const QString& path) {
    try {
        return (fileSystem.attributes(path) & FileAttribute::Directory) != 0;
    } catch (...) {
        return false;
    }
}

bool HasUnsafeChars(const QString& name) {
    const QStringView view(name);
    for (qsizetype i = 0; i < view.size(); ++i) {
        const char16_t code = view[i].unicode();
        if (code < 32 || (code >= 127 && code <= 159) || code == u'?') {
            return true;
        }
        if (QChar::isHighSurrogate(code)) {
            // A pair is one character; a lone high surrogate is broken UTF-16.
            if (i + 1 >= view.size() || !view[i + 1].isLowSurrogate()) {
                return true;
            }
            ++i;
        } else if (QChar::isLowSurrogate(code) && !isEscapedByte(code)) {
            return true;
        }
    }
    return false;
}

bool FileIsPresent(FileSystem& fileSystem, const QString& path) {
    try {
        return fileSystem.canOpenFile(path);
    } catch (...) {
        return false;
    }
}

bool passesFolderTest(const FileSystem::FolderInfo& folder) {
    return folder.isRoot || (folder.attributes != kSkippedFolderAttributes &&
                             folder.attributes != kSkippedLinkedFolderAttributes);
}

QStringList ListFiles(FileSystem& fileSystem, QString folder, const QString& pattern,
                      PathStyle style) {
    QStringList names;
    for (const FileSystem::FileEntry& file :
         listUsableFiles(fileSystem, std::move(folder), pattern, style)) {
        names.append(file.name);
    }
    return names;
}

void GetSubDirectories2016(FolderList& folders, bool recurse, const ScanContext& context) {
    HandlerTrap trap(context.reporter, QString::fromLatin1(kScanLocation));
    FileSystem& disk = context.fileSystem;
    const QChar separator = QLatin1Char(separatorOf(context.style));
    auto yield = [&] {
        if (context.yield) {
            context.yield();
        }
    };

    FolderList found;
    // Only the entries present when the call begins; removals shorten the walk.
    qsizetype end = folders.size();
    qsizetype i = 0;
    while (i < end) {
        const QString entry = folders.at(i);
        // One reading of the folder answers both whether it is a folder and what its
        // attributes are: nothing runs in between that could change the answer.
        FileSystem::FolderInfo folder;
        try {
            folder = disk.folder(entry);
        } catch (...) {
            ++i;
            continue;
        }
        if (entry.size() >= kPathLimit) {
            if (context.skipped) {
                context.skipped(entry, QStringLiteral("path too long"));
            }
            ++i;
            continue;
        }
        int failure = 0;
        try {
            yield();
            if (passesFolderTest(folder)) {
                for (const QString& name : disk.subFolderNames(entry)) {
                    yield();
                    if (name.size() >= kPathLimit && context.skipped) {
                        context.skipped(entry + name, QStringLiteral("path too long"));
                    }
                    if (name.size() >= kPathLimit || HasUnsafeChars(name) ||
                        name.contains(QLatin1Char('?')) || name == QLatin1String(".") ||
                        name == QLatin1String("..")) {
                        continue;
                    }
                    found.append(entry + name + separator);
                }
            }
        } catch (const AppError& error) {
            failure = error.number();
        } catch (...) {
            // Any other failure ends the listing of this folder only; the entry stays.
        }
        if (failure == ErrorNumber::PermissionDenied || failure == ErrorNumber::PathNotFound) {
            // A folder that cannot be listed contributes none of its files either. The first
            // entry with the same text is at or before the current one, so the walk goes on
            // from the same position.
            const qsizetype at = folders.indexOf(entry);
            if (at >= 0) {
                folders.removeAt(at);
                --end;
                continue;
            }
        }
        ++i;
    }

    if (recurse && !found.isEmpty()) {
        trap(150, [&] { GetSubDirectories2016(found, true, context); });
    }

    // Everything below, level by level, joins the list; each folder is examined once more in
    // case the disk changed while the levels below were scanned. One reading serves both the
    // folder test and the attribute test: a tree of thousands of folders is tested this way
    // once per level above it.
    for (const QString& entry : std::as_const(found)) {
        FileSystem::FolderInfo folder;
        try {
            folder = disk.folder(entry);
        } catch (...) {
            continue;
        }
        trap(156, yield);
        if (passesFolderTest(folder)) {
            trap(160, [&] { folders.append(entry); });
        }
    }
}

void AddScannedFiles(const FolderList& folders, const QString& pattern, PictureListModel& list,
                     const ScanContext& context, const StepRunner& runStep) {
    auto run = [&](int line, const std::function<void()>& step) {
        if (runStep) {
            runStep(line, step);
        } else {
            step();
        }
    };
    const QChar separator = QLatin1Char(separatorOf(context.style));
    for (const QString& entry : folders) {
        const QString folder = entry.left(entry.size() - 1);
        QList<FileSystem::FileEntry> files;
        run(122, [&] {
            files = listUsableFiles(context.fileSystem, folder, pattern, context.style,
                                    context.skipped);
        });
        // The listing opened each of these files and read its attribute word a moment ago,
        // with nothing running in between; asking the disk again for every file would
        // double the cost of adding a large tree.
        QStringList paths;
        paths.reserve(files.size());
        for (const FileSystem::FileEntry& file : std::as_const(files)) {
            if (file.name.startsWith(QLatin1Char('~')) ||
                file.attributes == kSkippedFileAttributes) {
                continue;
            }
            QString path;
            path.reserve(folder.size() + 1 + file.name.size());
            path.append(folder).append(separator).append(file.name);
            paths.append(NormalizePath(path, context.style));
        }
        // The list tells its views about these together with every other entry appended
        // before the event loop runs next.
        run(132, [&] {
            for (const QString& path : std::as_const(paths)) {
                list.append(path);
            }
        });
    }
}
