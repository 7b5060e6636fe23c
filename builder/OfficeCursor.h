#pragma once

#include <QSize>
#include <QString>

// The text cursor of a document's view: the paragraph it stands in and the page that holds
// that paragraph.
class OfficeCursor {
public:
    virtual ~OfficeCursor() = default;
    // Gives the paragraph the paragraph style of that (programmatic) name, such as
    // "Standard" for the default paragraph style.
    virtual void setParagraphStyle(const QString& styleName) = 0;
    // The (programmatic) name of the page style of the page the cursor is on.
    virtual QString pageStyle() = 0;
    // The paragraph starts a page in the page style `styleName`; the first paragraph of the
    // document sets the first page's style without a break.
    virtual void setPageStyle(const QString& styleName) = 0;
    // Puts the cursor at the end of the document's body text, in an empty paragraph there: a
    // new one when the last paragraph holds anything.
    virtual void startParagraphAtEnd() = 0;
    // What the paragraph adds to the height of a picture it holds as a character, in
    // hundredths of a millimetre: its spacing above and below, and the room its line spacing
    // adds beyond single spacing. The line itself is as tall as its picture.
    virtual int pictureLineExtra() = 0;
    // The text area of the page the cursor is on (see PageFormat::textArea()).
    virtual QSize pageTextArea() = 0;
};
