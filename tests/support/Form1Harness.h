#pragma once

#include "app/CaptionProgressBar.h"
#include "app/Form1.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "intake/PosixFileSystem.h"
#include "piclist/PictureListModel.h"
#include "piclist/PictureListView.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeRandom.h"
#include "tests/support/FakeUiServices.h"
#include "tests/support/RecordingOfficeBridge.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A program folder of the test's own. It starts empty; a test copies in the optional files
// that the build put beside the executables, or writes its own (a skin, a broken cursor).
class TestProgramFolder {
public:
    TestProgramFolder() : m_dir(baseFolder() + QStringLiteral("/program-XXXXXX")) {}

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }

    // Copies e.g. "HAND-M.CUR" or "drag.ico" from the build's program folder.
    bool copyFromBuild(const QString& name) const {
        return QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name,
                           path() + QLatin1Char('/') + name);
    }

    // Writes a file below the folder, creating its subfolders ("x/o.cjs").
    bool write(const QString& relative, const QByteArray& bytes) const {
        const QString target = path() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile file(target);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private:
    static QString baseFolder() {
        QString base = qEnvironmentVariable("LUMIGROVE_TEST_TMP");
        if (base.isEmpty()) {
            base = QDir::tempPath();
        }
        QDir().mkpath(base);
        return base;
    }

    QTemporaryDir m_dir;
};

// The controls of a main window, found by their object names as a test of a real window finds
// them; a control the window lacks ends the program, naming it.
struct Form1Controls {
    static PictureListView* list(const Form1& form) {
        return find<PictureListView>(form, QStringLiteral("ListView1"));
    }
    // PushButton1, PushButton2, ... by their number.
    static QPushButton* button(const Form1& form, int number) {
        return find<QPushButton>(form, QStringLiteral("PushButton%1").arg(number));
    }
    static CaptionProgressBar* progress(const Form1& form) {
        return find<CaptionProgressBar>(form, QStringLiteral("ProgressBar1"));
    }

private:
    template <typename Control> static Control* find(const Form1& form, const QString& name) {
        auto* control = form.findChild<Control*>(name, Qt::FindDirectChildrenOnly);
        if (control == nullptr) {
            qFatal("the main window has no control %s", qPrintable(name));
        }
        return control;
    }
};

// The real main window over scripted desktop services and scripted draws, as every test of
// the window sets it up. By default it has a fake clock, the real disk and a recording office
// suite (so that the start-up check finds one); a test names what it wants instead. The
// error reports go through the real reporter into the scripted message boxes.
struct Form1Harness {
    // What a test chooses, named at the call: Setup().folder(path).loaded().
    struct Setup {
        QString programFolder;
        // Another office bridge (the real one); default: `office`, a recording one.
        OfficeBridge* office = nullptr;
        // Another disk (an in-memory one); default: `disk`, the real one.
        FileSystem* disk = nullptr;
        // The system clock instead of `clock`, for runs that really wait.
        bool systemClock = false;
        // Runs the start-up sequence and forgets the boxes it showed.
        bool load = false;

        Setup& folder(const QString& path) {
            programFolder = path;
            return *this;
        }
        Setup& officeBridge(OfficeBridge* bridge) {
            office = bridge;
            return *this;
        }
        Setup& fileSystem(FileSystem* other) {
            disk = other;
            return *this;
        }
        Setup& realTime() {
            systemClock = true;
            return *this;
        }
        Setup& loaded() {
            load = true;
            return *this;
        }
    };

    Form1Harness() : Form1Harness(Setup{}) {}
    explicit Form1Harness(const Setup& setup)
        : reporter(ui),
          form(Form1Services{ui, reporter,
                             setup.systemClock ? static_cast<Clock&>(systemClock) : clock, random,
                             setup.disk ? setup.disk : &disk, setup.office ? setup.office : &office,
                             setup.programFolder}) {
        if (setup.load) {
            form.Form_Load();
            ui.boxes.clear();
        }
    }

    FakeUiServices ui;
    MessageBoxErrorReporter reporter;
    FakeClock clock;
    SystemClock systemClock;
    FakeRandom random;
    PosixFileSystem disk;
    RecordingOfficeBridge office;
    Form1 form;

    PictureListModel& list() { return form.pictureList(); }
    PictureListView* view() const { return Form1Controls::list(form); }
    QPushButton* button(int number) const { return Form1Controls::button(form, number); }
    CaptionProgressBar* progress() const { return Form1Controls::progress(form); }

    // Appends the entries and lets the view lay them out, as it does between events.
    void fill(const QStringList& texts) {
        for (const QString& text : texts) {
            list().append(text);
        }
        QCoreApplication::processEvents();
    }
    QStringList texts() { return list().entries(); }

    // 1-based position of the current entry, 0 for none.
    int current() {
        const QModelIndex index = view()->currentIndex();
        return index.isValid() ? index.row() + 1 : 0;
    }
    void makeCurrent(int position) { view()->setCurrentIndex(list().index(position - 1, 0)); }
    QRect rowRect(int position) { return view()->visualRect(list().index(position - 1, 0)); }

    // The texts of every box shown, in order.
    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& box : ui.boxes) {
            texts.append(box.text);
        }
        return texts;
    }
};
