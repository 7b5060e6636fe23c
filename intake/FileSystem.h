#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Bits of the attribute word that intake looks at, with the values Windows gives them.
namespace FileAttribute {
inline constexpr int ReadOnly = 1;
inline constexpr int Hidden = 2;
inline constexpr int System = 4;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;
inline constexpr int ReparsePoint = 1024;
} // namespace FileAttribute

// Everything intake asks of the disk, in Windows terms, so that the scan's rules on hidden,
// system and root folders read the same on every backend: attribute words, folders with a root
// flag, subfolder names, and wildcard file listings whose files have been opened once. Failures are
// thrown as AppError with the runtime's numbers: 70 permission denied, 76 path not found, 75
// anything else.
//
// Names come in the enumeration order of enumerationOrderLess(). Paths and names are
// byte-exact: a byte of a name that is not UTF-8 is carried as an escape (core/FileNames.h),
// and a path handed back to the disk names the very same bytes.
class FileSystem {
public:
    struct FolderInfo {
        int attributes = 0;
        bool isRoot = false;
    };

    // One file of a listing: its attribute word as the listing saw it, and whether it could
    // be opened as an existing file (read-only, without reading). A backend that must ask
    // the disk separately for the read-only bit may leave it out for files that are not
    // hidden: there it cannot decide whether a file is added.
    struct FileEntry {
        QString name;
        int attributes = 0;
        bool openable = false;
    };

    virtual ~FileSystem() = default;

    // The attribute word of a file or folder.
    virtual int attributes(const QString& path) = 0;
    // A folder; fails with 76 when the path is no folder.
    virtual FolderInfo folder(const QString& path) = 0;
    // The names of the subfolders of a folder ("." and ".." are never among them).
    virtual QStringList subFolderNames(const QString& path) = 0;
    // The files (never folders) directly in a folder whose names match the wildcard pattern,
    // hidden and system files included. A folder that does not exist has no files.
    virtual QList<FileEntry> files(const QString& folder, const QString& pattern) = 0;
    // Whether the path is an existing file that can be opened read-only; a folder never is.
    // Never fails.
    virtual bool canOpenFile(const QString& path) = 0;
    // Whether the last-modification time of the path can be read: it exists, whatever it
    // is. Never fails.
    virtual bool pathExists(const QString& path) = 0;
};

// True when the path names anything on the disk; an empty path names nothing.
inline bool PathExists(FileSystem& disk, const QString& path) {
    return !path.isEmpty() && disk.pathExists(path);
}
