#pragma once

#include <QSize>

#include <memory>

class OfficeCursor;
class OfficeFrame;

// The controller of a document's view: its frame and window, what the view has selected, and
// the view's cursor.
class OfficeController {
public:
    virtual ~OfficeController() = default;
    virtual std::unique_ptr<OfficeFrame> getFrame() = 0;
    // The view's text cursor; making it asks the office nothing.
    virtual std::unique_ptr<OfficeCursor> cursor() = 0;
    // True when the view's selection is text (the service "com.sun.star.text.TextRanges"),
    // that is, no picture or other object is selected any more.
    virtual bool selectionIsText() = 0;
    // Puts the cursor at the end of the text that holds the selected picture (the body, or
    // the table cell); does nothing when no picture is selected.
    virtual void selectEndOfPictureText() = 0;
    // Puts the cursor at the end of the document's body text, leaving any picture selection,
    // without reading the selection: safe while the document's controllers are locked. For
    // a picture just inserted into the body as a character, that is right after it.
    virtual void selectEndOfBodyText() = 0;
    // The size of the selected picture, in hundredths of a millimetre; throws AppError when
    // no picture is selected.
    virtual QSize selectedPictureSize() = 0;
    virtual void setSelectedPictureSize(const QSize& size) = 0;
    // Puts the window that shows the document in front of the user's other windows and
    // gives it the focus; nothing happens for a view without a window (headless). Returns the
    // window's X11 id, for asking the window manager too, or 0 where the office names none.
    virtual quint64 bringWindowToFront() = 0;
};
