#pragma once

#include "core/PageSetup.h"

#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class OfficeFrame;

// A change to one of the document's page styles. A style the document does not have is made,
// with the header and footer (their text) of `model`. Its paper becomes `paper`, or stays its
// own (for a new style: `model`'s), turned as `orientation` says; `margin`, when given, is put
// on all four sides.
struct PageStyleChange {
    QString name;
    QString model;
    std::optional<QSize> paper;
    PageOrientation orientation = PageOrientation::Office;
    std::optional<int> margin;
};

// The controller of a document's view: its frame, and what the view has selected.
class OfficeController {
public:
    virtual ~OfficeController() = default;
    virtual std::unique_ptr<OfficeFrame> getFrame() = 0;
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
    // Gives the paragraph at the view's cursor the paragraph style of that (programmatic)
    // name, such as "Standard" for the default paragraph style.
    virtual void setCursorParagraphStyle(const QString& styleName) = 0;
    // The size of the selected picture, in hundredths of a millimetre; throws AppError when
    // no picture is selected.
    virtual QSize selectedPictureSize() = 0;
    virtual void setSelectedPictureSize(const QSize& size) = 0;
    // The text area of the page style `styleName` (empty: the style of the page the view's
    // cursor is on): the page less its margins, its header and its footer, in hundredths of a
    // millimetre.
    virtual QSize pageTextArea(const QString& styleName) = 0;
    // The (programmatic) name of the page style of the page the view's cursor is on.
    virtual QString cursorPageStyle() = 0;
    // The page style that the pages after one in `styleName` take (itself, for most).
    virtual QString nextPageStyle(const QString& styleName) = 0;
    virtual void changePageStyle(const PageStyleChange& change) = 0;
    // The paragraph at the view's cursor starts a page in the page style `styleName`; the
    // first paragraph of the document sets the first page's style without a break.
    virtual void setCursorPageStyle(const QString& styleName) = 0;
    // Makes the document's "Graphics" frame style anchor its pictures as characters, so that
    // a new picture is anchored where it goes in. Anchored any other way first, the suite
    // re-anchors it where its frame stands on the laid-out page, which is the page before
    // for a picture taller than the body of a page with a header.
    virtual void anchorPicturesAsCharacters() = 0;
    // Puts the cursor at the end of the document's body text, in an empty paragraph there: a
    // new one when the last paragraph holds anything.
    virtual void startParagraphAtEnd() = 0;
    // The height that one line in the document's "Caption" paragraph style takes, with the
    // style's spacing above and below, in hundredths of a millimetre.
    virtual int captionLineHeight() = 0;
    // What the paragraph at the view's cursor adds to the height of a picture it holds as a
    // character, in hundredths of a millimetre: its spacing above and below, and the room its
    // line spacing adds beyond single spacing. The line itself is as tall as its picture.
    virtual int pictureLineExtra() = 0;
    // Puts the window that shows the document in front of the user's other windows and
    // gives it the focus; nothing happens for a view without a window (headless). Returns the
    // window's X11 id, for asking the window manager too, or 0 where the office names none.
    virtual quint64 bringWindowToFront() = 0;
};
