// The pure path rules of intake: NormalizePath in both styles, wildcard matching, the
// enumeration order, and the open-file dialog's buffer budget.
#include "intake/OpenFileSelection.h"
#include "intake/PathRoutines.h"
#include "intake/ThrottledYield.h"

#include <QTest>

class PathRoutinesTest : public QObject {
    Q_OBJECT
private slots:
    void normalizePath_windows_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("doubled after drive") << R"(C:\\a.jpg)"
                                             << R"(C:\a.jpg)";
        QTest::newRow("three become two") << R"(C:\a\\\b.jpg)"
                                          << R"(C:\a\\b.jpg)";
        QTest::newRow("four become two") << R"(C:\a\\\\b.jpg)"
                                         << R"(C:\a\\b.jpg)";
        QTest::newRow("network keeps prefix") << R"(\\server\share\\a.jpg)"
                                              << R"(\\server\share\a.jpg)";
        QTest::newRow("three leading become two") << R"(\\\server\a.jpg)"
                                                  << R"(\\server\a.jpg)";
        QTest::newRow("one leading becomes two") << R"(\pics\a.jpg)"
                                                 << R"(\\pics\a.jpg)";
        QTest::newRow("unchanged") << R"(C:\pics\a b.jpg)"
                                   << R"(C:\pics\a b.jpg)";
        QTest::newRow("only separators") << R"(\\\\)"
                                         << R"(\\)";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("forward slashes untouched") << "C://a.jpg"
                                                   << "C://a.jpg";
    }

    void normalizePath_windows() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(NormalizePath(path, PathStyle::Windows), expected);
    }

    void normalizePath_posix_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        // A root chosen as "/" gets a separator appended: its entries must come out single.
        QTest::newRow("root folder entry") << "//a.jpg"
                                           << "/a.jpg";
        QTest::newRow("scanned below root") << "//sub//a.jpg"
                                            << "/sub/a.jpg";
        QTest::newRow("no prefix rule") << "///a.jpg"
                                        << "//a.jpg";
        QTest::newRow("backslash is a name character") << R"(/a\\b.jpg)"
                                                       << R"(/a\\b.jpg)";
        QTest::newRow("unchanged") << "/home/u/a b.jpg"
                                   << "/home/u/a b.jpg";
    }

    void normalizePath_posix() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(NormalizePath(path, PathStyle::Posix), expected);
        QCOMPARE(NormalizePath(path), expected);
    }

    void wildcard_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("case ignored") << "a.JPG"
                                      << "*.jpg" << true;
        QTest::newRow("longer extension") << "a.jpeg"
                                          << "*.jpg" << false;
        QTest::newRow("star dot star without dot") << "README"
                                                   << "*.*" << true;
        QTest::newRow("question one char") << "a1.png"
                                           << "a?.png" << true;
        QTest::newRow("star in middle backtracks") << "x.jpg.jpg.bak"
                                                   << "*.jpg" << false;
        QTest::newRow("star in middle matches") << "x.bak.jpg"
                                                << "*.jpg" << true;
        QTest::newRow("list taken literally") << "a.jpg"
                                              << "*.jpg png" << false;
        QTest::newRow("non-ascii case") << "ÉTÉ.JPG"
                                        << "été.*" << true;
    }

    void wildcard() {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(WildcardMatch(name, pattern), matches);
    }

    void enumerationOrder_upperCasedCodeUnitsThenExact() {
        QStringList names{"img2", "_x", "Z", "img10", "b", "B", "a"};
        sortInEnumerationOrder(names);
        QCOMPARE(names, QStringList({"a", "B", "b", "img10", "img2", "Z", "_x"}));
        QVERIFY(enumerationOrderLess("B", "b"));
        QVERIFY(!enumerationOrderLess("b", "B"));
        QVERIFY(enumerationOrderLess("Z", "_x"));
    }

    void openFileFilter_isTheExactString() {
        const QString filter = openFileFilter();
        // The office's own formats, then the phone formats that reach it as prepared copies.
        QCOMPARE(filter.size(), 299 + 2 * 28);
        QVERIFY(filter.startsWith("All Pictures (*.emf;*.wmf;*.jpg;"));
        QVERIFY(filter.endsWith(";*.pict;*.wpg;*.heic;*.heif;*.avif;*.webp|"));
        const QStringList parts = filter.split('|');
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.at(1).split(';').size(), 27);
        QCOMPARE(parts.at(0), "All Pictures (" + parts.at(1) + ")");
    }

    void selectionLength_folderPlusNames() {
        // "/pics" NUL "a.jpg" NUL "bb.jpg"
        QCOMPARE(selectionResultLength({"/pics/a.jpg", "/pics/bb.jpg"}, PathStyle::Posix),
                 5 + 6 + 7);
        // The root folder already ends in its separator: "/" NUL "a.jpg" NUL "b.jpg".
        QCOMPARE(selectionResultLength({"/a.jpg", "/b.jpg"}, PathStyle::Posix), 1 + 6 + 6);
        QCOMPARE(selectionResultLength({R"(C:\a.jpg)", R"(C:\b.jpg)"}, PathStyle::Windows),
                 3 + 6 + 6);
        // One file stands as its full path.
        QCOMPARE(selectionResultLength({"/pics/a.jpg"}, PathStyle::Posix), 11);
        // A file from elsewhere is written with its full path.
        QCOMPARE(selectionResultLength({"/pics/a.jpg", "/other/b.jpg"}, PathStyle::Posix),
                 5 + 6 + 13);
    }

    void selectionBudget_boundary() {
        // Folder "/p" and names of 9 characters: 2 + n * 10 characters, plus two NULs at the end.
        auto selection = [](int count, int lastNameLength) {
            QStringList paths;
            for (int i = 0; i < count - 1; ++i) {
                paths.append(QStringLiteral("/p/%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
            }
            paths.append("/p/" + QString(lastNameLength, 'z'));
            return paths;
        };
        const QStringList exact = selection(2999, 5 + 4 + 6); // 2 + 2998 * 10 + 16 = 29998
        QCOMPARE(selectionResultLength(exact, PathStyle::Posix), 29998);
        QVERIFY(selectionFitsBuffer(exact, kFileNameBufferSize, PathStyle::Posix));
        const QStringList oneMore = selection(2999, 5 + 4 + 7);
        QVERIFY(!selectionFitsBuffer(oneMore, kFileNameBufferSize, PathStyle::Posix));
        QVERIFY(selectionFitsBuffer({}, kFileNameBufferSize, PathStyle::Posix));
    }

    void throttledYield_firstAtOnceThenPerInterval() {
        int yields = 0;
        ThrottledYield yield([&] { ++yields; }, 50);
        yield();
        yield();
        yield();
        // The window gets its turn at the first folder, then not again within the interval.
        QCOMPARE(yields, 1);
        QTest::qSleep(60);
        yield();
        yield();
        QCOMPARE(yields, 2);
    }
};

QTEST_GUILESS_MAIN(PathRoutinesTest)
#include "tst_intake_paths.moc"
