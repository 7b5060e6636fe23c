// The document options: the list's context menu opens them on the options the settings file
// holds as a person wrote them, OK stores the confirmed ones and Cancel leaves the file as it
// was, a failed write is reported, and the entry stays usable while the list is busy. The Qt
// dialog itself is checked offscreen: what it shows, what it gives back after the user has
// changed its controls, and that its controls line up and get the room they need.
#include "app/DocumentOptionsDialog.h"
#include "core/AlbumLayout.h"
#include "core/DocumentOptions.h"
#include "core/Settings.h"
#include "tests/support/Form1Harness.h"
#include "tests/support/RecordingOffice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include <memory>
#include <utility>

Q_DECLARE_METATYPE(AlbumLayout)
Q_DECLARE_METATYPE(PageSetup)

namespace {

const QString kOptions = QStringLiteral("Document Options...");
const QString kOptionsLine =
    QStringLiteral("\r\nin Sheafwork2021/08/31.Form1.DocumentOptions_Click at line %1\r\r");

AlbumLayout layoutOf(CaptionKind caption, int picturesPerPage, bool fitToPage) {
    AlbumLayout layout;
    layout.caption = caption;
    layout.picturesPerPage = picturesPerPage;
    layout.fitToPage = fitToPage;
    return layout;
}

QString describe(const AlbumLayout& layout) {
    return QStringLiteral("%1/%2/%3")
        .arg(captionKindText(layout.caption))
        .arg(layout.picturesPerPage)
        .arg(layout.fitToPage ? QStringLiteral("fit") : QStringLiteral("as is"));
}

// The settings file the program reads and writes.
QString storeFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrell"))
        .fileName();
}

