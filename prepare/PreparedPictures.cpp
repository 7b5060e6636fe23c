#include "prepare/PreparedPictures.h"

#include "core/EventLoopWait.h"
#include "core/FileNames.h"

#include <QDir>
#include <QImageReader>
#include <QThread>

namespace {

// How often a wait for a picture looks again, sleeping in the event loop meanwhile.
constexpr int kTakePollMs = 5;

} // namespace

PreparedPictures::PreparedPictures(const PicturePolicy& policy, int workers, const QString& parent)
    : m_policy(policy), m_parent(parent.isEmpty() ? QDir::tempPath() : parent),
      m_workerCount(workers > 0 ? workers : std::max(1, QThread::idealThreadCount())) {}

PreparedPictures::~PreparedPictures() {
    discard();
}

void PreparedPictures::start(const QStringList& pictures, const PictureRoom& room) {
    stopWorkers();
    m_pictures = pictures;
    m_room = room;
    m_slots.assign(pictures.size(), Slot());
    m_next = 0;
    m_wanted = 0;
    m_ending = false;
    m_folder =
        std::make_unique<QTemporaryDir>(m_parent + QStringLiteral("/lumigrove-pictures-XXXXXX"));
    m_folderProblem = m_folder->isValid() ? QString() : m_folder->errorString();
    // Qt loads its image format plugins once, for every thread, on first use: here, before
    // the workers, rather than in whichever worker comes first.
    QImageReader::supportedImageFormats();
    const int workers = std::min<qsizetype>(m_workerCount, pictures.size());
    for (int i = 0; i < workers; ++i) {
        m_threads.emplace_back([this] { work(); });
    }
}

void PreparedPictures::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        const int ahead = m_workerCount * kAheadPerWorker;
        m_wake.wait(lock, [&] {
            return m_ending || (m_next < int(m_slots.size()) && m_next <= m_wanted + ahead);
        });
        if (m_ending) {
            return;
        }
        const int index = m_next++;
        const QString source = m_pictures.at(index);
        const QString folder = m_folderProblem.isEmpty() ? m_folder->path() : QString();
        lock.unlock();
        // A picture that needs no copy needs no folder: a folder that could not be made fails
        // only those that do.
        PreparedEntry entry = preparePicture(
            source, folder, QStringLiteral("%1").arg(index + 1, 6, 10, QLatin1Char('0')), m_policy,
            m_room);
        if (entry.folderFailed) {
            entry.failure = QStringLiteral("no copy can be made in %1: %2")
                                .arg(displayFileName(m_parent),
                                     folder.isEmpty() ? m_folderProblem : entry.failure);
        }
        lock.lock();
        m_slots[index].entry = std::move(entry);
        m_slots[index].done = true;
        m_wake.notify_all();
    }
}

StagedPicture PreparedPictures::take(int index, const std::function<bool()>& stop) {
    StagedPicture staged;
    if (index < 0 || index >= int(m_slots.size())) {
        return staged;
    }
    {
        std::lock_guard lock(m_mutex);
        m_wanted = std::max(m_wanted, index);
    }
    m_wake.notify_all();
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            // A discarded stage's copies are gone: it hands out nothing more.
            if (m_ending) {
                staged.stopped = true;
                return staged;
            }
            Slot& slot = m_slots[index];
            if (slot.done) {
                slot.taken = true;
                staged.files = slot.entry.files;
                staged.failure = slot.entry.failure;
                if (slot.entry.folderFailed) {
                    staged.failure =
                        QStringLiteral("The picture %1 cannot be prepared: %2")
                            .arg(displayFileName(m_pictures.at(index)), slot.entry.failure);
                }
                staged.fatal = slot.entry.folderFailed;
                return staged;
            }
        }
        if (stop && stop()) {
            staged.stopped = true;
            return staged;
        }
        sleepInEventLoop(kTakePollMs);
    }
}

void PreparedPictures::stopWorkers() {
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
    m_threads.clear();
}

void PreparedPictures::discard() {
    stopWorkers();
    m_folder.reset();
}

QString PreparedPictures::folder() const {
    std::lock_guard lock(m_mutex);
    return m_folder && m_folder->isValid() ? m_folder->path() : QString();
}

int PreparedPictures::locationCount() const {
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const Slot& slot : m_slots) {
        count += slot.taken && slot.entry.locationKept ? 1 : 0;
    }
    return count;
}

qint64 PreparedPictures::bytesHanded() const {
    std::lock_guard lock(m_mutex);
    qint64 bytes = 0;
    for (const Slot& slot : m_slots) {
        bytes += slot.taken && slot.entry.failure.isEmpty() ? slot.entry.bytes : 0;
    }
    return bytes;
}

QStringList PreparedPictures::notes() const {
    std::lock_guard lock(m_mutex);
    QStringList notes;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const Slot& slot = m_slots[i];
        if (slot.taken && !slot.entry.note.isEmpty() && slot.entry.failure.isEmpty()) {
            notes.append(displayFileName(m_pictures.at(int(i))) + QStringLiteral(": ") +
                         slot.entry.note);
        }
    }
    return notes;
}

QString PreparedPictures::locationSummary(int pictureCount, const QString& remedy) const {
    const int count = locationCount();
    if (count == 0) {
        return QString();
    }
    return QStringLiteral("%1 of %2 %3 %4 a GPS location; %5")
        .arg(count)
        .arg(pictureCount)
        .arg(pictureCount == 1 ? QStringLiteral("picture") : QStringLiteral("pictures"),
             count == 1 ? QStringLiteral("carries") : QStringLiteral("carry"), remedy);
}
