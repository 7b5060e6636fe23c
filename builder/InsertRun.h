#pragma once

#include "builder/ControllerLock.h"
#include "builder/OfficeArguments.h"
#include "builder/PageArrangement.h"
#include "builder/PageStyles.h"
#include "core/AlbumLayout.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class Clock;
class HandlerTrap;
class InsertHost;
class OfficeBridge;
class OfficeController;
class OfficeDesktop;
class OfficeDispatcher;
class OfficeDocument;
class OfficeFrame;
class OfficeSession;
class PictureStage;

// The location text of the insert run's error reports.
inline constexpr char kInsertRunLocation[] = "in Sheafwork2021/08/31.Form1.PushButton2_Click ";

// The insert run: opens a new Writer document through the office bridge and inserts the
// pictures of the host's list into it, one per page, in list order. Each numbered step is
// reported on failure and the run goes on with the next, except that a run without a
// document, or whose office went away, ends at once.
class InsertRun {
public:
    InsertRun(InsertHost& host, OfficeBridge* bridge, Clock& clock,
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
    void setStage(PictureStage* stage) { m_stage = stage; }
    OfficeDocument* document() const { return m_document.get(); }
    OfficeDesktop* desktop() const { return m_desktop.get(); }
    // True when the run reached its end with the office still there.
    bool completed() const { return m_completed; }
    // True when the host asked the run to stop before its end.
    bool stopped() const { return m_stopped; }
    // True when the run stopped because the stage could prepare no more pictures.
    bool stageFailed() const { return m_stageBroken; }
    // The number of pictures the run set out to insert.
    int pictureTotal() const { return static_cast<int>(m_pictures.size()); }

    // Lets go of the lock on the document's controllers, if the run holds it, for good: the
    // document's view comes back to life, and the run goes on without the lock. For a host
    // that is about to end at once, in the middle of a run.
    // `timeLimitMs` above 0 bounds the release instead of the usual limit of a call. Throws
    // AppError when the office went away or did not answer.
    void releaseControllerLock(int timeLimitMs = 0);

    // The longest wait for the suite to leave the picture selection after ".uno:Escape".
    static constexpr int kSelectionWaitMs = 5000;
    // A pause after a picture at least this long is spent with the document's controllers
    // unlocked, so that a user watching the document sees it laid out and painted.
    static constexpr double kUnlockedPauseSeconds = 0.5;

private:
    bool openDocument(HandlerTrap& trap);
    // The user's template opened as a template (untitled), or a new text document.
    std::unique_ptr<OfficeDocument> newDocument();
    // Puts the cursor after what a template holds and sets up the page styles.
    bool preparePages(HandlerTrap& trap);
    void insertPictures(HandlerTrap& trap);
    // Measures the room of the pictures when the stage needs it, and starts the stage.
    void startStage(HandlerTrap& trap);
    // One picture's sequence: its arguments, its place, the insertion, its size, leaving
    // it, its caption, the pause and the way to the next picture's place. `part` counts the
    // pictures that one entry of the list gives (the pages of a multi-page file).
    void insertPicture(HandlerTrap& trap, int i, int part);
    // Fills the picture's arguments and shows which picture goes in; returns the entry's path.
    QString pictureArguments(HandlerTrap& trap, int i, int part);
    // The file the office gets for part `part` of the entry at `path`: what the stage gave,
    // when there is a stage. Throws AppError for an entry the stage found cannot go in.
    QString stagedFile(int part, const QString& path);
    // Makes the picture's place and inserts it; true when the office was reached.
    bool placeAndInsert(HandlerTrap& trap, const QString& path);
    void sizePicture(HandlerTrap& trap);
    // From a picture that went in to the next one's place: on its page, or after a break.
    void advance(HandlerTrap& trap, bool pageFull);
    // Runs one of the steps that insert picture `i`; on failure, notes the picture as failed.
    bool pictureStep(HandlerTrap& trap, int line, const std::function<void()>& body);
    // Calls the office; notes when the office has gone away, and lets the failure through.
    void officeCall(const std::function<void()>& call);
    void insertGraphic(const QString& path);
    void leavePictureSelection();
    void pauseAfterPicture();
    // A dispatch whose answer says nothing: the suite answers FAILURE for many commands it
    // carried out.
    void dispatch(const QString& command, const OfficeArguments& args = {});
    void writeCaption(const QString& path);
    void releaseOffice();

    InsertHost& m_host;
    OfficeBridge* m_bridge;
    Clock& m_clock;
    QString m_location;

    std::unique_ptr<OfficeSession> m_serviceManager;
    std::unique_ptr<OfficeDesktop> m_desktop;
    std::unique_ptr<OfficeDocument> m_document;
    std::unique_ptr<OfficeDispatcher> m_dispatcher;
    std::unique_ptr<OfficeController> m_controller;
    std::unique_ptr<OfficeFrame> m_frame;

    // The fixed argument lists, filled anew for each picture.
    OfficeArguments m_pictureArgs = OfficeArguments(4);
    OfficeArguments m_breakArgs = OfficeArguments(3);
    const OfficeArguments m_noArgs;

    // The list's entries when the run started: what the document gets.
    QStringList m_pictures;
    // A page break or a new paragraph stands after the last picture that went in, and no
    // picture after it yet.
    bool m_breakPending = false;
    // How the pictures of a page stand, for the pass over the pictures.
    std::unique_ptr<PageArrangement> m_arrangement;
    // The box every picture is fitted into, by the page style whose text area it comes from
    // ("" for the page the cursor is on).
    QHash<QString, QSize> m_pictureBoxes;
    std::optional<int> m_captionHeight;
    // The page styles of a setup that changes the pages, and the style of the current page.
    std::optional<PageStyles> m_pageStyles;
    QString m_pageStyle;
    // No page break was made yet: the pictures go on the page the document started with.
    bool m_onFirstPage = true;
    bool m_stopped = false;
    PictureStage* m_stage = nullptr;
    // What the stage gave for the entry that goes in now.
    QStringList m_stagedFiles;
    QString m_stageFailure;
    bool m_stageBroken = false;
    // The file the office gets for the current picture: the picture itself or its copy.
    QString m_file;

    // The first failure met while inserting the current picture, if any.
    bool m_pictureFailed = false;
    QString m_pictureFailure;

    bool m_officeGone = false;
    // The lock on the document's controllers, for the pass over the pictures; after the
    // document in the members, so that it is let go of first.
    std::optional<ControllerLock> m_lock;
    bool m_completed = false;
    bool m_keepDocument = false;
    std::optional<double> m_pauseOverride;
    AlbumLayout m_layout;
    std::function<PictureFacts(const QString& path, const CaptionPattern& pattern)> m_captionFacts;
};
