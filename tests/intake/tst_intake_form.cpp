// The intake handlers of the real main window, offscreen: the open-file dialog add, the
// folder add with its settings and busy state, the samples, and drops onto the list.
#include "app/Form1.h"
#include "core/AppTitle.h"
#include "core/ErrorReport.h"
#include "core/FileNames.h"
#include "intake/OpenFileSelection.h"
#include "intake/PosixFileSystem.h"
#include "piclist/PictureListModel.h"
#include "piclist/PictureListView.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeRandom.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/Form1Harness.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/RecordingOfficeBridge.h"
#include "tests/support/RemoveTreeByBytes.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

namespace {

void makeFile(const QString& path) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QMimeData* urlData(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
}

// The main window with scripted desktop, a recording office and the chosen disk; the
// start-up sequence has run, so the list has its column.
struct Window : Form1Harness {
    explicit Window(FileSystem* disk, const QString& programFolder = QString())
        : Form1Harness(Setup().folder(programFolder).fileSystem(disk).loaded()) {}
    QStringList entries() { return form.pictureList().entries(); }
};

// The disk as a folder add or a drop reads it, slowly enough that the scan yields to the event
// loop between folders. Each time the event loop has run since the previous reading it
// notes what the list holds and what its view has been told, to show what the window had on
// the screen at that yield.
class YieldWatchingDisk : public FileSystem {
public:
    explicit YieldWatchingDisk(FileSystem& disk) : m_disk(disk) {}
    void watch(PictureListModel* list, QAbstractItemView* view) {
        m_list = list;
        m_view = view;
    }

    struct Sight {
        QStringList listed;
        QStringList shown;
    };
    QList<Sight> sights;

    int attributes(const QString& path) override {
        look();
        return m_disk.attributes(path);
    }
    FolderInfo folder(const QString& path) override {
        look();
        return m_disk.folder(path);
    }
    QStringList subFolderNames(const QString& path) override {
        look();
        return m_disk.subFolderNames(path);
    }
    QList<FileEntry> files(const QString& folder, const QString& pattern) override {
        look();
        // Longer than the scan's shortest interval between two yields.
        QThread::msleep(12);
        return m_disk.files(folder, pattern);
    }
    bool canOpenFile(const QString& path) override { return m_disk.canOpenFile(path); }
    bool pathExists(const QString& path) override { return m_disk.pathExists(path); }

private:
    void look() {
        if (m_view == nullptr) {
            return;
        }
        if (m_yielded) {
            Sight sight{m_list->entries(), {}};
            QAbstractItemModel* model = m_view->model();
            for (int row = 0; row < model->rowCount(); ++row) {
                sight.shown.append(model->index(row, 0).data().toString());
            }
            sights.append(sight);
        }
        if (m_probeQueued && !m_yielded) {
            return;
        }
        // A probe posted now arrives when the event loop runs next.
        m_yielded = false;
        m_probeQueued = true;
        QMetaObject::invokeMethod(
            m_view,
            [this] {
                m_yielded = true;
                m_probeQueued = false;
            },
            Qt::QueuedConnection);
    }

    FileSystem& m_disk;
    PictureListModel* m_list = nullptr;
    QAbstractItemView* m_view = nullptr;
    bool m_yielded = false;
    bool m_probeQueued = false;
};

const QString kPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
    "files, etc.)");

} // namespace

