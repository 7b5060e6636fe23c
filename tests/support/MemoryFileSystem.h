#pragma once

#include "core/PathStyle.h"
#include "intake/FileSystem.h"

#include <QMap>
#include <QString>

// An in-memory disk that speaks the attribute words and error numbers of Windows exactly,
// for the cases a real Linux disk cannot show: hidden system folders (22, 1046), a drive
// root, files that cannot be opened, folders that deny access to a privileged user.
// Paths are parsed in the given style; doubled separators are tolerated as on the real disk.
class MemoryFileSystem : public FileSystem {
public:
    enum class Operation {
        Examine, // attributes(), folder()
        List,    // subFolderNames(), files()
    };

    explicit MemoryFileSystem(PathStyle style = PathStyle::Windows);

    // Adds a folder (and its missing parents as plain folders). Roots exist from the start:
    // a drive root has the attributes 22 that Windows gives it, the POSIX root 16.
    void addFolder(const QString& path, int attributes = FileAttribute::Directory);
    void addFile(const QString& path, int attributes = FileAttribute::Archive,
                 bool openable = true);
    void setAttributes(const QString& path, int attributes);
    // Makes an operation on a path fail with the error number from its (afterCalls + 1)th
    // call on.
    void failOn(const QString& path, Operation operation, int errorNumber, int afterCalls = 0);

    int attributes(const QString& path) override;
    FolderInfo folder(const QString& path) override;
    QStringList subFolderNames(const QString& path) override;
    QList<FileEntry> files(const QString& folder, const QString& pattern) override;
    bool canOpenFile(const QString& path) override;
    bool pathExists(const QString& path) override;

    // How often the files of a folder were listed.
    int listings(const QString& folder) const;

private:
    struct Node {
        bool isFolder = false;
        int attributes = 0;
        bool openable = false;
    };
    struct Failure {
        int errorNumber = 0;
        int afterCalls = 0;
        int calls = 0;
    };

    void insertFolder(const QString& key, int attributes);
    QString keyOf(const QString& path) const;
    QString parentKey(const QString& key) const;
    QString nameOf(const QString& key) const;
    bool isRootKey(const QString& key) const;
    const Node& nodeOrThrow(const QString& key) const;
    void checkFailure(const QString& key, Operation operation);
    QStringList childKeys(const QString& key) const;

    PathStyle m_style;
    QMap<QString, Node> m_nodes;
    QMap<QPair<QString, int>, Failure> m_failures;
    QMap<QString, int> m_listings;
};
