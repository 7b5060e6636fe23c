// lumigrove-batch against a real headless office suite: a folder tree and single files
// stored as ODT, DOCX and PDF and read back, an office killed in the middle of a run, and
// a run that starts and ends an office of its own.
#include "core/FileNames.h"
#include "tests/batch/InProcessBatch.h"
#include "tests/builder/OfficeProcess.h"
#include "tests/builder/StoredDocument.h"
#include "tests/support/RemoveTreeByBytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A small picture that no other picture of the test equals, byte for byte.
void writePicture(const QString& path, int shade) {
    QImage image(24 + shade, 16, QImage::Format_RGB32);
    image.fill(qRgb(shade * 20 % 256, 120, 255 - shade * 10 % 256));
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QVERIFY(image.save(path, "PNG"));
}

// The same picture at a path given as bytes, for names that are not UTF-8.
void writePictureAt(const QByteArray& path, int shade) {
    QImage image(24 + shade, 16, QImage::Format_RGB32);
    image.fill(qRgb(shade * 20 % 256, 120, 255 - shade * 10 % 256));
    QBuffer png;
    QVERIFY(png.open(QIODevice::WriteOnly));
    QVERIFY(image.save(&png, "PNG"));
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    const QByteArray bytes = png.data();
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

QByteArray rawFileBytes(const QByteArray& path) {
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return bytes;
    }
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, got);
    }
    ::close(fd);
    return bytes;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestBatchE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void odt_treeAndFiles_embeddedInScanOrderWithBreaksBetween();
    void docx_sameRun_onePicturePerPage();
    void pdf_sameRun_onePagePerPicture();
    void officeKilledMidRun_status1AndNoOutput();
    void unreachableOffice_status1WithMessage();
    void ownOffice_startedHeadlessAndEnded();
    void notUtf8Names_scannedAndNamedOnCommandLineInserted();

private:
    QStringList albumArgs(const QString& out) const;

    OfficeProcess m_office;
    QTemporaryDir m_dir;
    // The pictures in the order the run must insert them.
    QStringList m_expected;
};

void TestBatchE2E::initTestCase() {
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(m_office.start(&error), qPrintable(error));
    const QString tree = m_dir.filePath(QStringLiteral("tree"));
    // Names are listed in upper-cased order, subfolders after the files of their parent
    // level; "~" names are left out of folder scans.
    writePicture(tree + QStringLiteral("/b.png"), 1);
    writePicture(tree + QStringLiteral("/A picture.PNG"), 2);
    writePicture(tree + QStringLiteral("/sub/c#1.png"), 3);
    writePicture(tree + QStringLiteral("/sub/deeper/d.png"), 4);
    writePicture(tree + QStringLiteral("/~skipped.png"), 5);
    writePicture(tree + QStringLiteral("/notes.txt.png"), 6);
    QFile::rename(tree + QStringLiteral("/notes.txt.png"), tree + QStringLiteral("/notes.txt"));
    writePicture(m_dir.filePath(QStringLiteral("single 100%.png")), 7);
    writePicture(m_dir.filePath(QStringLiteral("~single.png")), 8);
    m_expected = {tree + "/A picture.PNG",
                  tree + "/b.png",
                  tree + "/sub/c#1.png",
                  tree + "/sub/deeper/d.png",
                  m_dir.filePath("single 100%.png"),
                  m_dir.filePath("~single.png")};
}

void TestBatchE2E::cleanupTestCase() {
    m_office.kill();
}

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

void TestBatchE2E::odt_treeAndFiles_embeddedInScanOrderWithBreaksBetween() {
    const QString out = m_dir.filePath(QStringLiteral("album.odt"));
    const BatchOutcome outcome = runInProcess(albumArgs(out));
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY(outcome.err.contains(QStringLiteral("Inserted 6 of 6 pictures")));

    StoredDocument stored;
    stored.analyse(
        QString::fromUtf8(commandOutput(QStringLiteral("unzip"), {"-p", out, "content.xml"})));
    QCOMPARE(stored.layout, QStringLiteral("PBPBPBPBPBP"));
    // Embedded: every picture points into the package, and its bytes are those of the
    // picture file at that place in the order.
    QCOMPARE(stored.imageLinks.size(), m_expected.size());
    for (int i = 0; i < m_expected.size(); ++i) {
        const QString link = stored.imageLinks.at(i);
        QVERIFY2(link.startsWith(QLatin1String("Pictures/")), qPrintable(link));
        QCOMPARE(commandOutput(QStringLiteral("unzip"), {"-p", out, link}),
                 fileBytes(m_expected.at(i)));
    }
    // Nothing but the document itself is left beside it.
    QCOMPARE(QDir(m_dir.path()).entryList({"*album*"}, QDir::Files | QDir::Hidden),
             QStringList{"album.odt"});
}

void TestBatchE2E::docx_sameRun_onePicturePerPage() {
    const QString out = m_dir.filePath(QStringLiteral("album.docx"));
    const BatchOutcome outcome = runInProcess(albumArgs(out));
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    const QString entries = QString::fromUtf8(commandOutput("unzip", {"-Z1", out}));
    QCOMPARE(entries.count(QStringLiteral("word/media/")), 6);
    const QString body =
        QString::fromUtf8(commandOutput("unzip", {"-p", out, "word/document.xml"}));
    QCOMPARE(body.count(QStringLiteral("<w:drawing>")), 6);
    QCOMPARE(body.count(QStringLiteral("<w:br w:type=\"page\"/>")), 5);
}

