// Editing the picture list in the real main window: removal, "Clear List", the move
// buttons, drag reordering with real mouse events on the list, the edge scrolling of a drag,
// the commands of the list's context menu, and the busy pointer that keeps every edit
// away while a long operation works.
#include "tests/support/ExifPictures.h"
#include "tests/support/Form1Harness.h"

#include <QContextMenuEvent>

#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QStringList kPQR = {QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("R")};
const QStringList kPQRS = {QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("R"),
                           QStringLiteral("S")};

QStringList numbered(int count) {
    QStringList texts;
    for (int i = 1; i <= count; ++i) {
        texts.append(QStringLiteral("/pictures/e%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    }
    return texts;
}

// Presses and moves go to the list's viewport as the window system delivers them.
void press(Form1Harness& h, QPoint pos) {
    QTest::mousePress(h.view()->viewport(), Qt::LeftButton, {}, pos);
}
void moveTo(Form1Harness& h, QPoint pos) {
    QTest::mouseMove(h.view()->viewport(), pos);
}
void release(Form1Harness& h, QPoint pos) {
    QTest::mouseRelease(h.view()->viewport(), Qt::LeftButton, {}, pos);
}
void doubleClick(Form1Harness& h, QPoint pos) {
    QWidget* viewport = h.view()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
}

// A right-button press on the list, the context menu it asks for, and the release, in the
// order an X11 or Wayland desktop delivers them.
void rightClick(Form1Harness& h, QPoint pos) {
    QWidget* viewport = h.view()->viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, pos);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QCoreApplication::sendEvent(viewport, &menu);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, pos);
}

// The sort commands greyed out; the document options, which only edit the settings, not.
void verifyOnlyDocumentOptionsEnabled(const FakeUiServices::Menu& menu) {
    QCOMPARE(menu.commands.size(), 4);
    for (const MenuCommand& command : menu.commands) {
        QCOMPARE(command.enabled, command.text == QLatin1String("Document Options..."));
    }
}

QString currentText(Form1Harness& h) {
    return h.current() > 0 ? h.list().text(h.current()) : QString();
}

int topRow(Form1Harness& h) {
    return h.view()->indexAt(QPoint(5, 1)).row() + 1;
}
bool inView(Form1Harness& h, int position) {
    return h.view()->viewport()->rect().contains(h.rowRect(position));
}

} // namespace

