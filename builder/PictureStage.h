#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

// The box a picture may fill on its page, in hundredths of a millimetre: on an upright page
// and, where pages turn to their pictures, on a turned one (empty otherwise); `grow` when the
// pictures are scaled up to fill it.
struct PictureRoom {
    QSize upright;
    QSize turned;
    bool grow = false;
};

// What the office gets for one entry of the list: its file, or the files of its pages (a
// multi-page file), or why the entry cannot go in.
struct StagedPicture {
    QStringList files;
    QString failure;
    // The wait was ended by the stop request before the entry was ready.
    bool stopped = false;
    // No picture can be prepared any more (the folder of the copies cannot be written): the
    // run stops after this one's report.
    bool fatal = false;
};

// A stage between the list and the office that may hand the office a prepared copy of a
// picture instead of the picture itself, worked out ahead of the run.
class PictureStage {
public:
    virtual ~PictureStage() = default;

    // True when the copies depend on the room the pictures take on their pages: the run then
    // measures the pages before it starts the stage.
    virtual bool needsRoom() const = 0;
    // Starts on the entries (in list order); the work goes on while the run inserts.
    virtual void start(const QStringList& pictures, const PictureRoom& room) = 0;
    // What the office gets for entry `index` (from 0), waited for while the event loop runs;
    // `stop` answering true ends the wait early.
    virtual StagedPicture take(int index, const std::function<bool()>& stop) = 0;
    // What the user is to be told with "Done." about the pictures that went in, or "".
    virtual QString doneNote() const { return QString(); }
};
