#include "PictureListView.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

PictureListView::PictureListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // The program reorders entries itself from the mouse events; the view's own item
    // drag is never started.
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setMouseTracking(true);
}

int PictureListView::hitTest(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() + 1 : 0;
}

void PictureListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    const int position = hitTest(event->position().toPoint());
    if (position > 0) {
        emit itemClicked(position);
    }
    emit mousePressed(event->button());
}

void PictureListView::mouseMoveEvent(QMouseEvent* event) {
    // The base class would extend the selection while a button is held; the handlers
    // decide what a move means.
    emit mouseMoved(event->position().toPoint());
}

void PictureListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    emit mouseReleased(event->button());
}

void PictureListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void PictureListView::keyPressEvent(QKeyEvent* event) {
    // The handler only looks at the key; the view still gets every key, Delete included.
    emit keyPressed(event->key());
    QTreeView::keyPressEvent(event);
}

void PictureListView::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dropFilter && m_dropFilter(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PictureListView::dragMoveEvent(QDragMoveEvent* event) {
    if (m_dropFilter && m_dropFilter(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PictureListView::dropEvent(QDropEvent* event) {
    if (!m_dropFilter || !m_dropFilter(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(event->mimeData());
}