class Form1ListTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<TestProgramFolder>();
        QVERIFY(m_folder->copyFromBuild(QStringLiteral("drag.ico")));
        m_h = std::make_unique<Form1Harness>(Form1Harness::Setup().folder(m_folder->path()));
        QVERIFY(h().form.Form_Load());
        showAt(QPoint(100, 100));
    }
    void cleanup() { m_h.reset(); }

    void remove_emptyList_nothingChangesNothingShown() {
        doubleClick(h(), QPoint(50, 30));
        QTest::keyClick(h().view(), Qt::Key_Delete);
        h().button(10)->click();
        h().button(5)->click();
        h().button(6)->click();
        QCOMPARE(h().list().count(), 0);
        QVERIFY(h().ui.boxes.isEmpty());
        QCOMPARE(h().list().columnCount(), 1);
    }

    void remove_doubleClickOrDeleteTakesTheCurrentEntryOnly_data() {
        QTest::addColumn<bool>("byDoubleClick");
        QTest::newRow("double-click") << true;
        QTest::newRow("Delete") << false;
    }

    void remove_doubleClickOrDeleteTakesTheCurrentEntryOnly() {
        QFETCH(bool, byDoubleClick);
        // The same file twice: removing one of them leaves the other.
        h().fill({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")});
        if (byDoubleClick) {
            doubleClick(h(), h().rowRect(3).center());
        } else {
            h().makeCurrent(3);
            QTest::keyClick(h().view(), Qt::Key_Delete, Qt::ShiftModifier);
        }
        QCOMPARE(h().texts(), (QStringList{"A", "B"}));

        // A double-click below the rows still removes the current entry.
        h().makeCurrent(1);
        if (byDoubleClick) {
            doubleClick(h(), QPoint(50, h().view()->viewport()->height() - 4));
        } else {
            QTest::keyClick(h().view(), Qt::Key_Delete);
        }
        QCOMPARE(h().texts(), (QStringList{"B"}));
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void remove_otherKeysDoNothing() {
        h().fill(kPQR);
        h().makeCurrent(2);
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Insert, Qt::Key_X, Qt::Key_Space}) {
            QTest::keyClick(h().view(), key);
        }
        QCOMPARE(h().texts(), kPQR);
    }

    void clear_emptiesAtOnceKeepingTheColumn() {
        h().fill(numbered(30));
        h().makeCurrent(12);
        h().button(10)->click();
        QCOMPARE(h().list().count(), 0);
        QVERIFY(h().ui.boxes.isEmpty());
        QCOMPARE(h().list().headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Image File(s)"));
        QCOMPARE(h().view()->columnWidth(0), 6500 / 15);
        // The list takes new entries again.
        h().list().append(QStringLiteral("P"));
        QCOMPARE(h().texts(), QStringList{"P"});
    }

    void busy_hourglassKeepsEveryEditAway() {
        h().fill(kPQR);
        h().makeCurrent(2);
        h().button(1)->setFocus();
        h().form.setMousePointer(MousePointer::Hourglass);

        doubleClick(h(), h().rowRect(2).center());
        h().makeCurrent(2);
        QTest::keyClick(h().view(), Qt::Key_Delete);
        h().button(5)->click();
        h().button(6)->click();
        h().button(10)->click();
        // The move buttons do not even focus the list while busy.
        h().button(1)->setFocus();
        h().button(5)->click();
        QCOMPARE(h().form.focusWidget(), h().button(1));

        QCOMPARE(h().texts(), kPQR);
        QCOMPARE(h().form.mousePointer(), MousePointer::Hourglass);
        QVERIFY(h().ui.boxes.isEmpty());

        // Once the long operation has ended the same edits work again.
        h().form.setMousePointer(MousePointer::Default);
        h().button(5)->click();
        QCOMPARE(h().texts(), (QStringList{"Q", "P", "R"}));
    }

    void sort_menuOffersTheSortCommandsAndDocumentOptionsAtThePointer() {
        h().fill(kPQR);
        const QPoint pos = h().rowRect(2).center();
        rightClick(h(), pos);
        QCOMPARE(h().ui.menus.size(), 1);
        const auto& menu = h().ui.menus.first();
        QCOMPARE(menu.screenPos, h().view()->viewport()->mapToGlobal(pos));
        QStringList texts;
        QStringList startingGroups;
        for (const MenuCommand& command : menu.commands) {
            texts.append(command.text);
            QVERIFY(command.enabled);
            if (command.separatorBefore) {
                startingGroups.append(command.text);
            }
        }
        QCOMPARE(texts, (QStringList{"Sort by Name", "Sort by Date Taken", "Reverse Order",
                                     "Document Options..."}));
        // The document options stand apart from the sort commands.
        QCOMPARE(startingGroups, QStringList{"Document Options..."});
        // Nothing chosen: nothing changes and no dialog opens.
        QCOMPARE(h().texts(), kPQR);
        QVERIFY(h().ui.boxes.isEmpty());
        QVERIFY(h().ui.optionsShown.isEmpty());
    }

    void sort_byNameReordersAndTheCurrentEntryFollows() {
        const QStringList start = {"/pics/p10.jpg", "/pics/P3.jpg", "/pics/p1.jpg",
                                   "/other/p2.jpg"};
        h().fill(start);
        h().makeCurrent(2);
        h().ui.menuAnswers = {QStringLiteral("Sort by Name")};
        // The right button pressed on another row makes that row current first, as a left
        // press would; the current entry is then followed to its new place.
        rightClick(h(), h().rowRect(1).center());
        QCOMPARE(h().texts(),
                 (QStringList{"/pics/p1.jpg", "/other/p2.jpg", "/pics/P3.jpg", "/pics/p10.jpg"}));
        QCOMPARE(currentText(h()), QStringLiteral("/pics/p10.jpg"));
        QCOMPARE(h().current(), 4);
        QVERIFY(inView(h(), 4));
        // The view shows the new order, not just the list.
        QCOMPARE(h().view()->model()->index(0, 0).data().toString(),
                 QStringLiteral("/pics/p1.jpg"));
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void sort_byDateTakenUsesExifThenModificationTime() {
        using namespace ExifPictures;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString a = dir.filePath("a1.jpg");
        const QString b = dir.filePath("a2.jpg");
        const QString c = dir.filePath("a3.jpg");
        const QString gone = dir.filePath("a0.jpg");
        // The names say a1, a2, a3; the EXIF says a3 (2018) before a1 (2022); a2 has no EXIF and
        // was last modified in 2020; a0 does not exist and goes last.
        QVERIFY(writeFile(a, jpegWithExif("2022:03:04 05:06:07")));
        QVERIFY(writeFile(b, plainJpeg()));
        QVERIFY(writeFile(c, jpegWithExif("2018:03:04 05:06:07")));
        QVERIFY(setModified(a, QDateTime(QDate(2000, 1, 1), QTime(0, 0))));
        QVERIFY(setModified(b, QDateTime(QDate(2020, 1, 1), QTime(0, 0))));
        QVERIFY(setModified(c, QDateTime(QDate(2030, 1, 1), QTime(0, 0))));
        // Entries appended and not yet shown by the view are sorted as well.
        h().fill({gone, a});
        h().list().append(b);
        h().list().append(c);
        h().makeCurrent(2);
        h().ui.menuAnswers = {QStringLiteral("Sort by Date Taken")};
        h().form.ListView1_ContextMenu(QPoint(10, 10));
        QCOMPARE(h().texts(), (QStringList{c, b, a, gone}));
        QCOMPARE(currentText(h()), a);
        QCOMPARE(h().view()->model()->rowCount(), 4);
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void sort_byDateTakenReadsBesideALiveWindow_data() {
        QTest::addColumn<bool>("changeMeanwhile");
        QTest::newRow("list left alone") << false;
        QTest::newRow("entry appended meanwhile") << true;
    }

    void sort_byDateTakenReadsBesideALiveWindow() {
        QFETCH(bool, changeMeanwhile);
        using namespace ExifPictures;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // 300 pictures whose EXIF dates run against their names.
        QStringList named;
        for (int i = 0; i < 300; ++i) {
            named.append(dir.filePath(QStringLiteral("p%1.jpg").arg(i)));
            const QString taken = QStringLiteral("2020:01:01 00:%1:%2")
                                      .arg((299 - i) / 60, 2, 10, QLatin1Char('0'))
                                      .arg((299 - i) % 60, 2, 10, QLatin1Char('0'));
            QVERIFY(writeFile(named.last(), jpegWithExif(taken)));
        }
        h().fill(named);
        // The event loop runs while the dates are read, with the list busy.
        bool ranMeanwhile = false;
        bool busyMeanwhile = false;
        QTimer::singleShot(0, [&] {
            ranMeanwhile = true;
            busyMeanwhile = h().form.isBusy();
            if (changeMeanwhile) {
                h().list().append(dir.filePath(QStringLiteral("late.jpg")));
            }
        });
        h().ui.menuAnswers = {QStringLiteral("Sort by Date Taken")};
        h().form.ListView1_ContextMenu(QPoint(10, 10));
        QVERIFY(ranMeanwhile);
        QVERIFY(busyMeanwhile);
        QVERIFY(!h().form.isBusy());
        if (changeMeanwhile) {
            // Sorting by what was read would move the wrong entries: nothing moves, and the
            // user is told.
            QCOMPARE(h().texts(), named + QStringList{dir.filePath(QStringLiteral("late.jpg"))});
            QCOMPARE(h().ui.boxes.size(), 1);
            QVERIFY(h().ui.boxes.first().text.contains(QLatin1String("The list changed")));
        } else {
            QStringList reversed(named.rbegin(), named.rend());
            QCOMPARE(h().texts(), reversed);
            QVERIFY(h().ui.boxes.isEmpty());
        }
    }

    void sort_reverseKeepsTheCurrentOfTwoEqualEntries() {
        h().fill({"A", "B", "A", "C"});
        h().makeCurrent(3);
        h().ui.menuAnswers = {QStringLiteral("Reverse Order")};
        rightClick(h(), h().rowRect(3).center());
        QCOMPARE(h().texts(), (QStringList{"C", "A", "B", "A"}));
        // The entry that was third is now second, not the other "A".
        QCOMPARE(h().current(), 2);
        // Reversing twice gives back the start.
        h().ui.menuAnswers = {QStringLiteral("Reverse Order")};
        rightClick(h(), h().rowRect(2).center());
        QCOMPARE(h().texts(), (QStringList{"A", "B", "A", "C"}));
        QCOMPARE(h().current(), 3);
    }

    void sort_busyOrEmptyDoesNothing() {
        // Busy: the sort commands are shown greyed out and none can be chosen.
        h().fill({"p3", "p1", "p2"});
        h().makeCurrent(1);
        h().form.setMousePointer(MousePointer::Hourglass);
        h().ui.menuAnswers = {QStringLiteral("Sort by Name")};
        rightClick(h(), h().rowRect(1).center());
        QCOMPARE(h().ui.menus.size(), 1);
        verifyOnlyDocumentOptionsEnabled(h().ui.menus.last());
        QCOMPARE(h().texts(), (QStringList{"p3", "p1", "p2"}));
        QCOMPARE(h().form.mousePointer(), MousePointer::Hourglass);

        // Busy from the moment the menu was open: the choice is dropped.
        h().form.setMousePointer(MousePointer::Default);
        h().ui.onMenu = [&](const FakeUiServices::Menu&) {
            h().form.setMousePointer(MousePointer::Hourglass);
        };
        h().ui.menuAnswers = {QStringLiteral("Reverse Order")};
        rightClick(h(), h().rowRect(1).center());
        QCOMPARE(h().ui.menus.size(), 2);
        QCOMPARE(h().texts(), (QStringList{"p3", "p1", "p2"}));

        // Not busy again: the same command works.
        h().ui.onMenu = nullptr;
        h().form.setMousePointer(MousePointer::Default);
        h().ui.menuAnswers = {QStringLiteral("Reverse Order")};
        rightClick(h(), h().rowRect(1).center());
        QCOMPARE(h().texts(), (QStringList{"p2", "p1", "p3"}));

        // An empty list: the sort commands are greyed out too.
        h().button(10)->click();
        h().ui.menuAnswers = {QStringLiteral("Sort by Name")};
        rightClick(h(), QPoint(50, 30));
        verifyOnlyDocumentOptionsEnabled(h().ui.menus.last());
        QCOMPARE(h().list().count(), 0);
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void sort_menuLeavesNoDragBehind() {
        h().fill(kPQRS);
        // A real menu takes the button's release; here it never reaches the list.
        QWidget* viewport = h().view()->viewport();
        const QPoint pos = h().rowRect(1).center();
        QTest::mousePress(viewport, Qt::RightButton, {}, pos);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
        QCoreApplication::sendEvent(viewport, &menu);
        // Moving over the other rows afterwards must not drag the pressed entry along.
        moveTo(h(), h().rowRect(2).center());
        moveTo(h(), h().rowRect(3).center());
        QCOMPARE(h().texts(), kPQRS);
        QCOMPARE(h().view()->viewport()->cursor().shape(), Qt::ArrowCursor);
        // Lets go of the button, so that the next test starts with none held.
        QTest::mouseRelease(viewport, Qt::RightButton, {}, h().rowRect(3).center());
        QCOMPARE(h().texts(), kPQRS);
    }

    void move_examples_data() {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("expectedCurrent");
        QTest::newRow("Q up") << kPQR << 2 << true << QStringList{"Q", "P", "R"} << 1;
        QTest::newRow("Q down") << kPQR << 2 << false << QStringList{"P", "R", "Q"} << 3;
        QTest::newRow("P up, first") << kPQR << 1 << true << kPQR << 1;
        QTest::newRow("R down, last") << kPQR << 3 << false << kPQR << 3;
        QTest::newRow("P down") << kPQR << 1 << false << QStringList{"Q", "P", "R"} << 2;
        QTest::newRow("R up") << kPQR << 3 << true << QStringList{"P", "R", "Q"} << 2;
        QTest::newRow("single entry up") << QStringList{"P"} << 1 << true << QStringList{"P"} << 1;
        QTest::newRow("single entry down")
            << QStringList{"P"} << 1 << false << QStringList{"P"} << 1;
        // Without a current entry nothing moves; which entry the focused list then makes
        // current is the list control's own business (-1: not checked).
        QTest::newRow("no current up") << kPQR << 0 << true << kPQR << -1;
        QTest::newRow("no current down") << kPQR << 0 << false << kPQR << -1;
        QTest::newRow("equal neighbours")
            << QStringList{"P", "Q", "Q"} << 3 << true << QStringList{"P", "Q", "Q"} << 2;
    }

    void move_examples() {
        QFETCH(QStringList, start);
        QFETCH(int, current);
        QFETCH(bool, up);
        QFETCH(QStringList, expected);
        QFETCH(int, expectedCurrent);
        h().fill(start);
        if (current > 0) {
            h().makeCurrent(current);
        }
        h().button(1)->setFocus();

        h().button(up ? 5 : 6)->click();

        QCOMPARE(h().texts(), expected);
        if (expectedCurrent >= 0) {
            QCOMPARE(h().current(), expectedCurrent);
        }
        if (expectedCurrent > 0) {
            QVERIFY(
                h().view()->selectionModel()->isRowSelected(expectedCurrent - 1, QModelIndex()));
            QCOMPARE(h().view()->selectionModel()->selectedRows().size(), 1);
        }
        QCOMPARE(h().form.focusWidget(), h().view());
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void move_upTwiceCarriesTheSameEntry() {
        h().fill(kPQR);
        h().makeCurrent(3);
        h().button(5)->click();
        h().button(5)->click();
        QCOMPARE(h().texts(), (QStringList{"R", "P", "Q"}));
        QCOMPARE(h().current(), 1);
        h().button(6)->click();
        QCOMPARE(h().texts(), (QStringList{"P", "R", "Q"}));
        QCOMPARE(h().current(), 2);
    }

    void move_byKeyboardOnlyThreePlaces_data() {
        QTest::addColumn<Qt::KeyboardModifier>("modifier");
        QTest::newRow("Ctrl") << Qt::ControlModifier;
        QTest::newRow("Alt") << Qt::AltModifier;
    }

    void move_byKeyboardOnlyThreePlaces() {
        QFETCH(Qt::KeyboardModifier, modifier);
        h().fill(numbered(40));
        h().form.activateWindow();
        h().view()->setFocus();
        // The entry is chosen, moved down three places and back one, all by keys.
        for (int i = 0; i < 36; ++i) {
            QTest::keyClick(h().view(), Qt::Key_Down);
        }
        QCOMPARE(h().current(), 36);
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(h().view(), Qt::Key_Down, modifier);
        }
        QTest::keyClick(h().view(), Qt::Key_Up, modifier);
        QCOMPARE(h().texts().indexOf(QStringLiteral("/pictures/e36.jpg")), 37);
        QCOMPARE(h().current(), 38);
        QCOMPARE(h().view()->selectionModel()->selectedRows().size(), 1);
        QVERIFY(h().view()->viewport()->rect().contains(h().rowRect(38)));

        // Return on the focused "Move Up" presses it, as Space does.
        QTest::keyClick(h().view(), Qt::Key_Tab);
        QCOMPARE(h().form.focusWidget(), h().button(5));
        QTest::keyClick(h().button(5), Qt::Key_Return);
        QTRY_COMPARE(h().current(), 37);
        QCOMPARE(h().texts().indexOf(QStringLiteral("/pictures/e36.jpg")), 36);
    }

    void move_bringsTheMovedEntryIntoView() {
        h().fill(numbered(60));
        h().makeCurrent(30);
        h().view()->verticalScrollBar()->setValue(0);
        QVERIFY(!inView(h(), 31));
        h().button(6)->click();
        QCOMPARE(h().current(), 31);
        QVERIFY(inView(h(), 31));

        h().view()->verticalScrollBar()->setValue(0);
        h().button(5)->click();
        QCOMPARE(h().current(), 30);
        QVERIFY(inView(h(), 30));
        QCOMPARE(h().texts(), numbered(60));
    }

    void drag_examples_data() {
        QTest::addColumn<int>("pressed");
        QTest::addColumn<QList<int>>("moves");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("selected");
        QTest::newRow("Q over R") << 2 << QList<int>{3} << QStringList{"P", "R", "Q", "S"} << 3;
        QTest::newRow("Q over R, then S")
            << 2 << QList<int>{3, 4} << QStringList{"P", "R", "S", "Q"} << 4;
        QTest::newRow("Q back up over P")
            << 2 << QList<int>{1} << QStringList{"Q", "P", "R", "S"} << 1;
        // One move event from entry 1 straight to entry 4 trades the two; Q and R stay.
        QTest::newRow("jump 1 to 4") << 1 << QList<int>{4} << QStringList{"S", "Q", "R", "P"} << 4;
        QTest::newRow("down and back") << 2 << QList<int>{3, 2} << kPQRS << 2;
    }

    void drag_examples() {
        QFETCH(int, pressed);
        QFETCH(QList<int>, moves);
        QFETCH(QStringList, expected);
        QFETCH(int, selected);
        h().fill(kPQRS);
        press(h(), h().rowRect(pressed).center());
        for (int row : moves) {
            moveTo(h(), h().rowRect(row).center());
        }
        release(h(), h().rowRect(moves.last()).center());

        QCOMPARE(h().texts(), expected);
        QCOMPARE(h().current(), selected);
        QVERIFY(h().view()->selectionModel()->isRowSelected(selected - 1, QModelIndex()));
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void drag_movesThatChangeNothing_data() {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<bool>("buttonDown");
        QTest::addColumn<QString>("target");
        QTest::newRow("within its own row") << kPQRS << true << "own row";
        QTest::newRow("onto an equal text") << QStringList{"P", "Q", "Q", "S"} << true << "row 3";
        QTest::newRow("below the last entry") << kPQRS << true << "below";
        QTest::newRow("no button pressed") << kPQRS << false << "row 3";
    }

    void drag_movesThatChangeNothing() {
        QFETCH(QStringList, start);
        QFETCH(bool, buttonDown);
        QFETCH(QString, target);
        h().fill(start);
        const QRect row2 = h().rowRect(2);
        QPoint to = h().rowRect(3).center();
        if (target == QLatin1String("own row")) {
            to = QPoint(row2.left() + 3, row2.bottom());
        } else if (target == QLatin1String("below")) {
            to = QPoint(row2.center().x(), h().view()->viewport()->height() - 3);
            QVERIFY(!h().view()->indexAt(to).isValid());
        }
        if (buttonDown) {
            press(h(), row2.center());
        } else {
            // Select entry 2 by a full click first, so a drag would have something to move.
            QTest::mouseClick(h().view()->viewport(), Qt::LeftButton, {}, row2.center());
        }
        h().form.setMousePointer(MousePointer::Custom);
        moveTo(h(), to);
        if (buttonDown) {
            release(h(), to);
        }

        QCOMPARE(h().texts(), start);
        QCOMPARE(h().current(), 2);
        // Every move over the list gives the window its default pointer back.
        QCOMPARE(h().form.mousePointer(), MousePointer::Default);
    }

    void drag_pointerIsTheDragIconUntilRelease() {
        h().fill(kPQRS);
        QWidget* viewport = h().view()->viewport();
        press(h(), h().rowRect(2).center());
        QCOMPARE(viewport->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(viewport->cursor().pixmap().size(), QSize(32, 32));
        QVERIFY(!h().view()->dragEnabled());
        moveTo(h(), h().rowRect(3).center());
        QCOMPARE(viewport->cursor().shape(), Qt::BitmapCursor);
        release(h(), h().rowRect(3).center());
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);

        // Without drag.ico the drag still works; the pointer just has no picture of its own.
        QVERIFY(QFile::remove(m_folder->path() + QStringLiteral("/drag.ico")));
        press(h(), h().rowRect(1).center());
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
        moveTo(h(), h().rowRect(2).center());
        release(h(), h().rowRect(2).center());
        QCOMPARE(h().texts(), (QStringList{"R", "P", "Q", "S"}));
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void drag_fromEmptySpace_movesNothing() {
        h().fill(kPQRS);
        QTest::mouseClick(h().view()->viewport(), Qt::LeftButton, {}, h().rowRect(2).center());
        // A press below the rows picks no entry: Q, clicked before, is not dragged along.
        const QPoint empty(40, h().view()->viewport()->height() - 3);
        QVERIFY(!h().view()->indexAt(empty).isValid());
        press(h(), empty);
        moveTo(h(), h().rowRect(4).center());
        release(h(), h().rowRect(4).center());
        QCOMPARE(h().texts(), kPQRS);
        // A press on a row afterwards drags as before.
        press(h(), h().rowRect(1).center());
        moveTo(h(), h().rowRect(2).center());
        release(h(), h().rowRect(2).center());
        QCOMPARE(h().texts(), (QStringList{"Q", "P", "R", "S"}));
    }

    void drag_removedEntryIsNotDragged() {
        h().fill(kPQRS);
        QTest::mouseClick(h().view()->viewport(), Qt::LeftButton, {}, h().rowRect(2).center());
        QTest::keyClick(h().view(), Qt::Key_Delete);
        QCOMPARE(h().texts(), (QStringList{"P", "R", "S"}));
        const QPoint empty(40, h().view()->viewport()->height() - 3);
        press(h(), empty);
        moveTo(h(), h().rowRect(1).center());
        moveTo(h(), h().rowRect(3).center());
        release(h(), h().rowRect(3).center());
        QCOMPARE(h().texts(), (QStringList{"P", "R", "S"}));
    }

    void edgeScroll_edgeRowScrollsTowardsItsEdge_data() {
        QTest::addColumn<bool>("top");
        QTest::addColumn<QPoint>("window");
        // The bands are measured in the list's own area, so the list scrolls up however far down
        // the screen the window stands, and down however high.
        QTest::newRow("top row, window low on the screen") << true << QPoint(0, 400);
        QTest::newRow("bottom row, window high on the screen") << false << QPoint(0, 0);
    }

    void edgeScroll_edgeRowScrollsTowardsItsEdge() {
        QFETCH(bool, top);
        QFETCH(QPoint, window);
        showAt(window);
        h().fill(numbered(40));
        h().view()->verticalScrollBar()->setValue(10);
        QCOMPARE(topRow(h()), 11);
        QWidget* viewport = h().view()->viewport();
        const int rowHeight = h().rowRect(1).height();
        if (top) {
            QVERIFY(viewport->mapToGlobal(QPoint(0, 1)).y() > 364);
        } else {
            QVERIFY(viewport->mapToGlobal(QPoint(0, viewport->height() - 1)).y() < 305);
        }
        // The last pixel of the band one row high at the top edge, or the first of the one at
        // the bottom edge, and the entry under it; the drag comes from the entry beyond it.
        const int y = top ? rowHeight - 1 : viewport->height() - rowHeight;
        const int edge = h().view()->indexAt(QPoint(5, y)).row() + 1;
        const int step = top ? -1 : 1;
        QVERIFY(top ? edge == 11 : edge > 12 && !inView(h(), edge + 1));

        press(h(), h().rowRect(edge - step).center());
        const QPoint at(h().rowRect(edge).center().x(), y);
        moveTo(h(), at);
        release(h(), at);

        QCOMPARE(h().list().text(edge), numbered(40).at(edge - step - 1));
        QCOMPARE(h().current(), edge);
        QVERIFY(inView(h(), edge + step));
        QVERIFY(top ? topRow(h()) == edge - 1 : topRow(h()) > 11);
    }

    void edgeScroll_middleAndEndsDoNotScroll() {
        h().fill(numbered(40));
        QScrollBar* bar = h().view()->verticalScrollBar();
        const int rowHeight = h().rowRect(1).height();
        const int viewportHeight = h().view()->viewport()->height();

        // A swap in the middle of the visible area.
        bar->setValue(10);
        const QPoint middle = h().rowRect(15).center();
        QVERIFY(middle.y() >= rowHeight && middle.y() < viewportHeight - rowHeight);
        press(h(), h().rowRect(14).center());
        moveTo(h(), middle);
        release(h(), middle);
        QCOMPARE(h().current(), 15);
        QCOMPARE(bar->value(), 10);

        // At the top edge with the first entry there is nothing above to bring in.
        bar->setValue(0);
        press(h(), h().rowRect(2).center());
        moveTo(h(), QPoint(middle.x(), 1));
        release(h(), QPoint(middle.x(), 1));
        QCOMPARE(h().current(), 1);
        QCOMPARE(bar->value(), 0);

        // At the bottom edge with the last entry there is nothing below to bring in.
        bar->setValue(bar->maximum());
        const QRect last = h().rowRect(40);
        QVERIFY(last.bottom() >= viewportHeight - rowHeight && last.bottom() < viewportHeight);
        press(h(), h().rowRect(39).center());
        moveTo(h(), QPoint(last.center().x(), last.bottom()));
        release(h(), QPoint(last.center().x(), last.bottom()));
        QCOMPARE(h().current(), 40);
        QCOMPARE(bar->value(), bar->maximum());
    }

    void edgeScroll_bottomBandNearTheEndBringsTheLastRowIn_data() {
        QTest::addColumn<int>("fromEnd");
        QTest::addColumn<bool>("lastPartlyShown");
        QTest::addColumn<bool>("lowestPixel");
        // The list scrolled so that the last entry is cut by the bottom edge, or lies wholly
        // below it; the drag swaps with one of the entries just above the end, at the top of the
        // bottom band or at the lowest pixel of that entry that is still shown.
        QTest::newRow("last cut, the one before it, band top") << 1 << true << false;
        QTest::newRow("last cut, the one before it, its lowest pixel") << 1 << true << true;
        QTest::newRow("last hidden, the one before it, band top") << 1 << false << false;
        QTest::newRow("last hidden, the one before it, bottom edge") << 1 << false << true;
        QTest::newRow("last hidden, two before it, band top") << 2 << false << false;
    }

    void edgeScroll_bottomBandNearTheEndBringsTheLastRowIn() {
        QFETCH(int, fromEnd);
        QFETCH(bool, lastPartlyShown);
        QFETCH(bool, lowestPixel);
        h().fill(numbered(40));
        QScrollBar* bar = h().view()->verticalScrollBar();
        const int rowHeight = h().rowRect(1).height();
        const int viewportHeight = h().view()->viewport()->height();
        const int bandTop = viewportHeight - rowHeight;

        // Scroll up from the end until the last entry is cut by the bottom edge, or lies wholly
        // below it.
        auto lastRow = [&] { return h().rowRect(40); };
        bar->setValue(bar->maximum());
        while (bar->value() > 0 && (lastPartlyShown ? lastRow().bottom() < viewportHeight
                                                    : lastRow().top() < viewportHeight)) {
            bar->setValue(bar->value() - 1);
        }
        if (lastPartlyShown && lastRow().top() >= viewportHeight) {
            QSKIP("the rows fill the list exactly: no scroll position cuts the last entry");
        }
        QVERIFY(lastRow().bottom() >= viewportHeight);
        QVERIFY(lastPartlyShown == (lastRow().top() < viewportHeight));

        // The entry dragged over lies in the bottom band; the drag starts one entry above it.
        const int over = 40 - fromEnd;
        const QRect target = h().rowRect(over);
        const int y = lowestPixel ? std::min(target.bottom(), viewportHeight - 1)
                                  : std::max(target.top(), bandTop);
        if (y < bandTop || y > target.bottom()) {
            QSKIP("at this row height the entry does not reach into the bottom band");
        }
        const QPoint at(target.center().x(), y);
        QCOMPARE(h().view()->indexAt(at).row() + 1, over);
        press(h(), h().rowRect(over - 1).center());
        moveTo(h(), at);
        release(h(), at);

        QStringList expected = numbered(40);
        expected.swapItemsAt(over - 2, over - 1);
        QCOMPARE(h().texts(), expected);
        QCOMPARE(h().current(), over);
        // The entry below the one dragged over is brought wholly into view, and so is the
        // dragged one.
        QVERIFY2(inView(h(), over + 1),
                 qPrintable(QStringLiteral("entry %1 not in view").arg(over + 1)));
        QVERIFY(inView(h(), over));
    }

private:
    Form1Harness& h() { return *m_h; }
    void showAt(QPoint topLeft);

    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<Form1Harness> m_h;
};

void Form1ListTest::showAt(QPoint topLeft) {
    h().form.move(topLeft);
    h().form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h().form));
}

QTEST_MAIN(Form1ListTest)
#include "tst_app_list.moc"
