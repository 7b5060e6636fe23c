// The document options as words: what a person may write in the settings file or on the
// command line, what each word means, and the caption a picture's path gives.
#include "core/AlbumLayout.h"
#include "core/Settings.h"

#include <QTest>

class TestAlbumLayout : public QObject {
    Q_OBJECT
private slots:
    void captionFor_nameOrStemOfThePathOnOneLine_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stem");
        QTest::newRow("plain") << "/photos/lake.jpg"
                               << "lake.jpg"
                               << "lake";
        QTest::newRow("two dots: only the last part goes") << "/p/Holiday 2024.tar.jpeg"
                                                           << "Holiday 2024.tar.jpeg"
                                                           << "Holiday 2024.tar";
        QTest::newRow("no extension") << "/p/README"
                                      << "README"
                                      << "README";
        QTest::newRow("dot-file keeps its name") << "/p/.hidden"
                                                 << ".hidden"
                                                 << ".hidden";
        QTest::newRow("trailing dot") << "/p/odd."
                                      << "odd."
                                      << "odd";
        QTest::newRow("dot in the folder only") << "/p.d/name"
                                                << "name"
                                                << "name";
        QTest::newRow("no folder") << "x.png"
                                   << "x.png"
                                   << "x";
        QTest::newRow("newline and tab in the name") << "/p/two\nlines\t.png"
                                                     << "two lines .png"
                                                     << "two lines ";
    }

    void captionFor_nameOrStemOfThePathOnOneLine() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, stem);
        QCOMPARE(captionFor(path, CaptionKind::Name), name);
        QCOMPARE(captionFor(path, CaptionKind::Stem), stem);
        QCOMPARE(captionFor(path, CaptionKind::None), QString());
    }

    void captionPattern_filledInOrRefusedWithTheReason_data() {
        // The pattern, and its pieces ("#" the number, "|" between two) or "!" and the reason
        // it is refused.
        QTest::addColumn<QStringList>("row");
        QTest::newRow("number, stem, date")
            << QStringList{"{n}. {stem}, {date}", "#|. lake, 4/5/21"};
        QTest::newRow("folder and name") << QStringList{"{folder}/{name}", "Holiday/lake.jpg"};
        QTest::newRow("description on one line") << QStringList{"{description}", "At dawn, mist"};
        QTest::newRow("braces of its own") << QStringList{"{{{stem}}} {n}", "{lake} |#"};
        QTest::newRow("unknown field") << QStringList{"{nope}", "!there is no field {nope}"};
        QTest::newRow("unclosed") << QStringList{"{n. {stem}",
                                                 "!\"{\" at character 1 is not closed"};
        QTest::newRow("closing brace alone") << QStringList{"lake}", "!closes no field"};
        QTest::newRow("two numbers") << QStringList{"{n}-{n}", "!{n} stands only once"};
        QTest::newRow("plain text") << QStringList{"title", "!it has no field"};
    }

    void captionPattern_filledInOrRefusedWithTheReason() {
        QFETCH(QStringList, row);
        const QString& pattern = row.first();
        const QString& caption = row.last();
        QString why;
        QStringList shown;
        if (const auto parsed = CaptionPattern::parse(pattern, &why)) {
            for (const CaptionPiece& piece :
                 parsed->pieces("/photos/Holiday/lake.jpg", {"4/5/21", "At dawn,\nmist"})) {
                shown << (piece.number ? QStringLiteral("#") : piece.text);
            }
        }
        QVERIFY2(why.isEmpty() ? shown.join('|') == caption : why.contains(caption.mid(1)),
                 qPrintable(why + shown.join('|')));
        // The same words in the settings, read back as written; a pattern that cannot be used
        // counts as no caption.
        SaveSetting(Setting::Caption, pattern);
        QCOMPARE(captionText(albumLayoutFromSettings()), why.isEmpty() ? pattern : "none");
    }

    void words_readAsAPersonWritesThem() {
        QCOMPARE(captionKindFromText(QStringLiteral(" Stem ")), CaptionKind::Stem);
        QCOMPARE(captionKindFromText(QStringLiteral("NAME")), CaptionKind::Name);
        QCOMPARE(captionKindFromText(QStringLiteral("none")), CaptionKind::None);
        QVERIFY(!captionKindFromText(QStringLiteral("title")));
        QVERIFY(!captionKindFromText(QString()));
        for (const CaptionKind kind : {CaptionKind::None, CaptionKind::Name, CaptionKind::Stem}) {
            QCOMPARE(captionKindFromText(captionKindText(kind)), kind);
        }

        QCOMPARE(picturesPerPageFromText(QStringLiteral(" 4")), 4);
        QCOMPARE(picturesPerPageFromText(QStringLiteral("2")), 2);
        for (const char* bad : {"3", "0", "-1", "8", "2.0", "two", ""}) {
            QVERIFY2(!picturesPerPageFromText(QLatin1String(bad)), bad);
        }

        for (const char* yes : {"true", "Yes", "ON", "1", " true "}) {
            QCOMPARE(switchFromText(QLatin1String(yes)), true);
        }
        for (const char* no : {"false", "No", "off", "0"}) {
            QCOMPARE(switchFromText(QLatin1String(no)), false);
        }
        QVERIFY(!switchFromText(QStringLiteral("maybe")));
    }

    void settings_unreadableValueCountsAsItsDefault() {
        SaveSetting(Setting::Caption, QStringLiteral("title"));
        SaveSetting(Setting::PicturesPerPage, QStringLiteral("2"));
        SaveSetting(Setting::FitToPage, QStringLiteral("perhaps"));
        AlbumLayout expected;
        expected.picturesPerPage = 2;
        QVERIFY(albumLayoutFromSettings() == expected);

        AlbumLayout stored;
        stored.caption = CaptionKind::Stem;
        stored.picturesPerPage = 4;
        stored.fitToPage = true;
        saveAlbumLayout(stored);
        QVERIFY(albumLayoutFromSettings() == stored);
        QCOMPARE(GetSetting(Setting::FitToPage), QStringLiteral("true"));
    }
};

QTEST_GUILESS_MAIN(TestAlbumLayout)
#include "tst_core_albumlayout.moc"
