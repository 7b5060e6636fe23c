// The insert run's album layouts against a recording office bridge: captions, two and four
// pictures to a page, pictures fitted to their share of the page, and the default layout,
// which builds the same document as before (one picture per page) and makes none of the
// album's calls.
#include "core/AppError.h"
#include "core/FileNames.h"
#include "tests/support/RecordingOffice.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

namespace {

QStringList pictures(int count, int badAt = 0) {
    QStringList list;
    for (int i = 1; i <= count; ++i) {
        list.append(QStringLiteral("/photos/%1%2.jpg").arg(i == badAt ? "bad" : "p").arg(i));
    }
    return list;
}

AlbumLayout layoutOf(int perPage, CaptionKind caption = CaptionKind::None, bool fit = false) {
    AlbumLayout layout;
    layout.picturesPerPage = perPage;
    layout.caption = caption;
    layout.fitToPage = fit;
    return layout;
}

} // namespace

Q_DECLARE_METATYPE(AlbumLayout)

class TestAlbum : public QObject {
    Q_OBJECT
private slots:
    void defaultLayout_onePerPageUnderTheLockWithoutAlbumCalls() {
        RecordedRun unset(pictures(3));
        unset.run();
        RecordedRun explicitDefault(pictures(3));
        explicitDefault.run(0, AlbumLayout());
        QCOMPARE(explicitDefault.office.calls, unset.office.calls);
        // The document's view is locked over the pictures; each picture is left by putting the
        // cursor at the end of the body text, right after it, instead of an escape and a wait
        // for the selection (which must not be read under the lock).
        QCOMPARE(unset.office.calls.filter(
                     QRegularExpression(QStringLiteral("^(dispatcher|document|controller)\\."))),
                 (QStringList{
                     "document.getCurrentController",
                     "document.getCurrentController",
                     "controller.getFrame",
                     "document.lockControllers",
                     "dispatcher.executeDispatch .uno:InsertGraphic",
                     "dispatcher.executeDispatch .uno:SetAnchorToChar",
                     "controller.select end of body",
                     "dispatcher.executeDispatch .uno:InsertBreak",
                     "dispatcher.executeDispatch .uno:InsertGraphic",
                     "dispatcher.executeDispatch .uno:SetAnchorToChar",
                     "controller.select end of body",
                     "dispatcher.executeDispatch .uno:InsertBreak",
                     "dispatcher.executeDispatch .uno:InsertGraphic",
                     "dispatcher.executeDispatch .uno:SetAnchorToChar",
                     "controller.select end of body",
                     "document.unlockControllers",
                 }));
        QCOMPARE(unset.office.controllerLocks, 0);
        QCOMPARE(unset.office.selectionReadings, 0);
        QCOMPARE(unset.shape(), QStringLiteral("P InsertBreak P InsertBreak P"));
    }

    void albumLayouts_runWithTheDocumentsViewUnlocked_data() {
        QTest::addColumn<AlbumLayout>("layout");
        QTest::newRow("captions") << layoutOf(1, CaptionKind::Name);
        QTest::newRow("two to a page") << layoutOf(2);
        QTest::newRow("four to a page") << layoutOf(4);
        QTest::newRow("fit") << layoutOf(1, CaptionKind::None, true);
    }

    void albumLayouts_runWithTheDocumentsViewUnlocked() {
        // They read the selected picture (its size, the text that holds it), which the suite
        // can abort on while the view is locked.
        QFETCH(AlbumLayout, layout);
        RecordedRun album(pictures(5));
        album.run(0, layout);
        QVERIFY(album.office.calls.filter(QStringLiteral("document.lockControllers")).isEmpty());
        QCOMPARE(album.office.selectionReadingsUnderLock, 0);
        for (const auto& dispatch : album.office.dispatches) {
            QCOMPARE(dispatch.controllerLocks, 0);
        }
        QVERIFY(album.office.selectionReadings > 0);
    }

