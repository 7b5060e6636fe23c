#pragma once

#include <QSize>
#include <QString>

#include <concepts>

class ErrorReporter;

// The pictures of an insert run, as the host has them.
class InsertList {
public:
    virtual ~InsertList() = default;
    // The picture list, counted from 1; both may throw when the list cannot be read.
    virtual int pictureCount() = 0;
    virtual QString pictureText(int i) = 0;
    // The pixels of the picture file `file` as the office shows it (a JPEG turned by its
    // EXIF orientation), read from its header only; an invalid size when it cannot be read.
    virtual QSize pictureShape(const QString& file) = 0;
};

// What the user sees of an insert run: the progress, the mouse pointer, plain messages, the
// event loop that keeps the window live, and the document's window.
class InsertDisplay {
public:
    virtual ~InsertDisplay() = default;
    virtual void setMousePointer(int value) = 0;
    virtual void setProgressValue(int percent) = 0;
    virtual void setProgressText(const QString& text) = 0;
    // A message with an OK button only, titled with the application title.
    virtual void showMessage(const QString& text) = 0;
    // Lets the event loop handle pending events once.
    virtual void doEvents() = 0;
    // The new document is open in its own window, which the office may have put over the
    // host's; a window host brings its progress back into view.
    virtual void documentOpened() {}
    // True when the user is to see the document once the run ends: its window is then put
    // in front. A host that stores the document and closes it says no.
    virtual bool showsDocument() const { return false; }
    // The office has been asked to put the finished document's window in front; `window` is
    // its X11 id (0: unknown). A window host lets it have the front.
    virtual void documentInFront(quint64 window) { Q_UNUSED(window); }
};

// The course of an insert run as its host keeps it: the busy flag, the request to stop, the
// error report, and what became of the document and of each picture.
class InsertOutcome {
public:
    virtual ~InsertOutcome() = default;
    virtual bool insertBusy() const = 0;
    virtual void setInsertBusy(bool busy) = 0;
    // True when the run should end before its next picture (the program is being
    // interrupted); the window never asks that.
    virtual bool stopRequested() { return false; }
    virtual ErrorReporter& errorReporter() = 0;
    // Besides the error reports: no document could be opened (for want of the office,
    // `officeFailed`, or for the document's own sake, such as a template the office cannot
    // open); the picture at list position `index` went in, or did not (with the first
    // failure's description). The window shows the reports only; a host that sums up a run
    // listens.
    virtual void documentNotOpened(const QString& message, bool officeFailed) {
        Q_UNUSED(message);
        Q_UNUSED(officeFailed);
    }
    virtual void pictureInserted(int index, const QString& path) {
        Q_UNUSED(index);
        Q_UNUSED(path);
    }
    virtual void pictureFailed(int index, const QString& path, const QString& message) {
        Q_UNUSED(index);
        Q_UNUSED(path);
        Q_UNUSED(message);
    }
};

// What the insert run needs from the program that hosts it: the three roles, each asked only
// for its own. One object may play all three (the main window's host, the batch's host).
struct InsertHost {
    InsertHost(InsertList& list, InsertDisplay& display, InsertOutcome& outcome)
        : list(list), display(display), outcome(outcome) {}
    // A host that plays all three roles stands for itself.
    template <class Host>
    requires std::derived_from<Host, InsertList> && std::derived_from<Host, InsertDisplay> &&
        std::derived_from<Host, InsertOutcome>
        InsertHost(Host& host) : list(host), display(host), outcome(host) {}

    InsertList& list;
    InsertDisplay& display;
    InsertOutcome& outcome;
};