bool writeStore(const QByteArray& text) {
    QDir().mkpath(QFileInfo(storeFile()).absolutePath());
    QFile file(storeFile());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

QByteArray readStore() {
    QFile file(storeFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of the file's [Lumigrove] section, as text.
QStringList storeLines() {
    return QString::fromUtf8(readStore()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList itemTexts(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) {
        texts.append(box->itemText(i));
    }
    return texts;
}

} // namespace

class DocumentOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Run by hand, outside the test runner, the tests must not touch the user's own file.
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
            QVERIFY(m_config.isValid());
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        }
        QVERIFY(storeFile().endsWith(QLatin1String("/Vantrell.conf")));
    }

    void init() {
        QFile::remove(storeFile());
        QDir(storeFile()).removeRecursively();
        m_folder = std::make_unique<TestProgramFolder>();
        m_h =
            std::make_unique<Form1Harness>(Form1Harness::Setup().folder(m_folder->path()).loaded());
    }

    void cleanup() {
        m_h.reset();
        m_folder.reset();
        QDir(storeFile()).removeRecursively();
        QFile::remove(storeFile());
    }

    void options_dialogOpensOnTheSettingsAsWrittenByHand_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<AlbumLayout>("shown");
        QTest::newRow("no settings file") << QByteArray() << AlbumLayout();
        QTest::newRow("stem, 4, yes")
            << QByteArray("[Lumigrove]\nCaption=stem\nPicturesPerPage=4\nFitToPage=yes\n")
            << layoutOf(CaptionKind::Stem, 4, true);
        QTest::newRow("letter case and blanks")
            << QByteArray("[Lumigrove]\nCaption = Name \nPicturesPerPage= 2\nFitToPage=ON\n")
            << layoutOf(CaptionKind::Name, 2, true);
        QTest::newRow("the defaults written out")
            << QByteArray("[Lumigrove]\nCaption=none\nPicturesPerPage=1\nFitToPage=false\n")
            << AlbumLayout();
        QTest::newRow("3 per page is no count: 1")
            << QByteArray("[Lumigrove]\nCaption=name\nPicturesPerPage=3\nFitToPage=1\n")
            << layoutOf(CaptionKind::Name, 1, true);
        QTest::newRow("unknown words: every default")
            << QByteArray("[Lumigrove]\nCaption=title\nPicturesPerPage=four\nFitToPage=maybe\n")
            << AlbumLayout();
        AlbumLayout pattern;
        readCaption(QStringLiteral("{n}. {stem}, {date}"), pattern);
        QTest::newRow("caption pattern with commas")
            << QByteArray("[Lumigrove]\nCaption={n}. {stem}, {date}\n") << pattern;
        QTest::newRow("page setup as typed, decimal comma")
            << QByteArray("[Lumigrove]\nPaperSize= A5 \nOrientation=Landscape\nPageMargin=12,5\n"
                          "Template=/home/u/Vorlagen/brief.ott\n")
            << AlbumLayout{.page = {QSize(14800, 21000), PageOrientation::Landscape, 1250,
                                    "/home/u/Vorlagen/brief.ott"}};
        QTest::newRow("paper of its own, auto")
            << QByteArray("[Lumigrove]\nPaperSize=215.9x100mm\nOrientation=auto\nPageMargin=0\n")
            << AlbumLayout{.page = {QSize(21590, 10000), PageOrientation::Auto, 0, ""}};
        QTest::newRow("paper with decimal commas, in capitals")
            << QByteArray("[Lumigrove]\nPaperSize = 215,9X279,4MM \nOrientation= AUTO\n")
            << AlbumLayout{.page = {QSize(21590, 27940), PageOrientation::Auto, {}, ""}};
        QTest::newRow("unknown page words: every default")
            << QByteArray("[Lumigrove]\nPaperSize=b9\nOrientation=up\nPageMargin=wide\n")
            << AlbumLayout();
        QTest::newRow("no room, auto with 2 a page: defaults")
            << QByteArray("[Lumigrove]\nPicturesPerPage=2\nPaperSize=a5\nOrientation=auto\n"
                          "PageMargin=70\n")
            << AlbumLayout{.picturesPerPage = 2, .page = {QSize(14800, 21000), {}, {}, ""}};
        QTest::newRow("only the program's own section counts")
            << QByteArray("[Other]\nCaption=stem\nFitToPage=true\n[Lumigrove]\nPicturesPerPage=2\n")
            << layoutOf(CaptionKind::None, 2, false);
    }

    // Every row cancels: the file keeps its bytes, and none is made where there was none.
    void options_dialogOpensOnTheSettingsAsWrittenByHand() {
        QFETCH(QByteArray, file);
        QFETCH(AlbumLayout, shown);
        if (!file.isEmpty()) {
            QVERIFY(writeStore(file));
        }
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 1);
        QVERIFY2(h().ui.optionsShown.first().layout == shown,
                 qPrintable(describe(h().ui.optionsShown.first().layout)));
        if (file.isEmpty()) {
            QVERIFY(!QFile::exists(storeFile()));
        } else {
            QCOMPARE(readStore(), file);
        }
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void options_okStoresTheConfirmedLayoutAndKeepsTheOtherSettings() {
        QVERIFY(writeStore("[Lumigrove]\nExtension=png\nLastFolder=/home/u/Holiday 2024\n"
                           "Caption=stem\nPicturesPerPage=4\nFitToPage=yes\n"));
        const PageSetup page{QSize(20000, 30000), PageOrientation::Landscape, 1250, "/t/a b.ott"};
        const AlbumLayout chosen{CaptionKind::Name, 2, false, page};
        h().ui.optionsAnswers = {DocumentOptions{chosen, {}}};
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 1);
        QVERIFY(h().ui.optionsShown.first().layout == layoutOf(CaptionKind::Stem, 4, true));

        // Stored in the words a person would write, under the program's section.
        const QStringList lines = storeLines();
        for (const char* line :
             {"Caption=name", "PicturesPerPage=2", "FitToPage=false", "PaperSize=200x300mm",
              "Orientation=landscape", "PageMargin=12.5", "Template=/t/a b.ott"}) {
            QVERIFY2(lines.contains(QLatin1String(line)), qPrintable(lines.join('|')));
        }
        QVERIFY(albumLayoutFromSettings() == chosen);
        QCOMPARE(GetSetting(Setting::Extension), QStringLiteral("png"));
        QCOMPARE(GetSetting(Setting::LastFolder), QStringLiteral("/home/u/Holiday 2024"));
        QVERIFY(h().ui.boxes.isEmpty());

        // The next time the dialog opens on what was stored; Cancel then keeps it.
        const QByteArray stored = readStore();
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 2);
        QVERIFY(h().ui.optionsShown.last().layout == chosen);
        QCOMPARE(readStore(), stored);
    }

    void options_okReplacesAValueThatCouldNotBeReadByTheOneShown() {
        QVERIFY(writeStore("[Lumigrove]\nPicturesPerPage=3\n"));
        // The user confirms what the dialog showed, unchanged.
        h().ui.onOptions = [&](const DocumentOptions& shown) { h().ui.optionsAnswers = {shown}; };
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 1);
        QVERIFY(h().ui.optionsShown.first().layout == AlbumLayout());
        const QStringList lines = storeLines();
        QVERIFY2(lines.contains(QStringLiteral("PicturesPerPage=1")), qPrintable(lines.join('|')));
        QVERIFY2(!lines.contains(QStringLiteral("PicturesPerPage=3")), qPrintable(lines.join('|')));
        QVERIFY2(lines.contains(QStringLiteral("Caption=none")), qPrintable(lines.join('|')));
        QVERIFY2(lines.contains(QStringLiteral("FitToPage=false")), qPrintable(lines.join('|')));
    }

    void options_theDialogsPictureSettingsAreStoredOnOk_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("strip");
        // Lines the file holds after OK; none: the row cancels, and the file keeps its bytes.
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("email, data removed")
            << QByteArray("[Lumigrove]\nCaption=stem\n") << "Email (96 ppi)" << true
            << QStringList{"PictureSize=email", "StripMetadata=true", "JpegQuality=85"};
        QTest::newRow("print to original, data kept")
            << QByteArray("[Lumigrove]\nPictureSize=Print\nStripMetadata=yes\n") << "Original"
            << false << QStringList{"PictureSize=original", "StripMetadata=false"};
        QTest::newRow("300ppi and quality 60 left as they were")
            << QByteArray("[Lumigrove]\nPictureSize=300ppi\nJpegQuality=60\n") << "300 ppi" << false
            << QStringList{"PictureSize=300ppi", "JpegQuality=60"};
        QTest::newRow("cancelled") << QByteArray("[Lumigrove]\nPictureSize=300ppi\n")
                                   << "Screen (150 ppi)" << true << QStringList();
    }

    // The real dialog opens on what was read, and its controls are set as a user would.
    void options_theDialogsPictureSettingsAreStoredOnOk() {
        QFETCH(QByteArray, file);
        QFETCH(QString, size);
        QFETCH(bool, strip);
        QFETCH(QStringList, stored);
        QVERIFY(writeStore(file));
        QString sizeShown;
        h().ui.onOptions = [&](const DocumentOptions& shown) {
            DocumentOptionsDialog dialog(shown);
            dialog.pictureSizeBox()->setCurrentText(size);
            dialog.stripMetadataBox()->setChecked(strip);
            sizeShown = dialog.pictureSizeBox()->currentText();
            if (!stored.isEmpty()) {
                h().ui.optionsAnswers = {dialog.documentOptions()};
            }
        };
        chooseOptions();
        QCOMPARE(sizeShown, size);
        if (stored.isEmpty()) {
            QCOMPARE(readStore(), file);
        }
        const QStringList lines = storeLines();
        for (const QString& line : stored) {
            QVERIFY2(lines.contains(line), qPrintable(lines.join('|')));
        }
    }

    void options_failedWriteIsReportedAndTheNextOneWorks() {
        // A folder where the settings file belongs: not even a privileged user can write it.
        QVERIFY(QDir().mkpath(storeFile()));
        const AlbumLayout chosen = layoutOf(CaptionKind::Stem, 4, true);
        h().ui.optionsAnswers = {DocumentOptions{chosen, {}}};
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 1);
        const auto reports = h().ui.errorReports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().text.contains(kOptionsLine.arg(104)),
                 qPrintable(reports.first().text));
        QVERIFY2(reports.first().text.contains(QLatin1String("Caption")),
                 qPrintable(reports.first().text));
        QCOMPARE(h().ui.boxes.size(), 1);
        QVERIFY(albumLayoutFromSettings() == AlbumLayout());

        // Once the file can be written, the same choice is stored without a report.
        QVERIFY(QDir(storeFile()).removeRecursively());
        h().ui.optionsAnswers = {DocumentOptions{chosen, {}}};
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 2);
        QVERIFY(h().ui.optionsShown.last().layout == AlbumLayout());
        QVERIFY(albumLayoutFromSettings() == chosen);
        QCOMPARE(h().ui.boxes.size(), 1);
    }

    void options_availableWhileTheListIsBusyOrEmpty() {
        // An empty list: nothing to sort, but the options open.
        const AlbumLayout first = layoutOf(CaptionKind::Name, 1, false);
        h().ui.optionsAnswers = {DocumentOptions{first, {}}};
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 1);
        QVERIFY(albumLayoutFromSettings() == first);

        // Busy (a folder search or a run): the options still open and store what is confirmed.
        h().fill({QStringLiteral("/p/b.jpg"), QStringLiteral("/p/a.jpg")});
        h().form.setMousePointer(MousePointer::Hourglass);
        const AlbumLayout second = layoutOf(CaptionKind::Stem, 2, true);
        h().ui.optionsAnswers = {DocumentOptions{second, {}}};
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 2);
        QVERIFY(h().ui.optionsShown.last().layout == first);
        QVERIFY(albumLayoutFromSettings() == second);
        QCOMPARE(h().form.mousePointer(), MousePointer::Hourglass);

        // Busy from the moment the menu was open: unlike a sort, the choice still counts.
        h().form.setMousePointer(MousePointer::Default);
        h().ui.onMenu = [&](const FakeUiServices::Menu&) {
            h().form.setMousePointer(MousePointer::Hourglass);
        };
        const AlbumLayout third = layoutOf(CaptionKind::None, 4, false);
        h().ui.optionsAnswers = {DocumentOptions{third, {}}};
        chooseOptions();
        QCOMPARE(h().ui.optionsShown.size(), 3);
        QVERIFY(albumLayoutFromSettings() == third);
        // The list itself was left alone throughout.
        QCOMPARE(h().texts(), (QStringList{"/p/b.jpg", "/p/a.jpg"}));
        QVERIFY(h().ui.boxes.isEmpty());
    }

    void run_laysOutTheDocumentByTheSettingsAsTheyStandAtItsStart() {
        QVERIFY(writeStore("[Lumigrove]\nInsertPause=0\nCaption = stem\nPicturesPerPage=2\n"));
        h().form.pictureList().append(QStringLiteral("/photos/p1.png"));
        h().form.pictureList().append(QStringLiteral("/photos/p2.jpeg"));
        h().form.pictureList().append(QStringLiteral("/photos/p3.png"));
        // Changed by the dialog while the run goes on: the run keeps what it started with.
        bool changed = false;
        h().office.onDispatch = [&](const RecordingOfficeBridge::Dispatch&) {
            if (!changed) {
                changed = true;
                h().ui.optionsAnswers = {
                    DocumentOptions{layoutOf(CaptionKind::None, 1, false), {}}};
                chooseOptions();
            }
        };
        h().form.PushButton2_Click();
        QVERIFY(changed);
        QCOMPARE(firstTexts(h().office, QStringLiteral(".uno:InsertText")),
                 (QStringList{"p1", "p2", "p3"}));
        QCOMPARE(h().office.dispatchesOf(QStringLiteral(".uno:InsertBreak")).size(), 1);

        // The next run lays out by what the dialog stored: one per page, no captions.
        h().office.onDispatch = nullptr;
        h().office.dispatches.clear();
        h().form.PushButton2_Click();
        QVERIFY(h().office.dispatchesOf(QStringLiteral(".uno:InsertText")).isEmpty());
        QCOMPARE(h().office.dispatchesOf(QStringLiteral(".uno:InsertBreak")).size(), 2);
        QVERIFY(h().ui.boxes.size() == 2); // "Done." after each run, nothing else
    }

    void dialog_showsTheLayoutItOpensOn_data() {
        QTest::addColumn<AlbumLayout>("layout");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("perPage");
        QTest::newRow("default") << AlbumLayout() << "None"
                                 << "1";
        QTest::newRow("name, 2, fit") << layoutOf(CaptionKind::Name, 2, true) << "File name"
                                      << "2";
        QTest::newRow("stem, 4") << layoutOf(CaptionKind::Stem, 4, false)
                                 << "File name without extension"
                                 << "4";
        QTest::newRow("none, 4, fit") << layoutOf(CaptionKind::None, 4, true) << "None"
                                      << "4";
        QTest::newRow("a5, landscape, 0 mm, template")
            << AlbumLayout{.page = {QSize(14800, 21000), PageOrientation::Landscape, 0, "/t/x.odt"}}
            << "None"
            << "1";
        QTest::newRow("5x2, no entry of its own")
            << AlbumLayout{.picturesPerPage = 10, .page = {}, .gridColumns = 5} << "None"
            << "Custom grid";
        // A paper of its own size and a margin in hundredths of a millimetre come back unchanged.
        QTest::newRow("own paper, turned, 12.25 mm")
            << AlbumLayout{.page = {QSize(20000, 30050), PageOrientation::Auto, 1225, ""}} << "None"
            << "1";
    }

    void dialog_showsTheLayoutItOpensOn() {
        QFETCH(AlbumLayout, layout);
        QFETCH(QString, caption);
        QFETCH(QString, perPage);
        DocumentOptionsDialog dialog(DocumentOptions{layout, {}});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Document Options"));
        QCOMPARE(itemTexts(dialog.captionBox()),
                 (QStringList{"None", "File name", "File name without extension",
                              "Number and name: {n}. {stem}", "Name and date taken: {stem}, {date}",
                              "The photo's description: {description}", "Own pattern"}));
        QCOMPARE(itemTexts(dialog.picturesPerPageBox()),
                 (QStringList{"1", "2", "4", "2x3", "3x3", "3x4", "4x5", "Custom grid"}));
        QCOMPARE(dialog.captionBox()->currentText(), caption);
        QCOMPARE(dialog.picturesPerPageBox()->currentText(), perPage);
        QCOMPARE(dialog.fitToPageBox()->isChecked(), layout.fitToPage);
        QVERIFY(dialog.albumLayout() == layout);
    }

    void dialog_captionPatternsPreviewedOnTheListsFirstPicture() {
        h().fill({"/photos/Holiday/lake.jpg", "/photos/b.jpg"});
        h().ui.onOptions = [&](const DocumentOptions&) {
            DocumentOptionsDialog dialog(DocumentOptions{});
            dialog.setPreviewPicture(h().ui.optionsPictures.last());
            dialog.captionBox()->setCurrentIndex(3);
            QCOMPARE(dialog.captionPatternEdit()->text(), QStringLiteral("{n}. {stem}"));
            QCOMPARE(dialog.captionPreview()->text(),
                     QStringLiteral("Under the first picture: 1. lake"));
            dialog.captionPatternEdit()->clear();
            QTest::keyClicks(dialog.captionPatternEdit(), QStringLiteral("{folder}: {name} {"));
            QCOMPARE(dialog.captionBox()->currentText(), QStringLiteral("Own pattern"));
            QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
            QVERIFY2(dialog.result() != QDialog::Accepted &&
                         dialog.problemLabel()->text().contains("is not closed"),
                     qPrintable(dialog.problemLabel()->text()));
            QTest::keyClick(dialog.captionPatternEdit(), Qt::Key_Backspace);
            QCOMPARE(dialog.captionPreview()->text(),
                     QStringLiteral("Under the first picture: Holiday: lake.jpg "));
            h().ui.optionsAnswers = {dialog.documentOptions()};
        };
        chooseOptions();
        QCOMPARE(GetSetting(Setting::Caption), QStringLiteral("{folder}: {name} "));
        // Opened again, the dialog shows that pattern as one's own.
        DocumentOptionsDialog reopened(DocumentOptions{albumLayoutFromSettings(), {}});
        QCOMPARE(reopened.captionBox()->currentText(), QStringLiteral("Own pattern"));
        QCOMPARE(reopened.captionPatternEdit()->text(), QStringLiteral("{folder}: {name} "));
    }

    void dialog_pagesTurnedToTheirPictureTakeOnePerPage_data() {
        QTest::addColumn<QStringList>("perPage");
        QTest::addColumn<int>("downKeysMeanwhile");
        QTest::addColumn<QString>("shownAtOne");
        QTest::newRow("2, then 1")
            << QStringList{"2", "1"} << 0 << "Each page turned to its picture";
        QTest::newRow("4, 2, then 1")
            << QStringList{"4", "2", "1"} << 0 << "Each page turned to its picture";
        QTest::newRow("landscape chosen at 2") << QStringList{"2", "1"} << 2 << "Landscape";
        QTest::newRow("3x4, then a grid of 1x1")
            << QStringList{"3x4", "1x1"} << 0 << "Each page turned to its picture";
    }

    void dialog_pagesTurnedToTheirPictureTakeOnePerPage() {
        QFETCH(QStringList, perPage);
        QFETCH(int, downKeysMeanwhile);
        QFETCH(QString, shownAtOne);
        DocumentOptionsDialog dialog(
            DocumentOptions{{.page = {{}, PageOrientation::Auto, {}, ""}}, {}});
        const QModelIndex autoEntry = dialog.orientationBox()->model()->index(3, 0);
        for (const QString& entry : perPage) {
            const bool custom = dialog.picturesPerPageBox()->findText(entry) < 0;
            dialog.picturesPerPageBox()->setCurrentText(custom ? "Custom grid" : entry);
            dialog.findChild<QLineEdit*>("customGridEdit")->setText(custom ? entry : "");
            const int count = entry == "1x1" ? 1 : entry.toInt();
            // Above 1 greyed out, the reason beside it, and OK would store the office's default.
            QCOMPARE(autoEntry.flags().testFlag(Qt::ItemIsEnabled), count == 1);
            QCOMPARE(dialog.orientationNote()->isHidden(), count == 1);
            QVERIFY(count == 1 || dialog.albumLayout().page.orientation == PageOrientation::Office);
            for (; count > 1 && downKeysMeanwhile > 0; --downKeysMeanwhile) {
                QTest::keyClick(dialog.orientationBox(), Qt::Key_Down);
            }
        }
        QCOMPARE(dialog.orientationBox()->currentText(), shownAtOne);
    }

    void dialog_okIsRefusedWhileTheMarginsLeaveNoRoom_data() {
        QTest::addColumn<PageSetup>("page");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a5, 69 mm") << PageSetup{QSize(14800, 21000), {}, 6900, ""} << true;
        QTest::newRow("a5, 70 mm") << PageSetup{QSize(14800, 21000), {}, 7000, ""} << false;
        QTest::newRow("office paper, 100.5 mm") << PageSetup{{}, {}, 10050, ""} << false;
    }

    void dialog_okIsRefusedWhileTheMarginsLeaveNoRoom() {
        QFETCH(PageSetup, page);
        QFETCH(bool, accepted);
        DocumentOptionsDialog dialog(DocumentOptions{{.page = page}, {}});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        QCOMPARE(dialog.problemLabel()->isVisible() && !dialog.problemLabel()->text().isEmpty(),
                 !accepted);
        // Without margins of its own the refusal goes, and OK accepts.
        dialog.marginBox()->setValue(dialog.marginBox()->minimum());
        QTest::mouseClick(dialog.buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QVERIFY(dialog.result() == QDialog::Accepted && !dialog.problemLabel()->isVisible());
    }

    void dialog_customGridRefusedWithTheReason() {
        DocumentOptionsDialog dialog(DocumentOptions{});
        dialog.picturesPerPageBox()->setCurrentText(QStringLiteral("Custom grid"));
        dialog.customGridEdit()->setText(QStringLiteral("7x9"));
        dialog.accept();
        QVERIFY(dialog.problemLabel()->text().contains("\"7x9\" cannot be used: a grid has 1"));
    }

    void dialog_templateIsChosenOrCleared() {
        DocumentOptionsDialog dialog(DocumentOptions{});
        QString answer = QStringLiteral("/t/a b.ott");
        dialog.setTemplateChooser([&] { return std::exchange(answer, QString()); });
        QTest::mouseClick(dialog.templateButton(), Qt::LeftButton);
        // The file dialog cancelled the second time: the template stays.
        QTest::mouseClick(dialog.templateButton(), Qt::LeftButton);
        QCOMPARE(dialog.albumLayout().page.templatePath, QStringLiteral("/t/a b.ott"));
        QTest::mouseClick(dialog.templateClear(), Qt::LeftButton);
        QVERIFY(dialog.albumLayout() == AlbumLayout());
    }

    void dialog_givesBackWhatTheUserSetAndOkOrCancel() {
        DocumentOptionsDialog dialog(DocumentOptions{});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // The keys and the click a user gives each control.
        QTest::keyClick(dialog.captionBox(), Qt::Key_Down);
        QTest::keyClick(dialog.captionBox(), Qt::Key_Down);
        QTest::keyClicks(dialog.picturesPerPageBox(), QStringLiteral("4"));
        QTest::mouseClick(dialog.fitToPageBox(), Qt::LeftButton, {},
                          dialog.fitToPageBox()->rect().center());
        QVERIFY2(dialog.albumLayout() == layoutOf(CaptionKind::Stem, 4, true),
                 qPrintable(describe(dialog.albumLayout())));
        QTest::keyClick(dialog.picturesPerPageBox(), Qt::Key_Up);
        QTest::mouseClick(dialog.fitToPageBox(), Qt::LeftButton, {},
                          dialog.fitToPageBox()->rect().center());
        QVERIFY2(dialog.albumLayout() == layoutOf(CaptionKind::Stem, 2, false),
                 qPrintable(describe(dialog.albumLayout())));
        // OK accepts.
        QPushButton* ok = dialog.buttons()->button(QDialogButtonBox::Ok);
        QVERIFY(ok != nullptr);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());

        // Cancel and Escape reject.
        DocumentOptionsDialog cancelled(DocumentOptions{});
        cancelled.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cancelled));
        QPushButton* cancel = cancelled.buttons()->button(QDialogButtonBox::Cancel);
        QVERIFY(cancel != nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(cancelled.result(), static_cast<int>(QDialog::Rejected));
        QVERIFY(!cancelled.isVisible());
        DocumentOptionsDialog escaped(DocumentOptions{});
        escaped.show();
        QVERIFY(QTest::qWaitForWindowExposed(&escaped));
        escaped.setResult(QDialog::Accepted);
        QTest::keyClick(&escaped, Qt::Key_Escape);
        QCOMPARE(escaped.result(), static_cast<int>(QDialog::Rejected));
    }

    void dialog_labelsNameTheirControlsAndNothingIsClipped() {
        DocumentOptionsDialog dialog(DocumentOptions{layoutOf(CaptionKind::Stem, 4, true), {}});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* form = dialog.findChild<QFormLayout*>();
        QVERIFY(form != nullptr);
        auto* captionLabel = qobject_cast<QLabel*>(form->labelForField(dialog.captionBox()));
        auto* perPageLabel =
            qobject_cast<QLabel*>(form->labelForField(dialog.picturesPerPageBox()));
        QVERIFY(captionLabel != nullptr);
        QVERIFY(perPageLabel != nullptr);
        QCOMPARE(captionLabel->text().remove(QLatin1Char('&')),
                 QStringLiteral("Caption under each picture:"));
        QCOMPARE(perPageLabel->text().remove(QLatin1Char('&')),
                 QStringLiteral("Pictures per page:"));
        // The labels lead to their controls from the keyboard.
        QCOMPARE(captionLabel->buddy(), dialog.captionBox());
        QCOMPARE(perPageLabel->buddy(), dialog.picturesPerPageBox());
        QCOMPARE(dialog.fitToPageBox()->text().remove(QLatin1Char('&')),
                 QStringLiteral("Fit each picture to the page"));

        // The controls stand in one column, beside their labels.
        const int column = dialog.captionBox()->x();
        QCOMPARE(dialog.picturesPerPageBox()->x(), column);
        QCOMPARE(dialog.fitToPageBox()->x(), column);
        QVERIFY(captionLabel->geometry().right() < column);
        QCOMPARE(captionLabel->geometry().center().y(),
                 dialog.captionBox()->geometry().center().y());
        QCOMPARE(perPageLabel->geometry().center().y(),
                 dialog.picturesPerPageBox()->geometry().center().y());

        // Every control at least as large as it asks to be, and inside the dialog: no text is cut.
        QList<QWidget*> controls = {captionLabel,
                                    perPageLabel,
                                    dialog.captionBox(),
                                    dialog.picturesPerPageBox(),
                                    dialog.fitToPageBox(),
                                    dialog.buttons()->button(QDialogButtonBox::Ok),
                                    dialog.buttons()->button(QDialogButtonBox::Cancel)};
        controls +=
            QList<QWidget*>{dialog.paperSizeBox(), dialog.orientationBox(), dialog.marginBox(),
                            dialog.templateEdit(), dialog.templateButton(), dialog.templateClear()};
        controls += {dialog.pictureSizeBox(), dialog.stripMetadataBox()};
        for (QWidget* control : controls) {
            const QRect inDialog(control->mapTo(&dialog, QPoint(0, 0)), control->size());
            QVERIFY2(dialog.rect().contains(inDialog), qPrintable(control->objectName()));
            QVERIFY2(control->width() >= control->sizeHint().width(),
                     qPrintable(QStringLiteral("%1: %2 < %3")
                                    .arg(control->metaObject()->className())
                                    .arg(control->width())
                                    .arg(control->sizeHint().width())));
            QVERIFY2(control->height() >= control->sizeHint().height(),
                     qPrintable(control->metaObject()->className()));
        }
        // The longest caption choice fits its box.
        QCOMPARE(dialog.captionBox()->currentText(), QStringLiteral("File name without extension"));
        // Not resizable: there is nothing that more room would show.
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    }

private:
    Form1Harness& h() { return *m_h; }
    // Opens the document options through the list's context menu.
    void chooseOptions() {
        h().ui.menuAnswers = {kOptions};
        h().form.ListView1_ContextMenu(QPoint(10, 10));
    }

    QTemporaryDir m_config;
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<Form1Harness> m_h;
};

QTEST_MAIN(DocumentOptionsTest)
#include "tst_app_options.moc"
