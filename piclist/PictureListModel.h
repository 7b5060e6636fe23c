#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

// The picture list: an ordered list of paths, one entry per page of the built document.
// An entry is only its text, kept exactly as given (a path's bytes that are not UTF-8 stay
// escaped, see core/FileNames.h; the display role spells them out); duplicates are allowed.
// The public operations count from 1, the way the handlers speak of entries; the Qt model
// interface underneath counts from 0.
//
// The list's own operations (count, text, entries, ...) always see every entry appended so
// far. The views are told about appends in batches: the rows appended since the event loop
// last ran reach them as one insertion when it runs next. A folder add appends tens of
// thousands of entries between two yields, and a view's work for an insertion is about the
// same for one row as for thousands. Every other change first tells the views about the
// appends still pending, so that they never see rows out of step with the list.
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
    // Adds one entry at the end. The views see it the next time the event loop runs, together
    // with every other entry appended before then, or at the next announcePending().
    void append(const QString& path);
    // Appends many entries and tells the views at once, with one change notification for
    // these and any appends still pending.
    void appendMany(const QStringList& paths);
    void insert(int i, const QString& s);
    void remove(int i);
    void clear();
    // Puts the entries in a new order: `order` holds every 0-based position once, the entry
    // that comes first at the front. Views keep their current and selected entries, which
    // move along with their rows. Throws when `order` is no such permutation.
    void reorder(const QList<qsizetype>& order);
    bool contains(const QString& path) const { return m_entries.contains(path); }
    const QList<QString>& entries() const { return m_entries; }

    // Tells the views now about every appended entry they have not been told of yet, as one
    // insertion; does nothing when there is none. For callers that need a model index of an
    // entry just appended before the event loop has run.
    void announcePending();
    // Entries appended but not yet announced to the views.
    int pendingCount() const { return count() - m_announced; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void checkPosition(int i, int last) const;
    void announceQueued();

    QList<QString> m_entries;
    // How many entries, from the top, the views know of: the model's row count.
    int m_announced = 0;
    // An announcement is waiting in the event queue.
    bool m_announceQueued = false;
    QString m_header;
    bool m_hasColumn = false;
};
