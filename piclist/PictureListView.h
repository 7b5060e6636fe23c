#pragma once

#include <QMimeData>
#include <QTreeView>

#include <functional>

// The list control of the main window: a one-column report view whose mouse, key and
// drop events are handed to the window's handlers as signals, the way the handlers
// expect them (item click on press, moves with list coordinates, drops as mime data).
class PictureListView : public QTreeView {
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
    void mousePressed(Qt::MouseButton button);
    void mouseMoved(const QPoint& viewportPos);
    void mouseReleased(Qt::MouseButton button);
    void doubleClickedAnywhere();
    void keyPressed(int key);
    void filesDropped(const QMimeData* data);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    DropFilter m_dropFilter;
};
