// The picture list model alone, without widgets: its 1-based operations, and the Qt model
// contract checked by QAbstractItemModelTester on every change.
#include "core/AppError.h"
#include "piclist/PictureListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

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

} // namespace

class PictureListModelTest : public QObject {
    Q_OBJECT

private slots:
    void operations_countFromOneAndKeepDuplicates();
    void operations_outsideTheListFailWithoutChange();
    void column_isAddedOnceWithItsHeader();
    void notifications_matchEachChange();
    void display_spellsOutBytesEntryKeepsThem();
};

void PictureListModelTest::operations_countFromOneAndKeepDuplicates() {
    PictureListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
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
    QCOMPARE(entries(model),
             (QStringList{"/first.jpg", "/a.jpg", "/middle.jpg", "/b.jpg", "/a.jpg", "/last.jpg"}));

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

void PictureListModelTest::operations_outsideTheListFailWithoutChange() {
    PictureListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
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

void PictureListModelTest::column_isAddedOnceWithItsHeader() {
    PictureListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.columnCount(), 0);
    QVERIFY(!model.hasColumn());
    model.addColumn(QStringLiteral("Image File(s)"));
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Image File(s)"));
    QVERIFY(model.flags(model.index(0, 0)) == Qt::NoItemFlags);
    model.append(QStringLiteral("/a.jpg"));
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

void PictureListModelTest::notifications_matchEachChange() {
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

void PictureListModelTest::display_spellsOutBytesEntryKeepsThem() {
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

QTEST_GUILESS_MAIN(PictureListModelTest)
#include "tst_piclist_model.moc"