    void captions_aParagraphInTheCaptionStyleUnderEachPicture_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("captions");
        const QStringList paths{"/a/p1.png", "/a/b/Holiday 2024.tar.jpeg", "/a/.hidden",
                                decodeFileName(QByteArray("/a/caf\xe9.jpg"))};
        QTest::newRow("name") << int(CaptionKind::Name) << paths
                              << QStringList{"Text string p1.png",
                                             "Text string Holiday 2024.tar.jpeg",
                                             "Text string .hidden", "Text string caf\\xE9.jpg"};
        QTest::newRow("stem") << int(CaptionKind::Stem) << paths
                              << QStringList{"Text string p1", "Text string Holiday 2024.tar",
                                             "Text string .hidden", "Text string caf\\xE9"};
    }

    void captions_aParagraphInTheCaptionStyleUnderEachPicture() {
        QFETCH(int, kind);
        QFETCH(QStringList, paths);
        QFETCH(QStringList, captions);
        RecordedRun album(paths);
        album.run(0, layoutOf(1, CaptionKind(kind)));
        QCOMPARE(album.textsOf(QStringLiteral(".uno:InsertText")), captions);
        // Each caption is a paragraph of its own after its picture, and each new page starts
        // in the default paragraph style again.
        const QString page = QStringLiteral("P InsertPara StyleApply InsertText");
        QCOMPARE(album.shape(), QStringList(4, page).join(QStringLiteral(" InsertBreak ")));
        QCOMPARE(album.office.calls.count(QStringLiteral("controller.setParaStyleName Standard")),
                 3);
        for (const auto& style : album.office.dispatchesOf(QStringLiteral(".uno:StyleApply"))) {
            QCOMPARE(describe(style.args),
                     (QStringList{"Style string Caption", "FamilyName string ParagraphStyles"}));
        }
        QVERIFY(album.host.reporter.reports.isEmpty());
    }

    void twoPerPage_newParagraphBetweenBreakAfterEverySecond_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("shape");
        QTest::newRow("five") << pictures(5)
                              << "P InsertPara P InsertBreak P InsertPara P InsertBreak P";
        QTest::newRow("four: no paragraph or break after the last")
            << pictures(4) << "P InsertPara P InsertBreak P InsertPara P";
        // A picture that did not go in takes no place: the next one takes it.
        QTest::newRow("second fails") << pictures(4, 2) << "P InsertPara x P InsertBreak P";
        // The paragraph waiting for the last picture, which did not go in, is taken back.
        QTest::newRow("last fails") << pictures(3, 3) << "P InsertPara P InsertBreak x SwBackspace";
    }

    void twoPerPage_newParagraphBetweenBreakAfterEverySecond() {
        QFETCH(QStringList, paths);
        QFETCH(QString, shape);
        RecordedRun album(paths);
        album.run(0, layoutOf(2));
        QCOMPARE(album.shape(), shape);
    }

    void fourPerPage_aTableOfTwoRowsOfTwoOnEachPage_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("shape");
        const QString page = QStringLiteral("InsertTable P GoRight P GoRight P GoRight P");
        QTest::newRow("six") << pictures(6)
                             << page + " GoToEndOfDoc InsertBreak InsertTable P GoRight P";
        QTest::newRow("four") << pictures(4) << page;
        // The table made for a picture that did not go in is taken back, and so is the break
        // before it: no empty table on a page of its own.
        QTest::newRow("fifth fails")
            << pictures(5, 5)
            << page + " GoToEndOfDoc InsertBreak InsertTable x DeleteTable SwBackspace";
        // A failed picture in a table that holds others leaves its cell to the next one.
        QTest::newRow("second fails") << pictures(4, 2) << "InsertTable P GoRight x P GoRight P";
        // One that fails before it reaches the office (a folder) leaves the table and the
        // pictures in it.
        QTest::newRow("second a folder")
            << QStringList{"/photos/p1.jpg", QDir::tempPath(), "/photos/p3.jpg", "/photos/p4.jpg"}
            << "InsertTable P GoRight P GoRight P";
    }

    void fourPerPage_aTableOfTwoRowsOfTwoOnEachPage() {
        QFETCH(QStringList, paths);
        QFETCH(QString, shape);
        RecordedRun album(paths);
        album.run(0, layoutOf(4));
        QCOMPARE(album.shape(), shape);
        for (const auto& table : album.office.dispatchesOf(QStringLiteral(".uno:InsertTable"))) {
            QCOMPARE(describe(table.args),
                     (QStringList{"Columns short 2", "Rows short 2", "Flags short 0"}));
        }
    }

    void fit_eachPictureScaledToItsShareOfThePage_data() {
        QTest::addColumn<AlbumLayout>("layout");
        QTest::addColumn<QSize>("inserted");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<int>("captionHeight");
        // A text area of 170 x 240 mm; the size the suite gave the picture, and the size it
        // must end with (the same when it is not to be touched).
        QTest::newRow("fit: grown to the page's width")
            << layoutOf(1, CaptionKind::None, true) << QSize(4000, 3000) << QSize(17000, 12750)
            << 1200;
        QTest::newRow("fit: tall picture grown to the page's height less its line")
            << layoutOf(1, CaptionKind::None, true) << QSize(1000, 3000) << QSize(7800, 23400)
            << 1200;
        QTest::newRow("fit with caption: less the caption's room")
            << layoutOf(1, CaptionKind::Name, true) << QSize(1000, 3000) << QSize(7400, 22200)
            << 1200;
        QTest::newRow("caption without fit: small picture kept")
            << layoutOf(1, CaptionKind::Name) << QSize(4000, 3000) << QSize(4000, 3000) << 1200;
        QTest::newRow("caption without fit: page-high picture shrunk for its caption")
            << layoutOf(1, CaptionKind::Name) << QSize(8000, 24000) << QSize(7400, 22200) << 1200;
        QTest::newRow("two per page: shrunk to half the page")
            << layoutOf(2) << QSize(8000, 24000) << QSize(3800, 11400) << 1200;
        QTest::newRow("two per page, fit: grown to half the page")
            << layoutOf(2, CaptionKind::None, true) << QSize(4000, 3000) << QSize(15200, 11400)
            << 1200;
        QTest::newRow("four per page, fit, caption: a quarter less cell, line and caption")
            << layoutOf(4, CaptionKind::Stem, true) << QSize(4000, 3000) << QSize(8000, 6000)
            << 1200;
        QTest::newRow("caption style of a larger font: room for its line")
            << layoutOf(1, CaptionKind::Name, true) << QSize(1000, 3000) << QSize(7000, 21000)
            << 2400;
        QTest::newRow("four per page: wide picture shrunk to its cell")
            << layoutOf(4) << QSize(16000, 2000) << QSize(8000, 1000) << 1200;
        QTest::newRow("3x4 grid: tall picture shrunk to a quarter less its line and cell")
            << AlbumLayout{.picturesPerPage = 12, .page = {}, .gridColumns = 3} << QSize(1000, 9500)
            << QSize(500, 4750) << 1200;
    }

    void fit_eachPictureScaledToItsShareOfThePage() {
        QFETCH(AlbumLayout, layout);
        QFETCH(QSize, inserted);
        QFETCH(QSize, expected);
        QFETCH(int, captionHeight);
        RecordedRun album(pictures(3));
        album.office.captionHeight = captionHeight;
        album.office.textArea = QSize(17000, 24000);
        album.office.insertedPictureSize = inserted;
        album.run(0, layout);
        if (expected == inserted) {
            QVERIFY(album.office.pictureSizes.isEmpty());
        } else {
            QCOMPARE(album.office.pictureSizes, QList<QSize>(3, expected));
        }
        // The page is measured once for the run, and each picture is sized while selected,
        // before the cursor leaves it.
        QCOMPARE(album.office.calls.count(QStringLiteral("controller.pageTextArea")), 1);
        QVERIFY(album.host.reporter.reports.isEmpty());
    }

    void fit_pictureThatCannotBeSized_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("line");
        QTest::addColumn<QList<int>>("failed");
        QTest::addColumn<QString>("shape");
        // No size to read: no picture is selected, so none went in (and no break follows
        // either); one report each.
        QTest::newRow("size not readable")
            << "controller.getSelection.Size" << 172 << QList<int>{1, 2} << "P P";
        // Read but not changed: the picture is in the document, one per page, only reported.
        QTest::newRow("size not changed")
            << "controller.getSelection.setSize" << 184 << QList<int>{} << "P InsertBreak P";
    }

    void fit_pictureThatCannotBeSized() {
        QFETCH(QString, failing);
        QFETCH(int, line);
        QFETCH(QList<int>, failed);
        QFETCH(QString, shape);
        RecordedRun album(pictures(2));
        album.office.failingMember = failing;
        album.run(0, layoutOf(1, CaptionKind::None, true));
        QCOMPARE(album.shape(), shape);
        QCOMPARE(album.host.failed, failed);
        QCOMPARE(album.host.reporter.reports.size(), 2);
        for (const auto& report : album.host.reporter.reports) {
            QCOMPARE(report.line, line);
        }
        QCOMPARE(album.host.messages, QStringList{"Done."});
    }

    void pageSetup_theStylesChangedAsTheSetupSays_data() {
        QTest::addColumn<AlbumLayout>("layout");
        QTest::addColumn<bool>("letterhead");
        QTest::addColumn<QStringList>("changes");
        const QSize a5(14800, 21000);
        // Pages turned to their pictures get a style of their own, with the paper turned and
        // the header and footer of the pages they stand among.
        QTest::newRow("auto, margins")
            << AlbumLayout{.page = {a5, PageOrientation::Auto, 1500, ""}} << false
            << QStringList{"changePageStyle Standard paper 14800x21000",
                           "changePageStyle Standard margins 1500",
                           "makePageStyle Landscape",
                           "copyHeaderAndFooter Standard Landscape",
                           "changePageStyle Landscape paper 21000x14800 landscape",
                           "changePageStyle Landscape margins 1500"};
        // A letterhead's first page and the pages after it both take the paper; a turned page
        // is one of those after it.
        QTest::newRow("a letterhead, auto")
            << AlbumLayout{.page = {a5, PageOrientation::Auto, {}, "/t/letterhead.ott"}} << true
            << QStringList{"changePageStyle First Page paper 14800x21000",
                           "changePageStyle Standard paper 14800x21000", "makePageStyle Landscape",
                           "copyHeaderAndFooter Standard Landscape",
                           "changePageStyle Landscape paper 21000x14800 landscape"};
        // Without a paper of the setup's the style's own is turned.
        QTest::newRow("landscape only")
            << AlbumLayout{.page = {{}, PageOrientation::Landscape, {}, ""}} << false
            << QStringList{"changePageStyle Standard paper 27940x21590 landscape"};
    }

    void pageSetup_theStylesChangedAsTheSetupSays() {
        QFETCH(AlbumLayout, layout);
        QFETCH(bool, letterhead);
        QFETCH(QStringList, changes);
        RecordedRun album(pictures(1));
        PageFormat standard = album.office.pageStyle(QStringLiteral("Standard"));
        standard.header = 500;
        album.office.pageStyles.insert(QStringLiteral("Standard"), standard);
        if (letterhead) {
            album.office.pageStyles.insert(QStringLiteral("First Page"),
                                           {standard.paper, standard.margins, 0, 0, "Standard"});
            album.office.cursorPageStyle = QStringLiteral("First Page");
        }
        album.run(0, layout);
        QVERIFY(album.host.reporter.reports.isEmpty());
        const QRegularExpression change(
            QStringLiteral("^controller\\.(changePageStyle|makePageStyle|copyHeaderAndFooter) "));
        QCOMPARE(album.office.calls.filter(change).replaceInStrings(QStringLiteral("controller."),
                                                                    QString()),
                 changes);
        if (album.office.pageStyles.contains(QStringLiteral("Landscape"))) {
            QCOMPARE(album.office.pageStyles.value(QStringLiteral("Landscape")).header, 500);
        }
    }

    void pageSetup_aStepThatFailsStopsBeforeAnyPicture_data() {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("line");
        QTest::newRow("the template's end") << "controller.startParagraphAtEnd" << 186;
        QTest::newRow("the page styles") << "controller.changePageStyle" << 188;
        QTest::newRow("the picture anchor") << "controller.anchorPicturesAsCharacters" << 192;
    }

    void pageSetup_aStepThatFailsStopsBeforeAnyPicture() {
        QFETCH(QString, failing);
        QFETCH(int, line);
        RecordedRun album(pictures(2));
        album.office.failingMember = failing;
        AlbumLayout layout;
        layout.page = {QSize(14800, 21000), PageOrientation::Auto, 1500, "/t/letterhead.ott"};
        album.run(0, layout);
        QCOMPARE(album.host.reporter.reports.size(), 1);
        QCOMPARE(album.host.reporter.reports.first().line, line);
        QCOMPARE(album.callsOf(QStringLiteral(".uno:InsertGraphic")), 0);
        QVERIFY(!album.completed);
        QVERIFY(!album.host.messages.contains(QStringLiteral("Done.")));
    }
};

QTEST_GUILESS_MAIN(TestAlbum)
#include "tst_builder_album.moc"
