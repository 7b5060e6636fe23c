#include "tests/support/MemoryFileSystem.h"

#include "core/AppError.h"
#include "intake/PathRoutines.h"

namespace {

AppError errorNumbered(int number) {
    switch (number) {
    case ErrorNumber::PermissionDenied:
        return AppError(QStringLiteral("Permission denied"), number);
    case ErrorNumber::PathNotFound:
        return AppError(QStringLiteral("Path not found"), number);
    default:
        return AppError(QStringLiteral("Error %1").arg(number), number);
    }
}

} // namespace

MemoryFileSystem::MemoryFileSystem(PathStyle style) : m_style(style) {
    if (style == PathStyle::Posix) {
        m_nodes.insert(QString(), Node{true, FileAttribute::Directory, false});
    }
}

// Keys are the path's components joined by "/": "C:/a/b" or "/a/b" for the POSIX root "".
QString MemoryFileSystem::keyOf(const QString& path) const {
    const QChar separator = QLatin1Char(separatorOf(m_style));
    const QStringList parts = path.split(separator, Qt::SkipEmptyParts);
    if (m_style == PathStyle::Posix) {
        return parts.isEmpty() ? QString() : QLatin1Char('/') + parts.join(QLatin1Char('/'));
    }
    return parts.join(QLatin1Char('/'));
}

QString MemoryFileSystem::parentKey(const QString& key) const {
    const qsizetype slash = key.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : key.left(slash);
}

QString MemoryFileSystem::nameOf(const QString& key) const {
    return key.mid(key.lastIndexOf(QLatin1Char('/')) + 1);
}

bool MemoryFileSystem::isRootKey(const QString& key) const {
    if (m_style == PathStyle::Posix) {
        return key.isEmpty();
    }
    return !key.isEmpty() && !key.contains(QLatin1Char('/')) && key.endsWith(QLatin1Char(':'));
}

void MemoryFileSystem::addFolder(const QString& path, int attributes) {
    insertFolder(keyOf(path), attributes);
}

void MemoryFileSystem::insertFolder(const QString& key, int attributes) {
    if (!isRootKey(key)) {
        const QString parent = parentKey(key);
        if (!m_nodes.contains(parent)) {
            insertFolder(parent, isRootKey(parent) ? 22 : FileAttribute::Directory);
        }
    }
    m_nodes.insert(key, Node{true, attributes, false});
}

void MemoryFileSystem::addFile(const QString& path, int attributes, bool openable) {
    const QString key = keyOf(path);
    const QString parent = parentKey(key);
    if (!m_nodes.contains(parent)) {
        insertFolder(parent, isRootKey(parent) ? 22 : FileAttribute::Directory);
    }
    m_nodes.insert(key, Node{false, attributes, openable});
}

void MemoryFileSystem::setAttributes(const QString& path, int attributes) {
    m_nodes[keyOf(path)].attributes = attributes;
}

void MemoryFileSystem::failOn(const QString& path, Operation operation, int errorNumber,
                              int afterCalls) {
    m_failures.insert({keyOf(path), static_cast<int>(operation)},
                      Failure{errorNumber, afterCalls, 0});
}

void MemoryFileSystem::checkFailure(const QString& key, Operation operation) {
    const auto found = m_failures.find({key, static_cast<int>(operation)});
    if (found == m_failures.end()) {
        return;
    }
    if (++found->calls > found->afterCalls) {
        throw errorNumbered(found->errorNumber);
    }
}

const MemoryFileSystem::Node& MemoryFileSystem::nodeOrThrow(const QString& key) const {
    const auto found = m_nodes.constFind(key);
    if (found == m_nodes.constEnd()) {
        throw errorNumbered(ErrorNumber::PathNotFound);
    }
    return *found;
}

QStringList MemoryFileSystem::childKeys(const QString& key) const {
    QStringList children;
    const QString prefix = key + QLatin1Char('/');
    for (auto it = m_nodes.constBegin(); it != m_nodes.constEnd(); ++it) {
        if (it.key().startsWith(prefix) && !it.key().mid(prefix.size()).contains('/') &&
            it.key().size() > prefix.size()) {
            children.append(it.key());
        }
    }
    return children;
}

int MemoryFileSystem::attributes(const QString& path) {
    const QString key = keyOf(path);
    checkFailure(key, Operation::Examine);
    return nodeOrThrow(key).attributes;
}

FileSystem::FolderInfo MemoryFileSystem::folder(const QString& path) {
    const QString key = keyOf(path);
    checkFailure(key, Operation::Examine);
    const Node& node = nodeOrThrow(key);
    if (!node.isFolder) {
        throw errorNumbered(ErrorNumber::PathNotFound);
    }
    return FolderInfo{node.attributes, isRootKey(key)};
}

QStringList MemoryFileSystem::subFolderNames(const QString& path) {
    const QString key = keyOf(path);
    if (!nodeOrThrow(key).isFolder) {
        throw errorNumbered(ErrorNumber::PathNotFound);
    }
    checkFailure(key, Operation::List);
    QStringList names;
    for (const QString& child : childKeys(key)) {
        if (m_nodes.value(child).isFolder) {
            names.append(nameOf(child));
        }
    }
    sortInEnumerationOrder(names);
    return names;
}

QList<FileSystem::FileEntry> MemoryFileSystem::files(const QString& folder,
                                                     const QString& pattern) {
    const QString key = keyOf(folder);
    const auto found = m_nodes.constFind(key);
    if (found == m_nodes.constEnd() || !found->isFolder) {
        return {};
    }
    checkFailure(key, Operation::List);
    ++m_listings[key];
    QStringList names;
    for (const QString& child : childKeys(key)) {
        if (!m_nodes.value(child).isFolder && WildcardMatch(nameOf(child), pattern)) {
            names.append(nameOf(child));
        }
    }
    sortInEnumerationOrder(names);
    QList<FileEntry> entries;
    for (const QString& name : names) {
        const Node& node = m_nodes[key + QLatin1Char('/') + name];
        entries.append(FileEntry{name, node.attributes, node.openable});
    }
    return entries;
}

bool MemoryFileSystem::canOpenFile(const QString& path) {
    const auto found = m_nodes.constFind(keyOf(path));
    return found != m_nodes.constEnd() && !found->isFolder && found->openable;
}

bool MemoryFileSystem::pathExists(const QString& path) {
    const QString key = keyOf(path);
    return isRootKey(key) || m_nodes.contains(key);
}

int MemoryFileSystem::listings(const QString& folder) const {
    return m_listings.value(keyOf(folder));
}
