#pragma once

#include "app/Form1Services.h"
#include "core/MousePointer.h"

#include <QCursor>
#include <QDeadlineTimer>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class CaptionProgressBar;
class FileSystem;
class InsertRun;
class PictureListModel;
class PictureListView;
class PreparedPictures;
class QMimeData;
class QPushButton;
class QTimer;

// The main window: the picture list, the seven buttons and the progress bar, and every
// user operation as a handler named after its control and event. The handlers read as
// their steps; the work of each step lives in the subsystems.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const Form1Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up sequence, run once before the window is first shown. Returns false when
    // the program has been ended during start-up (no office suite).
    bool Form_Load();
    void ApplySkin();
    void SetAppTitle();
    void CheckOfficeSuite();

    // Button handlers.
    void PushButton1_Click();  // "Add Image File(s)"
    void PushButton2_Click();  // "Start Inserting Images"
    void PushButton4_Click();  // "Add All Image Files In Folder"
    void PushButton5_Click();  // "Move Up"
    void PushButton6_Click();  // "Move Down"
    void PushButton10_Click(); // "Clear List"
    void PushButton11_Click(); // "Load Sample/Example Files"

    // List handlers.
    void ListView1_DblClick();
    void ListView1_KeyDown(int key);
    void ListView1_ItemClick(int position);
    void ListView1_MouseDown(Qt::MouseButton button, int position);
    void ListView1_MouseMove(const QPoint& listPos);
    void ListView1_MouseUp(Qt::MouseButton button);
    bool ListView1_OLEDragOver(const QMimeData* data) const;
    void ListView1_OLEDragDrop(const QMimeData* data);
    // The list's context menu: "Sort by Name", "Sort by Date Taken", "Reverse Order" and
    // "Document Options...".
    void ListView1_ContextMenu(const QPoint& screenPos);
    // "Document Options...": shows the layout kept in the settings and stores the one
    // confirmed with OK. The next run takes it; a run already going keeps its own.
    void DocumentOptions_Click();

    // The pointer value that every Part of the window shares; 11 means busy.
    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int value);
    bool isBusy() const { return m_mousePointer == MousePointer::Hourglass; }

    PictureListModel& pictureList() { return *m_pictureList; }
    const Form1Services& services() const { return m_services; }
    QString programFolder() const { return m_services.programFolder; }
    // True once the program has been ended (start-up check, window closed).
    bool hasEnded() const { return m_ended; }

    // True while an insert run is in progress; a second click on "Start Inserting Images" is
    // then ignored.
    bool isInserting() const { return m_inserting; }

    // Lets the event loop handle pending events once.
    static void doEvents();

    // Ends the program as closing the window does, with the exit status 128 + `signal`.
    void endOnSignal(int signal) { endProgram(128 + signal); }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window as the host of its insert run (Form1_Insert.cpp): it shows the run's progress
    // on ProgressBar1 and keeps the busy flag.
    class InsertRunHost;

    // Brings the window in front of the document the office has just opened, and keeps it
    // there for a few seconds of the run: the office's window may come up a moment later.
    void keepInFrontOfTheDocument();
    // The run is over and the office has been asked to put the document's window (X11 id
    // `window`, 0 when unknown) in front: the window lets it have the front.
    void leaveTheFrontToTheDocument(quint64 window);
    void buildLayout();
    void endProgram(int exitCode);
    void removeCurrentEntry();
    // Puts the list in a new order (positions from 0); the current entry moves with its row.
    void reorderList(const QList<qsizetype>& order);
    void sortByDateTaken(const QStringList& paths);
    void showPointer();
    // The disk behind every file test; throws when the program was given none.
    FileSystem& disk() const;

    // The controls, named as the handlers name them and found by these names (objectName).
    PictureListView* ListView1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton11 = nullptr;
    CaptionProgressBar* ProgressBar1 = nullptr;

    Form1Services m_services;
    bool m_inserting = false;
    PictureListModel* m_pictureList = nullptr;
    int m_mousePointer = MousePointer::Default;
    std::optional<QCursor> m_handCursor;
    bool m_ended = false;
    // Until when a window of another program that takes the front is given it back.
    QDeadlineTimer m_keepInFront;
    QTimer* m_raiseAgain = nullptr;
    // The insert run in progress, if any: ending the program lets go of its document's view.
    InsertRun* m_activeRun = nullptr;
    // Its pictures' stage: ending the program ends the stage's work and removes its copies.
    PreparedPictures* m_activeStage = nullptr;

    // Drag reordering within the list.
    bool m_buttonDown = false;
    QPersistentModelIndex m_draggedEntry;
    QPersistentModelIndex m_hoverEntry;
};
