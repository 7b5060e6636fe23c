#pragma once

#include "builder/PictureStage.h"
#include "core/PicturePolicy.h"
#include "prepare/PicturePreparation.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The stage that prepares the pictures of a run on a pool of workers, a few pictures ahead of
// the one the office takes, into a folder of the run's own under $TMPDIR (mode 0700), which
// goes with the stage. Only what the office would show wrongly, or what the policy asks to
// change, is copied; everything else goes in as it is.
class PreparedPictures : public PictureStage {
public:
    // `workers` 0 takes one a core; the folder of the copies is made in `parent`, by default
    // the temporary folder.
    explicit PreparedPictures(const PicturePolicy& policy, int workers = 0,
                              const QString& parent = QString());
    ~PreparedPictures() override;
    PreparedPictures(const PreparedPictures&) = delete;
    PreparedPictures& operator=(const PreparedPictures&) = delete;

    bool needsRoom() const override { return m_policy.pixelsPerInch > 0; }
    void start(const QStringList& pictures, const PictureRoom& room) override;
    StagedPicture take(int index, const std::function<bool()>& stop) override;
    // Makes the folder of the copies in `parent` from the next start on: in the private
    // profile of an office of our own, whose guard removes it when the program is killed.
    void setFolderParent(const QString& parent) { m_parent = parent; }
    // The location summary of the pictures taken, with the remedy set below.
    QString doneNote() const override { return locationSummary(int(m_pictures.size()), m_remedy); }
    // How the user removes the location, as the host's own controls say it.
    void setLocationRemedy(const QString& remedy) { m_remedy = remedy; }

    // Ends the work and removes the folder, at once: for a program that is about to end
    // without unwinding. The stage hands out nothing afterwards.
    void discard();

    // The folder of the copies, "" before the first was needed.
    QString folder() const;
    // Of the entries taken so far: how many went to the office with a GPS position, and what
    // was done to some of them that the user did not ask for ("name: 3 pages, each a picture
    // of its own").
    int locationCount() const;
    QStringList notes() const;
    // The bytes of the files handed to the office for the entries taken.
    qint64 bytesHanded() const;
    // Said after a run: "3 of 40 pictures carry a GPS location; `remedy`", or "" when none does.
    QString locationSummary(int pictureCount, const QString& remedy) const;

    // How many pictures are prepared ahead of the one the office takes, a worker each and as
    // many waiting: the decoded pictures held at once are at most one a worker.
    static constexpr int kAheadPerWorker = 2;

private:
    struct Slot {
        bool done = false;
        bool taken = false;
        PreparedEntry entry;
    };
    void work();
    void stopWorkers();
    // The folder, made when the first copy needs it; "" when it cannot be made.
    QString ensureFolder();

    const PicturePolicy m_policy;
    QString m_parent;
    const int m_workerCount;
    PictureRoom m_room;
    QStringList m_pictures;
    QString m_remedy;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Slot> m_slots;
    int m_next = 0;
    int m_wanted = 0;
    bool m_ending = false;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_folderProblem;
    std::vector<std::thread> m_threads;
};
