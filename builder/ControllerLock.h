#pragma once

class OfficeDocument;

// The lock on a document's controllers that an insert run holds over its pictures: the suite
// then neither lays the document out nor repaints after each command, and each picture costs
// the same however long the document already is. It is taken with the first command that
// changes the document, let go of during pauses long enough to watch the document, and
// released on every way out, the destructor included. The lock only saves time: a lock the
// suite refuses ends the locking, and the run goes on without it.
class ControllerLock {
public:
    // `allowed` false makes a lock that is never taken. `officeGone` is the run's own note
    // that the office went away or does not answer: nothing is sent to such an office.
    ControllerLock(OfficeDocument& document, bool allowed, const bool& officeGone);
    ~ControllerLock();
    ControllerLock(const ControllerLock&) = delete;
    ControllerLock& operator=(const ControllerLock&) = delete;

    // Takes the lock when allowed and not held. Throws AppError only when the office went
    // away or does not answer, for the command that wanted the lock to fail with it.
    void take();
    // Lets go of the lock, if held, until the next take(). Released once, whatever the
    // answer: a second release could undo a lock that is not the run's. Throws AppError only
    // when the office went away or does not answer. `timeLimitMs` above 0 bounds the call
    // instead of the usual limit.
    void release(int timeLimitMs = 0);
    // Lets go of the lock for good: it is not taken again.
    void releaseForGood(int timeLimitMs = 0);

    bool held() const { return m_held; }
    // Held at some time: the suite's view may still lag behind the document.
    bool wasHeld() const { return m_wasHeld; }

private:
    OfficeDocument& m_document;
    const bool& m_officeGone;
    bool m_allowed;
    bool m_held = false;
    bool m_wasHeld = false;
};