void TestBatchE2E::pdf_sameRun_onePagePerPicture() {
    const QString out = m_dir.filePath(QStringLiteral("album.pdf"));
    const BatchOutcome outcome = runInProcess(albumArgs(out));
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    const QString info = QString::fromUtf8(commandOutput("pdfinfo", {out}));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+6\\n"))), qPrintable(info));
}

void TestBatchE2E::officeKilledMidRun_status1AndNoOutput() {
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
    QString error;
    QVERIFY2(m_office.start(&error), qPrintable(error));
}

void TestBatchE2E::unreachableOffice_status1WithMessage() {
    const QString out = m_dir.filePath(QStringLiteral("nowhere.odt"));
    const BatchOutcome outcome = runInProcess(
        {"--office", "pipe,name=lumigrove-nobody-listens;urp", "-o", out, m_expected.first()});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains(QStringLiteral("no office suite could be reached")),
             qPrintable(outcome.err));
    QVERIFY(!QFile::exists(out));
}

void TestBatchE2E::ownOffice_startedHeadlessAndEnded() {
    // The real program, without --office: it starts a headless office with a private
    // profile and ends it before it exits. Its profile goes into a temporary folder of this
    // test's own, which tells its office apart from any other office on the machine.
    const QString out = m_dir.filePath(QStringLiteral("own.odt"));
    const QString temp = m_dir.filePath(QStringLiteral("own-tmp"));
    QVERIFY(QDir().mkpath(temp));
    QProcess batch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temp);
    batch.setProcessEnvironment(environment);
    batch.start(QStringLiteral(LUMIGROVE_BATCH_PROGRAM),
                {"-o", out, m_expected.at(0), m_expected.at(1)});
    QVERIFY(batch.waitForFinished(120000));
    const QString err = QString::fromUtf8(batch.readAllStandardError());
    QVERIFY2(batch.exitCode() == 0, qPrintable(err));
    QVERIFY(err.contains(QStringLiteral("Inserted 2 of 2 pictures")));
    StoredDocument stored;
    stored.analyse(QString::fromUtf8(commandOutput("unzip", {"-p", out, "content.xml"})));
    QCOMPARE(stored.layout, QStringLiteral("PBP"));
    // No office of this run is left running, and its profile is gone.
    const QString running = QString::fromUtf8(commandOutput("ps", {"-eo", "args"}));
    QVERIFY2(!running.contains(temp), qPrintable(running));
    QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TestBatchE2E::notUtf8Names_scannedAndNamedOnCommandLineInserted() {
    // A folder and two pictures whose names hold bytes that are not UTF-8: one picture found
    // by scanning the folder, one named on the command line. The real program gets the
    // names as raw bytes in its argv, through the shell's printf.
    const QByteArray base = encodeFileName(m_dir.path()) + "/bytes";
    QVERIFY(::mkdir(base.constData(), 0755) == 0);
    const RemoveTreeByBytes removal{base};
    QVERIFY(::mkdir((base + "/scan\xfd").constData(), 0755) == 0);
    const QByteArray scanned = base + "/scan\xfd/a\xff.png";
    const QByteArray named = base + "/single\xfe\x80.png";
    writePictureAt(scanned, 9);
    writePictureAt(named, 10);
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
    QVERIFY2(batch.exitStatus() == QProcess::NormalExit && batch.exitCode() == 1, err.constData());
    QVERIFY2(err.contains("Inserted 2 of 3 pictures"), err.constData());
    QVERIFY2(err.contains("f\\xFE.png is a fifo"), err.constData());
    QCOMPARE(commandOutput("ls", {"-A", decodeFileName(base)}),
             QByteArray("f\xfe.png\nout\xff.odt\nscan\xfd\nsingle\xfe\x80.png\n"));
    // Progress names the pictures readably.
    QVERIFY2(err.contains("Processing: a\\xFF.png"), err.constData());
    QVERIFY2(err.contains("Processing: single\\xFE\\x80.png"), err.constData());

    StoredDocument stored;
    // unzip is given the document under a plain name.
    const QString plain = m_dir.filePath(QStringLiteral("bytes.odt"));
    QCOMPARE(::link(out.constData(), encodeFileName(plain).constData()), 0);
    stored.analyse(QString::fromUtf8(commandOutput("unzip", {"-p", plain, "content.xml"})));
    QCOMPARE(stored.layout, QStringLiteral("PBP"));
    QCOMPARE(stored.imageLinks.size(), 2);
    // The folder comes first, as given; each embedded picture is that very file.
    QCOMPARE(commandOutput("unzip", {"-p", plain, stored.imageLinks.at(0)}), rawFileBytes(scanned));
    QCOMPARE(commandOutput("unzip", {"-p", plain, stored.imageLinks.at(1)}), rawFileBytes(named));
    QVERIFY(!rawFileBytes(scanned).isEmpty());
}

QTEST_GUILESS_MAIN(TestBatchE2E)
#include "tst_batch_e2e.moc"
