#pragma once

#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

class PictureStage;
struct PictureRoom;

// The files the office gets for the entries of an insert run: each entry's own file or, with
// a stage, what the stage prepared for it (a file for each page of a multi-page file).
class PictureFiles {
public:
    void setStage(PictureStage* stage) { m_stage = stage; }
    bool hasStage() const { return m_stage != nullptr; }

    // Starts the stage, if any, on the run's entries; `measure` fills in the room of the
    // pictures when the stage needs it.
    void start(const QStringList& pictures, bool grow,
               const std::function<void(PictureRoom&)>& measure);
    // The next entry starts with nothing taken.
    void nextEntry();
    // Takes entry `index` (from 0) from the stage, if any, waiting while the event loop runs;
    // false when `stop` ended the wait.
    bool take(int index, const std::function<bool()>& stop);
    // The pictures the entry gives: 1, or the stage's files.
    int parts() const { return std::max(1, int(m_files.size())); }
    // The file of part `part` of the entry at `path`. Throws AppError for an entry the stage
    // found cannot go in.
    QString file(int part, const QString& path) const;
    // The stage can prepare no more pictures: the run stops after this entry's report.
    bool broken() const { return m_broken; }
    // What the user is told with "Done.", or "".
    QString doneNote() const;

private:
    PictureStage* m_stage = nullptr;
    QStringList m_files;
    QString m_failure;
    bool m_broken = false;
};
