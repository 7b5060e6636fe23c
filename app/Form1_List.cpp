// Editing the picture list from the main window: removal, "Clear List", the move buttons,
// drag reordering with the mouse and the commands of the context menu.
#include "app/Form1.h"

#include "core/AppTitle.h"
#include "core/EventLoopWait.h"
#include "core/HandlerTrap.h"
#include "core/MousePointer.h"
#include "core/UiServices.h"
#include "intake/PhotoDates.h"
#include "piclist/PictureListModel.h"
#include "piclist/PictureListView.h"
#include "piclist/PictureOrder.h"

#include <QHeaderView>
#include <QPixmap>
#include <QScrollBar>

#include <chrono>
#include <future>

namespace {

const QString kMoveUp = QStringLiteral("in Sheafwork2021/08/31.Form1.PushButton5_Click ");
const QString kMoveDown = QStringLiteral("in Sheafwork2021/08/31.Form1.PushButton6_Click ");
const QString kClearList = QStringLiteral("in Sheafwork2021/08/31.Form1.PushButton10_Click ");
const QString kContextMenu = QStringLiteral("in Sheafwork2021/08/31.Form1.ListView1_ContextMenu ");

// How often the window looks whether the dates of a sort by date have all been read.
constexpr int kDateReadingLookMs = 10;

// The commands of the list's context menu, in the order shown.
enum ListCommand { SortByName, SortByDateTaken, ReverseOrder, DocumentOptions };

// 1-based position of the list's current entry, or 0 when there is none.
int currentPosition(const PictureListView* list) {
    const QModelIndex current = list->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void selectEntry(PictureListView* list, int i) {
    list->setCurrentIndex(list->model()->index(i - 1, 0));
}

void ensureVisible(PictureListView* list, int i) {
    list->scrollTo(list->model()->index(i - 1, 0), QAbstractItemView::EnsureVisible);
}

} // namespace

void Form1::removeCurrentEntry() {
    if (isBusy() || m_pictureList->count() == 0) {
        return;
    }
    const int position = currentPosition(ListView1);
    if (position > 0) {
        m_pictureList->remove(position);
    }
}

void Form1::ListView1_DblClick() {
    removeCurrentEntry();
}

void Form1::ListView1_KeyDown(int key) {
    if (key != Qt::Key_Delete) {
        return;
    }
    removeCurrentEntry();
}

void Form1::PushButton10_Click() {
    HandlerTrap trap(m_services.reporter, kClearList);
    trap(100, [&] {
        if (!isBusy()) {
            m_pictureList->clear();
        }
    });
}

void Form1::PushButton5_Click() {
    HandlerTrap trap(m_services.reporter, kMoveUp);
    if (trap.test(
            100, [&] { return isBusy(); }, false)) {
        return;
    }
    if (trap.test(
            102, [&] { return m_pictureList->count() == 0; }, false)) {
        return;
    }
    int p = 0;
    trap(104, [&] { p = currentPosition(ListView1); });
    // A failed test counts as "already first": nothing is moved.
    if (trap.test(
            106, [&] { return p < 2; }, true)) {
        trap(118, [&] { ListView1->setFocus(); });
        return;
    }
    trap(108, [&] { m_pictureList->insert(p - 1, m_pictureList->text(p)); });
    trap(110, [&] { m_pictureList->remove(p + 1); });
    trap(112, [&] { selectEntry(ListView1, p - 1); });
    trap(114, [&] { ensureVisible(ListView1, p - 1); });
    trap(116, [&] { ListView1->setFocus(); });
}

void Form1::PushButton6_Click() {
    HandlerTrap trap(m_services.reporter, kMoveDown);
    if (trap.test(
            100, [&] { return isBusy(); }, false)) {
        return;
    }
    if (trap.test(
            102, [&] { return m_pictureList->count() == 0; }, false)) {
        return;
    }
    int p = 0;
    trap(104, [&] { p = currentPosition(ListView1); });
    // Without a current entry there is nothing to move; the list only gets the focus. A
    // failed test counts as "already last": nothing is moved.
    if (trap.test(
            106, [&] { return p < 1 || p >= m_pictureList->count(); }, true)) {
        trap(118, [&] { ListView1->setFocus(); });
        return;
    }
    trap(108, [&] { m_pictureList->insert(p + 2, m_pictureList->text(p)); });
    trap(110, [&] { m_pictureList->remove(p); });
    trap(112, [&] { selectEntry(ListView1, p + 1); });
    trap(114, [&] { ensureVisible(ListView1, p + 1); });
    trap(116, [&] { ListView1->setFocus(); });
}

void Form1::ListView1_ContextMenu(const QPoint& screenPos) {
    HandlerTrap trap(m_services.reporter, kContextMenu);
    // While the list is busy the sort commands are shown but cannot be chosen. The document
    // options only edit the settings, so they stay open to the user at all times; a run
    // already going keeps the layout it read when it started.
    const bool sortEnabled = !isBusy() && m_pictureList->count() > 0;
    int chosen = -1;
    trap(100, [&] {
        chosen = m_services.ui.contextMenu({{QStringLiteral("Sort by Name"), sortEnabled},
                                            {QStringLiteral("Sort by Date Taken"), sortEnabled},
                                            {QStringLiteral("Reverse Order"), sortEnabled},
                                            {QStringLiteral("Document Options..."), true, true}},
                                           screenPos);
    });
    // The menu took the button's release: no drag goes on from the press that opened it.
    trap(102, [&] { ListView1_MouseUp(Qt::RightButton); });
    if (chosen == ListCommand::DocumentOptions) {
        DocumentOptions_Click();
        return;
    }
    // The menu ran the event loop; the list may have become busy meanwhile.
    if (chosen < 0 || isBusy()) {
        return;
    }
    trap(104, [&] {
        const QStringList paths = m_pictureList->entries();
        switch (chosen) {
        case SortByName:
            reorderList(nameOrder(paths));
            break;
        case SortByDateTaken:
            sortByDateTaken(paths);
            break;
        case ReverseOrder:
            reorderList(reverseOrder(paths.size()));
            break;
        default:
            break;
        }
    });
}

void Form1::sortByDateTaken(const QStringList& paths) {
    // Reading the dates opens every file: on a long list or a slow disk that takes seconds,
    // so it runs beside the event loop, which goes on sleeping in between looks, and the
    // list is busy meanwhile.
    const int pointerBefore = m_mousePointer;
    setMousePointer(MousePointer::Hourglass);
    std::future<QList<DatedPath>> reading =
        std::async(std::launch::async, [paths] { return datedPaths(paths); });
    do {
        sleepInEventLoop(kDateReadingLookMs);
    } while (reading.wait_for(std::chrono::seconds(0)) != std::future_status::ready);
    const QList<DatedPath> dated = reading.get();
    if (m_ended) {
        return;
    }
    setMousePointer(pointerBefore);
    // The order is one of the entries as they were read: after a change meanwhile it would
    // move the wrong entries, or lose some.
    if (m_pictureList->entries() != paths) {
        m_services.ui.messageBox(
            QStringLiteral("The list changed while the dates were being read; it was not "
                           "sorted. Choose Sort by Date Taken again."),
            MsgStyle::OkOnly, applicationTitle());
        return;
    }
    reorderList(dateOrder(dated));
}

void Form1::reorderList(const QList<qsizetype>& order) {
    m_pictureList->reorder(order);
    const QModelIndex current = ListView1->currentIndex();
    if (current.isValid()) {
        ListView1->scrollTo(current, QAbstractItemView::EnsureVisible);
    }
}

void Form1::ListView1_ItemClick(int position) {
    const QPixmap dragPicture(programFolder() + QStringLiteral("/drag.ico"));
    if (!dragPicture.isNull()) {
        ListView1->viewport()->setCursor(QCursor(dragPicture));
    }
    ListView1->setDragEnabled(false);
    m_draggedEntry = QPersistentModelIndex(ListView1->currentIndex());
    Q_UNUSED(position);
}

void Form1::ListView1_MouseDown(Qt::MouseButton, int position) {
    m_buttonDown = true;
    // A press outside every row picks no entry: a drag from there moves nothing, not the
    // entry clicked some time before.
    if (position == 0) {
        m_draggedEntry = QPersistentModelIndex();
    }
}

void Form1::ListView1_MouseUp(Qt::MouseButton) {
    m_buttonDown = false;
    ListView1->viewport()->setCursor(Qt::ArrowCursor);
}

void Form1::ListView1_MouseMove(const QPoint& listPos) {
    if (!isBusy()) {
        setMousePointer(MousePointer::Default);
    }
    if (!m_buttonDown) {
        return;
    }
    m_hoverEntry = QPersistentModelIndex(ListView1->indexAt(listPos));
    // A removed dragged entry leaves an invalid index behind: nothing to drag then.
    if (m_hoverEntry.isValid() && m_draggedEntry.isValid()) {
        const int h = m_hoverEntry.row() + 1;
        const int d = m_draggedEntry.row() + 1;
        const QString hoverText = m_pictureList->text(h);
        const QString draggedText = m_pictureList->text(d);
        if (hoverText != draggedText) {
            m_pictureList->setText(d, hoverText);
            m_pictureList->setText(h, draggedText);
            selectEntry(ListView1, h);
            m_draggedEntry = QPersistentModelIndex(m_pictureList->index(h - 1, 0));

            // Within one row's height of the top or bottom edge of the visible area, bring
            // the next row in. The pointer is taken in the list's own coordinates, so the
            // window's place on the screen does not matter.
            const int rowHeight = ListView1->visualRect(m_hoverEntry).height();
            const int visibleHeight = ListView1->viewport()->height();
            if (listPos.y() < rowHeight) {
                if (h > 1) {
                    ensureVisible(ListView1, h - 1);
                }
            } else if (listPos.y() >= visibleHeight - rowHeight) {
                if (m_pictureList->count() >= h + 1) {
                    ensureVisible(ListView1, h + 1);
                }
            }
        }
    }
    m_hoverEntry = QPersistentModelIndex();
}
