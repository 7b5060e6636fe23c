// The main window as the user first meets it: its fixed layout, the start-up sequence with
// and without the program's optional files, the title rule, the pointer over the controls,
// and closing.
#include "app/CaptionProgressBar.h"
#include "app/QtUiServices.h"
#include "core/AppTitle.h"
#include "core/Settings.h"
#include "tests/support/Form1Harness.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>

#include <unistd.h>

namespace {

const QString kToolTip = QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                                        "Move | line to right and out of window to reveal full "
                                        "names.");
const QString kFormLoadLine =
    QStringLiteral("\r\nin Sheafwork2021/08/31.Form1.Form_Load at line %1\r\r");
const QStringList kButtons = {
    QStringLiteral("PushButton1"),  QStringLiteral("PushButton2"), QStringLiteral("PushButton4"),
    QStringLiteral("PushButton5"),  QStringLiteral("PushButton6"), QStringLiteral("PushButton10"),
    QStringLiteral("PushButton11"),
};

// The skin used by the tests: any style sheet will do, as long as its effect can be seen.
const QByteArray kSkin = "QPushButton { color: rgb(1, 2, 3); }\n";

void clearSettings() {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrell"));
    store.remove(QStringLiteral("Lumigrove"));
    store.sync();
}

// Everything that the start-up steps after the skin and the cursor set up.
void verifySetUp(Form1Harness& h) {
    QCOMPARE(h.form.windowTitle(), QStringLiteral("Lumigrove"));
    // An icon made of file names is never null, even when the files are missing: only a
    // drawn pixmap tells that the compiled-in pictures are there.
    QVERIFY(!h.form.windowIcon().pixmap(48).isNull());
    QVERIFY(!QGuiApplication::windowIcon().pixmap(16).isNull());
    QCOMPARE(applicationTitle(), QStringLiteral("Lumigrove"));
    QCOMPARE(h.list().columnCount(), 1);
    QCOMPARE(h.list().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Image File(s)"));
    QCOMPARE(h.view()->columnWidth(0), 6500 / 15);
    QCOMPARE(h.list().count(), 0);
    QVERIFY(!h.form.hasEnded());
}

} // namespace

