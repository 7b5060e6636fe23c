#pragma once

class OfficeDocument;

// One lock on a document's controllers, held by the insert run so that the suite does not
// lay the document out again after every command. Locking and unlocking only save time:
// a failure to do either is swallowed, and a lock that could not be taken is not released.
// Released at the latest when the lock object goes away.
class ControllerLock {
public:
    ControllerLock() = default;
    ~ControllerLock();
    ControllerLock(const ControllerLock&) = delete;
    ControllerLock& operator=(const ControllerLock&) = delete;

    // Locks the document's controllers, unless this lock is held already.
    void acquire(OfficeDocument* document);
    // Unlocks them once, if this lock is held; a failed unlock counts as done, as the suite
    // may be gone and a second unlock could release someone else's lock.
    void release();
    bool held() const { return m_document != nullptr; }

private:
    OfficeDocument* m_document = nullptr;
};
