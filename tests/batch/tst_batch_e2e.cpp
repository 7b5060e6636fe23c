// lumigrove-batch against a real headless office suite: a folder tree and single files
// stored as ODT, DOCX and PDF and read back, an office killed in the middle of a run, and
// names that are not UTF-8. A run with an office of its own is in tst_acceptance_batch.
#include "core/FileNames.h"
#include "tests/batch/InProcessBatch.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"
#include "tests/support/RemoveTreeByBytes.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A command whose output has `count` matches of `pattern`; "%1" in its arguments is the
// document.
struct Probe {
    QStringList command;
    QString pattern;
    int count = 0;
};

} // namespace

Q_DECLARE_METATYPE(QList<Probe>)

class TestBatchE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(m_office.start(&error), qPrintable(error));
        const QString tree = m_dir.filePath(QStringLiteral("tree"));
        // Names are listed in upper-cased order, subfolders after the files of their parent
        // level; "~" names are left out of folder scans.
        int shade = 0;
        for (const char* name :
             {"tree/b.png", "tree/A picture.PNG", "tree/sub/c#1.png", "tree/sub/deeper/d.png",
              "tree/~skipped.png", "single 100%.png", "~single.png"}) {
            QVERIFY(writePicture(m_dir.filePath(name), ++shade));
        }
        QVERIFY(writeBytes(tree + QStringLiteral("/notes.txt"), pictureBytes(++shade)));
        m_expected = {tree + "/A picture.PNG",
                      tree + "/b.png",
                      tree + "/sub/c#1.png",
                      tree + "/sub/deeper/d.png",
                      m_dir.filePath("single 100%.png"),
                      m_dir.filePath("~single.png")};
    }

    void cleanupTestCase() { m_office.kill(); }

    void formats_treeAndFiles_onePicturePerPageInScanOrder_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<Probe>>("probes");
        // The ODT is read back below, its pictures byte for byte.
        QTest::newRow("odt") << "album.odt" << QList<Probe>{};
        QTest::newRow("docx") << "album.docx"
                              << QList<Probe>{
                                     {{"unzip", "-Z1", "%1"}, "word/media/", 6},
                                     {{"unzip", "-p", "%1", "word/document.xml"}, "<w:drawing>", 6},
                                     {{"unzip", "-p", "%1", "word/document.xml"},
                                      "<w:br w:type=\"page\"/>",
                                      5}};
        QTest::newRow("pdf") << "album.pdf"
                             << QList<Probe>{{{"pdfinfo", "%1"}, "Pages:\\s+6\\n", 1}};
    }

    void formats_treeAndFiles_onePicturePerPageInScanOrder() {
        QFETCH(QString, name);
        QFETCH(QList<Probe>, probes);
        const QString out = m_dir.filePath(name);
        const BatchOutcome outcome = runInProcess(albumArgs(out));
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QVERIFY(outcome.err.contains(QStringLiteral("Inserted 6 of 6 pictures")));
        for (const Probe& probe : probes) {
            const QString text = QString::fromUtf8(commandOutput(
                probe.command.first(), probe.command.mid(1).replaceInStrings("%1", out)));
            QVERIFY2(text.count(QRegularExpression(probe.pattern)) == probe.count,
                     qPrintable(text));
        }
        if (name.endsWith(QLatin1String(".odt"))) {
            // Embedded: every picture points into the package, and its bytes are those of the
            // picture file at that place in the order.
            const StoredDocument stored = StoredDocument::readOdt(out);
            QCOMPARE(stored.layout, QStringLiteral("PBPBPBPBPBP"));
            QCOMPARE(stored.imageLinks.size(), m_expected.size());
            for (int i = 0; i < m_expected.size(); ++i) {
                QVERIFY2(stored.imageLinks.at(i).startsWith(QLatin1String("Pictures/")),
                         qPrintable(stored.imageLinks.at(i)));
                QCOMPARE(stored.pictureBytes.at(i), fileBytes(m_expected.at(i)));
            }
        }
        // Nothing but the document itself is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList({"*" + name + "*"}, QDir::Files | QDir::Hidden),
                 QStringList{name});
    }

    void unreachableOffice_status1WithMessage() {
        const QString out = m_dir.filePath(QStringLiteral("nowhere.odt"));
        const BatchOutcome outcome = runInProcess(
            {"--office", "pipe,name=lumigrove-nobody-listens;urp", "-o", out, m_expected.first()});
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(QStringLiteral("no office suite could be reached")),
                 qPrintable(outcome.err));
        QVERIFY(!QFile::exists(out));
    }

    void notUtf8Names_scannedAndNamedOnCommandLineInserted() {
        // A folder and two pictures whose names hold bytes that are not UTF-8: one picture found
        // by scanning the folder, one named on the command line. The real program gets the
        // names as raw bytes in its argv, through the shell's printf.
        const QByteArray base = encodeFileName(m_dir.path()) + "/bytes";
        QVERIFY(::mkdir(base.constData(), 0755) == 0);
        const RemoveTreeByBytes removal{base};
        QVERIFY(::mkdir((base + "/scan\xfd").constData(), 0755) == 0);
        const QByteArray scanned = base + "/scan\xfd/a\xff.png";
        const QByteArray named = base + "/single\xfe\x80.png";
        QVERIFY(writeRawBytes(scanned, pictureBytes(9)));
        QVERIFY(writeRawBytes(named, pictureBytes(10)));
        // A fifo so named is refused at once, never handed to the office, where it would block.
        const QByteArray fifo = base + "/f\xfe.png";
        QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);
        // OUT's name holds such a byte too: written there, nothing left beside it.
        const QByteArray out = base + "/out\xff.odt";
        QProcess batch;
        batch.start(
            QStringLiteral("/bin/sh"),
            {"-c",
             "exec \"$0\" --ext png --office \"$1\" -o \"$(printf '%s/out\\377.odt' "
             "\"$2\")\" \"$(printf '%s/scan\\375' \"$2\")\" "
             "\"$(printf '%s/single\\376\\200.png' \"$2\")\" \"$(printf '%s/f\\376.png' \"$2\")\"",
             QStringLiteral(LUMIGROVE_BATCH_PROGRAM), m_office.connection(), decodeFileName(base)});
        QVERIFY(batch.waitForFinished(120000));
        const QByteArray err = batch.readAllStandardError();
        QVERIFY2(batch.exitStatus() == QProcess::NormalExit && batch.exitCode() == 1,
                 err.constData());
        QVERIFY2(err.contains("Inserted 2 of 3 pictures"), err.constData());
        QVERIFY2(err.contains("f\\xFE.png is a fifo"), err.constData());
        QCOMPARE(commandOutput("ls", {"-A", decodeFileName(base)}),
                 QByteArray("f\xfe.png\nout\xff.odt\nscan\xfd\nsingle\xfe\x80.png\n"));
        // Progress names the pictures readably.
        QVERIFY2(err.contains("Processing: a\\xFF.png"), err.constData());
        QVERIFY2(err.contains("Processing: single\\xFE\\x80.png"), err.constData());

        // unzip is given the document under a plain name.
        const QString plain = m_dir.filePath(QStringLiteral("bytes.odt"));
        QCOMPARE(::link(out.constData(), encodeFileName(plain).constData()), 0);
        const StoredDocument stored = StoredDocument::readOdt(plain);
        QCOMPARE(stored.layout, QStringLiteral("PBP"));
        // The folder comes first, as given; each embedded picture is that very file.
        QCOMPARE(stored.pictureBytes,
                 (QList<QByteArray>{rawFileBytes(scanned), rawFileBytes(named)}));
        QVERIFY(!rawFileBytes(scanned).isEmpty());
    }

    void outALink_writtenThroughItModeKept() {
        // OUT a relative link to a file of mode 600, and a chain of two links that ends nowhere
        // yet: the file at each end is written (the first keeps its mode), the links stay.
        const QString work = m_dir.filePath(QStringLiteral("links"));
        const QString target = work + "/elsewhere/target.odt";
        QVERIFY(QDir().mkpath(work + "/elsewhere") && writeBytes(target, "old bytes"));
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link("elsewhere/target.odt", work + "/link.odt"));
        QVERIFY(QFile::link("elsewhere/hop", work + "/chain.odt"));
        QVERIFY(QFile::link("new.odt", work + "/elsewhere/hop"));
        for (const char* out : {"/link.odt", "/chain.odt"}) {
            const BatchOutcome outcome = runInProcess(
                {"--office", m_office.connection(), "-o", work + out, m_expected.first()});
            QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        }
        QCOMPARE(StoredDocument::readOdt(target).layout, QStringLiteral("P"));
        QCOMPARE(StoredDocument::readOdt(work + "/elsewhere/new.odt").layout, QStringLiteral("P"));
        QCOMPARE(QFile::permissions(target) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QFile::symLinkTarget(work + "/link.odt"), target);
        // Nothing else is left beside the files.
        QCOMPARE(QDir(work + "/elsewhere").entryList(QDir::Files | QDir::Hidden | QDir::System),
                 (QStringList{"hop", "new.odt", "target.odt"}));
    }

    // Kills the suite's office: runs last.
    void officeKilledMidRun_status1AndNoOutput() {
        QStringList pictures;
        for (int i = 0; i < 12; ++i) {
            pictures << m_expected.at(i % m_expected.size());
        }
        const QString out = m_dir.filePath(QStringLiteral("killed.odt"));
        // An earlier good file under the same name must survive a failed run.
        {
            QFile earlier(out);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier document");
        }
        QTimer::singleShot(1200, [this] { m_office.kill(); });
        const BatchOutcome outcome = runInProcess(
            QStringList{"--pause", "0.3", "--office", m_office.connection(), "-o", out} + pictures);
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(QStringLiteral("not written")), qPrintable(outcome.err));
        QVERIFY(outcome.err.contains(QStringLiteral("Not inserted:")));
        QCOMPARE(fileBytes(out), QByteArray("earlier document"));
        QCOMPARE(QDir(m_dir.path()).entryList({"*killed*"}, QDir::Files | QDir::Hidden),
                 QStringList{"killed.odt"});
    }

private:
    QStringList albumArgs(const QString& out) const;

    OfficeProcess m_office;
    QTemporaryDir m_dir;
    // The pictures in the order the run must insert them.
    QStringList m_expected;
};

QStringList TestBatchE2E::albumArgs(const QString& out) const {
    // A file named on the command line goes in as it is, even with a "~" name; in the tree
    // only the .png files count.
    return {"--ext",
            "png",
            "--office",
            m_office.connection(),
            "-o",
            out,
            m_dir.filePath("tree"),
            m_dir.filePath("single 100%.png"),
            m_dir.filePath("~single.png")};
}

QTEST_GUILESS_MAIN(TestBatchE2E)
#include "tst_batch_e2e.moc"
