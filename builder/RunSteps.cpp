#include "builder/RunSteps.h"

#include "builder/OfficeBridge.h"
#include "core/AppError.h"

bool RunSteps::office(int line, const std::function<void()>& call) {
    return m_trap(line, [&] { this->call(call); });
}

bool RunSteps::picture(int line, const std::function<void()>& body) {
    if (m_trap(line, body)) {
        return true;
    }
    if (!m_pictureFailed) {
        m_pictureFailed = true;
        m_pictureFailure = m_trap.lastFailure();
    }
    return false;
}

bool RunSteps::pictureOffice(int line, const std::function<void()>& call) {
    return picture(line, [&] { this->call(call); });
}

void RunSteps::call(const std::function<void()>& call) {
    try {
        call();
    } catch (const AppError& e) {
        if (OfficeError::endsSession(e.number())) {
            m_officeGone = true;
        }
        throw;
    }
}

void RunSteps::startPicture() {
    m_pictureFailed = false;
    m_pictureFailure.clear();
}
