#pragma once

#include "builder/OfficeArguments.h"
#include "core/CaptionPattern.h"

#include <QList>
#include <QString>

class OfficeController;
class OfficeDispatcher;
class OfficeFrame;

// The commands that put a picture into the document, leave it and write its caption, as the
// insert run sends them on the document's frame.
class PictureCommands {
public:
    PictureCommands(OfficeDispatcher& dispatcher, OfficeFrame& frame, OfficeController& controller)
        : m_dispatcher(dispatcher), m_frame(frame), m_controller(controller) {}

    // A command whose answer says nothing: the suite answers FAILURE for many commands it
    // carried out.
    void dispatch(const QString& command, const OfficeArguments& args = {});
    // Inserts the picture `path` with the arguments `args` and anchors it as a character;
    // throws AppError when the suite says it did not insert it.
    void insert(const QString& path, const OfficeArguments& args);
    // Leaves the picture just inserted, with the cursor after it. `lockWasHeld`: the
    // document's controllers have been locked in the run; `escape`: by ".uno:Escape" (which
    // leaves a picture in a table cell selected) rather than by putting the cursor at the end
    // of the picture's text.
    void leave(bool lockWasHeld, bool escape);
    // A paragraph of its own in the document's "Caption" style, holding the caption of the
    // picture `path` in `pieces`: text, and the picture's number as a figure-number field.
    void writeCaption(const QString& path, const QList<CaptionPiece>& pieces);

    // The longest wait for the suite to leave the picture selection after ".uno:Escape".
    static constexpr int kSelectionWaitMs = 5000;

private:
    OfficeDispatcher& m_dispatcher;
    OfficeFrame& m_frame;
    OfficeController& m_controller;
};
