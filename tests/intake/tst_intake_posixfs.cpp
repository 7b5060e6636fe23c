// The real disk: attribute words, enumeration order, links, fifos and names that are not
// UTF-8 (kept byte-exact) on temporary trees, and the scan over them.
#include "core/AppError.h"
#include "core/FileNames.h"
#include "intake/AddFolder.h"
#include "intake/PosixFileSystem.h"
#include "piclist/PictureListModel.h"
#include "tests/support/RecordingReporter.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(const QString& path) {
    return encodeFileName(path);
}

void makeFile(const QByteArray& path, mode_t mode = 0644) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, mode);
    QVERIFY2(fd >= 0, path.constData());
    ::close(fd);
    ::chmod(path.constData(), mode);
}

void makeDir(const QByteArray& path) {
    QVERIFY2(::mkdir(path.constData(), 0755) == 0, path.constData());
}

void makeLink(const QByteArray& target, const QByteArray& link) {
    QVERIFY2(::symlink(target.constData(), link.constData()) == 0, link.constData());
}

} // namespace

class PosixFileSystemTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_reporter.reports.clear();
    }

    void cleanup() {
        // Names that are not UTF-8 and link loops defeat QDir's own removal: remove by bytes,
        // without following links.
        m_dir->setAutoRemove(false);
        ::nftw(
            bytesOf(m_dir->path()).constData(),
            [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); },
            16, FTW_DEPTH | FTW_PHYS);
    }

    void attributes_windowsWords() {
        makeFile(raw("plain.jpg"));
        makeFile(raw(".dot.jpg"));
        makeFile(raw(".dotro.jpg"), 0444);
        makeFile(raw("ro.jpg"), 0444);
        makeDir(raw("dir"));
        makeDir(raw(".hiddendir"));
        makeLink("plain.jpg", raw("filelink"));
        makeLink("dir", raw("dirlink"));
        makeLink("nowhere", raw("dangling"));
        QCOMPARE(m_disk.attributes(path("plain.jpg")), 32);
        QCOMPARE(m_disk.attributes(path(".dot.jpg")), 34);
        QCOMPARE(m_disk.attributes(path(".dotro.jpg")), 35);
        QCOMPARE(m_disk.attributes(path("ro.jpg")), 33);
        QCOMPARE(m_disk.attributes(path("dir")), 16);
        QCOMPARE(m_disk.attributes(path("dir/")), 16);
        QCOMPARE(m_disk.attributes(path(".hiddendir/")), 18);
        QCOMPARE(m_disk.attributes(path("filelink")), 1024 | 32);
        // A trailing separator must not hide that the folder is a link.
        QCOMPARE(m_disk.attributes(path("dirlink/")), 1024 | 16);
        QCOMPARE(m_disk.attributes(path("dangling")), 1024);
        QVERIFY(IsFolder(m_disk, path("dirlink/")));
        QVERIFY(!IsFolder(m_disk, path("plain.jpg")));
        QVERIFY(!IsFolder(m_disk, path("missing")));
    }

    void attributes_missingPathIsPathNotFound() {
        makeFile(raw("file"));
        for (const QString& missing : {path("missing"), path("file/below"), QString()}) {
            try {
                m_disk.attributes(missing);
                QFAIL("no failure");
            } catch (const AppError& error) {
                QCOMPARE(error.number(), 76);
                QCOMPARE(error.description(), QString("Path not found"));
            }
        }
    }

    void folder_rootAndNonFolders() {
        QVERIFY(m_disk.folder("/").isRoot);
        QVERIFY(m_disk.folder("//").isRoot);
        QVERIFY(!m_disk.folder(m_dir->path() + '/').isRoot);
        makeFile(raw("file"));
        QVERIFY_THROWS_EXCEPTION(AppError, m_disk.folder(path("file")));
    }

    void subFolderNames_enumerationOrderWithLinks() {
        for (const char* name : {"img2", "_x", "Z", "img10", "b", "B", "a"}) {
            makeDir(raw(name));
        }
        makeFile(raw("file"));
        makeLink("a", raw("linked"));
        makeLink("nowhere", raw("dangling"));
        QCOMPARE(m_disk.subFolderNames(m_dir->path()),
                 QStringList({"a", "B", "b", "img10", "img2", "linked", "Z", "_x"}));
        QVERIFY_THROWS_EXCEPTION(AppError, m_disk.subFolderNames(path("missing")));
    }

    void files_fifoListedClosedAndKeptOut() {
        makeFile(raw("b.JPG"));
        makeFile(raw("a.jpg"));
        makeFile(raw("c.jpeg"));
        makeDir(raw("d.jpg"));
        QVERIFY(::mkfifo(raw("pipe.jpg").constData(), 0644) == 0);
        makeLink("a.jpg", raw("link.jpg"));
        makeLink("nowhere", raw("dangling.jpg"));
        // Listing must neither block on the fifo nor offer it as openable (it is listed closed,
        // so that a scan can say it passed it over), nor list a folder.
        const QList<FileSystem::FileEntry> files = m_disk.files(m_dir->path() + '/', "*.jpg");
        QStringList names;
        for (const auto& file : files) {
            names.append(file.name + (file.openable ? "" : " (closed)"));
        }
        QCOMPARE(names, QStringList({"a.jpg", "b.JPG", "dangling.jpg (closed)", "link.jpg",
                                     "pipe.jpg (closed)"}));
        QCOMPARE(ListFiles(m_disk, m_dir->path(), "*.jpg"),
                 QStringList({"a.jpg", "b.JPG", "link.jpg"}));
    }

    void files_notUtf8NamesKeptByteExact() {
        // Names that differ only in bytes that are not UTF-8, one that really holds "?", one
        // that really holds U+FFFD, and one that begins with a byte-order mark: each keeps its
        // own bytes and can be opened under the name listed.
        const QList<QByteArray> raws{"bad\xff.jpg", "bad\xfe.jpg", "bad?.jpg",
                                     "bad\xef\xbf\xbd.jpg",
                                     "\xef\xbb\xbf"
                                     "bom.jpg"};
        for (const QByteArray& name : raws) {
            makeFile(raw(name));
        }
        const QList<FileSystem::FileEntry> files = m_disk.files(m_dir->path(), "*.*");
        QCOMPARE(files.size(), raws.size());
        QList<QByteArray> listed;
        for (const auto& file : files) {
            QVERIFY2(file.openable, qPrintable(displayFileName(file.name)));
            QCOMPARE(file.attributes & ~1, 32);
            listed.append(encodeFileName(file.name));
            const QString full = path(file.name);
            QVERIFY(FileIsPresent(m_disk, full));
            QVERIFY(PathExists(m_disk, full));
            QCOMPARE(m_disk.attributes(full) & ~1, 32);
        }
        std::sort(listed.begin(), listed.end());
        QList<QByteArray> expected = raws;
        std::sort(expected.begin(), expected.end());
        QCOMPARE(listed, expected);
        const QString ff = QString("bad") + QChar(char16_t(0xDCFF)) + ".jpg";
        QVERIFY(ListFiles(m_disk, m_dir->path(), "*.jpg").contains(ff));
        QVERIFY(ListFiles(m_disk, m_dir->path(), "bad?.jpg").contains(ff));
        // A byte that no name on the disk holds names nothing.
        QVERIFY(!FileIsPresent(m_disk, path(QString("bad") + QChar(char16_t(0xDCFD)) + ".jpg")));
    }

    void files_attributeWordsOfHiddenAndLinkedFiles() {
        makeFile(raw("plain.jpg"));
        makeFile(raw(".dot.jpg"));
        makeFile(raw(".dotro.jpg"), 0444);
        makeLink("plain.jpg", raw("link.jpg"));
        makeLink(".dot.jpg", raw(".hiddenlink.jpg"));
        QMap<QString, int> words;
        for (const auto& file : m_disk.files(m_dir->path(), "*.*")) {
            QVERIFY(file.openable);
            words.insert(file.name, file.attributes);
        }
        // Hidden files carry their whole word: it decides whether they are added.
        QCOMPARE(words.value(".dot.jpg"), 34);
        QCOMPARE(words.value(".dotro.jpg"), 35);
        QCOMPARE(words.value(".hiddenlink.jpg"), 1024 | 32 | 2);
        QCOMPARE(words.value("link.jpg"), 1024 | 32);
        QCOMPARE(words.value("plain.jpg") & ~1, 32);
    }

    void fileIsPresent_onlyOpenableRegularFiles() {
        makeFile(raw("a.jpg"));
        makeFile(raw("noaccess.jpg"), 0);
        makeDir(raw("dir"));
        QVERIFY(::mkfifo(raw("pipe").constData(), 0644) == 0);
        QVERIFY(FileIsPresent(m_disk, path("a.jpg")));
        QVERIFY(!FileIsPresent(m_disk, path("dir")));
        QVERIFY(!FileIsPresent(m_disk, path("pipe")));
        QVERIFY(!FileIsPresent(m_disk, path("missing.jpg")));
        QVERIFY(!FileIsPresent(m_disk, path("a.jpg") + QChar(0) + "x"));
        QCOMPARE(FileIsPresent(m_disk, path("noaccess.jpg")), ::geteuid() == 0);
    }

    void scan_deniedFolderAndUnreadableFileAsUnprivilegedUser() {
        // A privileged user may open everything, so the checks run in a child process that has
        // given up its privileges; an unprivileged user runs them directly.
        const bool privileged = ::geteuid() == 0;
        const uid_t nobody = 65534;
        for (const char* folder : {"a", "a/denied", "a/denied/below", "a/ok"}) {
            makeDir(raw(folder));
        }
        makeFile(raw("a/top.jpg"));
        makeFile(raw("a/secret.jpg"), 0600);
        makeFile(raw("a/denied/hidden.jpg"));
        makeFile(raw("a/ok/fine.jpg"));
        ::chmod(bytesOf(m_dir->path()).constData(), 0755);
        if (privileged) {
            // Owned by root and closed to others: the child cannot list it or read the file.
            ::chmod(raw("a/denied").constData(), 0700);
        } else {
            ::chmod(raw("a/denied").constData(), 0);
            ::chmod(raw("a/secret.jpg").constData(), 0);
        }
        const QString root = path("a/");
        const QStringList expectedFolders{root, path("a/ok/")};
        const QStringList expectedFiles{path("a/top.jpg"), path("a/ok/fine.jpg")};
        auto check = [&]() -> bool {
            PosixFileSystem disk;
            RecordingReporter reporter;
            const ScanContext context{disk, reporter, std::function<void()>()};
            FolderList folders{root};
            GetSubDirectories2016(folders, true, context);
            PictureListModel list;
            AddScannedFiles(folders, "*.*", list, context);
            const bool sameFolders = folders == expectedFolders;
            const bool sameFiles = list.entries() == expectedFiles;
            return sameFolders && sameFiles && reporter.reports.isEmpty();
        };
        if (!privileged) {
            QVERIFY(check());
            ::chmod(raw("a/denied").constData(), 0755);
            return;
        }
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            const bool dropped = ::setgid(nobody) == 0 && ::setuid(nobody) == 0;
            ::_exit(dropped ? (check() ? 0 : 1) : 2);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void scan_levelOrderOnDisk() {
        makeDir(raw("a"));
        makeDir(raw("a/z"));
        makeDir(raw("a/x"));
        makeDir(raw("a/x/y"));
        makeFile(raw("a/x/y/deep.jpg"));
        makeFile(raw("a/top.jpg"));
        FolderList folders{path("a") + '/'};
        const ScanContext context{m_disk, m_reporter, {}};
        GetSubDirectories2016(folders, true, context);
        QCOMPARE(folders, QStringList({path("a/"), path("a/x/"), path("a/z/"), path("a/x/y/")}));
        PictureListModel list;
        AddScannedFiles(folders, "*.jpg", list, context);
        QCOMPARE(list.entries(), QStringList({path("a/top.jpg"), path("a/x/y/deep.jpg")}));
    }

    void scan_unsafeNamesOnDiskLeftOutNotUtf8Kept() {
        makeDir(raw("a"));
        for (const QByteArray& name : {QByteArray("ctl\x01"), QByteArray("notutf8\xe9"),
                                       QByteArray("c1\xc2\x85"), QByteArray("ok\xc3\xa9")}) {
            makeDir(raw("a/" + name));
            makeFile(raw("a/" + name + "/p.jpg"));
        }
        // A control character and U+0085 are refused; a Latin-1 byte that is not UTF-8 is kept.
        const QString notUtf8 = path("a/notutf8") + QChar(char16_t(0xDCE9));
        FolderList folders{path("a/")};
        const ScanContext context{m_disk, m_reporter, {}};
        GetSubDirectories2016(folders, true, context);
        QCOMPARE(folders,
                 QStringList({path("a/"), notUtf8 + '/', path("a/") + QString::fromUtf8("oké/")}));
        PictureListModel list;
        AddScannedFiles(folders, "*.*", list, context);
        QCOMPARE(list.entries(),
                 QStringList({notUtf8 + "/p.jpg", path("a/") + QString::fromUtf8("oké/p.jpg")}));
    }

    void scan_notUtf8FolderAndFilesAddedByteExact() {
        makeDir(raw("t"));
        makeDir(raw("t/dir\xff"));
        makeFile(raw("t/a\xff.png"));
        makeFile(raw("t/b.png"));
        makeFile(raw("t/dir\xff/c\x80\xfe.png"));
        makeFile(raw("t/dir\xff/\xed\xa0\x80.png"));
        FolderList folders{path("t/")};
        const ScanContext context{m_disk, m_reporter, {}};
        GetSubDirectories2016(folders, true, context);
        PictureListModel list;
        list.addColumn("Image File(s)");
        AddScannedFiles(folders, "*.png", list, context);
        QVERIFY(m_reporter.reports.isEmpty());
        // Every entry names the very bytes on the disk; the list shows those bytes spelled out.
        const QList<QByteArray> expected{raw("t/a\xff.png"), raw("t/b.png"),
                                         raw("t/dir\xff/c\x80\xfe.png"),
                                         raw("t/dir\xff/\xed\xa0\x80.png")};
        QCOMPARE(list.count(), expected.size());
        for (int i = 1; i <= list.count(); ++i) {
            const QByteArray bytes = encodeFileName(list.text(i));
            QCOMPARE(bytes, expected.at(i - 1));
            QVERIFY(::access(bytes.constData(), R_OK) == 0);
        }
        const QString base = m_dir->path() + '/';
        // What a view shows, once it has been told of the rows.
        list.announcePending();
        QCOMPARE(list.data(list.index(0, 0)).toString(), base + "t/a\\xFF.png");
        QCOMPARE(list.data(list.index(2, 0)).toString(), base + "t/dir\\xFF/c\\x80\\xFE.png");
        QCOMPARE(list.data(list.index(3, 0)).toString(), base + "t/dir\\xFF/\\xED\\xA0\\x80.png");
        QCOMPARE(list.data(list.index(0, 0), Qt::EditRole).toString(), list.text(1));
    }

    void scan_linkLoopEndsAtPathLimit() {
        // A long folder name, so that the path limit ends the loop well before the kernel's own
        // limit of 40 links in one path does.
        const QByteArray a(150, 'a');
        makeDir(raw(a));
        makeFile(raw(a + "/p.jpg"));
        makeLink(".", raw(a + "/loop"));
        FolderList folders{path(a + "/")};
        const ScanContext context{m_disk, m_reporter, {}};
        GetSubDirectories2016(folders, true, context);
        // a/, a/loop/, a/loop/loop/, ... until an entry reaches 260 characters; that one stays
        // but is not descended into.
        const int start = path(a + "/").size();
        QVERIFY((kPathLimit - start) / 5 < 40);
        const int expected = 1 + (kPathLimit - start + 4) / 5;
        QCOMPARE(folders.size(), expected);
        QVERIFY(folders.last().size() >= kPathLimit);
        QVERIFY(folders.at(folders.size() - 2).size() < kPathLimit);
        QVERIFY(m_reporter.reports.isEmpty());
    }

    void addScanned_dotFilesAndCase() {
        makeDir(raw("a"));
        makeFile(raw("a/.dot.jpg"));
        makeFile(raw("a/.readonly.jpg"), 0444);
        makeFile(raw("a/~temp.jpg"));
        makeFile(raw("a/A.JPG"));
        makeFile(raw("a/b.jpeg"));
        makeDir(raw("a/.git"));
        makeFile(raw("a/.git/c.jpg"));
        FolderList folders{path("a/")};
        const ScanContext context{m_disk, m_reporter, {}};
        GetSubDirectories2016(folders, true, context);
        PictureListModel list;
        AddScannedFiles(folders, "*.jpg", list, context);
        // A plain dot-file is hidden + archive (34) and stays out; a read-only one is 35.
        QCOMPARE(list.entries(),
                 QStringList({path("a/.readonly.jpg"), path("a/A.JPG"), path("a/.git/c.jpg")}));
    }

    void listFiles_missingFolderIsEmpty() {
        QCOMPARE(ListFiles(m_disk, path("missing"), "*.*"), QStringList());
        makeFile(raw("file"));
        QCOMPARE(ListFiles(m_disk, path("file"), "*.*"), QStringList());
    }

private:
    QString path(const QString& relative) const { return m_dir->path() + '/' + relative; }
    QByteArray raw(const QByteArray& relative) const {
        return bytesOf(m_dir->path()) + '/' + relative;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    PosixFileSystem m_disk;
    RecordingReporter m_reporter;
};

QTEST_GUILESS_MAIN(PosixFileSystemTest)
#include "tst_intake_posixfs.moc"