class Form1WindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        clearSettings();
        setApplicationTitle(QString());
    }

    void layout_controlsAtTheirFixedGeometry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("ListView1") << "ListView1"
                                   << "" << QRect(120, 120, 6840, 2535);
        QTest::newRow("PushButton5") << "PushButton5"
                                     << "Move &Up" << QRect(7080, 120, 840, 1200);
        QTest::newRow("PushButton6") << "PushButton6"
                                     << "Move &Down" << QRect(7080, 1440, 840, 1200);
        QTest::newRow("PushButton1") << "PushButton1"
                                     << "&Add Image File(s)" << QRect(120, 2760, 3840, 405);
        QTest::newRow("PushButton4")
            << "PushButton4"
            << "Add All Image Files In &Folder" << QRect(4080, 2760, 3840, 405);
        QTest::newRow("PushButton10") << "PushButton10"
                                      << "&Clear List" << QRect(120, 3270, 3840, 405);
        QTest::newRow("PushButton11")
            << "PushButton11"
            << "&Load Sample/Example Files" << QRect(4080, 3270, 3840, 405);
        QTest::newRow("PushButton2") << "PushButton2"
                                     << "&Start Inserting Images" << QRect(120, 3780, 7800, 405);
        QTest::newRow("ProgressBar1") << "ProgressBar1"
                                      << "Progress Bar" << QRect(120, 4290, 7800, 405);
    }

    void layout_controlsAtTheirFixedGeometry() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        TestProgramFolder folder;
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());

        QWidget* control = h.form.findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->parentWidget(), &h.form);
        QCOMPARE(control->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
        } else if (auto* bar = qobject_cast<CaptionProgressBar*>(control)) {
            QCOMPARE(bar->text(), caption);
            QVERIFY(bar->alignment() & Qt::AlignHCenter);
        }
    }

    void layout_windowIsFixedCentredWhiteWithoutMaximise() {
        TestProgramFolder folder;
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());
        h.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form));

        QCOMPARE(h.form.size(), QSize(536, 321));
        QCOMPARE(h.form.minimumSize(), QSize(536, 321));
        QCOMPARE(h.form.maximumSize(), QSize(536, 321));
        const Qt::WindowFlags flags = h.form.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2((h.form.geometry().center() - screenCentre).manhattanLength() <= 1,
                 qPrintable(QStringLiteral("window centre %1,%2, screen centre %3,%4")
                                .arg(h.form.geometry().center().x())
                                .arg(h.form.geometry().center().y())
                                .arg(screenCentre.x())
                                .arg(screenCentre.y())));
        QCOMPARE(h.form.palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(h.form.autoFillBackground());

        // The list comes first when the user tabs through the window, the buttons follow.
        QList<QWidget*> tabOrder;
        for (QWidget* w = h.form.nextInFocusChain(); w != &h.form; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus) {
                tabOrder.append(w);
            }
        }
        QCOMPARE(tabOrder.size(), 8);
        QCOMPARE(tabOrder.first(), h.view());
    }

    void layout_fontsAreArialBoldAndCaptionsFitTheirButtons() {
        TestProgramFolder folder;
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());

        for (QWidget* widget : {static_cast<QWidget*>(&h.form), static_cast<QWidget*>(h.view())}) {
            QCOMPARE(widget->font().family(), QStringLiteral("Arial"));
            QVERIFY(widget->font().bold());
            QCOMPARE(widget->font().pointSizeF(), 9.0);
        }
        // Arial itself is not installed; fontconfig must hand out its metric twin, not a
        // fallback that would make the captions overflow.
        const QFontInfo resolved(h.view()->font());
        QVERIFY2(resolved.family() == QLatin1String("Arial") ||
                     resolved.family() == QLatin1String("Liberation Sans"),
                 qPrintable(resolved.family()));
        QVERIFY(resolved.bold());

        for (const QString& name : kButtons) {
            auto* button = h.form.findChild<QPushButton*>(name);
            QVERIFY(button != nullptr);
            QCOMPARE(button->font().family(), QStringLiteral("Arial"));
            QVERIFY(button->font().bold());
            QCOMPARE(button->font().pointSizeF(), 11.25);
            // The caption, wrapped between words where the button is narrow ("Move Up" on the
            // tall buttons), fits inside the button.
            const QRect room = button->rect().adjusted(4, 2, -4, -2);
            const QRect needed =
                QFontMetrics(button->font())
                    .boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                                  button->text());
            QVERIFY2(room.contains(needed), qPrintable(name));
        }
    }

    void layout_listShowsItsHoverTipOverRowsAndEmptySpace() {
        TestProgramFolder folder;
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());
        h.fill({QStringLiteral("/pictures/a.jpg")});
        h.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form));

        QWidget* viewport = h.view()->viewport();
        for (const QPoint pos : {h.rowRect(1).center(), QPoint(20, viewport->height() - 5)}) {
            QToolTip::hideText();
            QHelpEvent help(QEvent::ToolTip, pos, viewport->mapToGlobal(pos));
            QApplication::sendEvent(viewport, &help);
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), kToolTip);
        }
        QToolTip::hideText();
    }

    void startUp_withoutOptionalFiles_plainLookAndPointersSilently() {
        TestProgramFolder folder;
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());

        QVERIFY(h.ui.boxes.isEmpty());
        QVERIFY(h.ui.openedUrls.isEmpty());
        verifySetUp(h);
        QVERIFY(h.form.styleSheet().isEmpty());
        QCOMPARE(h.form.palette().color(QPalette::Window), QColor(Qt::white));
        // Pointer 99 without its picture shows the platform's default pointer.
        h.form.setMousePointer(MousePointer::Custom);
        QCOMPARE(h.form.mousePointer(), MousePointer::Custom);
        QCOMPARE(h.form.cursor().shape(), Qt::ArrowCursor);
    }

    void startUp_withCursorAndSkin_usesBoth() {
        TestProgramFolder folder;
        QVERIFY(folder.copyFromBuild(QStringLiteral("HAND-M.CUR")));
        QVERIFY(folder.write(QStringLiteral("x/o.cjs"), kSkin));
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        const QColor buttonFace = h.form.palette().color(QPalette::Button);
        QVERIFY(h.form.Form_Load());

        QVERIFY(h.ui.boxes.isEmpty());
        verifySetUp(h);
        QCOMPARE(h.form.styleSheet(), QString::fromUtf8(kSkin));
        QCOMPARE(h.form.palette().color(QPalette::Window), buttonFace);

        h.form.setMousePointer(MousePointer::Custom);
        QCOMPARE(h.form.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(h.form.cursor().pixmap().size(), QSize(32, 32));
        // The hot spot stored in the cursor file: the fingertip.
        QCOMPARE(h.form.cursor().hotSpot(), QPoint(11, 2));
        h.form.setMousePointer(MousePointer::Default);
        QCOMPARE(h.form.cursor().shape(), Qt::ArrowCursor);
        h.form.setMousePointer(MousePointer::Hourglass);
        QCOMPARE(h.form.cursor().shape(), Qt::WaitCursor);
    }

    void startUp_failingStep_reportsItsLineOnceAndFinishesSetUp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("handCursor");
        // A skin that is not text: the skin is rejected, the cursor still loads.
        QTest::newRow("skin not a style sheet")
            << "x/o.cjs" << QByteArray("QWidget { color: red; }\n").append("\xff\xfe", 2) << 102
            << true;
        // A cursor file that holds no picture: pointer 99 keeps the default pointer.
        QTest::newRow("cursor not a picture")
            << "HAND-M.CUR" << QByteArray("this is not a cursor") << 106 << false;
    }

    void startUp_failingStep_reportsItsLineOnceAndFinishesSetUp() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(bool, handCursor);
        TestProgramFolder folder;
        if (file != QLatin1String("HAND-M.CUR")) {
            QVERIFY(folder.copyFromBuild(QStringLiteral("HAND-M.CUR")));
        }
        QVERIFY(folder.write(file, bytes));
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());

        QCOMPARE(h.ui.boxes.size(), 1);
        const FakeUiServices::Box report = h.ui.boxes.first();
        QCOMPARE(report.title, QStringLiteral("Application Error"));
        QCOMPARE(report.style, 48);
        QVERIFY2(report.text.contains(kFormLoadLine.arg(line)), qPrintable(report.text));
        QVERIFY(!report.text.startsWith(QLatin1String("\r\n")));
        verifySetUp(h);
        QVERIFY(h.form.styleSheet().isEmpty());
        h.form.setMousePointer(MousePointer::Custom);
        QCOMPARE(h.form.cursor().shape(), handCursor ? Qt::BitmapCursor : Qt::ArrowCursor);
    }

    void startUp_drawOfSevenOpensTheHomePageOnlyWhenOneIsSet_data() {
        QTest::addColumn<double>("draw");
        QTest::addColumn<QString>("homePage");
        QTest::addColumn<bool>("opens");
        const QString page = QStringLiteral("https://lumigrove.example.org/welcome");
        // The draw is the integer part of value * 100, plus 1: 7 covers [0.06, 0.07).
        QTest::newRow("7 low edge") << 0.06 << page << true;
        QTest::newRow("7 high edge") << 0.0699 << page << true;
        QTest::newRow("7 without a home page") << 0.06 << QString() << false;
        QTest::newRow("6") << 0.0599 << page << false;
        QTest::newRow("8") << 0.07 << page << false;
        QTest::newRow("1") << 0.0 << page << false;
        QTest::newRow("100") << 0.9999 << page << false;
    }

    void startUp_drawOfSevenOpensTheHomePageOnlyWhenOneIsSet() {
        QFETCH(double, draw);
        QFETCH(QString, homePage);
        QFETCH(bool, opens);
        if (!homePage.isEmpty()) {
            SaveSetting(QStringLiteral("HomePage"), homePage);
        }
        TestProgramFolder folder;
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        h.random.draws = {draw};
        QVERIFY(h.form.Form_Load());

        QCOMPARE(h.random.seeds, 1);
        QVERIFY(h.random.draws.isEmpty());
        QCOMPARE(h.ui.openedUrls, opens ? QList<QUrl>{QUrl(homePage)} : QList<QUrl>{});
        QVERIFY(h.ui.boxes.isEmpty());
    }

    void title_shortenedBeforeWholeWordsToFortyCharacters_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("product title, 9") << "Lumigrove"
                                          << "Lumigrove";
        const QString forty = QStringLiteral("Lumigrove builds documents from pictures");
        QTest::newRow("exactly 40") << forty << forty;
        // 33 characters, then two words of 8: 42 is still too long, so both go.
        const QString head = QStringLiteral("Lumigrove makes pages of pictures");
        QTest::newRow("51, two 8-character words go")
            << head + QStringLiteral(" Alphabet Calendar") << head;
        QTest::newRow("41, one word goes")
            << forty + QStringLiteral("!") << QStringLiteral("Lumigrove builds documents from");
        QTest::newRow("no space, cut at 40")
            << QString(45, QLatin1Char('L')) << QString(40, QLatin1Char('L'));
    }

    void title_shortenedBeforeWholeWordsToFortyCharacters() {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QCOMPARE(shortenTitle(title), expected);
        QVERIFY(shortenTitle(title).size() <= 40);
    }

    void pointer_handOverButtonsDefaultElsewhereHourglassStays_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("overButton");
        QTest::addColumn<int>("overBackground");
        QTest::addColumn<int>("overList");
        QTest::newRow("idle from default") << 0 << 99 << 0 << 0;
        QTest::newRow("idle from hand") << 99 << 99 << 0 << 0;
        QTest::newRow("busy") << 11 << 11 << 11 << 11;
    }

    void pointer_handOverButtonsDefaultElsewhereHourglassStays() {
        QFETCH(int, start);
        QFETCH(int, overButton);
        QFETCH(int, overBackground);
        QFETCH(int, overList);
        TestProgramFolder folder;
        QVERIFY(folder.copyFromBuild(QStringLiteral("HAND-M.CUR")));
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());
        h.fill({QStringLiteral("/p/a.png"), QStringLiteral("/p/b.png")});
        h.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form));

        // Real pointer moves through the window system, so that only widgets that track the
        // pointer see them.
        const QPoint background(4, 4);
        const QPoint betweenMoveButtons(500, 92);
        QVERIFY(h.form.childAt(background) == nullptr);
        QVERIFY(h.form.childAt(betweenMoveButtons) == nullptr);
        for (const QString& name : kButtons) {
            h.form.setMousePointer(start);
            auto* button = h.form.findChild<QPushButton*>(name);
            QTest::mouseMove(button, button->rect().center());
            QVERIFY2(h.form.mousePointer() == overButton, qPrintable(name));
            QTest::mouseMove(&h.form, name == kButtons.first() ? background : betweenMoveButtons);
            QVERIFY2(h.form.mousePointer() == overBackground, qPrintable(name));
        }

        h.form.setMousePointer(start);
        QTest::mouseMove(h.button(1));
        QCOMPARE(h.form.mousePointer(), overButton);
        QTest::mouseMove(h.view()->viewport(), h.rowRect(2).center());
        QCOMPARE(h.form.mousePointer(), overList);
        QCOMPARE(h.texts(), (QStringList{"/p/a.png", "/p/b.png"}));

        const Qt::CursorShape shown = h.form.cursor().shape();
        QCOMPARE(shown, overList == 11 ? Qt::WaitCursor : Qt::ArrowCursor);
    }

    void close_endsTheProgram() {
        TestProgramFolder folder;
        Form1Harness h(Form1Harness::Setup().folder(folder.path()));
        QVERIFY(h.form.Form_Load());
        h.fill({QStringLiteral("/p/a.png")});
        h.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form));

        h.form.setMousePointer(MousePointer::Hourglass);
        QVERIFY(h.form.close());
        QVERIFY(h.ui.ended);
        QCOMPARE(h.ui.exitCode, 0);
        QVERIFY(h.form.hasEnded());
        // Nothing is asked and nothing is kept.
        QVERIFY(h.ui.boxes.isEmpty());
        QVERIFY(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrell"))
                    .allKeys()
                    .isEmpty());
    }

    void qtBoxes_breakLinesWhereTheHandlersDoAndShowTheirTitles() {
        // The real Qt boxes, closed from the event loop as soon as they show.
        QtUiServices ui;
        QStringList shown, narrow;
        auto closeWhenShown = [&] {
            QTimer::singleShot(0, [&] {
                QWidget* box = QApplication::activeModalWidget();
                QVERIFY(box != nullptr);
                // The whole title in the title bar: bold, beside an icon and three 24 px buttons.
                QFont title = box->font();
                title.setBold(true);
                if (box->width() < QFontMetrics(title).horizontalAdvance(box->windowTitle()) + 96) {
                    narrow.append(
                        QStringLiteral("%1: %2 px").arg(box->windowTitle()).arg(box->width()));
                }
                if (auto* input = qobject_cast<QInputDialog*>(box)) {
                    shown.append(input->labelText());
                    input->reject();
                } else if (auto* message = qobject_cast<QMessageBox*>(box)) {
                    shown.append(message->text());
                    message->accept();
                }
            });
        };
        closeWhenShown();
        ui.inputBox(QStringLiteral("Enter file extension to load:\r\r(* for all files)"),
                    QStringLiteral("Lumigrove"), QStringLiteral("*"));
        closeWhenShown();
        ui.messageBox(QStringLiteral("Error 1\r\n\r\nOne.\r\rTwo."), MsgStyle::OkOnly,
                      QStringLiteral("Lumigrove"));
        closeWhenShown();
        ui.messageBox(QStringLiteral("Done."), MsgStyle::OkOnly,
                      QStringLiteral("The folder of the sample files could not be opened"));
        QCOMPARE(shown, QStringList({"Enter file extension to load:\n\n(* for all files)",
                                     "Error 1\n\nOne.\n\nTwo.", "Done."}));
        QVERIFY2(narrow.isEmpty(), qPrintable(narrow.join(", ")));
    }

    void qtOpener_saysWhatIsMissingInWords_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("reason");
        QTest::newRow("none installed") << QString()
                                        << "No program to open folders is installed "
                                           "(xdg-open).";
        QTest::newRow("none set up")
            << "echo 'no method available' >&2; exit 3"
            << "No program to open folders is set up on this desktop (xdg-open found none). It "
               "said: no method available";
    }

    void qtOpener_saysWhatIsMissingInWords() {
        QFETCH(QString, opener);
        QFETCH(QString, reason);
        QTemporaryDir bin;
        if (!opener.isEmpty()) {
            QFile script(bin.filePath(QStringLiteral("xdg-open")));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\n" + opener.toUtf8() + "\n");
            script.close();
            QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        QtUiServices ui;
        QString said;
        ui.openUrl(QUrl::fromLocalFile(bin.path()), [&](const QString& why) { said = why; });
        qputenv("PATH", path);
        QTRY_COMPARE(said, reason);
    }

    void commandLine_versionAndHelpWithoutADisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("begins");
        QTest::newRow("--version") << "--version"
                                   << "lumigrove " LUMIGROVE_EXPECTED_VERSION "\n";
        QTest::newRow("--help") << "--help"
                                << "Usage: lumigrove [--help] [--version]\n";
        QTest::newRow("-h") << "-h"
                            << "Usage: lumigrove";
    }

    void commandLine_versionAndHelpWithoutADisplay() {
        QFETCH(QString, option);
        QFETCH(QString, begins);
        // The X platform without a display: starting the window would fail.
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(LUMIGROVE_PROGRAM), {option});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(out.startsWith(begins), qPrintable(out));
    }
};

QTEST_MAIN(Form1WindowTest)
#include "tst_app_window.moc"
