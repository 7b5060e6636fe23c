#pragma once

#include "intake/FileSystem.h"

// The real disk through the POSIX calls, reporting Windows-style attribute words: directory
// 16, archive 32 for a regular file, hidden 2 for a name that begins with ".", read-only 1
// when the owner may not write, reparse point 1024 for a symbolic link, system never.
// Fifos, sockets and devices are neither files nor folders here and are never opened.
class PosixFileSystem : public FileSystem {
public:
    int attributes(const QString& path) override;
    FolderInfo folder(const QString& path) override;
    QStringList subFolderNames(const QString& path) override;
    QList<FileEntry> files(const QString& folder, const QString& pattern) override;
    bool canOpenFile(const QString& path) override;
    bool pathExists(const QString& path) override;
};
