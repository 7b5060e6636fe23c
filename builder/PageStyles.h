#pragma once

#include "core/PageSetup.h"

#include <QString>

class OfficeCursor;
class OfficeStyles;

// The page styles of a run with a paper, an orientation or margins: the style the document's
// pages start in (the new document's default page style, or the one the template ends in) is
// changed to the setup, and for pages turned to their pictures a second style, "Landscape",
// takes the same paper turned on its side, the same margins and the same header and footer.
// The user sees ordinary page styles when editing the document.
class PageStyles {
public:
    PageStyles(const PageSetup& setup, OfficeCursor& cursor, OfficeStyles& styles)
        : m_setup(setup), m_cursor(cursor), m_styles(styles) {}

    // True when the setup changes the pages at all; a template alone does not.
    static bool needed(const PageSetup& setup) {
        return setup.paper || setup.margin || setup.orientation != PageOrientation::Office;
    }

    // Changes the styles, from the style of the page the cursor is on.
    void prepare();
    // True when each page turns to its first picture.
    bool turnsPages() const { return m_setup.orientation == PageOrientation::Auto; }
    // The style of the page the pictures start on.
    const QString& first() const { return m_first; }
    // The style of a page whose first picture is `wide` (or not). `firstPage` is the page the
    // document started with, which keeps the style it has unless the picture needs the other.
    QString styleFor(bool wide, bool firstPage) const;

    static constexpr char kLandscapeStyle[] = "Landscape";

private:
    // The style `name`, made when the document has none with the header and footer of
    // `model`, gets the setup's paper (or keeps its own, or `model`'s for a new one) turned as
    // `orientation` says, and the setup's margins.
    void change(const QString& name, const QString& model, PageOrientation orientation);

    const PageSetup m_setup;
    OfficeCursor& m_cursor;
    OfficeStyles& m_styles;
    // The style of the page the pictures start on, and of the pages after it.
    QString m_first;
    QString m_base;
};
