// The list's orders as pure functions: natural name order, date order, reverse, and the
// model's reorder that keeps the views' current entry on its row.
#include "core/AppError.h"
#include "piclist/PictureListModel.h"
#include "piclist/PictureOrder.h"

#include <QItemSelectionModel>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace {

QStringList sortedByName(const QStringList& paths) {
    return inOrder(paths, nameOrder(paths));
}

QDateTime at(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(12, 0));
}

} // namespace

class PictureOrderTest : public QObject {
    Q_OBJECT

private slots:
    void name_mixedExample() {
        const QStringList given = {"/x/p10", "/x/été2.png", "/x/p006b.png", "/x/P3",
                                   "/x/p2",  "/x/p006.png", "/x/p1"};
        // Digit runs are numbers: 1 < 2 < 3 < 6 < 10, so "p10" comes after "p006...".
        // Case is ignored: "P3" stands between "p2" and "p006.png".
        // "p006.png" before "p006b.png": after the equal number 6, "." (U+002E) precedes "b".
        // "été2.png" last: its first letter "é" (U+00E9) comes after every ASCII letter.
        const QStringList expected = {"/x/p1",        "/x/p2",  "/x/P3",      "/x/p006.png",
                                      "/x/p006b.png", "/x/p10", "/x/été2.png"};
        QCOMPARE(sortedByName(given), expected);
    }

    void name_leadingZerosAndCase_data() {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("expected");
        // Equal numbers: fewer leading zeros first.
        QTest::newRow("zeros") << QStringList{"a006", "a6", "a06"}
                               << QStringList{"a6", "a06", "a006"};
        // The zeros decide only when nothing else does: "b" after "a" wins over the zeros.
        QTest::newRow("zeros later") << QStringList{"x1b", "x01a"} << QStringList{"x01a", "x1b"};
        // Names equal but for case: the plain text decides, "A" (U+0041) before "a".
        QTest::newRow("case tie") << QStringList{"a.png", "A.png"} << QStringList{"A.png", "a.png"};
        // Case ignored before the tie: "B" comes after "a" although "B" < "a" in plain text.
        QTest::newRow("case ignored")
            << QStringList{"B.png", "a.png"} << QStringList{"a.png", "B.png"};
        // A number sorts where the digit "0" would: after "-" and ".", before letters.
        QTest::newRow("number among characters") << QStringList{"ab", "a-", "a9", "a.", "a10"}
                                                 << QStringList{"a-", "a.", "a9", "a10", "ab"};
        // A name that is the start of another comes first.
        QTest::newRow("prefix") << QStringList{"img12", "img1", "img"}
                                << QStringList{"img", "img1", "img12"};
    }

    void name_leadingZerosAndCase() {
        QFETCH(QStringList, given);
        QFETCH(QStringList, expected);
        QCOMPARE(sortedByName(given), expected);
    }

    void name_folderOnlyBreaksTies() {
        // The file name decides first, whatever the folders; equal names go by their folders,
        // compared naturally as well.
        const QStringList given = {"/a/b.jpg", "/z/a.jpg", "/d10/x.jpg", "/d9/x.jpg"};
        QCOMPARE(sortedByName(given),
                 (QStringList{"/z/a.jpg", "/a/b.jpg", "/d9/x.jpg", "/d10/x.jpg"}));
    }

    void name_shuffledSortsTheSameTwiceAndIsTotal() {
        QStringList names = {"p1",       "p2",       "p10",     "P3",     "p006.png", "p006b.png",
                             "été2.png", "Été2.png", "p06.png", "p6.png", "/a/p1",    "/b/p1",
                             "P1",       "p01",      "x",       "X",      "x0",       "x00"};
        names.append(names.first()); // a duplicate
        auto* random = QRandomGenerator::global();
        QStringList first;
        for (int round = 0; round < 20; ++round) {
            QStringList shuffled = names;
            std::shuffle(shuffled.begin(), shuffled.end(), *random);
            const QStringList once = sortedByName(shuffled);
            QCOMPARE(sortedByName(once), once);
            if (round == 0) {
                first = once;
            }
            QCOMPARE(once, first);
        }
        // Total: only equal texts compare equal, and the comparison is antisymmetric.
        for (const QString& a : names) {
            for (const QString& b : names) {
                const int ab = compareNaturally(a, b);
                QCOMPARE(ab == 0, a == b);
                QCOMPARE(ab<0, compareNaturally(b, a)> 0);
            }
        }
    }

    void name_longDigitRunsDoNotOverflow() {
        const QStringList given = {"n100000000000000000000001", "n99999999999999999999", "n2"};
        QCOMPARE(sortedByName(given),
                 (QStringList{"n2", "n99999999999999999999", "n100000000000000000000001"}));
    }

    void date_earliestFirstUndatedLastByName() {
        const QList<DatedPath> pictures = {
            {"/p/a10.jpg", std::nullopt},  {"/p/a1.jpg", at(2024, 5, 1)},
            {"/p/a2.jpg", at(2020, 1, 1)}, {"/p/a9.jpg", std::nullopt},
            {"/p/b.jpg", at(2024, 5, 1)},  {"/p/a3.jpg", at(2021, 6, 30)},
        };
        QStringList paths;
        for (const DatedPath& p : pictures) {
            paths.append(p.path);
        }
        // Earliest first; the two taken at the same moment by name; the undated last by name.
        QCOMPARE(inOrder(paths, dateOrder(pictures)),
                 (QStringList{"/p/a2.jpg", "/p/a3.jpg", "/p/a1.jpg", "/p/b.jpg", "/p/a9.jpg",
                              "/p/a10.jpg"}));
    }

    void reverse_andInOrder() {
        QCOMPARE(reverseOrder(0), QList<qsizetype>{});
        QCOMPARE(inOrder({"a", "b", "a", "c"}, reverseOrder(4)), (QStringList{"c", "a", "b", "a"}));
    }

    void model_reorderMovesRowsAndCurrentEntry() {
        PictureListModel model;
        model.addColumn(QStringLiteral("Image File(s)"));
        // One entry announced, three still pending: the reorder must cover them all.
        model.append("/p/same.jpg");
        model.announcePending();
        model.append("/p/b.jpg");
        model.append("/p/same.jpg");
        model.append("/p/a.jpg");
        QItemSelectionModel selection(&model);
        model.announcePending();
        // The second of the two equal entries is current: it is that row that must move along.
        selection.setCurrentIndex(model.index(2, 0), QItemSelectionModel::ClearAndSelect);
        model.reorder({3, 2, 1, 0});
        QCOMPARE(model.entries(),
                 (QList<QString>{"/p/a.jpg", "/p/same.jpg", "/p/b.jpg", "/p/same.jpg"}));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(selection.currentIndex().row(), 1);
        QVERIFY(selection.isRowSelected(1));
    }

    void model_reorderRefusesNonPermutations() {
        PictureListModel model;
        model.addColumn(QStringLiteral("Image File(s)"));
        model.appendMany({"a", "b", "c"});
        for (const QList<qsizetype>& bad :
             {QList<qsizetype>{0, 1}, QList<qsizetype>{0, 1, 1}, QList<qsizetype>{0, 1, 3},
              QList<qsizetype>{-1, 0, 1}}) {
            QVERIFY_THROWS_EXCEPTION(AppError, model.reorder(bad));
            QCOMPARE(model.entries(), (QList<QString>{"a", "b", "c"}));
        }
    }
};

QTEST_GUILESS_MAIN(PictureOrderTest)
#include "tst_piclist_order.moc"
