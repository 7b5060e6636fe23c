#include "builder/PictureFiles.h"

#include "builder/PictureStage.h"
#include "core/AppError.h"

void PictureFiles::start(const QStringList& pictures, bool grow,
                         const std::function<void(PictureRoom&)>& measure) {
    if (m_stage == nullptr || pictures.isEmpty()) {
        return;
    }
    PictureRoom room;
    room.grow = grow;
    if (m_stage->needsRoom()) {
        measure(room);
    }
    m_stage->start(pictures, room);
}

void PictureFiles::nextEntry() {
    m_files.clear();
    m_failure.clear();
}

bool PictureFiles::take(int index, const std::function<bool()>& stop) {
    if (m_stage == nullptr) {
        return true;
    }
    const StagedPicture staged = m_stage->take(index, stop);
    if (staged.stopped) {
        return false;
    }
    m_files = staged.files;
    m_failure = staged.failure;
    m_broken = staged.fatal;
    return true;
}

QString PictureFiles::file(int part, const QString& path) const {
    if (!m_failure.isEmpty()) {
        throw AppError(m_failure, ErrorNumber::PathFileAccessError);
    }
    return m_files.value(part, path);
}

QString PictureFiles::doneNote() const {
    return m_stage != nullptr ? m_stage->doneNote() : QString();
}
