// The folder scan and the file add over an in-memory disk that speaks Windows attribute
// words and error numbers: the cases a Linux disk cannot show (hidden system folders, a
// drive root, access denied to a privileged user), with backslash paths.
#include "core/AppError.h"
#include "intake/AddFolder.h"
#include "piclist/PictureListModel.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/RecordingReporter.h"

#include <QTest>

using Op = MemoryFileSystem::Operation;

class ScanTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_disk = std::make_unique<MemoryFileSystem>(PathStyle::Windows);
        m_reporter.reports.clear();
    }

    void scan_levelOrder() {
        // Added out of order: the disk hands names out in its own (name) order.
        m_disk->addFolder(R"(C:\a\z)");
        m_disk->addFolder(R"(C:\a\x\y)");
        m_disk->addFolder(R"(C:\a\z\w)");
        QCOMPARE(scan(R"(C:\a)"), QStringList({R"(C:\a\)", R"(C:\a\x\)", R"(C:\a\z\)",
                                               R"(C:\a\x\y\)", R"(C:\a\z\w\)"}));
        QVERIFY(m_reporter.reports.isEmpty());
    }

    void scan_hiddenSystemFoldersLeftOut() {
        m_disk->addFolder(R"(C:\a\hs)", 22);
        m_disk->addFolder(R"(C:\a\hs\below)");
        m_disk->addFolder(R"(C:\a\link)", 1046);
        m_disk->addFolder(R"(C:\a\hidden)", 18);
        m_disk->addFolder(R"(C:\a\hidden\below)");
        m_disk->addFolder(R"(C:\a\readonlyhs)", 23);
        m_disk->addFile(R"(C:\a\hs\p.jpg)");
        QCOMPARE(scan(R"(C:\a)"), QStringList({R"(C:\a\)", R"(C:\a\hidden\)", R"(C:\a\readonlyhs\)",
                                               R"(C:\a\hidden\below\)"}));
    }

    void scan_driveRootScannedDespiteAttributes() {
        m_disk->addFolder(R"(C:\)", 22);
        m_disk->addFolder(R"(C:\sub)");
        m_disk->addFile(R"(C:\top.jpg)");
        m_disk->addFile(R"(C:\sub\inner.jpg)");
        // The folder browser gives "C:\"; the caller appends its separator all the same.
        const FolderList folders = scan(R"(C:\)");
        QCOMPARE(folders, QStringList({R"(C:\\)", R"(C:\\sub\)"}));
        QCOMPARE(add(folders, "*.jpg"), QStringList({R"(C:\top.jpg)", R"(C:\sub\inner.jpg)"}));
    }

    void scan_chosenHiddenSystemFolderKeepsOwnFiles() {
        m_disk->addFolder(R"(C:\hs)", 22);
        m_disk->addFolder(R"(C:\hs\below)");
        m_disk->addFile(R"(C:\hs\own.jpg)");
        m_disk->addFile(R"(C:\hs\below\deep.jpg)");
        const FolderList folders = scan(R"(C:\hs)");
        QCOMPARE(folders, QStringList({R"(C:\hs\)"}));
        QCOMPARE(add(folders, "*.*"), QStringList({R"(C:\hs\own.jpg)"}));
    }

    void scan_unsafeNamesLeftOut() {
        const QStringList unsafe{QStringLiteral("ctl\x01"),
                                 QStringLiteral("del\x7F"),
                                 QString("c1") + QChar(0x85),
                                 QString("c1last") + QChar(0x9F),
                                 "what?",
                                 QString("broken") + QChar(0xD800)};
        for (const QString& name : unsafe) {
            m_disk->addFolder(R"(C:\a\)" + name + R"(\below)");
        }
        m_disk->addFolder(QString::fromUtf8(R"(C:\a\фото)"));
        m_disk->addFolder(QString::fromUtf8(R"(C:\a\é ü)"));
        m_disk->addFolder(QString(R"(C:\a\)") + QChar(0xA0) + "nbsp");
        const FolderList folders = scan(R"(C:\a)");
        QCOMPARE(folders.size(), 4);
        QVERIFY(folders.contains(QString::fromUtf8(R"(C:\a\фото\)")));
        QVERIFY(folders.contains(QString::fromUtf8(R"(C:\a\é ü\)")));
        // The edges of the refused ranges.
        QVERIFY(HasUnsafeChars(QString(QChar(31))));
        QVERIFY(HasUnsafeChars(QString(QChar(127))));
        QVERIFY(HasUnsafeChars(QString(QChar(159))));
        QVERIFY(!HasUnsafeChars(QString(" ~") + QChar(160) + QString::fromUtf8("😀")));
    }

    void scan_notUtf8BytesKeptOtherBrokenUtf16LeftOut() {
        // A byte of a name that is not UTF-8 arrives as U+DC00 + the byte: no character, so even
        // the bytes 0x80..0x9F pass, while U+0080..U+009F stay refused. Any other lone
        // surrogate is broken UTF-16.
        const QChar x80(char16_t(0xDC80));
        const QChar xff(char16_t(0xDCFF));
        const QChar high(char16_t(0xD800));
        QVERIFY(!HasUnsafeChars(QString("a") + x80 + QChar(char16_t(0xDC85)) + xff));
        QVERIFY(!HasUnsafeChars(QString(high) + x80));
        QVERIFY(HasUnsafeChars(QString("a") + QChar(char16_t(0xDC7F))));
        QVERIFY(HasUnsafeChars(QString("a") + QChar(char16_t(0xDD00))));
        QVERIFY(HasUnsafeChars(QString(high) + "a"));
        QVERIFY(HasUnsafeChars(QString("a") + high));
        QVERIFY(HasUnsafeChars(QString(high) + high + x80));
        QVERIFY(HasUnsafeChars(QString(xff) + "?"));
        QVERIFY(HasUnsafeChars(QString(xff) + QChar(0x85)));

        m_disk->addFolder(QString(R"(C:\a\d)") + xff + R"(\below)");
        m_disk->addFolder(QString(R"(C:\a\broken)") + QChar(char16_t(0xDC7F)));
        m_disk->addFile(QString(R"(C:\a\d)") + xff + R"(\p)" + x80 + ".jpg");
        const FolderList folders = scan(R"(C:\a)");
        const QString d = QString(R"(C:\a\d)") + xff + '\\';
        QCOMPARE(folders, QStringList({R"(C:\a\)", d, d + R"(below\)"}));
        QCOMPARE(add(folders, "*.jpg"), QStringList({d + "p" + x80 + ".jpg"}));
    }

    void scan_lengthLimits() {
        const QString deep = R"(C:\)" + QString(250, 'd');
        m_disk->addFolder(deep + R"(\eeeeeeeeee\f)");
        m_disk->addFolder(R"(C:\a\)" + QString(260, 'n'));
        m_disk->addFolder(R"(C:\a\)" + QString(259, 'm'));
        // 265 characters: kept, but nothing below it is listed.
        QCOMPARE(scan(deep), QStringList({deep + '\\', deep + R"(\eeeeeeeeee\)"}));
        const FolderList names = scan(R"(C:\a)");
        QCOMPARE(names, QStringList({R"(C:\a\)", R"(C:\a\)" + QString(259, 'm') + '\\'}));
    }

    void scan_deniedOrVanishedFolderRemoved() {
        m_disk->addFolder(R"(C:\a\denied\below)");
        m_disk->addFolder(R"(C:\a\gone)");
        m_disk->addFolder(R"(C:\a\ok)");
        m_disk->addFile(R"(C:\a\top.jpg)");
        m_disk->addFile(R"(C:\a\denied\hidden.jpg)");
        m_disk->addFile(R"(C:\a\gone\lost.jpg)");
        m_disk->addFile(R"(C:\a\ok\fine.jpg)");
        m_disk->failOn(R"(C:\a\denied)", Op::List, 70);
        m_disk->failOn(R"(C:\a\gone)", Op::List, 76);
        const FolderList folders = scan(R"(C:\a)");
        QCOMPARE(folders, QStringList({R"(C:\a\)", R"(C:\a\ok\)"}));
        QCOMPARE(add(folders, "*.jpg"), QStringList({R"(C:\a\top.jpg)", R"(C:\a\ok\fine.jpg)"}));
        QVERIFY(m_reporter.reports.isEmpty());

        // The first entry with the same text goes, and the walk carries on behind it.
        FolderList twice{R"(C:\a\denied\)", R"(C:\a\ok\)", R"(C:\a\denied\)", R"(C:\a\gone\)"};
        GetSubDirectories2016(twice, false,
                              ScanContext{*m_disk, m_reporter, {}, PathStyle::Windows});
        QCOMPARE(twice, QStringList({R"(C:\a\ok\)"}));
    }

    void scan_otherListingFailureKeepsEntryWithoutReport() {
        m_disk->addFolder(R"(C:\a\odd\below)");
        m_disk->addFile(R"(C:\a\odd\p.jpg)");
        m_disk->failOn(R"(C:\a\odd)", Op::List, 75, 0);
        const FolderList folders = scan(R"(C:\a)");
        QCOMPARE(folders, QStringList({R"(C:\a\)", R"(C:\a\odd\)"}));
        QVERIFY(m_reporter.reports.isEmpty());
    }

    void scan_otherFailureReportedWithScanLocation() {
        m_disk->addFolder(R"(C:\a\x\y)");
        m_disk->addFolder(R"(C:\a\z)");
        // Anything but a folder that cannot be examined or listed is the scan's own failure: a
        // report with its location, and the scan goes on.
        int yields = 0;
        FolderList folders{R"(C:\a\)"};
        GetSubDirectories2016(folders, true,
                              ScanContext{*m_disk, m_reporter,
                                          [&] {
                                              if (++yields == 9) {
                                                  throw AppError("Out of string space", 14);
                                              }
                                          },
                                          PathStyle::Windows});
        QCOMPARE(m_reporter.reports.size(), 1);
        QCOMPARE(m_reporter.reports.first().location, QString(kScanLocation));
        QCOMPARE(m_reporter.reports.first().line, 156);
        QCOMPARE(m_reporter.reports.first().description, QString("Out of string space"));
        QCOMPARE(folders, QStringList({R"(C:\a\)", R"(C:\a\x\)", R"(C:\a\z\)", R"(C:\a\x\y\)"}));
    }

    void listFiles_onlyOpenableMatchingNames() {
        m_disk->addFile(R"(C:\a\b.jpg)");
        m_disk->addFile(R"(C:\a\locked.jpg)", 32, false);
        m_disk->addFile(R"(C:\a\hidden.jpg)", 2 | 32);
        m_disk->addFile(R"(C:\a\system.jpg)", 4 | 32);
        m_disk->addFile(R"(C:\a\a.png)");
        m_disk->addFolder(R"(C:\a\folder.jpg)");
        QCOMPARE(ListFiles(*m_disk, R"(C:\a)", "*.jpg", PathStyle::Windows),
                 QStringList({"b.jpg", "hidden.jpg", "system.jpg"}));
        QCOMPARE(ListFiles(*m_disk, R"(C:\a\)", "*.gif", PathStyle::Windows), QStringList());
        QVERIFY(FileIsPresent(*m_disk, R"(C:\a\b.jpg)"));
        QVERIFY(!FileIsPresent(*m_disk, R"(C:\a\locked.jpg)"));
        QVERIFY(!FileIsPresent(*m_disk, R"(C:\a\folder.jpg)"));
        QVERIFY(!FileIsPresent(*m_disk, R"(C:\a\none.jpg)"));
    }

    void addScanned_tildeAndAttributeRules() {
        m_disk->addFile(R"(C:\a\~lock.jpg)");
        m_disk->addFile(R"(C:\a\archive-hidden.jpg)", 34);
        m_disk->addFile(R"(C:\a\hidden-system-archive.jpg)", 38);
        m_disk->addFile(R"(C:\a\readonly-hidden-archive.jpg)", 35);
        m_disk->addFile(R"(C:\a\plain.jpg)", 32);
        m_disk->addFile(R"(C:\a\x~.jpg)");
        QCOMPARE(add(scan(R"(C:\a)"), "*.*"),
                 QStringList({R"(C:\a\hidden-system-archive.jpg)", R"(C:\a\plain.jpg)",
                              R"(C:\a\readonly-hidden-archive.jpg)", R"(C:\a\x~.jpg)"}));
    }

    void addScanned_failureGoesToStepRunner() {
        m_disk->addFile(R"(C:\a\p.jpg)");
        m_disk->addFile(R"(C:\b\q.jpg)");
        m_disk->failOn(R"(C:\a)", Op::List, 70);
        PictureListModel list;
        const ScanContext context{*m_disk, m_reporter, {}, PathStyle::Windows};
        const FolderList folders{R"(C:\a\)", R"(C:\b\)"};
        QVERIFY_THROWS_EXCEPTION(AppError, AddScannedFiles(folders, "*.*", list, context));
        QList<int> failedLines;
        AddScannedFiles(folders, "*.*", list, context,
                        [&](int line, const std::function<void()>& step) {
                            try {
                                step();
                            } catch (const AppError&) {
                                failedLines.append(line);
                            }
                        });
        // The failing folder is reported at its listing step and the next folder still comes.
        QCOMPARE(failedLines, QList<int>({122}));
        QCOMPARE(list.entries(), QStringList({R"(C:\b\q.jpg)"}));
    }

private:
    FolderList scan(const QString& folder, bool recurse = true);
    QStringList add(const FolderList& folders, const QString& pattern);

    std::unique_ptr<MemoryFileSystem> m_disk;
    RecordingReporter m_reporter;
};

FolderList ScanTest::scan(const QString& folder, bool recurse) {
    FolderList folders{folder + '\\'};
    GetSubDirectories2016(folders, recurse,
                          ScanContext{*m_disk, m_reporter, {}, PathStyle::Windows});
    return folders;
}

QStringList ScanTest::add(const FolderList& folders, const QString& pattern) {
    PictureListModel list;
    AddScannedFiles(folders, pattern, list,
                    ScanContext{*m_disk, m_reporter, {}, PathStyle::Windows});
    return list.entries();
}

QTEST_GUILESS_MAIN(ScanTest)
#include "tst_intake_scan.moc"
