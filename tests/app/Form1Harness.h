#pragma once

#include "ErrorReport.h"
#include "FakeClock.h"
#include "FakeUiServices.h"
#include "Form1.h"
#include "PictureListModel.h"
#include "PictureListView.h"
#include "RecordingOfficeBridge.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

// The real main window over scripted desktop services, a fake clock, scripted draws and a
// recording office suite (so that the start-up check finds one). The error reports go
// through the real reporter into the scripted message boxes.
struct Form1Harness {
    explicit Form1Harness(const QString& programFolder)
        : reporter(ui),
          form(Form1Services{ui, reporter, clock, random, nullptr, &office, programFolder}) {}

    FakeUiServices ui;
    MessageBoxErrorReporter reporter;
    FakeClock clock;
    FakeRandom random;
    RecordingOfficeBridge office;
    Form1 form;

    PictureListModel& list() { return form.pictureList(); }
    PictureListView* view() { return form.ListView1; }

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
};
