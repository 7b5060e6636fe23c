// The Qt open-file dialog behind "Add Image File(s)" and the folder browser, driven as a
// user would: the filter shows pictures whatever the case of their extension, several files
// come back as full paths, and a selection beyond the result buffer is refused whole.
#include "app/QtUiServices.h"
#include "intake/OpenFileSelection.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

void makeFile(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Acts on the file dialog once it is shown, then lets the caller's modal call return.
void whenDialogShown(const std::function<void(QFileDialog*)>& act) {
    QTimer::singleShot(0, [act] {
        QFileDialog* dialog = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            return dialog != nullptr;
        });
        if (!shown) {
            return;
        }
        act(dialog);
        // Whatever is left open (a warning about the typed names) is closed, so that a
        // failure shows as a failed comparison and not as a hang.
        QTimer::singleShot(3000, [] {
            while (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
    });
}

QStringList visibleNames(QFileDialog* dialog) {
    auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (list == nullptr) {
        return names;
    }
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
        names.append(list->model()->index(row, 0, list->rootIndex()).data().toString());
    }
    return names;
}

} // namespace

class OpenDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const char* name : {"a.jpg", "B.JPG", "c.Png", "notes.txt"}) {
            makeFile(m_dir.path() + '/' + name);
        }
        QDir::setCurrent(m_dir.path());
    }

    void openFiles_filterAndSeveralFullPaths() {
        QStringList shown;
        QString filterLabel;
        whenDialogShown([&](QFileDialog* dialog) {
            filterLabel =
                dialog->windowTitle() + '|' +
                dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
            if (QTest::qWaitFor([&] { return visibleNames(dialog).size() >= 3; }, 5000)) {
                shown = visibleNames(dialog);
            }
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("\"a.jpg\" \"B.JPG\""));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const OpenFileResult result =
            m_ui.getOpenFileNames(QString::fromLatin1(kOpenFileTitle), openFileFilter(), 30000);
        QCOMPARE(filterLabel,
                 QString::fromLatin1(kOpenFileTitle) + '|' + openFileFilter().section('|', 0, 0));
        shown.sort();
        QCOMPARE(shown, QStringList({"B.JPG", "a.jpg", "c.Png"}));
        QVERIFY(!result.tooMany);
        QStringList paths = result.paths;
        paths.sort();
        QCOMPARE(paths, QStringList({m_dir.path() + "/B.JPG", m_dir.path() + "/a.jpg"}));
    }

    void openFiles_overBudgetRefusedWhole() {
        // 120 names of 250 characters: about 30,000 characters in the folder-plus-names form.
        QTemporaryDir many;
        QString typed;
        for (int i = 0; i < 120; ++i) {
            const QString name = QStringLiteral("%1.jpg").arg(i, 246, 10, QLatin1Char('0'));
            makeFile(many.path() + '/' + name);
            typed += '"' + name + "\" ";
        }
        whenDialogShown([&](QFileDialog* dialog) {
            dialog->setDirectory(many.path());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const OpenFileResult result =
            m_ui.getOpenFileNames(QString::fromLatin1(kOpenFileTitle), openFileFilter(), 30000);
        QVERIFY(result.tooMany);
        QVERIFY(result.paths.isEmpty());
    }

    void browse_returnsFolderWithoutTrailingSeparator() {
        QVERIFY(QDir(m_dir.path()).mkdir("sub"));
        QString startShown;
        whenDialogShown([&](QFileDialog* dialog) {
            startShown = dialog->directory().absolutePath();
            dialog->setDirectory(m_dir.path() + "/sub/");
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->clear();
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const QString chosen = m_ui.browseForFolder("Please select folder:", m_dir.path());
        QCOMPARE(startShown, m_dir.path());
        QCOMPARE(chosen, m_dir.path() + "/sub");

        // The root keeps its separator.
        whenDialogShown([&](QFileDialog* dialog) {
            dialog->setDirectory(QStringLiteral("/"));
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->clear();
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(m_ui.browseForFolder("Please select folder:", QString()), QString("/"));
    }

private:
    QTemporaryDir m_dir;
    QtUiServices m_ui;
};

QTEST_MAIN(OpenDialogTest)
#include "tst_intake_opendialog.moc"
