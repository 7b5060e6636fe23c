// Inserts small pictures (50 unless told otherwise) into a new document of a headless office
// suite that the benchmark starts itself, with no pause after each picture, and prints the
// milliseconds per picture of the main window's insert run and of lumigrove-batch (which
// also stores and closes the document) next to the tightest loop over the same bridge that
// still gets every picture in: the picture, the escape, the wait until the picture is no
// longer selected, and the break between pictures.
//
//     insert_bench [rounds] [pictures]
#include "app/CaptionProgressBar.h"
#include "app/Form1.h"
#include "batch/BatchCommand.h"
#include "builder/InsertRoutines.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeController.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDispatcher.h"
#include "builder/OfficeDocument.h"
#include "builder/OfficeFrame.h"
#include "builder/OfficeSession.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "piclist/PictureListModel.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeRandom.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/Form1Harness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

int kPictures = 50;

struct Figures {
    double totalMs = 0; // from the click (or the first bridge call) to the end
    double loopMs = 0;  // the pictures alone, without opening the document
    int pictures = 0;
    int breaks = 0;
    bool onePerPage = false;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The main window's run, as the user starts it.
Figures timeOurRun(const QStringList& pictures) {
    FakeUiServices ui;
    MessageBoxErrorReporter reporter(ui);
    SystemClock clock;
    FakeRandom random;
    UnoOfficeBridge office;
    Form1Services services{ui, reporter, clock, random, nullptr, &office, QString()};
    Form1 form(services);
    for (const QString& picture : pictures) {
        form.pictureList().append(picture);
    }
    // The first picture's progress marks the end of opening the document.
    QElapsedTimer clockOfRun;
    double loopStartMs = -1;
    QObject::connect(Form1Controls::progress(form), &QProgressBar::valueChanged, [&](int) {
        if (loopStartMs < 0) {
            loopStartMs = clockOfRun.nsecsElapsed() / 1e6;
        }
    });
    clockOfRun.start();
    form.PushButton2_Click();
    Figures figures;
    figures.totalMs = clockOfRun.nsecsElapsed() / 1e6;
    figures.loopMs = figures.totalMs - loopStartMs;
    if (!ui.errorReports().isEmpty()) {
        std::fprintf(stderr, "our run reported: %s\n", qPrintable(ui.errorReports().at(0).text));
    }
    return figures;
}

// The batch command in this process, against the same suite; it stores the document it
// built and closes it, and the stored file tells whether every picture got in.
Figures timeBatch(const QStringList& pictures, const QString& connection, const QString& out) {
    QElapsedTimer clockOfRun;
    clockOfRun.start();
    QString text;
    QTextStream quiet(&text);
    const int status =
        runBatch(QStringList{"lumigrove-batch", "--office", connection, "-o", out} + pictures,
                 quiet, quiet, [](const OfficeChoice& choice) {
                     return makeUnoOfficeBridge(choice.connection, choice.profileFolder,
                                                choice.callTimeoutMs);
                 });
    Figures figures;
    figures.totalMs = clockOfRun.nsecsElapsed() / 1e6;
    figures.loopMs = figures.totalMs;
    if (status != 0) {
        std::fprintf(stderr, "lumigrove-batch failed:\n%s\n", qPrintable(text));
        return figures;
    }
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {"-p", out, "content.xml"});
    unzip.waitForFinished();
    StoredDocument document;
    document.analyse(QString::fromUtf8(unzip.readAllStandardOutput()));
    figures.pictures = document.pictures();
    figures.breaks = document.pageBreaks();
    figures.onePerPage =
        document.layout == QStringLiteral("P") + QStringLiteral("BP").repeated(pictures.size() - 1);
    return figures;
}

