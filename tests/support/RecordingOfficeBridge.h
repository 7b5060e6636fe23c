#pragma once

#include "builder/OfficeArguments.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeDispatcher.h"
#include "builder/OfficeStyles.h"

#include <QHash>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

// An office bridge that records every call in order and answers like a headless suite:
// a picture stays selected after ".uno:InsertGraphic" until ".uno:Escape" has been carried
// out, and a break or picture sent while it is selected silently does nothing. Failures,
// a slow escape and a suite that goes away are injected by the test. The document's view, its
// cursor and its styles are recorded as one object, "controller".
class RecordingOfficeBridge : public OfficeBridge {
public:
    struct Dispatch {
        QString command;
        QString targetFrame;
        short searchFlags = 0;
        OfficeArguments args;
        // Which frame the command went to (frames are numbered in order of creation).
        int frame = 0;
        // False when the suite ignored the command because a picture was still selected.
        bool carriedOut = true;
        // How many locks were held on the document's controllers when the command arrived.
        int controllerLocks = 0;
        // Readings of the selection while a lock was held: the real suite can abort on them.
        int selectionReadingsUnderLock = 0;
    };

    std::unique_ptr<OfficeSession> createServiceManager() override;

    // Every call, as "<object>.<member>[ <argument>]", e.g. "session.createInstance
    // com.sun.star.frame.DispatchHelper" or "dispatcher.executeDispatch .uno:Escape". Every
    // change to a page style's properties is "controller.changePageStyle <style> <what>".
    QStringList calls;
    QList<Dispatch> dispatches;
    QList<Dispatch> dispatchesOf(const QString& command) const;
    int sessionsCreated = 0;

    // The member (as in `calls`, with or without its argument) whose every call fails, and
    // the error number it fails with.
    QString failingMember;
    int failingNumber = OfficeError::Automation;
    // What endStartedOffice() was asked, in order ("idle only" or "always").
    QStringList officeEnds;
    // The office's process as if started here (0: only connected), and its document's window.
    qint64 startedPid = 0;
    qint64 startedProcessId() const override { return startedPid; }
    quint64 documentWindow = 0;
    void endStartedOffice(bool onlyIfIdle) override {
        officeEnds.append(onlyIfIdle ? QStringLiteral("idle only") : QStringLiteral("always"));
    }
    // Answers per command; a command not listed gets Success. The real suite answers FAILURE
    // for breaks and anchoring even when it carried them out, so that is the default here.
    std::function<DispatchState(const Dispatch&)> answer;
    // Runs inside every dispatch, before it returns: the place to act in the middle of a run.
    std::function<void(const Dispatch&)> onDispatch;
    // Runs inside every store, with the path: the place to write the file, or to act.
    std::function<void(const QString& path)> onStore;
    // From this dispatch on (counted from 1, 0 for never) the suite is gone: that call and
    // every later one throw OfficeError::Disconnected.
    int disconnectAtDispatch = 0;
    // How many readings of the selection still show the picture after each ".uno:Escape".
    int escapeDelayReadings = 0;
    int selectionReadings = 0;
    // Times the cursor was put at the end of the body text (which leaves a picture selection
    // at once, without reading the selection).
    int bodyEndSelections = 0;

    // State of the simulated suite.
    bool pictureSelected = false;
    bool escapePending = false;
    int readingsUntilEscaped = 0;
    bool gone = false;
    int framesCreated = 0;
    // Locks taken on the document's controllers and not yet released (a lock or unlock that
    // fails counts as not carried out; a suite that went away holds none). The selection and
    // the escape behave the same either way, as in the suite.
    int controllerLocks = 0;
    // Readings of the selection while a lock was held: the real suite can abort on them.
    int selectionReadingsUnderLock = 0;

    // The size the suite gives every inserted picture, and the text area of the pages of a
    // style that the run did not change, in hundredths of a millimetre (a Letter page with 2
    // cm margins).
    QSize insertedPictureSize{4000, 3000};
    QSize textArea{17590, 23940};
    // The page styles that the run made or changed, by name; "Standard", the document's only
    // other one, is a Letter page with the text area above.
    QHash<QString, PageFormat> pageStyles;
    // The page style of the page the view's cursor is on.
    QString cursorPageStyle = QStringLiteral("Standard");
    // A page style of the document as it stands now; throws AppError for one it does not have.
    PageFormat pageStyle(const QString& name) const;
    // The height of a caption line in the document's Caption style.
    int captionHeight = 1200;
    // What the picture's paragraph adds to its line (spacing of 2.75 mm above and below).
    int pictureLineExtra = 550;
    // The time limit each store was given (0 for the usual one).
    QList<int> storeTimeLimitsMs;
    // The sizes the pictures were given, in order.
    QList<QSize> pictureSizes;

    // Throws when the member is set to fail or the suite is gone.
    void enter(const QString& member, const QString& argument = QString());
};
