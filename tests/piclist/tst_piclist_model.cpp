// The picture list model alone, without widgets: its 1-based operations, and the Qt model
// contract checked by QAbstractItemModelTester on every change.
#include "core/AppError.h"
#include "piclist/PictureListModel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QStringList entries(const PictureListModel& model) {
    return model.entries();
}

// Runs a step that must fail with the list's own error and leave the list unchanged.
template <typename Step> void verifyOutOfBounds(PictureListModel& model, Step step) {
    const QStringList before = model.entries();
    bool failed = false;
    try {
        step();
    } catch (const AppError& error) {
        failed = error.number() == 35600;
    }
    QVERIFY(failed);
    QCOMPARE(model.entries(), before);
}

// What a view knows of the list: built only from the model's change notifications and the
// data of the rows they name, the way a view keeps its rows. Whenever the mirror differs from
// the model's first rowCount() entries, a notification was missing, wrong or out of order.
class ViewMirror {
public:
    explicit ViewMirror(PictureListModel& model) : m_model(model) {
        m_rows = rows(0, model.rowCount() - 1);
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex&, int first, int last) {
                             ++insertions;
                             for (int row = first; row <= last; ++row) {
                                 m_rows.insert(row, m_model.index(row, 0).data().toString());
                             }
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                         [this](const QModelIndex&, int first, int last) {
                             m_rows.remove(first, last - first + 1);
                         });
        QObject::connect(&model, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& from, const QModelIndex& to) {
                             for (int row = from.row(); row <= to.row(); ++row) {
                                 m_rows[row] = m_model.index(row, 0).data().toString();
                             }
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset,
                         [this] { m_rows = rows(0, m_model.rowCount() - 1); });
    }

    const QStringList& shown() const { return m_rows; }
    // The mirror agrees with the rows the model says the views have.
    bool inStep() const {
        return m_rows.size() == m_model.rowCount() &&
               m_rows == m_model.entries().mid(0, m_rows.size());
    }
    int insertions = 0;

private:
    QStringList rows(int first, int last) const {
        QStringList texts;
        for (int row = first; row <= last; ++row) {
            texts.append(m_model.index(row, 0).data().toString());
        }
        return texts;
    }

    PictureListModel& m_model;
    QStringList m_rows;
};

} // namespace

class PictureListModelTest : public QObject {
    Q_OBJECT

private slots:
    void operations_countFromOneAndKeepDuplicates() {
        PictureListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addColumn(QStringLiteral("Image File(s)"));

        model.append(QStringLiteral("/a.jpg"));
        model.append(QStringLiteral("/b.jpg"));
        model.append(QStringLiteral("/a.jpg"));
        QCOMPARE(model.count(), 3);
        QCOMPARE(model.text(1), QStringLiteral("/a.jpg"));
        QCOMPARE(model.text(3), QStringLiteral("/a.jpg"));
        QVERIFY(model.contains(QStringLiteral("/b.jpg")));
        QVERIFY(!model.contains(QStringLiteral("/B.jpg")));

        model.insert(1, QStringLiteral("/first.jpg"));
        model.insert(model.count() + 1, QStringLiteral("/last.jpg"));
        model.insert(3, QStringLiteral("/middle.jpg"));
        QCOMPARE(entries(model), (QStringList{"/first.jpg", "/a.jpg", "/middle.jpg", "/b.jpg",
                                              "/a.jpg", "/last.jpg"}));

        model.setText(2, QStringLiteral("/c.jpg"));
        model.remove(5);
        model.remove(1);
        QCOMPARE(entries(model), (QStringList{"/c.jpg", "/middle.jpg", "/b.jpg", "/last.jpg"}));
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("/middle.jpg"));
        QVERIFY(!model.data(model.index(1, 0), Qt::DecorationRole).isValid());

        model.appendMany({QStringLiteral("/x.jpg"), QStringLiteral("/y.jpg")});
        model.appendMany({});
        QCOMPARE(model.count(), 6);
        QCOMPARE(model.text(6), QStringLiteral("/y.jpg"));

