#pragma once

#include <QMimeData>
#include <QTableView>

#include <functional>

// The list control of the main window: a one-column report view whose mouse, key and
// drop events are handed to the window's handlers as signals, the way the handlers
// expect them (item click on press, moves with list coordinates, drops as mime data).
//
// It is a table view of one column with fixed row heights and no row header, not a tree
// view: a tree view lays out every row again after each change, which at 100,000 entries
// costs about 12 ms on every yield of a folder scan and every removal; the table view
// keeps the rows in its header and stays fast however long the list grows.
class PictureListView : public QTableView {
    Q_OBJECT
public:
    explicit PictureListView(QWidget* parent = nullptr);

    // Set by the drag-over handler: whether the data being dragged may be dropped.
    using DropFilter = std::function<bool(const QMimeData*)>;
    void setDropFilter(DropFilter filter) { m_dropFilter = std::move(filter); }

    // The entry under a point of the viewport (1-based), or 0 for none.
    int hitTest(const QPoint& viewportPos) const;

signals:
    void itemClicked(int position);
    // `position` is the 1-based row pressed on, 0 outside every row.
    void mousePressed(Qt::MouseButton button, int position);
    void mouseMoved(const QPoint& viewportPos);
    void mouseReleased(Qt::MouseButton button);
    void doubleClickedAnywhere();
    void keyPressed(int key);
    // Ctrl+Up or Alt+Up (step -1), Ctrl+Down or Alt+Down (+1): the current entry is to move.
    void moveRequested(int step);
    void filesDropped(const QMimeData* data);
    // The context menu was asked for (right button, menu key) at a point of the screen.
    void contextMenuRequested(const QPoint& screenPos);

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fitRowHeightToFont();

    DropFilter m_dropFilter;
};
