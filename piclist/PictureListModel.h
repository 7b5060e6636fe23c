#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

// The picture list: an ordered list of paths, one entry per page of the built document.
// An entry is only its text, kept exactly as given (a path's bytes that are not UTF-8 stay
// escaped, see core/FileNames.h; the display role spells them out); duplicates are allowed. The
// public operations count from 1, the way the handlers speak of entries; the Qt model interface
// underneath counts from 0.
class PictureListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PictureListModel(QObject* parent = nullptr);

    // The single column exists once the start-up sequence has added it.
    void addColumn(const QString& header);
    bool hasColumn() const { return m_hasColumn; }

    int count() const { return static_cast<int>(m_entries.size()); }
    QString text(int i) const;
    void setText(int i, const QString& s);
    void append(const QString& path);
    // Appends many entries with one change notification; the view updates once.
    void appendMany(const QStringList& paths);
    void insert(int i, const QString& s);
    void remove(int i);
    void clear();
    bool contains(const QString& path) const { return m_entries.contains(path); }
    const QList<QString>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void checkPosition(int i, int last) const;

    QList<QString> m_entries;
    QString m_header;
    bool m_hasColumn = false;
};