        model.clear();
        QCOMPARE(model.count(), 0);
        QCOMPARE(model.columnCount(), 1);
    }

    void operations_outsideTheListFailWithoutChange() {
        PictureListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addColumn(QStringLiteral("Image File(s)"));
        verifyOutOfBounds(model, [&] { model.remove(1); });
        verifyOutOfBounds(model, [&] { model.text(1); });
        model.append(QStringLiteral("/a.jpg"));
        verifyOutOfBounds(model, [&] { model.text(0); });
        verifyOutOfBounds(model, [&] { model.text(2); });
        verifyOutOfBounds(model, [&] { model.setText(2, QStringLiteral("/b.jpg")); });
        verifyOutOfBounds(model, [&] { model.insert(0, QStringLiteral("/b.jpg")); });
        verifyOutOfBounds(model, [&] { model.insert(3, QStringLiteral("/b.jpg")); });
        verifyOutOfBounds(model, [&] { model.remove(-1); });
    }

    void column_isAddedOnceWithItsHeader() {
        PictureListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.columnCount(), 0);
        QVERIFY(!model.hasColumn());
        model.addColumn(QStringLiteral("Image File(s)"));
        QCOMPARE(model.columnCount(), 1);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Image File(s)"));
        QVERIFY(model.flags(model.index(0, 0)) == Qt::NoItemFlags);
        model.append(QStringLiteral("/a.jpg"));
        model.announcePending();
        const Qt::ItemFlags flags = model.flags(model.index(0, 0));
        QVERIFY(flags.testFlag(Qt::ItemIsSelectable));
        QVERIFY(!flags.testFlag(Qt::ItemIsEditable));
        QVERIFY(!flags.testFlag(Qt::ItemIsDragEnabled));

        bool failed = false;
        try {
            model.addColumn(QStringLiteral("again"));
        } catch (const AppError&) {
            failed = true;
        }
        QVERIFY(failed);
        QCOMPARE(model.columnCount(), 1);
    }

    void notifications_matchEachChange() {
        PictureListModel model;
        model.addColumn(QStringLiteral("Image File(s)"));
        model.appendMany(
            {QStringLiteral("/a.jpg"), QStringLiteral("/b.jpg"), QStringLiteral("/c.jpg")});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        // An entry being dragged is followed by a persistent index; it must move with inserts
        // and removals above it, stay on a text change, and vanish when its entry goes.
        const QPersistentModelIndex dragged(model.index(2, 0));
        model.insert(1, QStringLiteral("/new.jpg"));
        QCOMPARE(dragged.row(), 3);
        model.setText(4, QStringLiteral("/c2.jpg"));
        QCOMPARE(dragged.row(), 3);
        QCOMPARE(dragged.data().toString(), QStringLiteral("/c2.jpg"));
        model.remove(2);
        QCOMPARE(dragged.row(), 2);
        model.remove(3);
        QVERIFY(!dragged.isValid());

        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 0);
        QCOMPARE(removed.size(), 2);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 3);
    }

    void display_spellsOutBytesEntryKeepsThem() {
        PictureListModel model;
        model.addColumn(QStringLiteral("Image File(s)"));
        // A byte that is not UTF-8 (U+DC00 + the byte), a real U+FFFD, and U+10080, whose second
        // half lies in the escape range.
        const QString bytes =
            QString("/p/a") + QChar(char16_t(0xDCFF)) + QChar(char16_t(0xDC80)) + ".png";
        const QString replacement = QString("/p/") + QChar(0xFFFD) + ".png";
        const QString pair = QString("/p/") + QChar(char16_t(0xD800)) + QChar(char16_t(0xDC80));
        model.appendMany({bytes, replacement, pair});
        QCOMPARE(model.data(model.index(0, 0)).toString(), QString("/p/a\\xFF\\x80.png"));
        QCOMPARE(model.data(model.index(0, 0), Qt::EditRole).toString(), bytes);
        QCOMPARE(model.text(1), bytes);
        QVERIFY(model.contains(bytes));
        QVERIFY(!model.contains(QString("/p/a\\xFF\\x80.png")));
        QCOMPARE(model.data(model.index(1, 0)).toString(), replacement);
        QCOMPARE(model.data(model.index(2, 0)).toString(), pair);
    }

    // A folder add appends thousands of entries between two runs of the event loop: the list has
    // every one at once, the views learn of them together the next time the event loop runs.
    void appends_reachTheViewsAsOneInsertionPerEventLoopRun() {
        PictureListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addColumn(QStringLiteral("Image File(s)"));
        ViewMirror view(model);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

        QStringList expected;
        for (int i = 1; i <= 1000; ++i) {
            expected.append(QStringLiteral("/pictures/%1.jpg").arg(i));
            model.append(expected.last());
            QCOMPARE(model.count(), i);
            QCOMPARE(model.text(i), expected.last());
        }
        QCOMPARE(model.entries(), expected);
        QVERIFY(model.contains(QStringLiteral("/pictures/1000.jpg")));
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.pendingCount(), 1000);
        QVERIFY(inserted.isEmpty());

        QCoreApplication::processEvents();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        QCOMPARE(inserted.at(0).at(2).toInt(), 999);
        QCOMPARE(model.rowCount(), 1000);
        QCOMPARE(model.pendingCount(), 0);
        QCOMPARE(view.shown(), expected);

        // The next batch goes below the rows already shown, again as one insertion.
        model.append(QStringLiteral("/b.jpg"));
        model.append(QStringLiteral("/b.jpg"));
        QCOMPARE(model.rowCount(), 1000);
        QCoreApplication::processEvents();
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.at(1).at(1).toInt(), 1000);
        QCOMPARE(inserted.at(1).at(2).toInt(), 1001);
        QCOMPARE(view.shown(), model.entries());

        // An event loop run with nothing appended tells the views nothing.
        QCoreApplication::processEvents();
        QCOMPARE(inserted.size(), 2);

        // appendMany and announcePending tell the views at once, pending appends included.
        model.append(QStringLiteral("/c.jpg"));
        model.appendMany({QStringLiteral("/d.jpg"), QStringLiteral("/e.jpg")});
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(inserted.at(2).at(1).toInt(), 1002);
        QCOMPARE(inserted.at(2).at(2).toInt(), 1004);
        model.append(QStringLiteral("/f.jpg"));
        model.announcePending();
        model.announcePending();
        QCOMPARE(inserted.size(), 4);
        QCOMPARE(view.shown(), model.entries());
        // The announcement still queued finds nothing left to tell.
        QCoreApplication::processEvents();
        QCOMPARE(inserted.size(), 4);
        QVERIFY(view.inStep());
    }

    void appends_pendingAreAnnouncedBeforeEveryOtherChange_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("expected");
        // The list is A, B shown and C, D appended but not yet announced.
        QTest::newRow("remove the last") << "remove 4" << QStringList{"A", "B", "C"};
        QTest::newRow("remove a shown one") << "remove 1" << QStringList{"B", "C", "D"};
        QTest::newRow("insert below the pending")
            << "insert 5" << QStringList{"A", "B", "C", "D", "X"};
        QTest::newRow("insert among the pending")
            << "insert 4" << QStringList{"A", "B", "C", "X", "D"};
        QTest::newRow("insert at the top") << "insert 1" << QStringList{"X", "A", "B", "C", "D"};
        QTest::newRow("set text of a pending one")
            << "setText 3" << QStringList{"A", "B", "X", "D"};
        QTest::newRow("set text of a shown one") << "setText 2" << QStringList{"A", "X", "C", "D"};
        // Move Down of entry 2, as the button does it: insert a copy two below, remove it.
        QTest::newRow("move down") << "move down 2" << QStringList{"A", "C", "B", "D"};
        QTest::newRow("move up a pending one") << "move up 4" << QStringList{"A", "B", "D", "C"};
        QTest::newRow("clear") << "clear" << QStringList{};
    }

    void appends_pendingAreAnnouncedBeforeEveryOtherChange() {
        QFETCH(QString, operation);
        QFETCH(QStringList, expected);
        PictureListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addColumn(QStringLiteral("Image File(s)"));
        model.appendMany({QStringLiteral("A"), QStringLiteral("B")});
        ViewMirror view(model);
        model.append(QStringLiteral("C"));
        model.append(QStringLiteral("D"));
        QCOMPARE(model.rowCount(), 2);

        const QStringList words = operation.split(QLatin1Char(' '));
        const int position = words.last().toInt();
        if (words.first() == QLatin1String("remove")) {
            model.remove(position);
        } else if (words.first() == QLatin1String("insert")) {
            model.insert(position, QStringLiteral("X"));
        } else if (words.first() == QLatin1String("setText")) {
            model.setText(position, QStringLiteral("X"));
        } else if (operation.startsWith(QLatin1String("move down"))) {
            model.insert(position + 2, model.text(position));
            QVERIFY(view.inStep());
            model.remove(position);
        } else if (operation.startsWith(QLatin1String("move up"))) {
            model.insert(position - 1, model.text(position));
            QVERIFY(view.inStep());
            model.remove(position + 1);
        } else {
            model.clear();
        }

        // The views caught up before the change: they show the whole list at once, and the
        // announcement still queued adds nothing twice.
        QCOMPARE(model.entries(), expected);
        QCOMPARE(model.rowCount(), static_cast<int>(expected.size()));
        QCOMPARE(view.shown(), expected);
        QCoreApplication::processEvents();
        QCOMPARE(view.shown(), expected);
        QVERIFY(view.inStep());
    }

    void appends_pendingWhenTheListGoesAwayAreDropped() {
        auto model = std::make_unique<PictureListModel>();
        model->addColumn(QStringLiteral("Image File(s)"));
        model->append(QStringLiteral("/a.jpg"));
        model.reset();
        // The queued announcement must not reach the deleted list.
        QCoreApplication::processEvents();

        // A list created again takes new appends as before.
        PictureListModel again;
        again.addColumn(QStringLiteral("Image File(s)"));
        again.append(QStringLiteral("/b.jpg"));
        QCoreApplication::processEvents();
        QCOMPARE(again.rowCount(), 1);
        QCOMPARE(again.index(0, 0).data().toString(), QStringLiteral("/b.jpg"));
    }
};

QTEST_GUILESS_MAIN(PictureListModelTest)
#include "tst_piclist_model.moc"
