#pragma once

#include "core/PageSetup.h"

#include <QString>

class OfficeController;

// The page styles of a run with a paper, an orientation or margins: the style the document's
// pages start in (the new document's default page style, or the one the template ends in) is
// changed to the setup, and for pages turned to their pictures a second style, "Landscape",
// takes the same paper turned on its side, the same margins and the same header and footer.
// The user sees ordinary page styles when editing the document.
class PageStyles {
public:
    PageStyles(const PageSetup& setup, OfficeController& controller)
        : m_setup(setup), m_controller(controller) {}

    // True when the setup changes the pages at all; a template alone does not.
    static bool needed(const PageSetup& setup) {
        return setup.paper || setup.margin || setup.orientation != PageOrientation::Office;
    }

    // Changes the styles, from the style of the page the cursor is on.
    void prepare();
    // Before the first picture of a page goes in: the page takes the style its picture
    // needs. `firstPage` is the page the document started with, which keeps the style it has
    // unless the picture needs the other one. Returns the style of the page.
    QString startPage(const QString& picturePath, bool firstPage);

    static constexpr char kLandscapeStyle[] = "Landscape";

private:
    const PageSetup m_setup;
    OfficeController& m_controller;
    // The style of the page the pictures start on, and of the pages after it.
    QString m_first;
    QString m_base;
    QString m_current;
};

// True when a picture file is wider than tall as the office shows it (its EXIF orientation
// applied), read from its header only; false for a file whose size cannot be read.
bool pictureIsWide(const QString& path);
