// The batch command's command line: every way of using it wrongly is refused with exit
// status 2 and a message before anything starts, and a run through a recording office
// stores the document and reports what went in.
#include "batch/BatchCommand.h"
#include "batch/BatchOptions.h"
#include "batch/BatchPaths.h"
#include "core/AppError.h"
#include "core/Settings.h"
#include "tests/support/ExifPictures.h"
#include "tests/support/RecordingOffice.h"
#include "tests/support/RecordingOfficeBridge.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// Runs the command with `bridge` as its office, whichever office the options ask for; the
// office asked for goes to `chosen`.
Outcome runWith(const QStringList& args, OfficeBridge* bridge = nullptr,
                OfficeChoice* chosen = nullptr) {
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.status =
        runBatch(QStringList{QStringLiteral("lumigrove-batch")} + args, out, err,
                 [bridge, chosen](const OfficeChoice& choice) {
                     if (chosen != nullptr) {
                         *chosen = choice;
                     }
                     return std::shared_ptr<OfficeBridge>(bridge, [](OfficeBridge*) {});
                 });
    out.flush();
    err.flush();
    return outcome;
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

class TestBatchUsage : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_picture = m_dir.filePath(QStringLiteral("a.png"));
        touch(m_picture);
    }

    void badUsage_refusedWithStatus2_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString out = QStringLiteral("%1/out.odt").arg(QDir::tempPath());
        QTest::newRow("nothing") << QStringList{} << "no output file given";
        QTest::newRow("no PATH") << QStringList{"-o", out} << "no PATH given";
        QTest::newRow("other format")
            << QStringList{"-o", "/tmp/out.rtf", "x"} << "must end in .odt, .docx or .pdf";
        QTest::newRow("no extension") << QStringList{"-o", "/tmp/out", "x"} << "must end in";
        QTest::newRow("unknown option")
            << QStringList{"--fast", "-o", out, "x"} << "unknown option --fast";
        QTest::newRow("-o without value") << QStringList{"x", "-o"} << "option -o needs a value";
        QTest::newRow("pause not a number")
            << QStringList{"--pause", "soon", "-o", out, "x"} << "--pause needs a number";
        QTest::newRow("pause negative")
            << QStringList{"--pause=-1", "-o", out, "x"} << "--pause needs a number";
        QTest::newRow("pause just below 0")
            << QStringList{"--pause=-0.01", "-o", out, "x"} << "from 0 to 3600, not \"-0.01\"";
        // OUT in no folder: taken wrongly, the pause ends the row at once instead of in an hour.
        QTest::newRow("pause just past an hour")
            << QStringList{"--pause", "3600.01", "-o", "/nonexistent/out.odt", "x"}
            << "from 0 to 3600, not";
        QTest::newRow("empty extension")
            << QStringList{"--ext", "", "-o", out, "x"} << "--ext needs an extension";
        QTest::newRow("OUT is one of the pictures")
            << QStringList{"-o", QDir::tempPath() + "/same.pdf", QDir::tempPath() + "/./same.pdf"}
            << "the output is also one of the pictures";
        QTest::newRow("unknown sort")
            << QStringList{"--sort", "size", "-o", out, "x"} << "--sort needs name, date or none";
        QTest::newRow("unknown caption") << QStringList{"--caption", "title", "-o", out, "x"}
                                         << "--caption needs none, name or stem";
        QTest::newRow("caption in capitals") << QStringList{"--caption=NAME", "-o", out, "x"}
                                             << "--caption needs none, name or stem";
        QTest::newRow("caption pattern with an unknown field")
            << QStringList{"--caption", "{n} {nope}", "-o", out, "x"}
            << "--caption needs none, name or stem, or a pattern with fields such as \"{n}. "
               "{stem}\", not \"{n} {nope}\": there is no field {nope}";
        QTest::newRow("caption pattern not closed")
            << QStringList{"--caption={stem", "-o", out, "x"} << "not \"{stem\": the \"{\"";
        QTest::newRow("three per page") << QStringList{"--per-page", "3", "-o", out, "x"}
                                        << "--per-page needs 1, 2, 4 or a grid, not \"3\"";
        QTest::newRow("per page not a number") << QStringList{"--per-page=two", "-o", out, "x"}
                                               << "--per-page needs 1, 2, 4 or a grid";
        for (const char* grid : {"0x3", "3x0", "7x8", "6x9", "3x", "x4", "3x4x5", "3 x 4"}) {
            QTest::newRow(grid) << QStringList{"--per-page", grid, "-o", out, "x"}
                                << QStringLiteral("needs 1, 2, 4 or a grid, not \"%1\"").arg(grid);
        }
        QTest::newRow("fit takes no value")
            << QStringList{"--fit=yes", "-o", out, "x"} << "unknown option --fit=yes";
        QTest::newRow("timeout not positive")
            << QStringList{"--timeout", "0", "-o", out, "x"} << "--timeout needs a number";
        QTest::newRow("timeout just past a day")
            << QStringList{"--timeout", "86400.01", "-o", out, "x"} << "--timeout needs a number";
        QTest::newRow("paper just under 10 mm")
            << QStringList{"--paper", "9.99x100mm", "-o", out, "x"} << "--paper needs a4, a5,";
        QTest::newRow("paper just past 3000 mm")
            << QStringList{"--paper", "100x3000.01mm", "-o", out, "x"} << "--paper needs a4, a5,";
        QTest::newRow("margin just past 1000 mm")
            << QStringList{"--paper", "3000x3000mm", "--margin", "1000.01", "-o", out, "x"}
            << "--margin needs a number of millimetres from 0 to 1000";
        QTest::newRow("margin leaves just under 10 mm")
            << QStringList{"--paper", "a5", "--margin", "69.01", "-o", out, "x"}
            << "margins of 69.01 mm leave less than 10 mm of the a5 paper";
        QTest::newRow("margin leaves just under 10 mm of the default paper")
            << QStringList{"--margin", "100.01", "-o", out, "x"} << "of the default (A4 or Letter)";
        QTest::newRow("unknown paper")
            << QStringList{"--paper", "b9", "-o", out, "x"} << "--paper needs a4, a5,";
        QTest::newRow("negative margin")
            << QStringList{"--margin", "-3", "-o", out, "x"} << "--margin needs a number";
        QTest::newRow("margin leaves no room")
            << QStringList{"--paper", "a5", "--margin", "70", "-o", out, "x"}
            << "margins of 70 mm leave less than 10 mm of the a5 paper";
        QTest::newRow("unknown orientation")
            << QStringList{"--orientation", "up", "-o", out, "x"} << "not \"up\"";
        QTest::newRow("auto with 4 per page")
            << QStringList{"--orientation", "auto", "--per-page", "4", "-o", out, "x"}
            << "take one picture a page, not 4";
        QTest::newRow("auto with a grid")
            << QStringList{"--orientation=auto", "--per-page=3x4", "-o", out, "x"} << "not 3x4";
        QTest::newRow("no pixels an inch")
            << QStringList{"--picture-size", "0ppi", "-o", out, "x"} << "not \"0ppi\"";
        QTest::newRow("unknown picture size")
            << QStringList{"--picture-size", "big", "-o", out, "x"} << "not \"big\"";
        QTest::newRow("JPEG quality 0")
            << QStringList{"--jpeg-quality", "0", "-o", out, "x"} << "not \"0\"";
        QTest::newRow("JPEG quality 101")
            << QStringList{"--jpeg-quality=101", "-o", out, "x"} << "not \"101\"";
        QTest::newRow("template not .ott or .odt")
            << QStringList{"--template", "a.docx", "-o", out, "x"} << "not \"a.docx\"";
        QTest::newRow("template missing")
            << QStringList{"--template", "/nonexistent/a.ott", "-o", out, "x"}
            << "/nonexistent/a.ott: the template does not exist";
        QTest::newRow("output folder missing")
            << QStringList{"-o", "/nonexistent/folder/out.odt", "/tmp"} << "does not exist";
        QTest::newRow("output is a folder")
            << QStringList{"-o", QDir::tempPath() + "/x.odt/", "/tmp"} << "";
    }

    void badUsage_refusedWithStatus2() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        RecordingOfficeBridge office;
        const Outcome outcome = runWith(args, &office);
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
        QVERIFY(outcome.err.startsWith(QLatin1String("lumigrove-batch: ")));
        // Refused before anything started: the office was never asked.
        QCOMPARE(office.sessionsCreated, 0);
    }

    void limits_acceptedAtTheirEdge_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no pause") << QStringList{"--pause", "0"};
        QTest::newRow("an hour's pause") << QStringList{"--pause=3600"};
        QTest::newRow("a day's timeout") << QStringList{"--timeout", "86400"};
        QTest::newRow("one per page") << QStringList{"--per-page", "1"};
        QTest::newRow("four per page") << QStringList{"--per-page=4"};
        QTest::newRow("grids 1x1 and 6x8") << QStringList{"--per-page=1x1", "--per-page=6x8"};
        QTest::newRow("paper 10 by 3000 mm") << QStringList{"--paper", "10x3000mm"};
        QTest::newRow("paper 3000 by 10 mm") << QStringList{"--paper", "3000x10mm"};
        QTest::newRow("margins leave 10 mm of a5")
            << QStringList{"--paper", "a5", "--margin", "69"};
        QTest::newRow("margins leave 10 mm of the default paper") << QStringList{"--margin", "100"};
        QTest::newRow("1000 mm margins") << QStringList{"--paper=2010x2010mm", "--margin=1000"};
        QTest::newRow("2400 ppi, quality 1 and 100")
            << QStringList{"--picture-size=2400ppi", "--jpeg-quality", "1", "--jpeg-quality=100"};
    }

    void limits_acceptedAtTheirEdge() {
        QFETCH(QStringList, args);
        const ParsedCommandLine parsed = parseBatchCommandLine(
            QStringList{"lumigrove-batch"} + args + QStringList{"-o", "a.odt", "x"});
        QVERIFY2(parsed.action == ParsedCommandLine::Action::Run, qPrintable(parsed.message));
    }

    void help_documentsEveryOption() {
        const Outcome outcome = runWith({QStringLiteral("--help")});
        QCOMPARE(outcome.status, 0);
        // Named as it is called, not by the path it was started by (here the test's).
        QVERIFY2(outcome.out.startsWith("Usage: lumigrove-batch [options] -o OUT PATH...\n"),
                 qPrintable(outcome.out));
        for (const char* option :
             {"--ext <EXT>", "--sort <ORDER>", "--caption <CAPTION>", "--per-page <N|CxR>",
              "--fit ", "--pause <SECONDS>", "--office <CONNECTION>", "--keep-open ",
              "-o, --output <OUT>", ".odt", ".docx", ".pdf", "Exit status"}) {
            QVERIFY2(outcome.out.contains(QLatin1String(option)), option);
        }
        QVERIFY(outcome.err.isEmpty());
    }

    void version_namedWithTheBuildsVersion() {
        const Outcome outcome = runWith({QStringLiteral("--version")});
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.out, QStringLiteral("lumigrove-batch " LUMIGROVE_EXPECTED_VERSION "\n"));
        QVERIFY(outcome.err.isEmpty());
    }

    void outputFormat_chosenByExtension_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("filter"); // "" for refused
        QTest::newRow("odt, in capitals") << "/a/b.ODT"
                                          << "writer8";
        QTest::newRow("docx") << "b.docx"
                              << "MS Word 2007 XML";
        QTest::newRow("pdf after another dot") << "b.tar.pdf"
                                               << "writer_pdf_Export";
        QTest::newRow("odt not last") << "b.odt.bak"
                                      << "";
        QTest::newRow("only the extension") << "odt"
                                            << "";
    }

    void outputFormat_chosenByExtension() {
        QFETCH(QString, path);
        QFETCH(QString, filter);
        OutputFormat format;
        QCOMPARE(outputFormatFor(path, &format), !filter.isEmpty());
        QCOMPARE(filter.isEmpty() ? QString() : format.filterName, filter);
    }

    void options_parsedWithValues() {
        const ParsedCommandLine parsed = parseBatchCommandLine(
            {"lumigrove-batch", "--ext", "jpg", "--pause=0.25", "--office", "pipe,name=x;urp",
             "--keep-open", "-o", "out.pdf", "--", "-dash-named-folder", "b"});
        QCOMPARE(parsed.action, ParsedCommandLine::Action::Run);
        QCOMPARE(parsed.options.extension, QStringLiteral("jpg"));
        QCOMPARE(parsed.options.pauseSeconds, 0.25);
        QCOMPARE(parsed.options.officeConnection, QStringLiteral("pipe,name=x;urp"));
        QVERIFY(parsed.options.keepOpen);
        QCOMPARE(parsed.options.paths, (QStringList{"-dash-named-folder", "b"}));
        QCOMPARE(parsed.options.format.extension, QStringLiteral("pdf"));
    }

    void recordingOffice_run_storedThroughTemporaryNameAndReported_data() {
        // In `args` and `err`, "%d" is the test's folder and "%p" a picture in it.
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("refused"); // the pictures the suite refuses, a pattern
        QTest::addColumn<QString>("failing"); // the member of the office that fails
        QTest::addColumn<bool>("writes");     // whether the office writes the file it stores
        QTest::addColumn<QByteArray>("earlier");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("err");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("store"); // how the one store call ends, "" for none
        QTest::addColumn<bool>("outExists");
        const QStringList users{"--office", "pipe,name=users;urp", "-o"};
        const QString none = QStringLiteral("(?!)");
        const QString odt = QStringLiteral(".odt writer8");
        const QString pdf =
            QStringLiteral("writer_pdf_Export [ReduceImageResolution boolean false] "
                           "[UseLosslessCompression boolean true]");
        // The office writes nothing, so the rename into place has nothing to move: the command
        // must say so and fail rather than claim the file.
        QTest::newRow("stores through a temporary name")
            << users + QStringList{"%d/album.odt", "%p", "%p"} << none << "" << false
            << QByteArray() << 1 << QStringList{"Inserted 2 of 2 pictures"} << "P InsertBreak P"
            << odt << false;
        QTest::newRow("a failed picture: status 1 and named")
            << QStringList{"-o", "%d/x.pdf", "%p", "%d/b.png"} << "b\\.png"
            << "" << false << QByteArray() << 1
            << QStringList{"Inserted 1 of 2 pictures", "Not inserted:\n  %d/b.png"}
            << "P InsertBreak x SwBackspace" << pdf << false;
        QTest::newRow("office unreachable: no output")
            << QStringList{"-o", "%d/x.docx", "%p"} << none << "bridge.createServiceManager"
            << false << QByteArray() << 1
            << QStringList{"no office suite could be reached", "Inserted 0 of 1 pictures"} << ""
            << "" << false;
        // A missing file named on the command line is one picture that fails, not bad usage: the
        // others go in and OUT is written.
        QTest::newRow("a missing file named")
            << users + QStringList{"%d/album.odt", "%p", "%d/gone.png"} << "gone"
            << "" << true << QByteArray() << 1 << QStringList{"Not inserted:\n  %d/gone.png"}
            << "P InsertBreak x SwBackspace" << odt << true;
        // A run in which no picture went in must not replace a good document with an empty one.
        QTest::newRow("nothing inserted: an earlier OUT untouched")
            << users + QStringList{"%d/good.odt", "%p"} << "."
            << "" << true << QByteArray("the good document") << 1 << QStringList{} << "x"
            << "" << true;
        // The office wrote part of the file when its store failed: only the earlier OUT is left.
        QTest::newRow("store fails: nothing new left beside an earlier OUT")
            << users + QStringList{"%d/kept.odt", "%p"} << none << "document.storeToFile" << true
            << QByteArray("the kept document") << 1
            << QStringList{"%d/kept.odt not written: ", "Inserted 1 of 1 pictures in"} << "P" << odt
            << true;
        QTest::newRow("a PDF keeps its pictures whole")
            << QStringList{"--office", "p,name=u;urp", "-o", "%d/a.pdf", "%p"} << none << "" << true
            << QByteArray() << 0 << QStringList{"Inserted 1 of 1 pictures"} << "P" << pdf << true;
    }

    void recordingOffice_run_storedThroughTemporaryNameAndReported() {
        QFETCH(QStringList, args);
        QFETCH(QString, refused);
        QFETCH(QString, failing);
        QFETCH(bool, writes);
        QFETCH(QByteArray, earlier);
        QFETCH(int, status);
        QFETCH(QStringList, err);
        QFETCH(QString, shape);
        QFETCH(QString, store);
        QFETCH(bool, outExists);
        const auto expand = [this](QStringList list) {
            return list.replaceInStrings("%d", m_dir.path()).replaceInStrings("%p", m_picture);
        };
        args = expand(args);
        const QString out = args.at(args.indexOf("-o") + 1);
        const QString outName = QFileInfo(out).fileName();
        touch(m_dir.filePath(QStringLiteral("b.png")));
        if (!earlier.isEmpty()) {
            QVERIFY(writeBytes(out, earlier));
        }
        const QStringList before = folderEntries();
        RecordingOfficeBridge office;
        office.answer = refusePictures(refused);
        // A store that fails has written part of its file by then.
        const bool storeFails = failing == QLatin1String("document.storeToFile");
        office.failingMember = storeFails ? QString() : failing;
        if (writes) {
            office.onStore = [storeFails](const QString& path) {
                touch(path);
                if (storeFails) {
                    throw AppError(QStringLiteral("no answer in time"), OfficeError::TimedOut);
                }
            };
        }
        const Outcome outcome = runWith(args, &office);

        QCOMPARE(outcome.status, status);
        for (const QString& text : expand(err)) {
            QVERIFY2(outcome.err.contains(text), qPrintable(outcome.err));
        }
        QCOMPARE(documentShape(office, refused), shape);
        const QStringList stores = office.calls.filter(QStringLiteral("document.storeToFile"));
        QCOMPARE(stores.size(), store.isEmpty() ? 0 : 1);
        if (!store.isEmpty()) {
            QVERIFY2(
                stores.first().contains("/." + QFileInfo(out).completeBaseName() + ".lumigrove-"),
                qPrintable(stores.first()));
            QVERIFY2(stores.first().endsWith(store), qPrintable(stores.first()));
        }
        // Closed after storing, also when nothing was stored: no unsaved document stays behind in
        // the office; and an office named with --office is never ended.
        if (failing.isEmpty()) {
            QVERIFY(office.calls.indexOf(QStringLiteral("document.close")) >
                    (stores.isEmpty() ? -1 : office.calls.indexOf(stores.first())));
        }
        if (args.contains(QStringLiteral("--office"))) {
            QVERIFY(office.calls.filter(QStringLiteral("desktop.terminate")).isEmpty());
        }
        QCOMPARE(QFile::exists(out), outExists);
        if (!earlier.isEmpty()) {
            QCOMPARE(fileBytes(out), earlier);
        }
        // Nothing is left in OUT's folder but what was there and OUT: no temporary file.
        QStringList after = before;
        if (outExists && !after.contains(outName)) {
            after.append(outName);
            after.sort();
        }
        QCOMPARE(folderEntries(), after);
    }

    void relativePaths_resolvedAgainstCallersFolder() {
        BatchOptions options;
        options.paths = {"x.png",        "./y.png",  "-z.png",    "http:w.png",
                         "sub//./v.png", "../u.png", "/abs/t.png"};
        options.outPath = "s.pdf";
        resolvePaths(options, "/home/user/pics");
        QCOMPARE(options.paths, (QStringList{"/home/user/pics/x.png", "/home/user/pics/y.png",
                                             "/home/user/pics/-z.png", "/home/user/pics/http:w.png",
                                             "/home/user/pics/sub/v.png",
                                             "/home/user/pics/../u.png", "/abs/t.png"}));
        QCOMPARE(options.outPath, QStringLiteral("/home/user/pics/s.pdf"));
    }

    // A folder search passes over what cannot be a picture, and the summary says what and why.
    void recordingOffice_folderSearchPassesOver_listedWithReasons() {
        const QString folder = m_dir.filePath(QStringLiteral("tree"));
        QVERIFY(QDir().mkpath(folder));
        touch(folder + "/good.png");
        QVERIFY(QFile::link(folder + "/nowhere.png", folder + "/broken.png"));
        QCOMPARE(::mkfifo(QFile::encodeName(folder + "/pipe.png").constData(), 0644), 0);
        RecordingOfficeBridge office;
        office.onStore = [](const QString& path) { touch(path); };
        const Outcome outcome = runWith(
            {"--office", "p,name=u;urp", "-o", m_dir.filePath(QStringLiteral("t.odt")), folder},
            &office);
        QCOMPARE(outcome.status, 0);
        QCOMPARE(office.dispatchesOf(QStringLiteral(".uno:InsertGraphic")).size(), 1);
        QVERIFY2(outcome.err.contains(QStringLiteral("Passed over in the folders:\n  ") + folder +
                                      "/broken.png (broken symbolic link)\n  " + folder +
                                      "/pipe.png (not a regular file (a fifo))"),
                 qPrintable(outcome.err));
    }

    void recordingOffice_sortOrdersTheInsertedPictures_data() {
        QTest::addColumn<QStringList>("sortArgs");
        QTest::addColumn<QStringList>("expected");
        // Named in the order p10, the folder (holding p2 and P1), p3. The EXIF dates run against
        // the names: p10 2019, p3 2020, p2 2021; P1 has no EXIF and the oldest modification time.
        QTest::newRow("default: as named and found")
            << QStringList{} << QStringList{"p10.jpg", "f/P1.jpg", "f/p2.jpg", "p3.jpg"};
        QTest::newRow("none") << QStringList{"--sort", "none"}
                              << QStringList{"p10.jpg", "f/P1.jpg", "f/p2.jpg", "p3.jpg"};
        QTest::newRow("name") << QStringList{"--sort=name"}
                              << QStringList{"f/P1.jpg", "f/p2.jpg", "p3.jpg", "p10.jpg"};
        QTest::newRow("date") << QStringList{"--sort", "date"}
                              << QStringList{"f/P1.jpg", "p10.jpg", "p3.jpg", "f/p2.jpg"};
    }

    void recordingOffice_sortOrdersTheInsertedPictures() {
        QFETCH(QStringList, sortArgs);
        QFETCH(QStringList, expected);
        using namespace ExifPictures;
        const QString folder = m_dir.filePath(QStringLiteral("sorted"));
        QVERIFY(QDir().mkpath(folder + "/f"));
        QVERIFY(writeFile(folder + "/p10.jpg", jpegWithExif("2019:01:01 12:00:00")));
        QVERIFY(writeFile(folder + "/p3.jpg", jpegWithExif("2020:01:01 12:00:00")));
        QVERIFY(writeFile(folder + "/f/p2.jpg", jpegWithExif("2021:01:01 12:00:00")));
        QVERIFY(writeFile(folder + "/f/P1.jpg", QByteArray("not even a picture")));
        QVERIFY(setModified(folder + "/f/P1.jpg", QDateTime(QDate(2005, 1, 1), QTime(0, 0))));

        RecordingOfficeBridge office;
        const Outcome outcome =
            runWith(sortArgs + QStringList{"--office", "p,name=u;urp", "-o",
                                           m_dir.filePath(QStringLiteral("sorted.odt")),
                                           folder + "/p10.jpg", folder + "/f", folder + "/p3.jpg"},
                    &office);
        const QStringList inserted = firstTexts(office, QStringLiteral(".uno:InsertGraphic"))
                                         .replaceInStrings("file://" + folder + "/", QString());
        QVERIFY2(inserted == expected, qPrintable(inserted.join(' ') + "\n" + outcome.err));
    }

    void recordingOffice_autoTurnsThePageToThePictureAsShown_data() {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<int>("orientation"); // the EXIF Orientation
        QTest::addColumn<bool>("landscape");
        QTest::newRow("wide, upside down (3)") << QSize(32, 16) << 3 << true;
        QTest::newRow("wide, turned a quarter (6): upright") << QSize(32, 16) << 6 << false;
        QTest::newRow("upright, turned a quarter (6): wide") << QSize(16, 32) << 6 << true;
    }

    // The office shows a JPEG turned as its EXIF says; the page turned to it must follow.
    void recordingOffice_autoTurnsThePageToThePictureAsShown() {
        QFETCH(QSize, stored);
        QFETCH(int, orientation);
        QFETCH(bool, landscape);
        using namespace ExifPictures;
        const QString picture = m_dir.filePath(QStringLiteral("turned.jpg"));
        QVERIFY(writeFile(picture,
                          jpegWithTiffBlock(tiffBlock({}, ByteOrder::Big, orientation), stored)));
        RecordingOfficeBridge office;
        office.onStore = [](const QString& path) { touch(path); };
        const Outcome outcome = runWith({"--orientation", "auto", "--office", "p,name=u;urp", "-o",
                                         m_dir.filePath(QStringLiteral("turned.odt")), picture},
                                        &office);
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QCOMPARE(office.calls.contains(QStringLiteral("controller.setPageDescName Landscape")),
                 landscape);
    }

    void recordingOffice_layoutOptionsReachTheDocument() {
        const QString second = m_dir.filePath(QStringLiteral("b.jpeg"));
        touch(second);
        const QString out = m_dir.filePath(QStringLiteral("album.pdf"));
        const QStringList files{m_picture, second};
        // Without the options the document is built as it always was, whatever the window's
        // settings say.
        SaveSetting(Setting::Caption, QStringLiteral("name"));
        SaveSetting(Setting::PicturesPerPage, QStringLiteral("4"));
        RecordingOfficeBridge plain;
        plain.onStore = [](const QString& path) { touch(path); };
        QCOMPARE(runWith(QStringList{"-o", out} + files, &plain).status, 0);
        QCOMPARE(plain.dispatchesOf(QStringLiteral(".uno:InsertBreak")).size(), 1);
        QVERIFY(plain.dispatchesOf(QStringLiteral(".uno:InsertText")).isEmpty());
        QVERIFY(plain.dispatchesOf(QStringLiteral(".uno:InsertTable")).isEmpty());
        QVERIFY(plain.pictureSizes.isEmpty());

        RecordingOfficeBridge office;
        office.onStore = [](const QString& path) { touch(path); };
        const Outcome outcome = runWith(
            QStringList{"--caption", "stem", "--per-page=2", "--fit", "-o", out} + files, &office);
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QCOMPARE(firstTexts(office, QStringLiteral(".uno:InsertText")), (QStringList{"a", "b"}));
        // Two to a page: a new paragraph between them, no page break.
        QVERIFY(office.dispatchesOf(QStringLiteral(".uno:InsertBreak")).isEmpty());
        // Fitted: both grown to the same size in their half of the page.
        QCOMPARE(office.pictureSizes.size(), 2);
        QVERIFY(office.pictureSizes.at(0).width() > office.insertedPictureSize.width());
    }

    void recordingOffice_storeMayTakeLongerForEachPicture() {
        QStringList files;
        for (int i = 0; i < 3; ++i) {
            files.append(m_dir.filePath(QStringLiteral("s%1.png").arg(i)));
            touch(files.last());
        }
        files.append(m_dir.filePath(QStringLiteral("missing.png")));
        RecordingOfficeBridge office;
        office.onStore = [](const QString& path) { touch(path); };
        office.answer = refusePictures(QStringLiteral("missing"), DispatchState::DontKnow);
        OfficeChoice chosen;
        const Outcome outcome = runWith(
            QStringList{"--timeout", "2.5", "-o", m_dir.filePath(QStringLiteral("long.odt"))} +
                files,
            &office, &chosen);
        QCOMPARE(outcome.status, 1);
        // Every other call gets the limit given; one under a millisecond is still a limit.
        QCOMPARE(chosen.callTimeoutMs, 2500);
        RecordingOfficeBridge quick;
        runWith({"--timeout", "0.0004", "-o", m_dir.filePath(QStringLiteral("quick.odt")), "x"},
                &quick, &chosen);
        QCOMPARE(chosen.callTimeoutMs, 1);
        // The limit of a call, and 20 ms for each of the three pictures that went in.
        QCOMPARE(office.storeTimeLimitsMs, QList<int>{2560});
        QCOMPARE(storeTimeLimitMs(60, 10000), 260000);
        // 300 camera photos: 1.2 GB to write again.
        QCOMPARE(storeTimeLimitMs(60, 300, 1'200'000'000), 186000);
    }

private:
    // Everything in the test's folder, hidden files too, by name.
    QStringList folderEntries() const {
        QStringList names =
            QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }

    QTemporaryDir m_dir;
    QString m_picture;
};

QTEST_GUILESS_MAIN(TestBatchUsage)
#include "tst_batch_usage.moc"
