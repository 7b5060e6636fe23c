#include "piclist/PictureListView.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

PictureListView::PictureListView(QWidget* parent) : QTableView(parent) {
    // A plain report list: rows under one left-aligned column header, no grid, no row
    // numbers, no cell-to-cell tabbing, and a header that only resizes.
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsMovable(false);
    fitRowHeightToFont();

    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The program reorders entries itself from the mouse events; the view's own item
    // drag is never started.
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setMouseTracking(true);
}

void PictureListView::fitRowHeightToFont() {
    const int height = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void PictureListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitRowHeightToFont();
    }
}

int PictureListView::hitTest(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() + 1 : 0;
}

void PictureListView::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    const int position = hitTest(event->position().toPoint());
    if (position > 0) {
        emit itemClicked(position);
    }
    emit mousePressed(event->button(), position);
}

void PictureListView::mouseMoveEvent(QMouseEvent* event) {
    // The base class would extend the selection while a button is held; the handlers
    // decide what a move means.
    emit mouseMoved(event->position().toPoint());
}

void PictureListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    emit mouseReleased(event->button());
}

void PictureListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the pair has already made its row current; the base class would
    // treat a double-click off the rows as another press.
    event->accept();
    emit doubleClickedAnywhere();
}

void PictureListView::keyPressEvent(QKeyEvent* event) {
    // Moving an entry by keyboard, as file managers and playlists do; the view would move
    // the current row without the entry.
    const bool up = event->key() == Qt::Key_Up;
    if ((up || event->key() == Qt::Key_Down) &&
        ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier ||
         (event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier)) {
        event->accept();
        emit moveRequested(up ? -1 : 1);
        return;
    }
    // Shift+F10 opens the context menu as the Menu key does, at the current entry.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        event->accept();
        const QRect row = visualRect(currentIndex());
        emit contextMenuRequested(
            viewport()->mapToGlobal(row.isValid() ? row.center() : viewport()->rect().center()));
        return;
    }
    // The handler only looks at the key; the view still gets every key, Delete included.
    emit keyPressed(event->key());
    QTableView::keyPressEvent(event);
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

void PictureListView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    emit contextMenuRequested(event->globalPos());
}
