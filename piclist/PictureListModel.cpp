#include "piclist/PictureListModel.h"

#include "core/AppError.h"
#include "core/FileNames.h"

PictureListModel::PictureListModel(QObject* parent) : QAbstractListModel(parent) {}

void PictureListModel::addColumn(const QString& header) {
    if (m_hasColumn) {
        throw AppError(QStringLiteral("The list already has its column"));
    }
    announcePending();
    beginInsertColumns(QModelIndex(), 0, 0);
    m_header = header;
    m_hasColumn = true;
    endInsertColumns();
}

void PictureListModel::checkPosition(int i, int last) const {
    if (i < 1 || i > last) {
        throw AppError(QStringLiteral("Index out of bounds"), ErrorNumber::IndexOutOfBounds);
    }
}

QString PictureListModel::text(int i) const {
    checkPosition(i, count());
    return m_entries.at(i - 1);
}

void PictureListModel::setText(int i, const QString& s) {
    checkPosition(i, count());
    announcePending();
    m_entries[i - 1] = s;
    const QModelIndex changed = index(i - 1, 0);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void PictureListModel::reorder(const QList<qsizetype>& order) {
    const qsizetype n = m_entries.size();
    QList<qsizetype> newRow(n, -1);
    if (order.size() != n) {
        throw AppError(QStringLiteral("Invalid procedure call or argument"),
                       ErrorNumber::InvalidProcedureCall);
    }
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype from = order.at(k);
        if (from < 0 || from >= n || newRow.at(from) != -1) {
            throw AppError(QStringLiteral("Invalid procedure call or argument"),
                           ErrorNumber::InvalidProcedureCall);
        }
        newRow[from] = k;
    }
    announcePending();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<QString> entries;
    entries.reserve(n);
    for (const qsizetype from : order) {
        entries.append(m_entries.at(from));
    }
    m_entries = std::move(entries);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.append(index(static_cast<int>(newRow.at(old.row())), old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PictureListModel::append(const QString& path) {
    m_entries.append(path);
    if (!m_announceQueued) {
        // A posted call, not a timer: every yield to the event loop delivers it, so the
        // views have caught up with the list whenever the event loop has run.
        m_announceQueued = true;
        QMetaObject::invokeMethod(this, &PictureListModel::announceQueued, Qt::QueuedConnection);
    }
}

void PictureListModel::appendMany(const QStringList& paths) {
    m_entries.append(paths);
    announcePending();
}

void PictureListModel::announceQueued() {
    m_announceQueued = false;
    announcePending();
}

void PictureListModel::announcePending() {
    if (m_announced == count()) {
        return;
    }
    // The row count is the old one until the insertion has begun and the new one from its
    // end on, as the views expect.
    beginInsertRows(QModelIndex(), m_announced, count() - 1);
    m_announced = count();
    endInsertRows();
}

void PictureListModel::insert(int i, const QString& s) {
    checkPosition(i, count() + 1);
    announcePending();
    beginInsertRows(QModelIndex(), i - 1, i - 1);
    m_entries.insert(i - 1, s);
    ++m_announced;
    endInsertRows();
}

void PictureListModel::remove(int i) {
    checkPosition(i, count());
    announcePending();
    beginRemoveRows(QModelIndex(), i - 1, i - 1);
    m_entries.removeAt(i - 1);
    --m_announced;
    endRemoveRows();
}

void PictureListModel::clear() {
    announcePending();
    beginResetModel();
    m_entries.clear();
    m_announced = 0;
    endResetModel();
}

int PictureListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_announced;
}

int PictureListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_hasColumn ? 0 : 1;
}

QVariant PictureListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_announced || index.column() != 0) {
        return {};
    }
    // An entry keeps the exact bytes of its path; only what is shown spells out the bytes
    // that are not UTF-8.
    if (role == Qt::DisplayRole) {
        return displayFileName(m_entries.at(index.row()));
    }
    if (role == Qt::EditRole) {
        return m_entries.at(index.row());
    }
    return {};
}

QVariant PictureListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && m_hasColumn && role == Qt::DisplayRole) {
        return m_header;
    }
    return QAbstractListModel::headerData(section, orientation, role);
}

Qt::ItemFlags PictureListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