// The same bridge, no window, no settings, no progress: only what the suite needs. The
// suite's objects are let go before the clock stops, as at the end of our run.
Figures timeTightLoop(const QStringList& pictures, bool anchorAsCharacter) {
    UnoOfficeBridge office;
    QElapsedTimer clockOfRun;
    clockOfRun.start();
    double loopStartMs = 0;
    {
        const auto session = office.createServiceManager();
        const auto desktop = session->createDesktop();
        const auto document = desktop->loadComponentFromURL(
            QStringLiteral("private:factory/swriter"), QStringLiteral("_blank"), 0, {});
        const auto dispatcher = session->createDispatchHelper();
        const auto controller = document->getCurrentController();
        const auto frame = controller->getFrame();
        loopStartMs = clockOfRun.nsecsElapsed() / 1e6;

        const OfficeArguments pageBreak{{QStringLiteral("Kind"), short(3)},
                                        {QStringLiteral("TemplateName"), QString()},
                                        {QStringLiteral("PageNumber"), short(0)}};
        OfficeArguments picture{{QStringLiteral("FileName"), QString()},
                                {QStringLiteral("FilterName"), QStringLiteral("<All formats>")},
                                {QStringLiteral("AsLink"), false},
                                {QStringLiteral("Style"), QStringLiteral("Graphics")}};
        const OfficeArguments none;
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            picture[0].value = PictureFileUrl(pictures[i]);
            dispatcher->executeDispatch(*frame, QStringLiteral(".uno:InsertGraphic"), QString(), 0,
                                        picture);
            if (anchorAsCharacter) {
                dispatcher->executeDispatch(*frame, QStringLiteral(".uno:SetAnchorToChar"),
                                            QString(), 0, none);
            }
            dispatcher->executeDispatch(*frame, QStringLiteral(".uno:Escape"), QString(), 0, none);
            while (!controller->selectionIsText()) {
            }
            if (i + 1 < pictures.size()) {
                dispatcher->executeDispatch(*frame, QStringLiteral(".uno:InsertBreak"), QString(),
                                            0, pageBreak);
            }
        }
    }
    Figures figures;
    figures.totalMs = clockOfRun.nsecsElapsed() / 1e6;
    figures.loopMs = figures.totalMs - loopStartMs;
    return figures;
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;
    kPictures = argc > 2 ? std::max(2, QByteArray(argv[2]).toInt()) : kPictures;

    QStringList pictures;
    for (int i = 0; i < kPictures; ++i) {
        const QString path =
            work.filePath(QStringLiteral("pic-%1.png").arg(i, 3, 10, QLatin1Char('0')));
        QImage image(16 + i % 9, 12 + i % 7, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((i * 41) % 360, 180, 200));
        image.save(path, "PNG");
        pictures.append(path);
    }

    OfficeProcess suite;
    QString error;
    if (!suite.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    SaveSetting(QStringLiteral("OfficeConnection"), suite.connection());
    SaveSetting(QStringLiteral("InsertPause"), QStringLiteral("0"));

    // Each measured run gets a new document; the stored copy shows that every picture got in.
    int stored = 0;
    auto check = [&](Figures& figures) {
        QString storeError;
        const StoredDocument document = StoredDocument::storeOpenDocument(
            suite.connection(), work.filePath(QStringLiteral("run-%1.odt").arg(++stored)),
            &storeError);
        figures.pictures = document.pictures();
        figures.breaks = document.pageBreaks();
        figures.onePerPage =
            document.layout == QStringLiteral("P") + QStringLiteral("BP").repeated(kPictures - 1);
        if (!storeError.isEmpty()) {
            std::fprintf(stderr, "storing: %s\n", qPrintable(storeError));
        }
    };

    // A first document warms up the suite (its first document and picture filters load slowly).
    Figures warmUp = timeTightLoop(pictures.mid(0, 3), true);
    check(warmUp);

    struct Variant {
        Variant(const char* name, std::function<Figures()> run, bool checksItself = false)
            : name(name), run(std::move(run)), checksItself(checksItself) {}
        const char* name;
        std::function<Figures()> run;
        bool checksItself = false;
        std::vector<double> total, loop;
        int pictures = 0, breaks = 0;
        int order = 0;
        bool onePerPage = true;
    };
    std::vector<Variant> variants{
        {"our run (Form1, InsertPause 0)", [&] { return timeOurRun(pictures); }},
        {"lumigrove-batch (stores and closes the document)",
         [&] {
             return timeBatch(pictures, suite.connection(),
                              work.filePath(QStringLiteral("batch-%1.odt").arg(++stored)));
         },
         true},
        {"tight loop: picture, escape, selection wait, break",
         [&] { return timeTightLoop(pictures, false); }},
        {"tight loop as above plus anchoring as character",
         [&] { return timeTightLoop(pictures, true); }},
    };
    for (std::size_t i = 0; i < variants.size(); ++i) {
        variants[i].order = static_cast<int>(i);
    }
    for (int round = 0; round < rounds; ++round) {
        // Each variant leads a round in turn, so that none always runs right after another.
        std::rotate(variants.begin(), variants.begin() + 1, variants.end());
        for (Variant& variant : variants) {
            Figures figures = variant.run();
            if (!variant.checksItself) {
                check(figures);
            }
            variant.total.push_back(figures.totalMs / kPictures);
            variant.loop.push_back(figures.loopMs / kPictures);
            variant.pictures = figures.pictures;
            variant.breaks = figures.breaks;
            variant.onePerPage = variant.onePerPage && figures.onePerPage;
        }
    }
    std::printf("%d pictures, %d rounds, median ms per picture\n", kPictures, rounds);
    std::printf("%-52s %10s %10s %9s %7s %13s\n", "", "with open", "loop only", "pictures",
                "breaks", "one per page");
    std::sort(variants.begin(), variants.end(),
              [](const Variant& a, const Variant& b) { return a.order < b.order; });
    for (const Variant& variant : variants) {
        std::printf("%-52s %10.2f %10.2f %9d %7d %13s\n", variant.name, median(variant.total),
                    median(variant.loop), variant.pictures, variant.breaks,
                    variant.onePerPage ? "yes" : "no");
    }
    suite.kill();
    return 0;
}
