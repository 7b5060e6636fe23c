#pragma once

#include "builder/ControllerLock.h"
#include "builder/InsertHost.h"
#include "builder/OfficeArguments.h"
#include "builder/OfficeObjects.h"
#include "builder/PictureFiles.h"
#include "core/AlbumLayout.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class Clock;
class OfficeBridge;
class OfficeDesktop;
class OfficeDocument;
class PageSequence;
class PictureCommands;
class PictureStage;
class RunSteps;

// The location text of the insert run's error reports.
inline constexpr char kInsertRunLocation[] = "in Sheafwork2021/08/31.Form1.PushButton2_Click ";

// The insert run: opens a new Writer document through the office bridge and inserts the
// pictures of the host's list into it, in list order, on the pages of its page sequence. Each
// numbered step is reported on failure and the run goes on with the next, except that a run
// without a document, or whose office went away, ends at once. The run orders the steps; the
// pages, the pictures' commands and files, and the office's objects are its helpers'.
class InsertRun {
public:
    InsertRun(InsertHost host, OfficeBridge* bridge, Clock& clock,
              QString location = QString::fromLatin1(kInsertRunLocation));
    ~InsertRun();
    InsertRun(const InsertRun&) = delete;
    InsertRun& operator=(const InsertRun&) = delete;

    void run();

    // The pause after each picture in seconds, instead of the `InsertPause` setting.
    void setPauseSeconds(double seconds) { m_pauseOverride = seconds; }
    // Keeps the document and the suite's objects after the run, for a caller that goes on
    // working with the document (storing it); they are let go with the run object.
    void setKeepDocument(bool keep) { m_keepDocument = keep; }
    // How the pictures are laid out: captions, pictures per page, fitted to the page.
    void setLayout(const AlbumLayout& layout) { m_layout = layout; }
    // Reads what a caption pattern's fields take from the picture file itself (its date, its
    // description); without a reader those fields stay empty.
    void setCaptionFacts(
        std::function<PictureFacts(const QString& path, const CaptionPattern& pattern)> reader) {
        m_captionFacts = std::move(reader);
    }
    // The stage that may hand the office prepared copies instead of the pictures; without one
    // the office gets every picture as it is.
    void setStage(PictureStage* stage) { m_files.setStage(stage); }
    OfficeDocument* document() const { return m_office.document.get(); }
    OfficeDesktop* desktop() const { return m_office.desktop.get(); }
    // True when the run reached its end with the office still there.
    bool completed() const { return m_completed; }
    // True when the host asked the run to stop before its end.
    bool stopped() const { return m_stopped; }
    // True when the run stopped because the stage could prepare no more pictures.
    bool stageFailed() const { return m_files.broken(); }
    // The number of pictures the run set out to insert.
    int pictureTotal() const { return static_cast<int>(m_pictures.size()); }

    // Lets go of the lock on the document's controllers, if the run holds it, for good: the
    // document's view comes back to life, and the run goes on without the lock. For a host
    // that is about to end at once, in the middle of a run.
    // `timeLimitMs` above 0 bounds the release instead of the usual limit of a call. Throws
    // AppError when the office went away or did not answer.
    void releaseControllerLock(int timeLimitMs = 0);

    // A pause after a picture at least this long is spent with the document's controllers
    // unlocked, so that a user watching the document sees it laid out and painted.
    static constexpr double kUnlockedPauseSeconds = 0.5;

private:
    // Opens the document, and prepares its pages; false when no picture can go in.
    bool openDocument(RunSteps& steps);
    void insertPictures(RunSteps& steps);
    // One picture's sequence: its arguments, its place, the insertion, its size, leaving
    // it, its caption, the pause and the way to the next picture's place. `part` counts the
    // pictures that one entry of the list gives (the pages of a multi-page file).
    void insertPicture(RunSteps& steps, int i, int part);
    // Fills the picture's arguments and shows which picture goes in; returns the entry's path.
    QString pictureArguments(RunSteps& steps, int i, int part);
    // Makes the picture's place and inserts it; true when the office was reached.
    bool placeAndInsert(RunSteps& steps, const QString& path);
    void sizePicture(RunSteps& steps);
    void pauseAfterPicture(RunSteps& steps);
    void releaseOffice();

    InsertHost m_host;
    OfficeBridge* m_bridge;
    Clock& m_clock;
    QString m_location;
    // The steps of the pass over the pictures, while it goes on, for a release of the lock
    // asked in the middle of it.
    RunSteps* m_steps = nullptr;

    OfficeObjects m_office;
    // The commands of each picture, and the pages they go on; after the office's objects in
    // the members, which they use.
    std::unique_ptr<PictureCommands> m_commands;
    std::unique_ptr<PageSequence> m_pages;

    // The fixed argument list of a picture, filled anew for each picture.
    OfficeArguments m_pictureArgs = OfficeArguments(4);

    // The list's entries when the run started: what the document gets.
    QStringList m_pictures;
    bool m_stopped = false;
    PictureFiles m_files;
    // The file the office gets for the current picture: the picture itself or its copy.
    QString m_file;

    // The lock on the document's controllers, for the pass over the pictures; after the
    // document in the members, so that it is let go of first.
    std::optional<ControllerLock> m_lock;
    bool m_completed = false;
    bool m_keepDocument = false;
    std::optional<double> m_pauseOverride;
    AlbumLayout m_layout;
    std::function<PictureFacts(const QString& path, const CaptionPattern& pattern)> m_captionFacts;
};
