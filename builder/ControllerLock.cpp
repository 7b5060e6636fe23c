#include "builder/ControllerLock.h"

#include "builder/OfficeBridge.h"
#include "builder/OfficeDocument.h"
#include "core/AppError.h"

ControllerLock::ControllerLock(OfficeDocument& document, bool allowed, const bool& officeGone)
    : m_document(document), m_officeGone(officeGone), m_allowed(allowed) {}

ControllerLock::~ControllerLock() {
    try {
        release();
    } catch (...) {
    }
}

void ControllerLock::take() {
    if (!m_allowed || m_held || m_officeGone) {
        return;
    }
    try {
        m_document.lockControllers();
        m_held = true;
        m_wasHeld = true;
    } catch (const AppError& e) {
        m_allowed = false;
        if (OfficeError::endsSession(e.number())) {
            throw;
        }
    } catch (...) {
        m_allowed = false;
    }
}

void ControllerLock::release(int timeLimitMs) {
    if (!m_held) {
        return;
    }
    m_held = false;
    if (m_officeGone) {
        return;
    }
    try {
        m_document.unlockControllers(timeLimitMs);
    } catch (const AppError& e) {
        if (OfficeError::endsSession(e.number())) {
            throw;
        }
    } catch (...) {
    }
}

void ControllerLock::releaseForGood(int timeLimitMs) {
    m_allowed = false;
    release(timeLimitMs);
}
