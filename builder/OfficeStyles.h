#pragma once

#include <QMargins>
#include <QSize>
#include <QString>

// What a page style says of its pages, in hundredths of a millimetre.
struct PageFormat {
    QSize paper;
    QMargins margins;
    // The height that the header and the footer take from the body, each with its distance
    // to the body; 0 for one that is off.
    int header = 0;
    int footer = 0;
    // The style that the pages after one in this style take; empty for this style itself.
    QString follow;

    // The page less its margins, its header and its footer.
    QSize textArea() const {
        return {paper.width() - margins.left() - margins.right(),
                paper.height() - margins.top() - margins.bottom() - header - footer};
    }
};

// The styles of a document: its page styles, read and set property by property, the frame
// style of its pictures and the measure of its captions. Which styles to make and what to
// put in them is decided above it (PageStyles).
class OfficeStyles {
public:
    virtual ~OfficeStyles() = default;
    // Page styles by their programmatic names ("Standard" for the default page style).
    virtual bool hasPageStyle(const QString& name) = 0;
    // A new page style with the office's own settings.
    virtual void makePageStyle(const QString& name) = 0;
    // Page style `to` gets the header and the footer of `from`: each on where it is on there,
    // with the same text (plain text).
    virtual void copyHeaderAndFooter(const QString& from, const QString& to) = 0;
    virtual PageFormat pageFormat(const QString& name) = 0;
    // The paper, width x height, and whether the style calls its pages landscape.
    virtual void setPaper(const QString& name, const QSize& paper, bool landscape) = 0;
    // All four margins.
    virtual void setMargins(const QString& name, int margin) = 0;
    // Makes the document's "Graphics" frame style anchor its pictures as characters, so that
    // a new picture is anchored where it goes in. Anchored any other way first, the suite
    // re-anchors it where its frame stands on the laid-out page, which is the page before
    // for a picture taller than the body of a page with a header.
    virtual void anchorPicturesAsCharacters() = 0;
    // The height that one line in the document's "Caption" paragraph style takes, with the
    // style's spacing above and below, in hundredths of a millimetre.
    virtual int captionLineHeight() = 0;
};
