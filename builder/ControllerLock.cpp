#include "builder/ControllerLock.h"

#include "builder/OfficeDocument.h"

ControllerLock::~ControllerLock() {
    release();
}

void ControllerLock::acquire(OfficeDocument* document) {
    if (held() || document == nullptr) {
        return;
    }
    try {
        document->lockControllers();
        m_document = document;
    } catch (...) {
    }
}

void ControllerLock::release() {
    OfficeDocument* document = m_document;
    m_document = nullptr;
    if (document == nullptr) {
        return;
    }
    try {
        document->unlockControllers();
    } catch (...) {
    }
}