class Form1IntakeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void init() {
        QFile::remove(configFile());
        QDir(configFile()).removeRecursively();
        m_tree = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tree->isValid());
    }

    void addFiles_cancelChangesNothing() {
        Window w(&m_disk);
        w.form.pictureList().append("/kept.jpg");
        w.form.PushButton1_Click();
        QCOMPARE(w.entries(), QStringList({"/kept.jpg"}));
        QVERIFY(w.ui.boxes.isEmpty());
        QCOMPARE(w.ui.openFileRequests.size(), 1);
        QCOMPARE(w.ui.openFileRequests.first().title,
                 QString("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(w.ui.openFileRequests.first().filter, openFileFilter());
        QCOMPARE(w.ui.openFileRequests.first().budget, 30000);
    }

    void addFiles_oneVerbatimSeveralNormalized() {
        Window w(&m_disk);
        w.ui.openFileAnswers.append({{"/pics//one.jpg"}, false});
        w.ui.openFileAnswers.append({{"//a.jpg", "//b.jpg", "/x//c.jpg"}, false});
        w.ui.openFileAnswers.append({{"/pics//one.jpg"}, false});
        w.form.PushButton1_Click();
        w.form.PushButton1_Click();
        w.form.PushButton1_Click();
        QCOMPARE(w.entries(),
                 QStringList({"/pics//one.jpg", "/a.jpg", "/b.jpg", "/x/c.jpg", "/pics//one.jpg"}));
        QVERIFY(w.ui.boxes.isEmpty());
    }

    void addFiles_tooManyShowsMessageAndAddsNothing() {
        Window w(&m_disk);
        w.ui.openFileAnswers.append({{"/p/a.jpg", "/p/b.jpg"}, true});
        w.form.PushButton1_Click();
        QVERIFY(w.entries().isEmpty());
        QCOMPARE(w.ui.boxes.size(), 1);
        QCOMPARE(w.ui.boxes.first().text,
                 QString("You've selected too many files to add.\r\rPlease try adding via the "
                         "\"Add All\" button."));
        QCOMPARE(w.ui.boxes.first().style, 0);
        QCOMPARE(w.ui.boxes.first().title, applicationTitle());
    }

    void addFolder_extensionPromptAndSettingsOrder() {
        makeFile(path("a.jpg"));
        Window w(&m_disk);
        // First use: "*" offered; the answer is kept although the browser is cancelled.
        w.ui.inputAnswers = {"jpg", "png"};
        w.ui.folderAnswers = {"", m_tree->path()};
        w.form.PushButton4_Click();
        w.form.PushButton4_Click();
        w.ui.inputAnswers = {"png"};
        w.ui.folderAnswers = {""};
        w.form.PushButton4_Click();
        QCOMPARE(w.ui.inputs.size(), 3);
        QCOMPARE(w.ui.inputs.at(0).prompt, kPrompt);
        QCOMPARE(w.ui.inputs.at(0).title, applicationTitle());
        QCOMPARE(w.ui.inputs.at(0).defaultText, QString("*"));
        QCOMPARE(w.ui.inputs.at(1).defaultText, QString("jpg"));
        QCOMPARE(w.ui.inputs.at(2).defaultText, QString("png"));
        QCOMPARE(w.ui.browseRequests.size(), 3);
        QCOMPARE(w.ui.browseRequests.at(0).prompt, QString("Please select folder:"));
        QCOMPARE(w.ui.browseRequests.at(0).startFolder, QString());
        QCOMPARE(w.ui.browseRequests.at(1).startFolder, QString());
        QCOMPARE(w.ui.browseRequests.at(2).startFolder, m_tree->path());
        QCOMPARE(w.form.mousePointer(), 0);
        QVERIFY(w.ui.boxes.isEmpty());
    }

    void addFolder_cancelledPromptKeepsExtension() {
        Window w(&m_disk);
        w.ui.inputAnswers = {"tif", ""};
        w.form.PushButton4_Click();
        w.form.PushButton4_Click();
        // The cancelled prompt shows no browser and stores nothing.
        QCOMPARE(w.ui.browseRequests.size(), 1);
        w.form.PushButton4_Click();
        QCOMPARE(w.ui.inputs.at(2).defaultText, QString("tif"));
    }

    void addFolder_addsTreeInLevelOrder() {
        for (const char* name : {"a/top.jpg", "a/x/y/deep.JPG", "a/z/z.jpg", "a/x/x.jpeg",
                                 "a/.dot.jpg", "a/~lock.jpg", "a/x/notes.txt"}) {
            makeFile(path(name));
        }
        Window w(&m_disk);
        w.form.pictureList().append(path("a/top.jpg"));
        w.ui.inputAnswers = {"jpg", "*"};
        w.ui.folderAnswers = {path("a"), path("a")};
        w.form.PushButton4_Click();
        QCOMPARE(w.entries(), QStringList({path("a/top.jpg"), path("a/top.jpg"), path("a/z/z.jpg"),
                                           path("a/x/y/deep.JPG")}));
        w.form.pictureList().clear();
        w.form.PushButton4_Click();
        QCOMPARE(w.entries(),
                 QStringList({path("a/top.jpg"), path("a/x/notes.txt"), path("a/x/x.jpeg"),
                              path("a/z/z.jpg"), path("a/x/y/deep.JPG")}));
        QVERIFY(w.ui.boxes.isEmpty());
    }

    void addFolder_busyWhileScanning() {
        makeFile(path("a/sub/p.jpg"));
        makeFile(path("dropped.jpg"));
        Window w(&m_disk);
        w.form.pictureList().append("/kept.jpg");
        // The view is told of the entry before it can be made current.
        w.form.pictureList().announcePending();
        w.view()->setCurrentIndex(w.form.pictureList().index(0, 0));
        QCOMPARE(w.view()->currentIndex().row(), 0);
        w.ui.inputAnswers = {"*"};
        w.ui.folderAnswers = {path("a")};
        int pointerDuringScan = -1;
        // Runs at the scan's first yield to the event loop.
        QTimer::singleShot(0, &w.form, [&] {
            pointerDuringScan = w.form.mousePointer();
            w.form.ListView1_DblClick();
            w.form.ListView1_KeyDown(Qt::Key_Delete);
            w.form.PushButton10_Click();
            // A drop ignores the busy state and appends at once.
            std::unique_ptr<QMimeData> data(urlData({path("dropped.jpg")}));
            w.form.ListView1_OLEDragDrop(data.get());
        });
        w.form.PushButton4_Click();
        QCOMPARE(pointerDuringScan, 11);
        QCOMPARE(w.form.mousePointer(), 0);
        QCOMPARE(w.entries(), QStringList({"/kept.jpg", path("dropped.jpg"), path("a/sub/p.jpg")}));
    }

    void addFolder_deniedSubfolderAndRootOnFakeDisk() {
        MemoryFileSystem disk(PathStyle::Posix);
        disk.addFile("/top.jpg");
        disk.addFile("/t/a.jpg");
        disk.addFile("/t/denied/secret.jpg");
        disk.addFile("/t/open/b.jpg");
        disk.failOn("/t/denied/", MemoryFileSystem::Operation::List, 70);
        Window w(&disk);
        w.ui.inputAnswers = {"jpg", "jpg"};
        w.ui.folderAnswers = {"/t", "/"};
        w.form.PushButton4_Click();
        QCOMPARE(w.entries(), QStringList({"/t/a.jpg", "/t/open/b.jpg"}));
        w.form.pictureList().clear();
        w.form.PushButton4_Click();
        QCOMPARE(w.entries(), QStringList({"/top.jpg", "/t/a.jpg", "/t/open/b.jpg"}));
        QVERIFY(w.ui.boxes.isEmpty());
    }

    void addFolder_failingSettingsWriteReportedAndAddGoesOn() {
        makeFile(path("p.jpg"));
        QVERIFY(QDir().mkpath(configFile()));
        Window w(&m_disk);
        w.ui.inputAnswers = {"jpg"};
        w.ui.folderAnswers = {m_tree->path()};
        w.form.PushButton4_Click();
        const QList<FakeUiServices::Box> reports = w.ui.errorReports();
        QCOMPARE(reports.size(), 2);
        QVERIFY(reports.at(0).text.contains(
            "in Sheafwork2021/08/31.Form1.PushButton4_Click at line 100\r\r"));
        QVERIFY(reports.at(1).text.contains(
            "in Sheafwork2021/08/31.Form1.PushButton4_Click at line 334\r\r"));
        QCOMPARE(w.entries(), QStringList({path("p.jpg")}));
        QCOMPARE(w.form.mousePointer(), 0);
    }

    void samples_addedOnceAndFolderOffered() {
        const QString program = path("program");
        for (const char* name : {"program/Samples/b.png", "program/Samples/a.jpg",
                                 "program/Samples/.hidden.jpg", "program/Samples/sub/inner.jpg"}) {
            makeFile(path(name));
        }
        Window w(&m_disk, program);
        // Already listed under exactly this text: not added again. The same file under another
        // text is not recognised and does not stop the sample.
        w.form.pictureList().append(program + "/Samples/b.png");
        w.form.pictureList().append(program + "/Samples//a.jpg");
        w.ui.boxAnswers = {MsgAnswer::Yes, MsgAnswer::No};
        w.form.PushButton11_Click();
        QCOMPARE(w.entries(),
                 QStringList({program + "/Samples/b.png", program + "/Samples//a.jpg",
                              program + "/Samples/.hidden.jpg", program + "/Samples/a.jpg"}));
        w.form.PushButton11_Click();
        QCOMPARE(w.entries().size(), 4);
        QCOMPARE(w.ui.boxes.size(), 2);
        for (const FakeUiServices::Box& box : w.ui.boxes) {
            QCOMPARE(box.text,
                     QString("Would you like this software to open the folder where these "
                             "sample files are stored (so that you can view them before "
                             "working with them)?"));
            QCOMPARE(box.style, 4);
            QCOMPARE(box.title, applicationTitle());
        }
        QCOMPARE(w.ui.openedUrls, QList<QUrl>({QUrl::fromLocalFile(program + "/Samples/")}));
    }

    void samples_missingFolderStillAsks() {
        Window w(&m_disk, path("nowhere"));
        w.ui.boxAnswers = {MsgAnswer::Yes};
        w.form.PushButton11_Click();
        QVERIFY(w.entries().isEmpty());
        QCOMPARE(w.ui.boxes.size(), 1);
        QVERIFY(w.ui.errorReports().isEmpty());
        QCOMPARE(w.ui.openedUrls, QList<QUrl>({QUrl::fromLocalFile(path("nowhere/Samples/"))}));

        // A desktop with nothing that opens a folder: the user is told, with the folder and why.
        w.ui.openFailure = QStringLiteral("No program to open folders is installed (xdg-open).");
        w.ui.boxAnswers = {MsgAnswer::Yes};
        w.form.PushButton11_Click();
        QCOMPARE(w.ui.boxes.size(), 3);
        QCOMPARE(w.ui.boxes.last().style, 48);
        QCOMPARE(w.ui.boxes.last().text,
                 "No program to open folders is installed (xdg-open).\r\rThe samples are in:\r\r" +
                     path("nowhere/Samples"));
    }

    void samples_shippedBesideProgram() {
        // The build puts the samples beside the executables, as the installation does.
        Window w(&m_disk, QCoreApplication::applicationDirPath());
        w.ui.boxAnswers = {MsgAnswer::No};
        w.form.PushButton11_Click();
        const QStringList entries = w.entries();
        QVERIFY2(entries.size() >= 4 && entries.size() <= 6, qPrintable(entries.join('\n')));
        bool jpeg = false, png = false, space = false;
        for (const QString& entry : entries) {
            QFile file(entry);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray head = file.read(8);
            QVERIFY2(file.size() < 64 * 1024, qPrintable(entry));
            jpeg = jpeg || head.startsWith("\xFF\xD8\xFF");
            png = png || head.startsWith("\x89PNG\r\n\x1A\n");
            space = space || QFileInfo(entry).fileName().contains(' ');
        }
        QVERIFY(jpeg && png && space);
        QVERIFY(w.ui.openedUrls.isEmpty());
    }

    void dragOver_onlyLocalFiles() {
        Window w(&m_disk);
        std::unique_ptr<QMimeData> files(urlData({"/a.jpg", "/b"}));
        QVERIFY(w.form.ListView1_OLEDragOver(files.get()));
        QMimeData text;
        text.setText("/a.jpg");
        QVERIFY(!w.form.ListView1_OLEDragOver(&text));
        QMimeData web;
        web.setUrls({QUrl("https://example.org/a.jpg")});
        QVERIFY(!w.form.ListView1_OLEDragOver(&web));
        QMimeData mixed;
        mixed.setUrls({QUrl::fromLocalFile("/a.jpg"), QUrl("https://example.org/b.jpg")});
        QVERIFY(!w.form.ListView1_OLEDragOver(&mixed));
        QMimeData empty;
        empty.setUrls({});
        QVERIFY(!w.form.ListView1_OLEDragOver(&empty));
        QVERIFY(!w.form.ListView1_OLEDragOver(nullptr));
    }

    void drop_pathsTakenAsTheyCome_data() {
        // "%t" is the test's folder on the real disk; without it the disk is an in-memory one.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("entries");
        // Dropped files are taken as they come: no existence test, no filter, no tidying.
        QTest::newRow("files verbatim, in order")
            << QStringList{"%t/c.jpg"}
            << QStringList{"%t/c.jpg", "%t/missing.txt", "%t/c.jpg", "/x/a b#1.jpg"}
            << QStringList{"%t/c.jpg", "%t/missing.txt", "%t/c.jpg", "/x/a b#1.jpg"};
        QTest::newRow("folders scanned each")
            << QStringList{"%t/one/a.jpg",         "%t/one/~skip.jpg", "%t/one/.dot",
                           "%t/one/sub/notes.txt", "%t/two/b.png",     "%t/empty/deeper/"}
            << QStringList{"%t/one", "%t/two", "%t/empty"}
            << QStringList{"%t/one/a.jpg", "%t/one/sub/notes.txt", "%t/two/b.png"};
        QTest::newRow("the root gives single separators")
            << QStringList{"/top.jpg", "/sub/inner.txt"} << QStringList{"/"}
            << QStringList{"/top.jpg", "/sub/inner.txt"};
    }

    void drop_pathsTakenAsTheyCome() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, entries);
        MemoryFileSystem memory(PathStyle::Posix);
        const bool real = files.first().startsWith(QLatin1String("%t"));
        for (const QString& file : files.replaceInStrings("%t", m_tree->path())) {
            if (!real) {
                memory.addFile(file);
            } else if (file.endsWith(QLatin1Char('/'))) {
                QVERIFY(QDir().mkpath(file));
            } else {
                makeFile(file);
            }
        }
        Window w(real ? static_cast<FileSystem*>(&m_disk) : &memory);
        std::unique_ptr<QMimeData> data(urlData(dropped.replaceInStrings("%t", m_tree->path())));
        w.form.ListView1_OLEDragDrop(data.get());
        QCOMPARE(w.entries(), entries.replaceInStrings("%t", m_tree->path()));
        QVERIFY(w.ui.boxes.isEmpty());
    }

    void drop_throughTheListView() {
        makeFile(path("d/p.jpg"));
        makeFile(path("q.jpg"));
        Window w(&m_disk);
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QWidget* target = w.view()->viewport();
        const QPointF at(10, 10);

        QMimeData text;
        text.setText("not a file");
        QDragEnterEvent refused(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        QCoreApplication::sendEvent(target, &refused);
        QVERIFY(!refused.isAccepted());

        std::unique_ptr<QMimeData> files(urlData({path("q.jpg"), path("d")}));
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, files.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction, files.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QVERIFY(move.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(w.entries(), QStringList({path("q.jpg"), path("d/p.jpg")}));
    }

    void drop_notUtf8NamesFromPercentEncodedUrlsByteExact() {
        // Real files whose names hold bytes that are not UTF-8, dropped the way a file manager
        // sends them: a text/uri-list with the bytes percent-encoded.
        const QByteArray root = encodeFileName(m_tree->path());
        const QList<QByteArray> names{"/a\xff.png", "/f\xfe/b\x80.png", "/100%\xef\xbf\xbd.png",
                                      "/\xc3\xa9\xed\xa0\x80.png"};
        const RemoveTreeByBytes removal{root};
        QVERIFY(::mkdir((root + "/f\xfe").constData(), 0755) == 0);
        for (const QByteArray& name : names) {
            const int fd = ::open((root + name).constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        QByteArray uriList;
        for (const QByteArray& dropped :
             {names.at(0), QByteArray("/f\xfe"), names.at(2), names.at(3)}) {
            uriList += "file://" + (root + dropped).toPercentEncoding("/") + "\r\n";
        }
        QVERIFY(uriList.contains("a%FF.png"));
        QMimeData data;
        data.setData("text/uri-list", uriList);
        Window w(&m_disk);
        QVERIFY(w.form.ListView1_OLEDragOver(&data));
        w.form.ListView1_OLEDragDrop(&data);
        QCOMPARE(w.entries().size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(encodeFileName(w.entries().at(i)), root + names.at(i));
        }
        // The folder was scanned: its name was examined and listed under the exact bytes.
        QCOMPARE(w.entries().at(1), decodeFileName(root + names.at(1)));
        // A real U+FFFD and a literal "%" stay characters.
        QVERIFY(w.entries().at(2).endsWith(QString::fromUtf8("/100%\xef\xbf\xbd.png")));

        // A URL with a host keeps it in front, as before.
        QMimeData remote;
        remote.setData("text/uri-list", "file://server/share/p%FF.png\r\n");
        Window other(&m_disk);
        other.form.ListView1_OLEDragDrop(&remote);
        QCOMPARE(other.entries(),
                 QStringList({QString("//server/share/p") + QChar(char16_t(0xDCFF)) + ".png"}));
    }

    // Entries appended between two yields reach the view together, but by the next yield the view
    // shows every one of them: the list on the screen is never behind the list the window holds
    // once the event loop has run.
    void drop_viewShowsTheWholeListAtEveryYield() {
        QStringList trees;
        QStringList expected;
        for (const QString tree : {"one", "two", "three", "four"}) {
            trees.append(path(tree));
            for (const QString name : {"/a.jpg", "/b.jpg", "/sub/c.jpg"}) {
                makeFile(path(tree + name));
                expected.append(path(tree + name));
            }
        }
        YieldWatchingDisk disk(m_disk);
        Window w(&disk);
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        disk.watch(&w.form.pictureList(), w.view());

        std::unique_ptr<QMimeData> data(urlData(trees));
        w.form.ListView1_OLEDragDrop(data.get());
        QCOMPARE(w.entries(), expected);

        // The scan of each tree after the first yields with the trees before it in the list.
        QVERIFY(!disk.sights.isEmpty());
        QVERIFY(disk.sights.last().listed.size() >= 9);
        for (const YieldWatchingDisk::Sight& sight : std::as_const(disk.sights)) {
            QCOMPARE(sight.shown, sight.listed);
        }
        // After the drop's own handler the window's next event loop run shows the last tree too.
        QCoreApplication::processEvents();
        QCOMPARE(w.view()->model()->rowCount(), static_cast<int>(expected.size()));
        QCOMPARE(w.view()->model()->index(11, 0).data().toString(), expected.last());
    }

private:
    QString path(const QString& relative) const { return m_tree->path() + '/' + relative; }
    QString configFile() const { return m_config.path() + "/Vantrell.conf"; }

    QTemporaryDir m_config;
    std::unique_ptr<QTemporaryDir> m_tree;
    PosixFileSystem m_disk;
};

QTEST_MAIN(Form1IntakeTest)
#include "tst_intake_form.moc"
